#include "storage/RecordStore.h"

#include "storage/AppPaths.h"
#include "storage/RecordFile.h"
#include "storage/SafeFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>

namespace {

constexpr qint64 kRecordSize = ResultRecord::Size;
// A gap up to this size is written in one piece with the record that follows it.
constexpr qint64 kGapInOneWrite = qint64(1) << 20;

FileStatus invalidRecordNumber(const QString& path, int n) {
    return FileStatus::failure(path, QStringLiteral("There is no record number %1").arg(n));
}

} // namespace

RecordStore::RecordStore(const QString& appDataFolder)
    : dataPath_(QDir(appDataFolder).filePath(AppPaths::dataFileName())),
      tempPath_(QDir(appDataFolder).filePath(AppPaths::tempFileName())),
      importPath_(QDir(appDataFolder).filePath(AppPaths::importFileName())) {}

RecordStore::~RecordStore() {
    close();
}

QString RecordStore::dataPath() const {
    return dataPath_;
}

FileStatus RecordStore::open() {
    close();
    // An append that did not reach its rename: the data file holds none of its records, so the
    // copy is never needed (and one that cannot be removed now is replaced by the next append).
    SafeFile::discard(importPath_);
    FileStatus status = recoverLeftOverTemp();
    if (!status)
        return status;
    bool created = false;
    int fd = -1;
    status = SafeFile::openOrCreate(dataPath_, O_RDWR, fd, created);
    if (!status)
        return status;
    if (created) {
        // The new file's name on the disk, so that what is saved into it is found again.
        status = SafeFile::syncFolder(QFileInfo(dataPath_).absolutePath());
        if (!status) {
            SafeFile::closeDescriptor(fd, dataPath_);
            return status;
        }
    }
    fd_ = fd;
    return FileStatus::success();
}

FileStatus RecordStore::recoverLeftOverTemp() {
    SafeFile::Entry temp;
    SafeFile::Entry data;
    FileStatus status = SafeFile::inspect(tempPath_, temp);
    if (status && temp.exists)
        status = SafeFile::inspect(dataPath_, data);
    if (!status || !temp.exists)
        return status;
    // A delete writes a copy with one record fewer than the data file, so beside a whole data
    // file the copy never holds more whole records. When it does, the data file was emptied or
    // cut short (a delete stopped between removing it and renaming the copy, a damaged disk):
    // the copy is the one that holds the records, and it takes the data file's place, as it does
    // when the data file is gone. A piece of the copy counts as a record there only when it ends
    // in CR LF, so that a file of anything else under the copy's name never replaces records.
    // Anything but a regular data file (a link, a folder) is refused when it is opened, and the
    // copy stays for the operator.
    bool copyIsTheOnlyOne = !data.exists;
    const qint64 dataRecords = RecordFile::wholeRecordsIn(data.length);
    if (data.exists && data.regular && dataRecords < RecordFile::wholeRecordsIn(temp.length)) {
        RecordFile copy;
        status = RecordFile::read(tempPath_, copy);
        if (!status)
            return status;
        copyIsTheOnlyOne = dataRecords < copy.wholeRecords() - copy.withoutLineEnd();
    }
    if (!copyIsTheOnlyOne) {
        if (data.regular)
            return SafeFile::removeFile(tempPath_);
        return FileStatus::success();
    }
    int fd = -1;
    status = SafeFile::openRegular(tempPath_, O_RDONLY, fd);
    if (!status)
        return status;
    status = SafeFile::syncAll(fd, tempPath_);
    FileStatus closed = SafeFile::closeDescriptor(fd, tempPath_);
    if (!status)
        return status;
    if (!closed)
        return closed;
    return SafeFile::renameOver(tempPath_, dataPath_);
}

bool RecordStore::isOpen() const {
    return fd_ >= 0;
}

int RecordStore::countForLength(qint64 length) {
    if (length <= 0)
        return 0;
    qint64 whole = RecordFile::wholeRecordsIn(length);
    const qint64 rest = RecordFile::leftOverIn(length);
    if (2 * rest > kRecordSize || (2 * rest == kRecordSize && whole % 2 == 1))
        ++whole;
    return static_cast<int>(std::min<qint64>(whole, INT_MAX));
}

FileStatus RecordStore::count(int& records) const {
    records = 0;
    qint64 length = 0;
    FileStatus status = lengthOf(length);
    if (status)
        records = countForLength(length);
    return status;
}

