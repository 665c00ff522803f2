#include "submission/DuplicateIndex.h"

#include "storage/SafeFile.h"
#include "storage/StoredRecords.h"
#include "storage/TextValue.h"
#include "storage/Windows1252.h"
#include "submission/SubmissionFolder.h"
#include "validation/DuplicateRule.h"
#include "validation/RecordList.h"

#include <QDir>

namespace {

QString fieldOf(const QByteArray& bytes, qsizetype recordStart, ResultRecord::Field field) {
    return TextValue::trimBlanks(Windows1252::decode(
        bytes.mid(recordStart + ResultRecord::offset(field), ResultRecord::width(field))));
}

// The submission files in folder, sorted by name.
FileStatus listSubmissionFiles(const QString& folder, QStringList& names) {
    QList<SubmissionFolder::ListedFile> listed;
    if (FileStatus status = SubmissionFolder::list(folder, listed); !status)
        return status;
    names.clear();
    for (const SubmissionFolder::ListedFile& file : listed)
        names.append(file.fileName);
    names.sort();
    return FileStatus::success();
}

} // namespace

DuplicateIndex::Entry DuplicateIndex::entryFor(const ResultRecord& record) {
    using F = ResultRecord;
    Entry entry;
    entry.key = DuplicateRule::duplicateKey(record);
    if (entry.key.isEmpty())
        return entry;
    entry.match.lastName = record.trimmed(F::LastName);
    entry.match.firstName = record.trimmed(F::FirstName);
    entry.match.dateOfBirth = record.trimmed(F::DateOfBirth);
    entry.match.dateTaken = record.trimmed(F::DateTaken);
    return entry;
}

FileStatus DuplicateIndex::bringUpToDate(const RecordStore& store, const QString& submitFolder) {
    if (!sentKnown_) {
        if (FileStatus status = loadSubmissionFolder(submitFolder); !status)
            return status;
    }
    int stored = 0;
    if (FileStatus counted = store.count(stored); !counted) {
        storedKnown_ = false;
        return counted;
    }
    if (storedKnown_ && storedCount() == stored)
        return FileStatus::success();
    QList<ResultRecord> records;
    FileStatus status = StoredRecords::readAll(store, records);
    if (!status) {
        storedKnown_ = false;
        return status;
    }
    setStoredRecords(records);
    return status;
}

void DuplicateIndex::setStoredRecords(const QList<ResultRecord>& records) {
    stored_.clear();
    stored_.reserve(records.size());
    for (int i = 0; i < records.size(); ++i) {
        stored_.append(entryFor(records.at(i)));
        stored_.last().match.recordNumber = i + 1;
    }
    storedKnown_ = true;
}

FileStatus DuplicateIndex::loadSubmissionFolder(const QString& folder) {
    sent_.clear();
    sentCount_ = 0;
    sentKnown_ = false;
    QStringList names;
    if (FileStatus status = listSubmissionFiles(folder, names); !status)
        return status;
    const QDir dir(folder);
    for (const QString& name : names) {
        QByteArray bytes;
        if (FileStatus status = SafeFile::readPrefix(dir.filePath(name), bytes); !status)
            return status;
        const int records = RecordStore::countForLength(bytes.size());
        for (int i = 0; i < records; ++i) {
            using F = ResultRecord;
            const qsizetype start = qsizetype(i) * ResultRecord::Size;
            DuplicateMatch match;
            match.submissionFile = name;
            match.lastName = fieldOf(bytes, start, F::LastName);
            match.firstName = fieldOf(bytes, start, F::FirstName);
            match.dateOfBirth = fieldOf(bytes, start, F::DateOfBirth);
            match.dateTaken = fieldOf(bytes, start, F::DateTaken);
            const QString key = DuplicateRule::duplicateKey(match.lastName, match.firstName,
                                                            match.dateOfBirth, match.dateTaken);
            ++sentCount_;
            if (!key.isEmpty() && !sent_.contains(key))
                sent_.insert(key, match);
        }
    }
    sentKnown_ = true;
    return FileStatus::success();
}

std::optional<DuplicateMatch> DuplicateIndex::find(const ResultRecord& record,
                                                   int ownNumber) const {
    const QString key = DuplicateRule::duplicateKey(record);
    if (key.isEmpty())
        return std::nullopt;
    for (const Entry& entry : stored_) {
        if (entry.match.recordNumber != ownNumber && entry.key == key)
            return entry.match;
    }
    return findSent(key);
}

std::optional<DuplicateMatch> DuplicateIndex::findSent(const QString& key) const {
    const auto found = sent_.constFind(key);
    if (key.isEmpty() || found == sent_.constEnd())
        return std::nullopt;
    return *found;
}

void DuplicateIndex::recordWritten(int n, const ResultRecord& record) {
    if (!storedKnown_ || n < 1)
        return;
    // Records written beyond the end leave blank records before them, which match nothing.
    while (stored_.size() < n) {
        stored_.append(Entry());
        stored_.last().match.recordNumber = int(stored_.size());
    }
    stored_[n - 1] = entryFor(record);
    stored_[n - 1].match.recordNumber = n;
}

void DuplicateIndex::recordRemoved(int k) {
    if (!storedKnown_ || k < 1 || k > stored_.size())
        return;
    stored_.remove(k - 1);
    for (qsizetype i = k - 1; i < stored_.size(); ++i)
        stored_[i].match.recordNumber = int(i + 1);
}

QString DuplicateIndex::possibleDuplicateMessage(const DuplicateMatch& match) {
    const QString other =
        match.recordNumber > 0
            ? QStringLiteral("Record %1 of the data file").arg(match.recordNumber)
            : QStringLiteral("A record already sent in %1").arg(match.submissionFile);
    return QStringLiteral("%1 has the same patient and dates as the record just saved:\r\n"
                          "%2, %3, born %4, sample taken %5.\r\n\r\n"
                          "If it is the same result, delete the new record with Delete.")
        .arg(other, match.lastName, match.firstName, RecordList::displayDate(match.dateOfBirth),
             RecordList::displayDate(match.dateTaken));
}
