#include "submission/DuplicateIndex.h"

#include "storage/RecordFile.h"
#include "storage/SafeFile.h"
#include "storage/StoredRecords.h"
#include "submission/SubmissionFolder.h"
#include "validation/DuplicateRule.h"
#include "validation/RecordList.h"

#include <QDir>

namespace {

constexpr int kFilesNamed = 5;

// "1 file could not be read" / "2 files could not be read"
QString files(qsizetype count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

void appendNamed(QStringList& lines, const QStringList& named) {
    lines += named.mid(0, kFilesNamed);
    if (named.size() > kFilesNamed)
        lines << QStringLiteral("and %1 more").arg(named.size() - kFilesNamed);
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
    // A folder that cannot be listed is kept in unreadableFiles() and listed again next time.
    if (!sentKnown_)
        loadSubmissionFolder(submitFolder);
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
    unreadable_.clear();
    damaged_.clear();
    QStringList names;
    if (FileStatus status = listSubmissionFiles(folder, names); !status) {
        unreadable_.append(status);
        return status;
    }
    const QDir dir(folder);
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        RecordFile file;
        if (FileStatus status = RecordFile::read(path, file); !status) {
            unreadable_.append(status);
            continue;
        }
        if (!file.isWhole())
            damaged_.append(QStringLiteral("%1 (%2)").arg(
                QDir::toNativeSeparators(SafeFile::displayName(path)), file.damage()));
        for (int n = 1; n <= file.recordCount(); ++n) {
            using F = ResultRecord;
            DuplicateMatch match;
            match.submissionFile = name;
            match.lastName = file.field(n, F::LastName);
            match.firstName = file.field(n, F::FirstName);
            match.dateOfBirth = file.field(n, F::DateOfBirth);
            match.dateTaken = file.field(n, F::DateTaken);
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

QStringList DuplicateIndex::notCheckedLines(const QList<FileStatus>& unreadable,
                                            const QStringList& damaged) {
    QStringList lines;
    if (!unreadable.isEmpty()) {
        lines << files(unreadable.size(), "file could not be read and was not checked:",
                       "files could not be read and were not checked:");
        QStringList named;
        for (const FileStatus& status : unreadable)
            named << QStringLiteral("%1 (%2)").arg(
                QDir::toNativeSeparators(SafeFile::displayName(status.path())), status.reason());
        appendNamed(lines, named);
    }
    if (!damaged.isEmpty()) {
        lines << files(damaged.size(),
                       "file is damaged and was checked as far as its records could be read:",
                       "files are damaged and were checked as far as their records could be "
                       "read:");
        appendNamed(lines, damaged);
    }
    return lines;
}

std::optional<DuplicateMatch> DuplicateIndex::find(const ResultRecord& record,
                                                   int ownNumber) const {
    const QString key = DuplicateRule::duplicateKey(record);
    if (key.isEmpty())
        return std::nullopt;
    for (const Entry& entry : stored_) {
        if (storedKnown_ && entry.match.recordNumber != ownNumber && entry.key == key)
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

void DuplicateIndex::recordsAppended(int, int) {
    storedKnown_ = false;
}

QString DuplicateIndex::possibleDuplicateMessage(const DuplicateMatch& match) {
    const QString other = match.recordNumber > 0
                              ? QStringLiteral("Record %1 of the data file").arg(match.recordNumber)
                              : QStringLiteral("A record already sent in %1")
                                    .arg(SafeFile::displayName(match.submissionFile));
    return QStringLiteral("%1 has the same patient and dates as the record just saved:\r\n"
                          "%2, %3, born %4, sample taken %5.\r\n\r\n"
                          "If it is the same result, delete the new record with Delete.")
        .arg(other, match.lastName, match.firstName, RecordList::displayDate(match.dateOfBirth),
             RecordList::displayDate(match.dateTaken));
}
