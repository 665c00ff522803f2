#include "window/main/InterruptedSubmissionPrompt.h"

#include "storage/RecordStore.h"
#include "submission/InterruptedSubmission.h"
#include "window/services/MessageService.h"

#include <QDir>
#include <QStringList>

namespace {

// Files named one by one in the message; the rest are counted.
constexpr qsizetype kNamedFiles = 10;

// Submit, or files in it of the data file's length, could not be read: one of them may hold the
// records of the data file. Saved records would make the data file differ from it, and the next
// submission would send them again; the operator hears of it before saving anything.
void tellNotRead(MessageService& messages, const QList<FileStatus>& notRead) {
    QString text;
    if (notRead.size() == 1) {
        text = QStringLiteral("A file could not be read or written:\r\n%1\r\n%2")
                   .arg(QDir::toNativeSeparators(notRead.first().path()), notRead.first().reason());
    } else {
        QStringList lines{QStringLiteral("Files could not be read:")};
        for (qsizetype i = 0; i < notRead.size() && i < kNamedFiles; ++i)
            lines << QStringLiteral("%1 (%2)").arg(QDir::toNativeSeparators(notRead[i].path()),
                                                   notRead[i].reason());
        if (notRead.size() > kNamedFiles)
            lines << QStringLiteral("and %1 more").arg(notRead.size() - kNamedFiles);
        text = lines.join(QStringLiteral("\r\n"));
    }
    QStringList advice;
    for (const FileStatus& failure : notRead) {
        if (const QString sentence = failure.advice();
            !sentence.isEmpty() && !advice.contains(sentence))
            advice << sentence;
    }
    text += QStringLiteral("\r\n\r\nThe program could not check whether the records in the data "
                           "file are already in an electronic file in Submit.");
    if (!advice.isEmpty())
        text += QLatin1Char(' ') + advice.join(QLatin1Char(' '));
    text += QStringLiteral("\r\nOnce this is fixed, close the program and start it again before "
                           "you save a record or create an electronic file, so that no record is "
                           "sent twice.");
    messages.show(text, QStringLiteral("File Error"), MessageButtons::Ok, MessageIcon::Warning);
}

} // namespace

InterruptedSubmissionAnswer offerToFinishInterruptedSubmission(MessageService& messages,
                                                               RecordStore& store,
                                                               const QString& appPath,
                                                               int recordCount) {
    InterruptedSubmissionAnswer answer;
    QString fileName;
    QList<FileStatus> notRead;
    answer.failure = InterruptedSubmission::find(appPath, fileName, &notRead);
    if (!notRead.isEmpty())
        tellNotRead(messages, notRead);
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
