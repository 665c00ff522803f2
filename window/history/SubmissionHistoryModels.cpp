#include "window/history/SubmissionHistoryModels.h"

#include "storage/SafeFile.h"
#include "validation/RecordList.h"

SubmissionFileModel::SubmissionFileModel(const SubmissionHistory& history, QObject* parent)
    : QAbstractTableModel(parent), history_(history) {}

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

SubmittedRecordModel::SubmittedRecordModel(const SubmissionHistory& history, QObject* parent)
    : QAbstractTableModel(parent), history_(history) {}

void SubmittedRecordModel::showRecords(QList<SubmittedRecord> records) {
    beginResetModel();
    records_ = std::move(records);
    texts_ = QVector<QStringList>(records_.size());
    endResetModel();
}

void SubmittedRecordModel::showFile(int file) {
    QList<SubmittedRecord> records;
    if (file >= 0 && file < history_.files().size()) {
        const int count = history_.files().at(file).recordCount();
        records.reserve(count);
        for (int n = 1; n <= count; ++n)
            records.append({file, n});
    }
    showRecords(std::move(records));
}

const QStringList& SubmittedRecordModel::texts(int row) const {
    QStringList& texts = texts_[row];
    if (texts.isEmpty()) {
        using F = ResultRecord;
        const SubmittedRecord& place = records_.at(row);
        const SubmissionFile& file = history_.files().at(place.file);
        const ResultRecord record = file.record(place.number);
        texts = QStringList{QString::number(place.number),
                            record.trimmed(F::LastName),
                            record.trimmed(F::FirstName),
                            RecordList::displayDate(record.trimmed(F::DateOfBirth)),
                            RecordList::displayDate(record.trimmed(F::DateTaken)),
                            RecordList::displayResult(record),
                            SubmissionName::createdText(file.name),
                            SafeFile::displayName(file.fileName)};
    }
    return texts;
}

int SubmittedRecordModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(records_.size());
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
