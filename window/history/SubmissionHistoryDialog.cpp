#include "window/history/SubmissionHistoryDialog.h"

#include "storage/SafeFile.h"
#include "window/history/SubmissionHistoryModels.h"
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
#include <QVBoxLayout>

#include <iterator>

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

QPushButton* newButton(const QString& caption) {
    auto* button = new QPushButton(caption);
    // Enter in the filter box must never press a button.
    button->setAutoDefault(false);
    QString name = caption;
    name.remove(QLatin1Char('&'));
    name.remove(QStringLiteral("..."));
    button->setAccessibleName(name);
    return button;
}

} // namespace

SubmissionHistoryDialog::SubmissionHistoryDialog(SubmissionHistory history, QWidget* parent)
    : QDialog(parent), history_(std::move(history)) {
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
    QStringList otherNames;
    for (const QString& name : history_.otherFiles())
        otherNames.append(SafeFile::displayName(name));
    otherView_->setModel(new QStringListModel(otherNames, this));
    otherView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    otherView_->setUniformItemSizes(true);
    otherView_->setMaximumHeight(70);
    recordsView_ = newTable();
    recordsView_->setModel(recordModel_);
    const int recordWidths[] = {40, 115, 95, 90, 85, 50, 120};
    for (int column = 0; column < int(std::size(recordWidths)); ++column)
        recordsView_->setColumnWidth(column, recordWidths[column]);
    printList_ = newButton(QStringLiteral("&Print List"));
    export_ = newButton(QStringLiteral("&Export to CSV..."));
    QPushButton* close = newButton(QStringLiteral("Close"));

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
    otherLabel_->setVisible(!history_.otherFiles().isEmpty());
    otherView_->setVisible(!history_.otherFiles().isEmpty());
    recordsLabel_ = labelFor(QStringLiteral("&Records:"), recordsView_);
    layout->addWidget(recordsLabel_);
    layout->addWidget(recordsView_, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(printList_);
    buttons->addWidget(export_);
    buttons->addStretch();
    buttons->addWidget(close);
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

    if (fileModel_->rowCount() > 0)
        filesView_->setCurrentIndex(fileModel_->index(0, 0));
    fileSelected();
    filterBox_->setFocus();
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
    if (file >= 0) {
        if (const FileStatus status = history_.read(file); !status)
            emit readFailed(status);
    }
    const bool readable = file >= 0 && history_.files().at(file).isRead();
    printList_->setEnabled(readable);
    export_->setEnabled(readable);
    if (searching())
        return;
    recordModel_->showFile(readable ? file : -1);
    recordsView_->setColumnHidden(SubmittedRecordModel::Created, true);
    recordsView_->setColumnHidden(SubmittedRecordModel::File, true);
    if (file < 0)
        recordsLabel_->setText(QStringLiteral("&Records:"));
    else if (!readable)
        recordsLabel_->setText(
            QStringLiteral("&Records in %1: the file could not be read").arg(shownName(file)));
    else if (history_.files().at(file).isDamaged())
        recordsLabel_->setText(
            QStringLiteral("&Records in %1 (%2):")
                .arg(shownName(file), history_.files().at(file).content.damage()));
    else
        recordsLabel_->setText(QStringLiteral("&Records in %1:").arg(shownName(file)));
}

void SubmissionHistoryDialog::filterChanged(const QString& typed) {
    const RecordFilter filter(typed);
    if (filter.isEmpty()) {
        fileSelected();
        return;
    }
    // The first search reads every file not read yet.
    if (const FileStatus status = history_.readAll(); !status)
        emit readFailed(status);
    recordModel_->showRecords(history_.search(filter));
    recordsView_->setColumnHidden(SubmittedRecordModel::Created, false);
    recordsView_->setColumnHidden(SubmittedRecordModel::File, false);
    const int found = recordModel_->rowCount();
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
        recordsLabel_->setText(QStringLiteral("&Records found in all files: %1").arg(found));
    else
        recordsLabel_->setText(QStringLiteral("&Records found: %1 (%2)")
                                   .arg(found)
                                   .arg(notWhole.join(QStringLiteral("; "))));
    if (found > 0)
        recordsView_->setCurrentIndex(recordModel_->index(0, 0));
}

void SubmissionHistoryDialog::foundRecordSelected(const QModelIndex& current) {
    if (!searching() || !current.isValid())
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
