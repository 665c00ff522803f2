#include "storage/RecordStore.h"

#include "storage/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using SafeFile::nativePath;

constexpr qint64 kRecordSize = ResultRecord::Size;
// Large enough that a delete of a big file costs little more than a plain copy of it.
constexpr qint64 kCopyChunk = qint64(1) << 20;

bool pathExists(const QString& path, int& error) {
    struct stat info {};
    if (::lstat(nativePath(path).constData(), &info) == 0)
        return true;
    error = errno == ENOENT ? 0 : errno;
    return false;
}

FileStatus invalidRecordNumber(const QString& path, int n) {
    return FileStatus::failure(path, QStringLiteral("There is no record number %1").arg(n));
}

// Copies source bytes [from, to) to the destination at destOffset; where the source ends
// early (a partial last record) the rest is filled with blanks.
FileStatus copyRange(int source, const QString& sourcePath, qint64 from, qint64 to, int dest,
                     const QString& destPath, qint64 destOffset) {
    QByteArray chunk;
    for (qint64 position = from; position < to; position += kCopyChunk) {
        const qint64 wanted = std::min(kCopyChunk, to - position);
        FileStatus status = SafeFile::readAt(source, sourcePath, position, wanted, chunk);
        if (!status)
            return status;
        if (chunk.size() < wanted)
            chunk.append(QByteArray(wanted - chunk.size(), ' '));
        status = SafeFile::writeAllAt(dest, destPath, destOffset + (position - from), chunk);
        if (!status)
            return status;
    }
    return FileStatus::success();
}

// Writes count blanks at offset, a chunk at a time, so that a far gap needs no huge buffer.
FileStatus writeBlanks(int fd, const QString& path, qint64 offset, qint64 count) {
    const QByteArray blanks(static_cast<qsizetype>(std::min(count, kCopyChunk)), ' ');
    for (qint64 done = 0; done < count; done += blanks.size()) {
        const qint64 size = std::min<qint64>(blanks.size(), count - done);
        FileStatus status = SafeFile::writeAllAt(fd, path, offset + done, blanks.left(size));
        if (!status)
            return status;
    }
    return FileStatus::success();
}

} // namespace

RecordStore::RecordStore(const QString& appDataFolder)
    : dataPath_(QDir(appDataFolder).filePath(QStringLiteral("Korvanel.dat"))),
      tempPath_(QDir(appDataFolder).filePath(QStringLiteral("Korvanel.tmp"))) {}

RecordStore::~RecordStore() {
    close();
}

QString RecordStore::dataPath() const {
    return dataPath_;
}

QString RecordStore::tempPath() const {
    return tempPath_;
}

FileStatus RecordStore::open() {
    close();
    FileStatus status = recoverLeftOverTemp();
    if (!status)
        return status;
    bool created = false;
    const int fd = SafeFile::openPrivate(dataPath_, O_RDWR, created);
    if (fd < 0)
        return FileStatus::fromErrno(dataPath_, errno);
    if (created) {
        // The new file's name on the disk, so that what is saved into it is found again.
        status = SafeFile::syncFolder(QFileInfo(dataPath_).absolutePath());
        if (!status) {
            ::close(fd);
            return status;
        }
    }
    fd_ = fd;
    return FileStatus::success();
}

FileStatus RecordStore::recoverLeftOverTemp() {
    int error = 0;
    if (!pathExists(tempPath_, error))
        return error ? FileStatus::fromErrno(tempPath_, error) : FileStatus::success();
    if (pathExists(dataPath_, error)) {
        // A delete that stopped before its rename: the data file still holds every record.
        return SafeFile::removeFile(tempPath_);
    }
    if (error)
        return FileStatus::fromErrno(dataPath_, error);
    // The data file was removed before the copy took its place: the copy is the only one.
    bool created = false;
    const int fd = SafeFile::openPrivate(tempPath_, O_RDONLY, created);
    if (fd < 0)
        return FileStatus::fromErrno(tempPath_, errno);
    FileStatus status = SafeFile::syncAll(fd, tempPath_);
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
    qint64 whole = length / kRecordSize;
    const qint64 rest = length % kRecordSize;
    if (2 * rest > kRecordSize || (2 * rest == kRecordSize && whole % 2 == 1))
        ++whole;
    return static_cast<int>(std::min<qint64>(whole, INT_MAX));
}

