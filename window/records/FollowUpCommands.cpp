#include "window/records/FollowUpCommands.h"

#include "printing/FollowUpPrintout.h"
#include "storage/AppPaths.h"
#include "storage/SafeFile.h"
#include "storage/StoredRecords.h"
#include "submission/FollowUpList.h"
#include "submission/RecordsCsv.h"
#include "window/history/SubmissionHistoryCommands.h"
#include "window/main/RecordCommands.h"
#include "window/records/FollowUpDueDialog.h"
#include "window/services/Clock.h"
#include "window/services/MessageService.h"
#include "window/widgets/ModalDialog.h"

#include <QWidget>

FollowUpCommands::FollowUpCommands(QWidget& window, QString appPath, RecordStore& store,
                                   RecordCommands& commands, SubmissionHistoryCommands& outputs,
                                   MessageService& messages, Clock& clock, QObject* parent)
    : QObject(parent), window_(window), appPath_(std::move(appPath)), store_(store),
      commands_(commands), outputs_(outputs), messages_(messages), clock_(clock) {}

QString FollowUpCommands::sentRecordMessage(const FollowUpRow& row) {
    return QStringLiteral("The latest result of %1, %2 was sent in the submission file\r\n%3\r\n"
                          "(record %4 of that file). It is not among the records of the data "
                          "file; Submission History shows it.")
        .arg(row.lastName, row.firstName, SafeFile::displayName(row.submissionFile))
        .arg(row.recordNumber);
}

void FollowUpCommands::openFollowUpDue() {
    if (commands_.EditMode() == Editing::NewRecord)
        return;
    QList<ResultRecord> stored;
    if (FileStatus status = StoredRecords::readAll(store_, stored); !status) {
        emit fileFailed(status);
        return;
    }
    const QDate today = clock_.now().date();
    FollowUpList list(today);
    // A Submit that cannot be listed is named in the window with the files, like them.
    list.addSubmissionFolder(AppPaths{appPath_}.submit());
    list.addStoredRecords(stored);
    const QList<FollowUpRow> rows = list.rows();
    const QString summary = FollowUpList::summary(rows);
    const QStringList fileLines = list.fileLines();

    auto* dialog = new FollowUpDueDialog(rows, summary, fileLines, &window_);
    connect(dialog, &FollowUpDueDialog::recordChosen, &commands_, &RecordCommands::goToRecord);
    connect(dialog, &FollowUpDueDialog::sentRecordChosen, this, [this](const FollowUpRow& row) {
        messages_.show(sentRecordMessage(row), QStringLiteral("Record Already Sent"),
                       MessageButtons::Ok, MessageIcon::None);
    });
    connect(dialog, &FollowUpDueDialog::printListRequested, this, [this, rows, summary, fileLines] {
        const QDateTime now = clock_.now();
        outputs_.printList(FollowUpPrintout::lines(summary, fileLines, rows, now),
                           AppPaths{appPath_}.printedFollowUp(now));
    });
    connect(dialog, &FollowUpDueDialog::exportRequested, this, [this, rows, today] {
        QList<QStringList> values;
        values.reserve(rows.size());
        for (const FollowUpRow& row : rows)
            values.append(row.values());
        outputs_.exportCsv(RecordsCsv::document(FollowUpRow::columnTitles(), values),
                           RecordsCsv::followUpFileName(today));
    });
    showModalDialog(dialog, window_);
}
