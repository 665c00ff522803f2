#include "window/widgets/SteppedTableModel.h"

#include <algorithm>

int SteppedTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : given_;
}

bool SteppedTableModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && given_ < total_;
}

void SteppedTableModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent))
        return;
    const int more = std::min(total_ - given_, RowsAtOnce);
    beginInsertRows(QModelIndex(), given_, given_ + more - 1);
    given_ += more;
    endInsertRows();
}

void SteppedTableModel::setTotalRows(int total) {
    total_ = std::max(total, 0);
    given_ = std::min(total_, RowsAtOnce);
}
