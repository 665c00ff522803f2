#include "submission/SubmissionHistory.h"

#include "storage/RecordStore.h"
#include "storage/RecordStream.h"
#include "storage/SafeFile.h"
#include "storage/Windows1252.h"
#include "submission/SubmissionFolder.h"

#include <QDir>

#include <fcntl.h>

#include <algorithm>

namespace {

using F = ResultRecord;

// The search looks at the first fields of a record only: the date taken, the names and the date
// of birth lie there, in this order.
constexpr int kKeyBytes = 49;
static_assert(kKeyBytes == 49, "the search keys are the first 49 bytes of a record");

bool keyFieldsFit() {
    return F::offset(F::DateOfBirth) + F::width(F::DateOfBirth) == kKeyBytes &&
           F::offset(F::DateTaken) < kKeyBytes && F::offset(F::LastName) < kKeyBytes &&
           F::offset(F::FirstName) < kKeyBytes;
}

// A field of the key bytes of one record without its leading and trailing blanks, as
// RecordFile::field reads it.
QString keyField(const char* keys, F::Field field) {
    const char* begin = keys + F::offset(field);
    const char* end = begin + F::width(field);
    while (begin < end && *begin == ' ')
        ++begin;
    while (end > begin && end[-1] == ' ')
        --end;
    return Windows1252::decode(QByteArray::fromRawData(begin, end - begin));
}

RecordSearchKeys searchKeys(const char* keys) {
    return {keyField(keys, F::LastName).toCaseFolded(), keyField(keys, F::FirstName).toCaseFolded(),
            keyField(keys, F::DateOfBirth), keyField(keys, F::DateTaken)};
}

// The key bytes of record n of a piece, blanks where a torn last record ends early.
void appendKeys(const RecordFile& piece, int n, QByteArray& keys) {
    const QByteArray& bytes = piece.bytes();
    const qsizetype start = qsizetype(n - 1) * F::Size;
    const qsizetype present = std::clamp<qsizetype>(bytes.size() - start, 0, kKeyBytes);
    keys.append(bytes.constData() + start, present);
    if (present < kKeyBytes)
        keys.append(kKeyBytes - present, ' ');
}

// Reads the file from its start to the length it had when opened, a piece at a time, and hands
// each piece with the number of its first record to each (false: stop).
FileStatus readPieces(const QString& path,
                      const std::function<bool(const RecordFile& piece, int first)>& each,
                      FileReading* reading) {
    RecordStream stream;
    if (FileStatus status = stream.open(path); !status)
        return status;
    RecordFile piece;
    int first = 0;
    while (stream.next(piece, first)) {
        if (each && !each(piece, first))
            return FileStatus::success();
    }
    if (!stream.status())
        return stream.status();
    if (reading)
        *reading = {stream.recordCount(), stream.damage()};
    return FileStatus::success();
}

} // namespace

int SubmissionFile::recordCount() const {
    return isRead() ? content.recordCount : RecordStore::countForLength(listedLength);
}

FileStatus SubmissionHistory::load(const QString& submitFolder) {
    Q_ASSERT(keyFieldsFit());
    folder_ = submitFolder;
    files_.clear();
    otherFiles_.clear();
    keys_.clear();
    keptKeyBytes_ = 0;
    QList<SubmissionFolder::ListedFile> listed;
    if (FileStatus status = SubmissionFolder::list(submitFolder, listed, &otherFiles_); !status)
        return status;
    files_.reserve(listed.size());
    for (const SubmissionFolder::ListedFile& file : listed)
        files_.append(
            {file.fileName, file.name, file.length, SubmissionFile::Reading::NotTried, {}, {}});
    std::sort(files_.begin(), files_.end(), [](const SubmissionFile& a, const SubmissionFile& b) {
        if (SubmissionName::isNewer(a.name, b.name))
            return true;
        return !SubmissionName::isNewer(b.name, a.name) && a.fileName < b.fileName;
    });
    otherFiles_.sort();
    keys_.resize(files_.size());
    return FileStatus::success();
}