FileStatus RecordStore::lengthOf(qint64& length) const {
    length = 0;
    if (fd_ < 0)
        return notOpen();
    return SafeFile::lengthOf(fd_, dataPath_, length);
}

FileStatus RecordStore::notOpen() const {
    return FileStatus::failure(dataPath_, QStringLiteral("The file is not open"));
}

FileStatus RecordStore::read(int n, ResultRecord& buffer) const {
    if (fd_ < 0)
        return notOpen();
    if (n < 1)
        return invalidRecordNumber(dataPath_, n);
    QByteArray bytes;
    FileStatus status = SafeFile::readAt(fd_, dataPath_, (n - 1) * kRecordSize, kRecordSize, bytes);
    if (!status)
        return status;
    // Beyond the end nothing is read and the record is blank; a partial one is padded.
    buffer = ResultRecord::decode(bytes);
    return FileStatus::success();
}

FileStatus RecordStore::readBytes(int first, int count, QByteArray& bytes) const {
    bytes.clear();
    if (fd_ < 0)
        return notOpen();
    if (first < 1)
        return invalidRecordNumber(dataPath_, first);
    return SafeFile::readAt(fd_, dataPath_, qint64(first - 1) * kRecordSize,
                            qint64(std::max(count, 0)) * kRecordSize, bytes);
}

FileStatus RecordStore::stillUnderItsName() const {
    bool same = false;
    const FileStatus status = SafeFile::holdsFileAt(fd_, dataPath_, same);
    if (status && same)
        return status;
    // Another program put a file in its place or took it away: what is written now would go
    // into a file no longer in the folder and be lost, or over a file that is not the records.
    if (status || status.error() == ENOENT)
        return FileStatus::failure(
            dataPath_, QStringLiteral("The data file was replaced or removed by another program "
                                      "while this program had it open; nothing was saved. Close "
                                      "the program without saving and check the file."));
    return status;
}

FileStatus RecordStore::write(int n, const ResultRecord& record) {
    FileStatus status = writeRecord(n, record);
    if (status && observer_)
        observer_->recordWritten(n, record);
    return status;
}

FileStatus RecordStore::writeRecord(int n, const ResultRecord& record) {
    if (fd_ < 0)
        return notOpen();
    if (n < 1)
        return invalidRecordNumber(dataPath_, n);
    qint64 length = 0;
    FileStatus status = lengthOf(length);
    if (status)
        status = stillUnderItsName();
    if (!status)
        return status;
    const qint64 offset = (n - 1) * kRecordSize;
    const QByteArray bytes = record.encode();
    if (offset + kRecordSize <= length) {
        status = SafeFile::writeAllAt(fd_, dataPath_, offset, bytes);
        return status ? SafeFile::syncData(fd_, dataPath_) : status;
    }
    // The file grows: a gap before the record becomes blank records, never zero bytes. Gap and
    // record go in one write, so that a crash cannot leave the gap without the record (a gap of
    // over a megabyte, which no window makes, is written ahead in pieces).
    const qint64 gap = std::max<qint64>(offset - length, 0);
    if (gap > kGapInOneWrite)
        status = SafeFile::fillAt(fd_, dataPath_, length, gap, ' ');
    if (status && gap > 0 && gap <= kGapInOneWrite)
        status = SafeFile::writeAllAt(fd_, dataPath_, length, QByteArray(gap, ' ') + bytes);
    else if (status)
        status = SafeFile::writeAllAt(fd_, dataPath_, offset, bytes);
    if (status)
        status = SafeFile::syncData(fd_, dataPath_);
    // No torn record stays behind: the file goes back to its previous length.
    if (!status)
        SafeFile::truncateTo(fd_, dataPath_, length);
    return status;
}

FileStatus RecordStore::writeTemp(int k, qint64 length) {
    // A left-over copy is replaced whole, never appended to, and never followed as a link.
    FileStatus status = SafeFile::removeFile(tempPath_);
    if (!status)
        return status;
    const qint64 records = countForLength(length);
    QList<SafeFile::ByteRange> kept{{0, std::min<qint64>(k - 1, records) * kRecordSize}};
    if (k < records)
        kept.append({k * kRecordSize, records * kRecordSize});
    // A partial last record is copied padded with blanks.
    return SafeFile::copyToNewFile(fd_, dataPath_, kept, tempPath_, ' ');
}

