#include "window/history/SubmissionHistoryDialog.h"

#include "storage/SafeFile.h"
#include "window/history/SubmissionHistoryModels.h"
#include "window/widgets/BackgroundJob.h"
#include "window/widgets/ListWindowParts.h"
#include "window/widgets/PlainTextDelegate.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>
#include <functional>
#include <iterator>

// What a worker hands back to the window: a value made from nothing but the folder and plain
// values given to it.
struct HistoryWork {
    enum Kind { Listing, File, Search };
    Kind kind = Listing;
    SubmissionHistory history; // Listing and Search: what the worker listed and read
    int file = -1;             // File
    FileReading reading;       // File
    QList<SubmittedRecord> found;
    FileStatus status;
    bool stopped = false;
};

// Shared by the window and one worker: the worker's progress, and the window's word to stop.
struct JobState {
    std::atomic<bool> stop{false};
    std::atomic<int> done{0};
    std::atomic<int> total{0};
};

struct HistoryJob {
    HistoryWork::Kind kind = HistoryWork::Listing;
    int file = -1;
    quint64 search = 0;
    std::function<HistoryWork(JobState&)> run;
    std::shared_ptr<JobState> state = std::make_shared<JobState>();
    BackgroundJob<HistoryWork>* worker = nullptr;
};

namespace {

// A label for a control, whose text without "&" and ":" is also the control's accessible name.
QLabel* labelFor(const QString& text, QWidget* control) {
    auto* label = new QLabel(text);
    label->setBuddy(control);
    QString name = text;
    name.remove(QLatin1Char('&'));
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    control->setAccessibleName(name);
    return label;
}

} // namespace

