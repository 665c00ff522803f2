#include "window/records/RecordTableModel.h"

RecordTableModel::Prepared RecordTableModel::prepare(const QList<ResultRecord>& records,
                                                     const QString& currentProviderCode) {
    Prepared prepared;
    prepared.keys.reserve(records.size());
    prepared.rows.reserve(records.size());
    for (qsizetype i = 0; i < records.size(); ++i) {
        prepared.keys.append(RecordList::recordSearchKeys(records.at(i)));
        prepared.rows.append(
            RecordList::recordListRow(int(i) + 1, records.at(i), currentProviderCode));
    }
    return prepared;
}

RecordTableModel::RecordTableModel(QList<ResultRecord> records, QString currentProviderCode,
                                   Prepared prepared, QObject* parent)
    : QAbstractTableModel(parent), records_(std::move(records)),
      currentProviderCode_(std::move(currentProviderCode)) {
    if (prepared.keys.size() == records_.size() && prepared.rows.size() == records_.size()) {
        keys_ = std::move(prepared.keys);
        rows_ = std::move(prepared.rows);
        return;
    }
    rows_.resize(records_.size());
    keys_.reserve(records_.size());
    for (const ResultRecord& record : records_)
        keys_.append(RecordList::recordSearchKeys(record));
}

const RecordListRow& RecordTableModel::row(int sourceRow) const {
    RecordListRow& row = rows_[sourceRow];
    if (row.number == 0)
        row =
            RecordList::recordListRow(sourceRow + 1, records_.at(sourceRow), currentProviderCode_);
    return row;
}

int RecordTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int RecordTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole)
        return QVariant();
    const RecordListRow& r = row(index.row());
    switch (index.column()) {
    case Number:
        return r.number;
    case LastName:
        return r.lastName;
    case FirstName:
        return r.firstName;
    case DateOfBirth:
        return r.dateOfBirth;
    case DateTaken:
        return r.dateTaken;
    case Result:
        return r.result;
    case Status:
        return r.status;
    default:
        return QVariant();
    }
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const QStringList titles = RecordList::columnTitles() + QStringList{"Status"};
    return section >= 0 && section < ColumnCount ? titles.at(section) : QVariant();
}

RecordFilterProxy::RecordFilterProxy(RecordTableModel& records, QObject* parent)
    : QSortFilterProxyModel(parent), records_(records) {
    setSourceModel(&records);
}

void RecordFilterProxy::setFilterText(const QString& typed) {
    filter_ = RecordFilter(typed);
    invalidateFilter();
}

int RecordFilterProxy::recordNumber(int proxyRow) const {
    const QModelIndex source = mapToSource(index(proxyRow, 0));
    return source.isValid() ? source.row() + 1 : 0;
}

bool RecordFilterProxy::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    return filter_.accepts(records_.keys(sourceRow));
}

bool RecordFilterProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    if (left.column() == RecordTableModel::Number)
        return left.row() < right.row();
    const RecordListRow& a = records_.row(left.row());
    const RecordListRow& b = records_.row(right.row());
    auto byText = [&](const QString& x, const QString& y) {
        const int order = x.compare(y);
        return order != 0 ? order < 0 : a.number < b.number;
    };
    switch (left.column()) {
    case RecordTableModel::LastName:
        return byText(a.keys.foldedLastName, b.keys.foldedLastName);
    case RecordTableModel::FirstName:
        return byText(a.keys.foldedFirstName, b.keys.foldedFirstName);
    case RecordTableModel::DateOfBirth:
        return byText(a.dateOfBirthOrder, b.dateOfBirthOrder);
    case RecordTableModel::DateTaken:
        return byText(a.dateTakenOrder, b.dateTakenOrder);
    case RecordTableModel::Result:
        return a.resultOrder != b.resultOrder ? a.resultOrder < b.resultOrder : a.number < b.number;
    case RecordTableModel::Status:
        return byText(a.status, b.status);
    default:
        return a.number < b.number;
    }
}