// A failed delete that took effect all the same is not told: the file's length shows it.
FileStatus RecordStore::remove(int k) {
    FileStatus status = removeRecord(k);
    if (status && observer_)
        observer_->recordRemoved(k);
    return status;
}

FileStatus RecordStore::removeRecord(int k) {
    if (fd_ < 0)
        return notOpen();
    if (k < 1)
        return invalidRecordNumber(dataPath_, k);
    qint64 length = 0;
    FileStatus status = lengthOf(length);
    if (status)
        status = stillUnderItsName();
    if (status)
        status = writeTemp(k, length);
    if (!status)
        return status;

    // The rename replaces the data file in one step: there is always a complete Korvanel.dat.
    status = SafeFile::renameOver(tempPath_, dataPath_);
    if (!status)
        SafeFile::discard(tempPath_);
    return followReplacement(status);
}

FileStatus RecordStore::followReplacement(FileStatus status) {
    // Whatever the rename reported, the descriptor must follow the file now under the name, or
    // later writes would go to a file no longer in the folder.
    bool same = false;
    FileStatus followed = SafeFile::holdsFileAt(fd_, dataPath_, same);
    if (followed && same)
        return status;
    int fresh = -1;
    if (followed)
        followed = SafeFile::openRegular(dataPath_, O_RDWR, fresh);
    if (!followed) {
        close();
        return status ? followed : status;
    }
    const int old = fd_;
    fd_ = fresh;
    FileStatus closed = SafeFile::closeDescriptor(old, dataPath_);
    return status ? closed : status;
}

FileStatus RecordStore::writeImport(const std::function<FileStatus(const RecordSink&)>& produce,
                                    qint64 length, int& records) {
    records = 0;
    // A left-over copy is replaced whole, never appended to, and never followed as a link.
    FileStatus status = SafeFile::removeFile(importPath_);
    if (!status)
        return status;
    SafeFile::Descriptor out;
    status = SafeFile::createExclusive(importPath_, out);
    if (!status)
        return status;
    // The stored records, a partial last one padded with blanks as a read pads it.
    qint64 at = 0;
    status = SafeFile::copyInto(fd_, dataPath_, {{0, countForLength(length) * kRecordSize}},
                                out.get(), importPath_, ' ', at);
    // The new records go out a piece at a time, so that memory does not grow with their number.
    QByteArray piece;
    const auto flush = [&] {
        FileStatus written = SafeFile::writeAllAt(out.get(), importPath_, at, piece);
        at += piece.size();
        piece.clear();
        return written;
    };
    FileStatus writing = FileStatus::success();
    if (status) {
        status = produce([&](const ResultRecord& record) {
            if (!writing)
                return writing;
            piece += record.encode();
            ++records;
            if (piece.size() >= kGapInOneWrite)
                writing = flush();
            return writing;
        });
    }
    if (status && writing && !piece.isEmpty())
        writing = flush();
    if (status)
        status = writing;
    if (status)
        status = SafeFile::syncAll(out.get(), importPath_);
    FileStatus closed = out.close();
    if (status)
        status = closed;
    if (!status)
        SafeFile::discard(importPath_);
    return status;
}

FileStatus RecordStore::appendAll(const std::function<FileStatus(const RecordSink&)>& produce,
                                  int& appended) {
    appended = 0;
    if (fd_ < 0)
        return notOpen();
    qint64 length = 0;
    FileStatus status = lengthOf(length);
    if (status)
        status = stillUnderItsName();
    int records = 0;
    if (status)
        status = writeImport(produce, length, records);
    if (!status)
        return status;
    const int before = countForLength(length);
    // The rename replaces the data file in one step: the old records, or all of them and the new.
    status = SafeFile::renameOver(importPath_, dataPath_);
    if (!status)
        SafeFile::discard(importPath_);
    status = followReplacement(status);
    int now = 0;
    if (fd_ >= 0 && count(now) && now == before + records)
        appended = records;
    if (observer_ && appended > 0)
        observer_->recordsAppended(before + 1, before + appended);
    return status;
}

void RecordStore::close() {
    if (fd_ < 0)
        return;
    SafeFile::closeDescriptor(fd_, dataPath_);
    fd_ = -1;
}
