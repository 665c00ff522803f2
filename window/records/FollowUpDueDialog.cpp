#include "window/records/FollowUpDueDialog.h"

#include "window/widgets/BackgroundJob.h"
#include "window/widgets/ListWindowParts.h"
#include "window/widgets/PlainTextDelegate.h"
#include "window/widgets/SteppedTableModel.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace {

// The rows of the list as the table shows them: a row's texts are made for the rows drawn, the
// last one kept while its columns are drawn. The table is given the rows in steps.
class FollowUpModel : public SteppedTableModel {
public:
    explicit FollowUpModel(QObject* parent)
        : SteppedTableModel(parent), titles_(FollowUpRow::columnTitles()) {}

    // rows stays the dialog's, and lives as long as the model.
    void setRows(const FollowUpRows* rows) {
        beginResetModel();
        rows_ = rows;
        setTotalRows(rows->size());
        shownRow_ = -1;
        endResetModel();
    }

    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : int(titles_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || !rows_ || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return QVariant();
        const FollowUpRow& row = rowAt(index.row());
        if (role == Qt::DisplayRole)
            return row.values().value(index.column());
        return row.checkRecord ? row.problem : QVariant();
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QAbstractTableModel::headerData(section, orientation, role);
        return titles_.value(section);
    }

private:
    const FollowUpRow& rowAt(int i) const {
        if (i != shownRow_) {
            shown_ = rows_->at(i);
            shownRow_ = i;
        }
        return shown_;
    }

    const FollowUpRows* rows_ = nullptr;
    QStringList titles_;
    mutable int shownRow_ = -1;
    mutable FollowUpRow shown_;
};

} // namespace

FollowUpDueDialog::FollowUpDueDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Follow-Up Due"));
    resize(860, 480);
    summary_ = new QLabel(QStringLiteral("Reading submission files..."));
    files_ = new QLabel;
    files_->setWordWrap(true);
    files_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    files_->setVisible(false);

    // Rows of one height and no row headers, as in the other lists of the program.
    table_ = new QTableView;
    table_->setModel(new FollowUpModel(this));
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 2);
    table_->horizontalHeader()->setHighlightSections(false);
    table_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table_->setShowGrid(false);
    table_->setTabKeyNavigation(false);
    table_->setItemDelegate(new PlainTextDelegate(table_));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    const int widths[] = {105, 80, 85, 215, 135, 80};
    for (int column = 0; column < int(std::size(widths)); ++column)
        table_->setColumnWidth(column, widths[column]);
    table_->horizontalHeader()->setStretchLastSection(true);
    auto* tableLabel = new QLabel(QStringLiteral("&Children due:"));
    tableLabel->setBuddy(table_);
    table_->setAccessibleName(QStringLiteral("Children due"));

    printList_ = newListButton(QStringLiteral("&Print List"));
    export_ = newListButton(QStringLiteral("&Export to CSV..."));
    QPushButton* close = newListButton(QStringLiteral("Close"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(files_);
    layout->addWidget(tableLabel);
    layout->addWidget(table_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(printList_);
    buttons->addWidget(export_);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(new RowChoosing(*table_), &RowChoosing::chosen, this, &FollowUpDueDialog::choose);
    connect(printList_, &QPushButton::clicked, this, &FollowUpDueDialog::printListRequested);
    connect(export_, &QPushButton::clicked, this, &FollowUpDueDialog::exportRequested);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    printList_->setEnabled(false);
    export_->setEnabled(false);
    table_->setFocus();
}

FollowUpDueDialog::~FollowUpDueDialog() {
    stopWork();
}

void FollowUpDueDialog::stopWork() {
    if (work_)
        work_->letGo();
}

void FollowUpDueDialog::done(int result) {
    stopWork();
    QDialog::done(result);
}

QString FollowUpDueDialog::progressText(int done, int total) {
    return QStringLiteral("Reading submission files: %1 of %2").arg(done).arg(total);
}

void FollowUpDueDialog::showProgress(int done, int total) {
    if (!filled_)
        summary_->setText(progressText(done, total));
}

void FollowUpDueDialog::setList(FollowUpRows rows, const QString& summary,
                                const QStringList& fileLines) {
    rows_ = std::move(rows);
    fileLines_ = fileLines;
    filled_ = true;
    summary_->setText(summary);
    files_->setText(fileLines.join(QLatin1Char('\n')));
    files_->setVisible(!fileLines.isEmpty());
    static_cast<FollowUpModel*>(table_->model())->setRows(&rows_);
    if (!rows_.isEmpty())
        table_->setCurrentIndex(table_->model()->index(0, 0));
    printList_->setEnabled(true);
    export_->setEnabled(true);
}

void FollowUpDueDialog::choose(const QModelIndex& index) {
    if (!index.isValid())
        return;
    const FollowUpRow row = rows_.at(index.row());
    // A row that could not be read back names no record; its Status says to check it.
    if (row.recordNumber < 1)
        return;
    if (!row.submissionFile.isEmpty()) {
        emit sentRecordChosen(row);
        return;
    }
    accept();
    emit recordChosen(row.recordNumber);
}