int RecordStore::count() const {
    qint64 length = 0;
    if (!lengthOf(length))
        return 0;
    return countForLength(length);
}

FileStatus RecordStore::lengthOf(qint64& length) const {
    length = 0;
    if (fd_ < 0)
        return notOpen();
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        return FileStatus::fromErrno(dataPath_, errno);
    length = info.st_size;
    return FileStatus::success();
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
    if (gap > kCopyChunk)
        status = writeBlanks(fd_, dataPath_, length, gap);
    if (status && gap > 0 && gap <= kCopyChunk)
        status = SafeFile::writeAllAt(fd_, dataPath_, length, QByteArray(gap, ' ') + bytes);
    else if (status)
        status = SafeFile::writeAllAt(fd_, dataPath_, offset, bytes);
    if (status)
        status = SafeFile::syncData(fd_, dataPath_);
    if (!status) {
        // No torn record stays behind: the file goes back to its previous length.
        if (::ftruncate(fd_, length) == 0)
            ::fdatasync(fd_);
    }
    return status;
}

FileStatus RecordStore::writeTemp(int k, qint64 length) {
    // A left-over copy is replaced whole, never appended to, and never followed as a link.
    FileStatus status = SafeFile::removeFile(tempPath_);
    if (!status)
        return status;
    const int temp = ::open(nativePath(tempPath_).constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (temp < 0)
        return FileStatus::fromErrno(tempPath_, errno);
    if (::fchmod(temp, 0600) != 0)
        status = FileStatus::fromErrno(tempPath_, errno);

    const qint64 records = countForLength(length);
    const qint64 before = std::min<qint64>(k - 1, records) * kRecordSize;
    if (status)
        status = copyRange(fd_, dataPath_, 0, before, temp, tempPath_, 0);
    if (status && k < records)
        status = copyRange(fd_, dataPath_, k * kRecordSize, records * kRecordSize, temp, tempPath_,
                           before);
    if (status)
        status = SafeFile::syncAll(temp, tempPath_);
    FileStatus closed = SafeFile::closeDescriptor(temp, tempPath_);
    if (status)
        status = closed;
    if (!status)
        ::unlink(nativePath(tempPath_).constData());
    return status;
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
        status = writeTemp(k, length);
    if (!status)
        return status;

    // The rename replaces the data file in one step: there is always a complete Korvanel.dat.
    if (::rename(nativePath(tempPath_).constData(), nativePath(dataPath_).constData()) != 0) {
        status = FileStatus::fromErrno(dataPath_, errno);
        ::unlink(nativePath(tempPath_).constData());
    } else {
        status = SafeFile::syncFolder(QFileInfo(dataPath_).absolutePath());
    }

    // Whatever the rename reported, the descriptor must follow the file now under the name, or
    // later writes would go to a file no longer in the folder.
    struct stat named {};
    struct stat held {};
    if (::stat(nativePath(dataPath_).constData(), &named) != 0) {
        const int error = errno;
        close();
        return status ? FileStatus::fromErrno(dataPath_, error) : status;
    }
    if (::fstat(fd_, &held) == 0 && held.st_dev == named.st_dev && held.st_ino == named.st_ino)
        return status;
    const int fresh = ::open(nativePath(dataPath_).constData(), O_RDWR | O_CLOEXEC);
    if (fresh < 0) {
        const int error = errno;
        close();
        return status ? FileStatus::fromErrno(dataPath_, error) : status;
    }
    const int old = fd_;
    fd_ = fresh;
    FileStatus closed = SafeFile::closeDescriptor(old, dataPath_);
    return status ? closed : status;
}

void RecordStore::close() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
}

void adjustPositionAfterDelete(int& recordCount, int& currentRecord) {
    recordCount = std::max(recordCount - 1, 1);
    if (currentRecord > recordCount)
        currentRecord = recordCount;
}
