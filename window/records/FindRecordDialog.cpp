#include "window/records/FindRecordDialog.h"

#include "window/records/RecordTableModel.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QVBoxLayout>

#include <iterator>

FindRecordDialog::FindRecordDialog(QList<ResultRecord> records, const QString& currentProviderCode,
                                   RecordTableModel::Prepared prepared, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Find Record"));
    resize(700, 440);
    model_ =
        new RecordTableModel(std::move(records), currentProviderCode, std::move(prepared), this);
    proxy_ = new RecordFilterProxy(*model_, this);

    filterBox_ = new QLineEdit;
    filterBox_->setPlaceholderText(QStringLiteral("Last or first name, or a date"));
    auto* label = new QLabel(QStringLiteral("F&ind:"));
    label->setBuddy(filterBox_);
    filterBox_->setAccessibleName(QStringLiteral("Find"));
    // A list view of the table's columns: rows of one height and no row header, so that ten
    // thousand rows cost no more than the few on the screen.
    table_ = new QTreeView;
    table_->setModel(proxy_);
    table_->setAccessibleName(QStringLiteral("Records"));
    table_->setRootIsDecorated(false);
    table_->setItemsExpandable(false);
    table_->setUniformRowHeights(true);
    table_->setAllColumnsShowFocus(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    // Fixed widths: measuring every row's contents would read all of them.
    const int widths[] = {45, 130, 100, 100, 95, 55};
    for (int column = 0; column < int(std::size(widths)); ++column)
        table_->setColumnWidth(column, widths[column]);
    table_->header()->setStretchLastSection(true);
    table_->setSortingEnabled(true);
    table_->sortByColumn(RecordTableModel::Number, Qt::AscendingOrder);

    auto* layout = new QVBoxLayout(this);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(label);
    filterRow->addWidget(filterBox_);
    layout->addLayout(filterRow);
    layout->addWidget(table_);

    connect(filterBox_, &QLineEdit::textChanged, this, &FindRecordDialog::filterChanged);
    connect(table_, &QTreeView::doubleClicked, this, &FindRecordDialog::choose);
    filterBox_->installEventFilter(this);
    table_->installEventFilter(this);
    selectRow(0);
    filterBox_->setFocus();
}

void FindRecordDialog::filterChanged(const QString& typed) {
    proxy_->setFilterText(typed);
    selectRow(0);
}

void FindRecordDialog::selectRow(int proxyRow) {
    if (proxyRow < proxy_->rowCount())
        table_->setCurrentIndex(proxy_->index(proxyRow, 0));
}

void FindRecordDialog::choose(const QModelIndex& index) {
    if (!index.isValid())
        return;
    const int number = proxy_->recordNumber(index.row());
    accept();
    emit recordChosen(number);
}

bool FindRecordDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        choose(table_->currentIndex());
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (watched == filterBox_) {
            QKeyEvent forwarded(key->type(), key->key(), key->modifiers());
            QCoreApplication::sendEvent(table_, &forwarded);
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}
