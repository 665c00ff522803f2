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
#include "window/widgets/ModalDialog.h"

#include <QFutureWatcher>
#include <QLabel>
#include <QPromise>
#include <QWidget>
#include <QtConcurrent/QtConcurrentRun>

FollowUpCommands::FollowUpCommands(QWidget& window, QString appPath, RecordStore& store,
                                   RecordCommands& commands, SubmissionHistoryCommands& outputs,
                                   MessageService& messages, Clock& clock, QObject* parent)
    : QObject(parent), window_(window), appPath_(std::move(appPath)), store_(store),
      commands_(commands), outputs_(outputs), messages_(messages), clock_(clock) {}

FollowUpCommands::~FollowUpCommands() {
    for (QFuture<void>& work : work_) {
        work.cancel();
        work.waitForFinished();
    }
}

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
    QList<FollowUpRow> rows;
    QString summary;
    QStringList fileLines;
};

// Reads Submit and the stored records given, as of today. Touches nothing but its own list and
// the promise: the window takes the result once it is there.
void makeList(QPromise<FollowUpShown>& promise, const QString& submit,
              const QList<ResultRecord>& stored, const QDate& today) {
    FollowUpList list(today);
    // A Submit that cannot be listed is named in the window with the files, like them.
    list.addSubmissionFolder(submit, [&promise](int done, int total) {
        if (promise.isCanceled())
            return false;
        if (done == 0)
            promise.setProgressRange(0, total);
        promise.setProgressValue(done);
        return true;
    });
    if (list.stopped())
        return;
    list.addStoredRecords(stored);
    FollowUpShown shown;
    shown.rows = list.rows();
    shown.summary = FollowUpList::summary(shown.rows);
    shown.fileLines = list.fileLines();
    promise.addResult(std::move(shown));
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
    auto* watcher = new QFutureWatcher<FollowUpShown>(dialog);
    connect(
        watcher, &QFutureWatcherBase::progressValueChanged, dialog,
        [dialog, watcher](int done) { dialog->showProgress(done, watcher->progressMaximum()); });
    connect(watcher, &QFutureWatcherBase::finished, dialog, [dialog, watcher] {
        if (watcher->future().resultCount() == 0)
            return; // stopped
        // A copy (implicitly shared): taking the result would leave the future unfinished for
        // those who wait for it.
        const FollowUpShown shown = watcher->future().result();
        dialog->setList(shown.rows, shown.summary, shown.fileLines);
    });
    const QFuture<FollowUpShown> work =
        QtConcurrent::run(makeList, AppPaths{appPath_}.submit(), stored, today);
    watcher->setFuture(work);
    dialog->watch(QFuture<void>(work));
    work_.removeIf([](const QFuture<void>& done) { return done.isFinished(); });
    work_.append(QFuture<void>(work));

    connect(dialog, &FollowUpDueDialog::recordChosen, &commands_, &RecordCommands::goToRecord);
    connect(dialog, &FollowUpDueDialog::sentRecordChosen, this, [this](const FollowUpRow& row) {
        messages_.show(sentRecordMessage(row), QStringLiteral("Record Already Sent"),
                       MessageButtons::Ok, MessageIcon::None);
    });
    connect(dialog, &FollowUpDueDialog::printListRequested, this, [this, dialog] {
        const QDateTime now = clock_.now();
        outputs_.printList(FollowUpPrintout::lines(dialog->summary()->text(), dialog->fileLines(),
                                                   dialog->rows(), now),
                           AppPaths{appPath_}.printedFollowUp(now));
    });
    connect(dialog, &FollowUpDueDialog::exportRequested, this, [this, dialog, today] {
        QList<QStringList> values;
        values.reserve(dialog->rows().size());
        for (const FollowUpRow& row : dialog->rows())
            values.append(row.values());
        outputs_.exportCsv(RecordsCsv::document(FollowUpRow::columnTitles(), values),
                           RecordsCsv::followUpFileName(today));
    });
    showModalDialog(dialog, window_);
}
