#include "window/history/SubmissionHistoryModels.h"

#include "storage/SafeFile.h"
#include "validation/RecordList.h"

#include <algorithm>

SubmissionFileModel::SubmissionFileModel(const SubmissionHistory& history, QObject* parent)
    : QAbstractTableModel(parent), history_(history) {}

void SubmissionFileModel::reset() {
    beginResetModel();
    endResetModel();
}

void SubmissionFileModel::fileRead(int file) {
    if (file >= 0)
        emit dataChanged(index(file, Records), index(file, Records));
    else if (rowCount() > 0)
        emit dataChanged(index(0, Records), index(rowCount() - 1, Records));
}

int SubmissionFileModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(history_.files().size());
}

int SubmissionFileModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SubmissionFileModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole)
        return QVariant();
    const SubmissionFile& file = history_.files().at(index.row());
    switch (index.column()) {
    case Created:
        return SubmissionName::createdText(file.name);
    case Counter:
        return QString::number(file.name.counter);
    case Provider:
        return file.name.providerCode;
    case Records:
        return file.recordCount();
    case File:
        return SafeFile::displayName(file.fileName);
    default:
        return QVariant();
    }
}

QVariant SubmissionFileModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const titles[ColumnCount] = {"Created", "No.", "Provider", "Records",
                                                    "File"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section])
                                                 : QVariant();
}

namespace {

// Records read in one positioned read: more than a screenful.
constexpr int kPageRecords = 64;
// Row texts kept: a few screenfuls.
constexpr int kKeptRows = 8 * kPageRecords;

} // namespace

SubmittedRecordModel::SubmittedRecordModel(const SubmissionHistory& history, QObject* parent)
    : SteppedTableModel(parent), history_(history) {}

void SubmittedRecordModel::showRecords(QList<SubmittedRecord> records) {
    beginResetModel();
    records_ = std::move(records);
    fileShown_ = -1;
    setTotalRows(int(records_.size()));
    texts_.clear();
    endResetModel();
}

void SubmittedRecordModel::showFile(int file) {
    beginResetModel();
    records_.clear();
    texts_.clear();
    const bool shown = file >= 0 && file < history_.files().size();
    fileShown_ = shown ? file : -1;
    setTotalRows(shown ? history_.files().at(file).recordCount() : 0);
    endResetModel();
}

SubmittedRecord SubmittedRecordModel::recordAt(int row) const {
    return fileShown_ >= 0 ? SubmittedRecord{fileShown_, row + 1} : records_.at(row);
}

void SubmittedRecordModel::readAround(int row) const {
    if (texts_.size() >= kKeptRows)
        texts_.clear();
    const SubmittedRecord place = recordAt(row);
    const int first = (place.number - 1) / kPageRecords * kPageRecords + 1;
    QList<ResultRecord> page;
    history_.readRecords(place.file, first, kPageRecords, page);
    const SubmissionFile& file = history_.files().at(place.file);
    const QString created = SubmissionName::createdText(file.name);
    const QString shownName = SafeFile::displayName(file.fileName);
    // The rows near this one that show a record of the page read.
    const int from = std::max(0, row - kPageRecords);
    const int to = std::min(rowCount() - 1, row + kPageRecords);
    for (int r = from; r <= to; ++r) {
        const SubmittedRecord other = recordAt(r);
        if (other.file != place.file || other.number < first || texts_.contains(r))
            continue;
        const int at = other.number - first;
        if (at >= kPageRecords)
            continue;
        QStringList texts{QString::number(other.number)};
        if (at < page.size()) {
            using F = ResultRecord;
            const ResultRecord& record = page.at(at);
            texts << record.trimmed(F::LastName) << record.trimmed(F::FirstName)
                  << RecordList::displayDate(record.trimmed(F::DateOfBirth))
                  << RecordList::displayDate(record.trimmed(F::DateTaken))
                  << RecordList::displayResult(record);
        } else {
            texts << QString() << QString() << QString() << QString() << QString();
        }
        texts << created << shownName;
        texts_.insert(r, texts);
    }
}

const QStringList& SubmittedRecordModel::texts(int row) const {
    auto found = texts_.constFind(row);
    if (found == texts_.constEnd()) {
        readAround(row);
        found = texts_.constFind(row);
    }
    return *found;
}

int SubmittedRecordModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SubmittedRecordModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole || index.column() >= ColumnCount)
        return QVariant();
    return texts(index.row()).at(index.column());
}

QVariant SubmittedRecordModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const QStringList titles = RecordList::columnTitles() + QStringList{"Created", "File"};
    return section >= 0 && section < ColumnCount ? titles.at(section) : QVariant();
}