QString SubmissionHistory::filePath(int file) const {
    return QDir(folder_).filePath(files_.at(file).fileName);
}

FileStatus SubmissionHistory::readFile(const QString& path, FileReading& reading,
                                       const std::function<bool()>& keepGoing, bool* stopped) {
    reading = FileReading();
    bool halted = false;
    std::function<bool(const RecordFile&, int)> each;
    if (keepGoing)
        each = [&](const RecordFile&, int) { return !(halted = !keepGoing()); };
    const FileStatus status = readPieces(path, each, &reading);
    if (stopped)
        *stopped = halted;
    return status;
}

FileStatus SubmissionHistory::read(int file) {
    if (files_.at(file).reading != SubmissionFile::Reading::NotTried)
        return FileStatus::success();
    FileReading reading;
    const FileStatus status = readFile(filePath(file), reading);
    takeReading(file, status, reading);
    return status;
}

FileStatus SubmissionHistory::readAll(const Progress& progress) {
    FileStatus first = FileStatus::success();
    for (int file = 0; file < files_.size(); ++file) {
        if (progress && !progress(file, int(files_.size())))
            return first;
        const FileStatus status = read(file);
        if (!status && first)
            first = status;
    }
    if (progress)
        progress(int(files_.size()), int(files_.size()));
    return first;
}

bool SubmissionHistory::takeReading(int file, const FileStatus& status,
                                    const FileReading& reading) {
    SubmissionFile& chosen = files_[file];
    if (!status) {
        if (chosen.reading == SubmissionFile::Reading::Failed)
            return false;
        chosen.reading = SubmissionFile::Reading::Failed;
        chosen.content = FileReading();
        chosen.failure = status;
        keepKeys(file, QByteArray());
        return true;
    }
    if (chosen.reading == SubmissionFile::Reading::Failed)
        return false;
    const bool tried = chosen.reading == SubmissionFile::Reading::Read;
    chosen.reading = SubmissionFile::Reading::Read;
    chosen.content = reading;
    return !tried;
}

QList<FileStatus> SubmissionHistory::takeReadings(const SubmissionHistory& copy) {
    QList<FileStatus> failures;
    if (copy.folder_ != folder_ || copy.files_.size() != files_.size())
        return failures;
    for (int file = 0; file < files_.size(); ++file) {
        const SubmissionFile& theirs = copy.files_.at(file);
        if (theirs.reading == SubmissionFile::Reading::NotTried)
            continue;
        const bool failed = theirs.reading == SubmissionFile::Reading::Failed;
        if (takeReading(file, failed ? theirs.failure : FileStatus::success(), theirs.content) &&
            failed)
            failures.append(theirs.failure);
        if (!failed && keys_.at(file).isEmpty() && !copy.keys_.at(file).isEmpty())
            keepKeys(file, copy.keys_.at(file));
    }
    return failures;
}

void SubmissionHistory::keepKeys(int file, QByteArray keys) {
    keptKeyBytes_ -= keys_.at(file).size();
    keys_[file] = QByteArray();
    if (keptKeyBytes_ + keys.size() > keyBudget_)
        return;
    keptKeyBytes_ += keys.size();
    keys_[file] = std::move(keys);
}

int SubmissionHistory::unreadableCount() const {
    return int(std::count_if(files_.begin(), files_.end(), [](const SubmissionFile& file) {
        return file.reading == SubmissionFile::Reading::Failed;
    }));
}

int SubmissionHistory::damagedCount() const {
    return int(std::count_if(files_.begin(), files_.end(),
                             [](const SubmissionFile& file) { return file.isDamaged(); }));
}

int SubmissionHistory::recordCount() const {
    int count = 0;
    for (const SubmissionFile& file : files_)
        count += file.recordCount();
    return count;
}

