#include "storage/SafeFile.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using SafeFile::nativePath;
using SafeFile::retryInterrupted;

constexpr mode_t kPrivateFile = 0600;
constexpr mode_t kPrivateFolder = 0700;

QString folderOf(const QString& path) {
    return QFileInfo(path).absolutePath();
}

} // namespace

FileStatus SafeFile::makePrivateFolder(const QString& path) {
    if (::mkdir(nativePath(path).constData(), kPrivateFolder) == 0) {
        // mkdir honours the umask, which may have taken more than it should leave.
        if (::chmod(nativePath(path).constData(), kPrivateFolder) != 0)
            return FileStatus::fromErrno(path, errno);
        return syncFolder(folderOf(path));
    }
    if (errno != EEXIST)
        return FileStatus::fromErrno(path, errno);
    struct stat info {};
    if (::stat(nativePath(path).constData(), &info) != 0)
        return FileStatus::fromErrno(path, errno);
    if (!S_ISDIR(info.st_mode))
        return FileStatus::fromErrno(path, ENOTDIR);
    return FileStatus::success();
}

FileStatus SafeFile::createIfMissing(const QString& path) {
    const int fd = retryInterrupted([&] {
        return ::open(nativePath(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                      kPrivateFile);
    });
    if (fd < 0) {
        if (errno == EEXIST)
            return FileStatus::success();
        return FileStatus::fromErrno(path, errno);
    }
    if (::fchmod(fd, kPrivateFile) != 0) {
        const int error = errno;
        ::close(fd);
        return FileStatus::fromErrno(path, error);
    }
    if (retryInterrupted([&] { return ::fsync(fd); }) != 0) {
        const int error = errno;
        ::close(fd);
        return FileStatus::fromErrno(path, error);
    }
    FileStatus closed = closeDescriptor(fd, path);
    if (!closed)
        return closed;
    return syncFolder(folderOf(path));
}

FileStatus SafeFile::readPrefix(const QString& path, QByteArray& out, qint64 maxBytes) {
    out.clear();
    // Non-blocking, so that a pipe put in place of a file cannot hold the open forever; it has
    // no effect on reading a regular file, and anything else is refused below.
    const int fd = retryInterrupted(
        [&] { return ::open(nativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); });
    if (fd < 0)
        return FileStatus::fromErrno(path, errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return FileStatus::fromErrno(path, error);
    }
    if (!S_ISREG(info.st_mode)) {
        // A folder, a device or a pipe is never read as data.
        ::close(fd);
        if (S_ISDIR(info.st_mode))
            return FileStatus::fromErrno(path, EISDIR);
        return FileStatus::failure(path, QStringLiteral("Not a regular file (a pipe or a device "
                                                        "stands in its place)"));
    }
    char chunk[65536];
    while (maxBytes < 0 || out.size() < maxBytes) {
        qint64 wanted = sizeof(chunk);
        if (maxBytes >= 0)
            wanted = qMin<qint64>(wanted, maxBytes - out.size());
        const ssize_t got =
            retryInterrupted([&] { return ::read(fd, chunk, static_cast<size_t>(wanted)); });
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            return FileStatus::fromErrno(path, error);
        }
        if (got == 0)
            break;
        out.append(chunk, got);
    }
    ::close(fd);
    return FileStatus::success();
}

FileStatus SafeFile::writeAt(const QString& path, qint64 offset, const QByteArray& bytes) {
    bool created = false;
    const int fd = openPrivate(path, O_WRONLY, created);
    if (fd < 0)
        return FileStatus::fromErrno(path, errno);
    FileStatus status = writeAllAt(fd, path, offset, bytes);
    if (status)
        status = syncData(fd, path);
    FileStatus closed = closeDescriptor(fd, path);
    if (status)
        status = closed;
    // A new file's name must reach the disk too, or a crash loses the file with its data.
    if (status && created)
        status = syncFolder(folderOf(path));
    return status;
}

