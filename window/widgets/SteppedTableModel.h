#pragma once

#include <QAbstractTableModel>

// A table model that gives its view the rows of a long list in steps: RowsAtOnce at first, as
// many more each time the view is scrolled to its end (canFetchMore()/fetchMore()). A table view
// keeps a little for each row it has, and millions given at once would hold the window for a
// good part of a second.
class SteppedTableModel : public QAbstractTableModel {
public:
    static constexpr int RowsAtOnce = 50000;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

protected:
    // Between beginResetModel() and endResetModel(): the list now has total rows.
    void setTotalRows(int total);

private:
    int total_ = 0;
    int given_ = 0;
};