FileStatus SubmissionHistory::readRecords(int file, int first, int count,
                                          QList<ResultRecord>& records) const {
    records.clear();
    const QString path = filePath(file);
    SafeFile::Descriptor fd;
    if (FileStatus status = SafeFile::openRegular(path, O_RDONLY, fd); !status)
        return status;
    qint64 length = 0;
    if (FileStatus status = SafeFile::lengthOf(fd.get(), path, length); !status)
        return status;
    count = std::min(count, RecordStore::countForLength(length) - first + 1);
    if (first < 1 || count <= 0)
        return fd.close();
    QByteArray bytes;
    if (FileStatus status = SafeFile::readAt(fd.get(), path, qint64(first - 1) * F::Size,
                                             qint64(count) * F::Size, bytes);
        !status)
        return status;
    records.reserve(count);
    for (int i = 0; i < count && qsizetype(i) * F::Size < bytes.size(); ++i)
        records.append(ResultRecord::decode(bytes.mid(qsizetype(i) * F::Size, F::Size)));
    return fd.close();
}

FileStatus SubmissionHistory::forEachPiece(
    int file, const std::function<bool(const RecordFile& piece, int first)>& each) const {
    return readPieces(filePath(file), each, nullptr);
}

FileStatus SubmissionHistory::records(int file, QList<ResultRecord>& records) const {
    records.clear();
    const FileStatus status = forEachPiece(file, [&](const RecordFile& piece, int) {
        for (int n = 1; n <= piece.recordCount(); ++n)
            records.append(piece.record(n));
        return true;
    });
    if (!status)
        records.clear();
    return status;
}

FileStatus SubmissionHistory::search(const RecordFilter& filter, QList<SubmittedRecord>& found,
                                     const Progress& progress, bool* stopped) {
    found.clear();
    if (stopped)
        *stopped = false;
    FileStatus first = FileStatus::success();
    if (filter.isEmpty())
        return first;
    const int total = int(files_.size());
    for (int f = 0; f < total; ++f) {
        if (progress && !progress(f, total)) {
            if (stopped)
                *stopped = true;
            return first;
        }
        if (files_.at(f).reading == SubmissionFile::Reading::Failed)
            continue;
        const QByteArray& kept = keys_.at(f);
        if (!kept.isEmpty()) {
            for (qsizetype at = 0, n = 1; at < kept.size(); at += kKeyBytes, ++n) {
                if (filter.accepts(searchKeys(kept.constData() + at)))
                    found.append({f, int(n)});
            }
            continue;
        }
        // Keys are kept only when the whole file's fit in what is left of the budget.
        const qint64 keyBytes =
            qint64(RecordStore::countForLength(files_.at(f).listedLength)) * kKeyBytes;
        const bool keep = keyBytes > 0 && keptKeyBytes_ + keyBytes <= keyBudget_;
        QByteArray keys;
        if (keep)
            keys.reserve(keyBytes);
        bool halted = false;
        QByteArray recordKeys;
        FileReading reading;
        const FileStatus status = readPieces(
            filePath(f),
            [&](const RecordFile& piece, int firstNumber) {
                for (int n = 1; n <= piece.recordCount(); ++n) {
                    recordKeys.clear();
                    appendKeys(piece, n, recordKeys);
                    if (filter.accepts(searchKeys(recordKeys.constData())))
                        found.append({f, firstNumber + n - 1});
                    if (keep)
                        keys.append(recordKeys);
                }
                // A large file is stopped between two pieces.
                halted = progress && !progress(f, total);
                return !halted;
            },
            &reading);
        if (halted) {
            if (stopped)
                *stopped = true;
            return first;
        }
        // A file that fails part of the way is not searched: what it gave is taken back.
        if (!status)
            found.erase(
                std::remove_if(found.begin(), found.end(),
                               [f](const SubmittedRecord& place) { return place.file == f; }),
                found.end());
        takeReading(f, status, reading);
        if (!status && first)
            first = status;
        if (status && keep)
            keepKeys(f, std::move(keys));
    }
    if (progress)
        progress(total, total);
    return first;
}

QList<SubmittedRecord> SubmissionHistory::search(const RecordFilter& filter) {
    QList<SubmittedRecord> found;
    search(filter, found);
    return found;
}