SubmissionHistoryDialog::SubmissionHistoryDialog(const QString& submitFolder, QWidget* parent)
    : QDialog(parent), submitFolder_(submitFolder) {
    setWindowTitle(QStringLiteral("Submission History"));
    resize(900, 560);
    fileModel_ = new SubmissionFileModel(history_, this);
    recordModel_ = new SubmittedRecordModel(history_, this);

    filterBox_ = new QLineEdit;
    filterBox_->setPlaceholderText(QStringLiteral("Last or first name, or a date of birth"));
    filesView_ = newTable();
    filesView_->setModel(fileModel_);
    const int fileWidths[] = {120, 50, 70, 60};
    for (int column = 0; column < int(std::size(fileWidths)); ++column)
        filesView_->setColumnWidth(column, fileWidths[column]);
    otherView_ = new QListView;
    otherModel_ = new QStringListModel(this);
    otherView_->setModel(otherModel_);
    otherView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    otherView_->setUniformItemSizes(true);
    otherView_->setMaximumHeight(70);
    recordsView_ = newTable();
    recordsView_->setModel(recordModel_);
    const int recordWidths[] = {40, 115, 95, 90, 85, 50, 120};
    for (int column = 0; column < int(std::size(recordWidths)); ++column)
        recordsView_->setColumnWidth(column, recordWidths[column]);
    printList_ = newListButton(QStringLiteral("&Print List"));
    export_ = newListButton(QStringLiteral("&Export to CSV..."));
    QPushButton* close = newListButton(QStringLiteral("Close"));

    progress_ = new QLabel;
    progress_->setAccessibleName(QStringLiteral("Progress"));
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(100);
    connect(progressTimer_, &QTimer::timeout, this, &SubmissionHistoryDialog::showProgress);

    auto* layout = new QVBoxLayout(this);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(labelFor(QStringLiteral("F&ind:"), filterBox_));
    filterRow->addWidget(filterBox_);
    layout->addLayout(filterRow);
    layout->addWidget(labelFor(QStringLiteral("Submission &files:"), filesView_));
    layout->addWidget(filesView_, 2);
    otherLabel_ = labelFor(QStringLiteral("&Other files:"), otherView_);
    layout->addWidget(otherLabel_);
    layout->addWidget(otherView_);
    otherLabel_->setVisible(false);
    otherView_->setVisible(false);
    recordsLabel_ = labelFor(QStringLiteral("&Records:"), recordsView_);
    layout->addWidget(recordsLabel_);
    layout->addWidget(recordsView_, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(printList_);
    buttons->addWidget(export_);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addWidget(progress_);
    layout->addLayout(buttons);

    connect(filesView_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &SubmissionHistoryDialog::fileSelected);
    connect(recordsView_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &SubmissionHistoryDialog::foundRecordSelected);
    connect(filterBox_, &QLineEdit::textChanged, this, &SubmissionHistoryDialog::filterChanged);
    connect(printList_, &QPushButton::clicked, this, [this] {
        if (selectedFile() >= 0)
            emit printListRequested(selectedFile());
    });
    connect(export_, &QPushButton::clicked, this, [this] {
        if (selectedFile() >= 0)
            emit exportRequested(selectedFile());
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    filterBox_->installEventFilter(this);

    fileSelected();
    filterBox_->setFocus();

    // The listing may take long on a slow share: the window opens at once and fills when it
    // is done.
    auto* job = new HistoryJob;
    job->kind = HistoryWork::Listing;
    const QString folder = submitFolder_;
    job->run = [folder](JobState&) {
        HistoryWork work;
        work.kind = HistoryWork::Listing;
        work.status = work.history.load(folder);
        return work;
    };
    startJob(job);
}

SubmissionHistoryDialog::~SubmissionHistoryDialog() {
    stopAll();
}

void SubmissionHistoryDialog::done(int result) {
    stopAll();
    QDialog::done(result);
}

void SubmissionHistoryDialog::startJob(HistoryJob* job) {
    jobs_.append(job);
    job->worker = new BackgroundJob<HistoryWork>(this);
    connect(job->worker, &BackgroundJobBase::finished, this, [this, job] { jobFinished(job); });
    // The worker gets its own copy of what it works on and hands back a new value.
    job->worker->start([run = job->run, state = job->state](JobControl&) { return run(*state); });
    showProgress();
    progressTimer_->start();
}

void SubmissionHistoryDialog::stopAll() {
    for (HistoryJob* job : std::as_const(jobs_))
        job->state->stop = true;
    for (HistoryJob* job : std::as_const(jobs_)) {
        job->worker->disconnect(this);
        // The listing cannot stop part of the way, and holds nothing but its own values: a slow
        // share never holds up the closing of the window (the program waits for it when it
        // ends). Every other worker stops between two pieces of a file and is waited for.
        if (job->kind == HistoryWork::Listing)
            job->worker->letGo();
        else
            job->worker->stop();
        job->worker->deleteLater();
        delete job;
    }
    jobs_.clear();
    progressTimer_->stop();
}

void SubmissionHistoryDialog::jobFinished(HistoryJob* job) {
    jobs_.removeOne(job);
    HistoryWork work = job->worker->takeResult();
    job->worker->deleteLater();
    const bool stopped = job->state->stop;
    const quint64 search = job->search;
    delete job;
    switch (work.kind) {
    case HistoryWork::Listing:
        listed(work);
        break;
    case HistoryWork::File:
        fileRead(work);
        break;
    case HistoryWork::Search:
        searched(work, !stopped && search == searchNumber_);
        break;
    }
    showProgress();
    if (jobs_.isEmpty()) {
        progressTimer_->stop();
        emit readingFinished();
    }
}

void SubmissionHistoryDialog::showProgress() {
    // The line tells of the newest worker: the listing, a search or a file.
    const HistoryJob* shown = nullptr;
    for (const HistoryJob* job : std::as_const(jobs_)) {
        if (!job->state->stop)
            shown = job;
    }
    progress_->setVisible(shown != nullptr);
    if (!shown)
        return;
    if (shown->kind == HistoryWork::Listing) {
        progress_->setText(QStringLiteral("Listing submission files"));
        return;
    }
    const int total = shown->state->total;
    const int done = std::min(int(shown->state->done), total);
    progress_->setText(QStringLiteral("Reading submission files: %1 of %2").arg(done).arg(total));
}

void SubmissionHistoryDialog::listed(HistoryWork& work) {
    if (!work.status) {
        emit readFailed(work.status);
        reject();
        return;
    }
    history_ = std::move(work.history);
    listed_ = true;
    fileModel_->reset();
    QStringList otherNames;
    for (const QString& name : history_.otherFiles())
        otherNames.append(SafeFile::displayName(name));
    otherModel_->setStringList(otherNames);
    otherLabel_->setVisible(!otherNames.isEmpty());
    otherView_->setVisible(!otherNames.isEmpty());
    if (fileModel_->rowCount() > 0)
        filesView_->setCurrentIndex(fileModel_->index(0, 0));
    // Text typed while Submit was listed is searched now.
    if (searching())
        filterChanged(filterBox_->text());
}

void SubmissionHistoryDialog::readFile(int file) {
    if (history_.files().at(file).reading != SubmissionFile::Reading::NotTried)
        return;
    for (const HistoryJob* job : std::as_const(jobs_)) {
        if (job->kind == HistoryWork::File && job->file == file)
            return;
    }
    auto* job = new HistoryJob;
    job->kind = HistoryWork::File;
    job->file = file;
    job->state->total = 1;
    const QString path = history_.filePath(file);
    job->run = [path, file](JobState& state) {
        HistoryWork work;
        work.kind = HistoryWork::File;
        work.file = file;
        work.status = SubmissionHistory::readFile(
            path, work.reading, [&state] { return !state.stop; }, &work.stopped);
        state.done = 1;
        return work;
    };
    startJob(job);
}

void SubmissionHistoryDialog::fileRead(HistoryWork& work) {
    if (work.stopped)
        return;
    const int before = history_.files().at(work.file).recordCount();
    if (history_.takeReading(work.file, work.status, work.reading) && !work.status)
        emit readFailed(work.status);
    fileModel_->fileRead(work.file);
    if (work.file == selectedFile())
        showSelectedFile(history_.files().at(work.file).recordCount() != before ||
                         !history_.files().at(work.file).isRead());
}

QTableView* SubmissionHistoryDialog::newTable() {
    // Rows of one height and no row headers, so that a long list costs no more than the rows on
    // the screen.
    auto* view = new QTableView;
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 2);
    view->horizontalHeader()->setHighlightSections(false);
    view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    view->setShowGrid(false);
    // Tab leaves the list, as in every other list of the program.
    view->setTabKeyNavigation(false);
    view->setItemDelegate(new PlainTextDelegate(view));
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

QString SubmissionHistoryDialog::shownName(int file) const {
    return SafeFile::displayName(history_.files().at(file).fileName);
}

int SubmissionHistoryDialog::selectedFile() const {
    const QModelIndex current = filesView_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

bool SubmissionHistoryDialog::searching() const {
    return !RecordFilter(filterBox_->text()).isEmpty();
}

void SubmissionHistoryDialog::fileSelected() {
    const int file = selectedFile();
    if (file >= 0)
        readFile(file);
    showSelectedFile(true);
}

void SubmissionHistoryDialog::showSelectedFile(bool rowsChanged) {
    const int file = selectedFile();
    const bool readable = file >= 0 && history_.files().at(file).isRead();
    printList_->setEnabled(readable);
    export_->setEnabled(readable);
    if (searching())
        return;
    const bool failed =
        file >= 0 && history_.files().at(file).reading == SubmissionFile::Reading::Failed;
    // The rows of a file not read through yet show at once, counted from its length; its count
    // and damage follow when the worker has read it.
    if (rowsChanged || showingFound_ || recordModel_->fileShown() != (failed ? -1 : file))
        recordModel_->showFile(failed ? -1 : file);
    showingFound_ = false;
    recordsView_->setColumnHidden(SubmittedRecordModel::Created, true);
    recordsView_->setColumnHidden(SubmittedRecordModel::File, true);
    if (file < 0)
        recordsLabel_->setText(QStringLiteral("&Records:"));
    else if (failed)
        recordsLabel_->setText(
            QStringLiteral("&Records in %1: the file could not be read").arg(shownName(file)));
    else if (history_.files().at(file).isDamaged())
        recordsLabel_->setText(QStringLiteral("&Records in %1 (%2):")
                                   .arg(shownName(file), history_.files().at(file).damage()));
    else
        recordsLabel_->setText(QStringLiteral("&Records in %1:").arg(shownName(file)));
}

void SubmissionHistoryDialog::filterChanged(const QString& typed) {
    // A new text replaces the search under way.
    ++searchNumber_;
    for (HistoryJob* job : std::as_const(jobs_)) {
        if (job->kind == HistoryWork::Search)
            job->state->stop = true;
    }
    showProgress();
    const RecordFilter filter(typed);
    if (filter.isEmpty()) {
        showSelectedFile(true);
        return;
    }
    if (!listed_)
        return;
    auto* job = new HistoryJob;
    job->kind = HistoryWork::Search;
    job->search = searchNumber_;
    job->state->total = int(history_.files().size());
    job->run = [history = history_, filter](JobState& state) mutable {
        HistoryWork work;
        work.kind = HistoryWork::Search;
        work.status = history.search(
            filter, work.found,
            [&state](int done, int total) {
                state.done = done;
                state.total = total;
                return !state.stop;
            },
            &work.stopped);
        work.history = std::move(history);
        return work;
    };
    startJob(job);
}

void SubmissionHistoryDialog::searched(HistoryWork& work, bool current) {
    // What any search read is kept, even one replaced by a newer text.
    const QList<FileStatus> failures = history_.takeReadings(work.history);
    if (!failures.isEmpty())
        emit readFailed(failures.first());
    fileModel_->fileRead(-1);
    if (current && !work.stopped && searching())
        showFound(work.found);
    showSelectedFile(false);
}

void SubmissionHistoryDialog::showFound(const QList<SubmittedRecord>& found) {
    showingFound_ = true;
    recordModel_->showRecords(found);
    recordsView_->setColumnHidden(SubmittedRecordModel::Created, false);
    recordsView_->setColumnHidden(SubmittedRecordModel::File, false);
    // A search that could not read every file whole says so.
    QStringList notWhole;
    if (const int unreadable = history_.unreadableCount(); unreadable > 0)
        notWhole << QStringLiteral("%1 of the files could not be read and %2 not searched")
                        .arg(unreadable)
                        .arg(QLatin1String(unreadable == 1 ? "was" : "were"));
    if (const int damaged = history_.damagedCount(); damaged > 0)
        notWhole << QStringLiteral("%1 of the files %2 damaged and searched only as far as %3 "
                                   "records could be read")
                        .arg(damaged)
                        .arg(QLatin1String(damaged == 1 ? "is" : "are"),
                             QLatin1String(damaged == 1 ? "its" : "their"));
    if (notWhole.isEmpty())
        recordsLabel_->setText(QStringLiteral("&Records found in all files: %1").arg(found.size()));
    else
        recordsLabel_->setText(QStringLiteral("&Records found: %1 (%2)")
                                   .arg(found.size())
                                   .arg(notWhole.join(QStringLiteral("; "))));
    if (!found.isEmpty())
        recordsView_->setCurrentIndex(recordModel_->index(0, 0));
}

void SubmissionHistoryDialog::foundRecordSelected(const QModelIndex& current) {
    if (!showingFound_ || !searching() || !current.isValid())
        return;
    filesView_->setCurrentIndex(fileModel_->index(recordModel_->recordAt(current.row()).file, 0));
}

bool SubmissionHistoryDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched != filterBox_ || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        // The keys move through the records found, or through the files.
        QKeyEvent forwarded(key->type(), key->key(), key->modifiers());
        QCoreApplication::sendEvent(searching() ? recordsView_ : filesView_, &forwarded);
        return true;
    }
    default:
        return QDialog::eventFilter(watched, event);
    }
}
