#include "window/main/InterruptedSubmissionPrompt.h"

#include "storage/RecordStore.h"
#include "submission/InterruptedSubmission.h"
#include "window/services/MessageService.h"

InterruptedSubmissionAnswer offerToFinishInterruptedSubmission(MessageService& messages,
                                                               RecordStore& store,
                                                               const QString& appPath,
                                                               int recordCount) {
    InterruptedSubmissionAnswer answer;
    QString fileName;
    answer.failure = InterruptedSubmission::find(appPath, fileName);
    if (fileName.isEmpty())
        return answer;
    if (messages.show(InterruptedSubmission::questionText(fileName, recordCount),
                      InterruptedSubmission::questionTitle(), MessageButtons::YesNo,
                      MessageIcon::Warning) != MessageAnswer::Yes)
        return answer;
    // The store holds the data file open; it lets go before the file is removed.
    store.close();
    bool removed = false;
    answer.failure = InterruptedSubmission::finish(appPath, removed);
    answer.emptied = removed;
    // A removal that failed keeps both copies, and the question comes again at the next start.
    if (FileStatus reopened = store.open(); !reopened)
        answer.failure = reopened;
    return answer;
}
