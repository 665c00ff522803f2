#pragma once

#include "storage/ResultRecord.h"
#include "window/records/RecordTableModel.h"

#include <QDialog>
#include <QList>

class QLineEdit;
class QModelIndex;
class QTreeView;
class RecordFilterProxy;

// "Find Record": a filter box over a table of the stored records. Typing filters at once; Up and
// Down move the selected row while the focus stays in the box; Enter or a double-click chooses
// the row, Esc closes without a choice.
class FindRecordDialog : public QDialog {
    Q_OBJECT
public:
    // prepared: RecordTableModel::prepare() of the records, made where they were read.
    FindRecordDialog(QList<ResultRecord> records, const QString& currentProviderCode,
                     RecordTableModel::Prepared prepared, QWidget* parent = nullptr);

    QLineEdit* filterBox() const { return filterBox_; }
    QTreeView* table() const { return table_; }
    RecordFilterProxy& rows() const { return *proxy_; }

signals:
    // After the dialog has closed: the operator chose this record.
    void recordChosen(int recordNumber);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void filterChanged(const QString& typed);
    void selectRow(int proxyRow);
    void choose(const QModelIndex& index);

    RecordTableModel* model_ = nullptr;
    RecordFilterProxy* proxy_ = nullptr;
    QLineEdit* filterBox_ = nullptr;
    QTreeView* table_ = nullptr;
};