FileStatus SafeFile::replaceContent(const QString& path, const QByteArray& content) {
    const QString temporary = path + QStringLiteral(".new");
    const int fd = retryInterrupted([&] {
        return ::open(nativePath(temporary).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
                      kPrivateFile);
    });
    if (fd < 0)
        return FileStatus::fromErrno(temporary, errno);
    FileStatus status = FileStatus::success();
    if (::fchmod(fd, kPrivateFile) != 0)
        status = FileStatus::fromErrno(temporary, errno);
    if (status)
        status = writeAllAt(fd, temporary, 0, content);
    if (status)
        status = syncAll(fd, temporary);
    FileStatus closed = closeDescriptor(fd, temporary);
    if (status)
        status = closed;
    if (status)
        status = renameOver(temporary, path);
    if (!status)
        ::unlink(nativePath(temporary).constData());
    return status;
}

FileStatus SafeFile::renameOver(const QString& from, const QString& to) {
    if (::rename(nativePath(from).constData(), nativePath(to).constData()) != 0)
        return FileStatus::fromErrno(to, errno);
    return syncFolder(folderOf(to));
}

FileStatus SafeFile::removeFile(const QString& path) {
    if (::unlink(nativePath(path).constData()) != 0) {
        if (errno == ENOENT)
            return FileStatus::success();
        return FileStatus::fromErrno(path, errno);
    }
    return syncFolder(folderOf(path));
}

FileStatus SafeFile::syncFolder(const QString& path) {
    const int fd = retryInterrupted(
        [&] { return ::open(nativePath(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
    if (fd < 0)
        return FileStatus::fromErrno(path, errno);
    FileStatus status = syncAll(fd, path);
    FileStatus closed = closeDescriptor(fd, path);
    return status ? closed : status;
}

FileStatus SafeFile::writeAllAt(int fd, const QString& path, qint64 offset,
                                const QByteArray& bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t written = retryInterrupted([&] {
            return ::pwrite(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done),
                            static_cast<off_t>(offset + done));
        });
        if (written < 0)
            return FileStatus::fromErrno(path, errno);
        if (written == 0)
            return FileStatus::fromErrno(path, EIO);
        done += written;
    }
    return FileStatus::success();
}

FileStatus SafeFile::readAt(int fd, const QString& path, qint64 offset, qint64 maxBytes,
                            QByteArray& out) {
    out.resize(maxBytes > 0 ? maxBytes : 0);
    qint64 done = 0;
    while (done < maxBytes) {
        const ssize_t got = retryInterrupted([&] {
            return ::pread(fd, out.data() + done, static_cast<size_t>(maxBytes - done),
                           static_cast<off_t>(offset + done));
        });
        if (got < 0) {
            const int error = errno;
            out.clear();
            return FileStatus::fromErrno(path, error);
        }
        if (got == 0)
            break;
        done += got;
    }
    out.truncate(done);
    return FileStatus::success();
}

FileStatus SafeFile::syncData(int fd, const QString& path) {
    if (retryInterrupted([&] { return ::fdatasync(fd); }) != 0)
        return FileStatus::fromErrno(path, errno);
    return FileStatus::success();
}

FileStatus SafeFile::syncAll(int fd, const QString& path) {
    if (retryInterrupted([&] { return ::fsync(fd); }) != 0)
        return FileStatus::fromErrno(path, errno);
    return FileStatus::success();
}

FileStatus SafeFile::closeDescriptor(int fd, const QString& path) {
    // close is not retried: on Linux the descriptor is gone even when it reports EINTR.
    if (::close(fd) != 0)
        return FileStatus::fromErrno(path, errno);
    return FileStatus::success();
}

int SafeFile::openPrivate(const QString& path, int flags, bool& created) {
    created = true;
    int fd = retryInterrupted([&] {
        return ::open(nativePath(path).constData(), flags | O_CREAT | O_EXCL | O_CLOEXEC,
                      kPrivateFile);
    });
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = retryInterrupted(
            [&] { return ::open(nativePath(path).constData(), flags | O_CLOEXEC); });
    }
    if (fd >= 0 && created && ::fchmod(fd, kPrivateFile) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(nativePath(path).constData());
        errno = error;
        return -1;
    }
    return fd;
}
