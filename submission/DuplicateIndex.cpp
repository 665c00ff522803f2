#include "submission/DuplicateIndex.h"

#include "storage/RecordFile.h"
#include "storage/RecordStream.h"
#include "storage/SafeFile.h"
#include "storage/StoredRecords.h"
#include "submission/SubmissionFolder.h"
#include "validation/DuplicateRule.h"
#include "validation/RecordList.h"

#include <QDir>
#include <QHashFunctions>

#include <algorithm>

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

// Places kept ahead of the reading at most: a larger folder grows the list as it is read.
constexpr qint64 kMostReserved = qint64(1) << 23;

// The submission files in folder, sorted by name, with their lengths when listed.
FileStatus listSubmissionFiles(const QString& folder, QList<SubmissionFolder::ListedFile>& files) {
    if (FileStatus status = SubmissionFolder::list(folder, files); !status)
        return status;
    std::sort(files.begin(), files.end(),
              [](const SubmissionFolder::ListedFile& a, const SubmissionFolder::ListedFile& b) {
                  return a.fileName < b.fileName;
              });
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

quint64 SentRecords::keyHash(const QString& key) {
    return quint64(qHashBits(key.constData(), size_t(key.size()) * sizeof(QChar), 0x4b6f7276));
}

bool SentRecords::Place::operator<(const Place& other) const {
    if (hashHigh != other.hashHigh)
        return hashHigh < other.hashHigh;
    if (hashLow != other.hashLow)
        return hashLow < other.hashLow;
    return ordinal < other.ordinal;
}

SentRecords SentRecords::read(const QString& folder, const Progress& progress, KeyHash hash) {
    SentRecords sent;
    sent.folder_ = folder;
    sent.hash_ = hash;
    QList<SubmissionFolder::ListedFile> listed;
    if (FileStatus status = listSubmissionFiles(folder, listed); !status) {
        sent.listing_ = status;
        sent.unreadable_.append(status);
        return sent;
    }
    const int total = int(listed.size());
    qint64 expected = 0;
    for (const SubmissionFolder::ListedFile& file : listed)
        expected += RecordStore::countForLength(file.length);
    sent.places_.reserve(size_t(qMin(expected, kMostReserved)));
    if (progress && !progress(0, total))
        return SentRecords();
    for (int done = 0; done < total; ++done) {
        sent.readFile(listed.at(done).fileName, progress, done, total);
        if (sent.stopped_ || (progress && !progress(done + 1, total)))
            return SentRecords();
    }
    std::sort(sent.places_.begin(), sent.places_.end());
    if (sent.places_.capacity() > 2 * sent.places_.size())
        sent.places_.shrink_to_fit();
    sent.complete_ = true;
    return sent;
}

void SentRecords::readFile(const QString& name, const Progress& progress, int done, int total) {
    const QString path = QDir(folder_).filePath(name);
    // A file that fails part-way adds nothing, as a file that cannot be read at all.
    const size_t placesBefore = places_.size();
    const quint32 firstOrdinal = nextOrdinal_;
    RecordStream stream;
    RecordFile piece;
    int first = 0;
    if (stream.open(path)) {
        while (stream.next(piece, first)) {
            for (int n = 1; n <= piece.recordCount(); ++n) {
                using F = ResultRecord;
                const QString key = DuplicateRule::duplicateKey(
                    piece.field(n, F::LastName), piece.field(n, F::FirstName),
                    piece.field(n, F::DateOfBirth), piece.field(n, F::DateTaken));
                if (!key.isEmpty()) {
                    const quint64 h = hash_(key);
                    places_.push_back(
                        {quint32(h >> 32), quint32(h), firstOrdinal + quint32(first + n - 2)});
                }
            }
            if (progress && !progress(done, total)) {
                stopped_ = true;
                return;
            }
        }
    }
    if (!stream.status()) {
        places_.resize(placesBefore);
        unreadable_.append(stream.status());
        return;
    }
    files_.append({name, firstOrdinal});
    nextOrdinal_ += quint32(stream.recordCount());
    recordCount_ += stream.recordCount();
    if (!stream.isWhole())
        damaged_.append(QStringLiteral("%1 (%2)").arg(
            QDir::toNativeSeparators(SafeFile::displayName(path)), stream.damage()));
}

std::optional<DuplicateMatch> SentRecords::find(const QString& key) const {
    if (key.isEmpty())
        return std::nullopt;
    const quint64 h = hash_(key);
    Place wanted{quint32(h >> 32), quint32(h), 0};
    for (auto at = std::lower_bound(places_.begin(), places_.end(), wanted);
         at != places_.end() && at->hashHigh == wanted.hashHigh && at->hashLow == wanted.hashLow;
         ++at) {
        if (std::optional<DuplicateMatch> match = matchAt(at->ordinal, key))
            return match;
    }
    return std::nullopt;
}

std::optional<DuplicateMatch> SentRecords::matchAt(quint32 ordinal, const QString& key) const {
    const auto after =
        std::upper_bound(files_.begin(), files_.end(), ordinal,
                         [](quint32 value, const File& file) { return value < file.firstOrdinal; });
    if (after == files_.begin())
        return std::nullopt;
    const File& file = *(after - 1);
    RecordStream stream;
    ResultRecord record;
    if (!stream.open(QDir(folder_).filePath(file.name)) ||
        !stream.readRecord(int(ordinal - file.firstOrdinal) + 1, record))
        return std::nullopt;
    using F = ResultRecord;
    DuplicateMatch match;
    match.submissionFile = file.name;
    match.lastName = record.trimmed(F::LastName);
    match.firstName = record.trimmed(F::FirstName);
    match.dateOfBirth = record.trimmed(F::DateOfBirth);
    match.dateTaken = record.trimmed(F::DateTaken);
    if (DuplicateRule::duplicateKey(match.lastName, match.firstName, match.dateOfBirth,
                                    match.dateTaken) != key)
        return std::nullopt;
    return match;
}

FileStatus DuplicateIndex::bringUpToDate(const RecordStore& store, const QString& submitFolder) {
    // A folder that cannot be listed is kept in unreadableFiles() and listed again next time.
    if (!sent_.isComplete())
        loadSubmissionFolder(submitFolder);
    return bringStoredUpToDate(store);
}

FileStatus DuplicateIndex::bringStoredUpToDate(const RecordStore& store,
                                               const ReadStoredEntries& read) {
    int stored = 0;
    if (FileStatus counted = store.count(stored); !counted) {
        storedKnown_ = false;
        return counted;
    }
    if (storedKnown_ && storedCount() == stored)
        return FileStatus::success();
    StoredEntries entries;
    FileStatus status;
    if (read) {
        status = read(entries);
    } else {
        QList<ResultRecord> records;
        status = StoredRecords::readAll(store, records);
        if (status)
            entries = entriesOf(records);
    }
    if (!status) {
        storedKnown_ = false;
        return status;
    }
    setStoredEntries(std::move(entries));
    return status;
}

void DuplicateIndex::setStoredRecords(const QList<ResultRecord>& records) {
    setStoredEntries(entriesOf(records));
}

DuplicateIndex::StoredEntries DuplicateIndex::entriesOf(const QList<ResultRecord>& records) {
    StoredEntries entries;
    entries.reserve(records.size());
    for (int i = 0; i < records.size(); ++i) {
        entries.append(entryFor(records.at(i)));
        entries.last().match.recordNumber = i + 1;
    }
    return entries;
}

void DuplicateIndex::setStoredEntries(StoredEntries entries) {
    stored_ = std::move(entries);
    storedKnown_ = true;
}

FileStatus DuplicateIndex::loadSubmissionFolder(const QString& folder) {
    sent_ = SentRecords::read(folder);
    return sent_.listingFailure();
}

void DuplicateIndex::setSentRecords(SentRecords sent) {
    sent_ = std::move(sent);
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
    return sent_.find(key);
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
