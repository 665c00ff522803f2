#include "window/records/FollowUpCommands.h"

#include "printing/FollowUpPrintout.h"
#include "storage/AppPaths.h"
#include "storage/SafeFile.h"
#include "submission/FollowUpList.h"
#include "submission/RecordsCsv.h"
#include "window/history/SubmissionHistoryCommands.h"
#include "window/main/RecordCommands.h"
#include "window/main/StoredRecordsWait.h"
#include "window/records/FollowUpDueDialog.h"
#include "window/services/Clock.h"
#include "window/services/MessageService.h"
#include "window/widgets/BackgroundJob.h"
#include "window/widgets/ModalDialog.h"

#include <QLabel>
#include <QWidget>

#include <algorithm>

FollowUpCommands::FollowUpCommands(QWidget& window, QString appPath, RecordStore& store,
                                   RecordCommands& commands, SubmissionHistoryCommands& outputs,
                                   MessageService& messages, Clock& clock, QObject* parent)
    : QObject(parent), window_(window), appPath_(std::move(appPath)), store_(store),
      commands_(commands), outputs_(outputs), messages_(messages), clock_(clock) {}

FollowUpCommands::~FollowUpCommands() = default;

QString FollowUpCommands::sentRecordMessage(const FollowUpRow& row) {
    return QStringLiteral("The latest result of %1, %2 was sent in the submission file\r\n%3\r\n"
                          "(record %4 of that file). It is not among the records of the data "
                          "file; Submission History shows it.")
        .arg(row.lastName, row.firstName, SafeFile::displayName(row.submissionFile))
        .arg(row.recordNumber);
}

namespace {

// What the window shows of the list, made in the worker and handed over whole.
struct FollowUpShown {
    FollowUpRows rows;
    QString summary;
    QStringList fileLines;
};

// Reads Submit and the stored records given, as of today. Touches nothing but its own list: the
// window takes the result once it is there.
FollowUpShown makeList(JobControl& control, const QString& submit,
                       const QList<ResultRecord>& stored, const QDate& today) {
    FollowUpList list(today);
    list.expectRecords(stored.size());
    // A Submit that cannot be listed is named in the window with the files, like them.
    list.addSubmissionFolder(submit, [&control](int done, int total) {
        control.report(done, total);
        return !control.stopRequested();
    });
    FollowUpShown shown;
    if (list.stopped())
        return shown;
    list.addStoredRecords(stored);
    shown.rows = list.takeRows();
    shown.summary = shown.rows.summary();
    shown.fileLines = list.fileLines();
    return shown;
}

} // namespace

void FollowUpCommands::openFollowUpDue() {
    if (commands_.EditMode() == Editing::NewRecord)
        return;
    QList<ResultRecord> stored;
    if (FileStatus status =
            StoredRecordsWait::readAll(window_, QStringLiteral("Follow-Up Due"), store_, &stored);
        !status) {
        emit fileFailed(status);
        return;
    }
    const QDate today = clock_.now().date();

    // The window opens at once; Submit is read in a worker while it shows how far it is.
    auto* dialog = new FollowUpDueDialog(&window_);
    auto* job = new BackgroundJob<FollowUpShown>(dialog);
    connect(job, &BackgroundJobBase::progressed, dialog,
            [dialog](int done, int total) { dialog->showProgress(done, total); });
    connect(job, &BackgroundJobBase::finished, dialog, [dialog, job] {
        FollowUpShown shown = job->takeResult();
        dialog->setList(std::move(shown.rows), shown.summary, shown.fileLines);
    });
    job->start([submit = AppPaths{appPath_}.submit(), stored, today](JobControl& control) {
        return makeList(control, submit, stored, today);
    });
    dialog->watch(job);

    connect(dialog, &FollowUpDueDialog::recordChosen, &commands_, &RecordCommands::goToRecord);
    connect(dialog, &FollowUpDueDialog::sentRecordChosen, this, [this](const FollowUpRow& row) {
        messages_.show(sentRecordMessage(row), QStringLiteral("Record Already Sent"),
                       MessageButtons::Ok, MessageIcon::None);
    });
    connect(dialog, &FollowUpDueDialog::printListRequested, this, [this, dialog] {
        const QDateTime now = clock_.now();
        const FollowUpRows& rows = dialog->rows();
        outputs_.printList(FollowUpPrintout::pages(
                               dialog->summary()->text(), dialog->fileLines(), rows.size(),
                               [&rows](int i) { return rows.at(i); }, now),
                           AppPaths{appPath_}.printedFollowUp(now));
    });
    connect(dialog, &FollowUpDueDialog::exportRequested, this, [this, dialog, today] {
        // Written a piece of rows at a time: the document is the header's followed by each
        // piece's rows.
        const FollowUpRows& rows = dialog->rows();
        const QStringList titles = FollowUpRow::columnTitles();
        const QByteArray head = RecordsCsv::document(titles, {});
        outputs_.exportCsv(
            [&](const SafeFile::PieceWriter& write) {
                constexpr int kRowsAPiece = 4096;
                FileStatus written = write(head);
                for (int from = 0; written && from < rows.size(); from += kRowsAPiece) {
                    QList<QStringList> values;
                    const int end = std::min(rows.size(), from + kRowsAPiece);
                    values.reserve(end - from);
                    for (int i = from; i < end; ++i)
                        values.append(rows.at(i).values());
                    written = write(RecordsCsv::document(titles, values).mid(head.size()));
                }
                return written;
            },
            RecordsCsv::followUpFileName(today));
    });
    showModalDialog(dialog, window_);
}
