#include "storage/SafeFile.h"

#include "storage/AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <utility>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using SafeFile::nativePath;
using SafeFile::retryInterrupted;

constexpr mode_t kPrivateFile = 0600;
constexpr mode_t kPrivateFolder = 0700;
// Never through a final link. Non-blocking, so that a pipe in place of a file cannot hold the
// open for ever; it changes nothing for a regular file, and anything else is refused.
constexpr int kOpenFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
// Copies and comparisons go through files in pieces of this size: large enough that a copy
// costs little more than one read and one write of the file, small enough to hold in memory.
constexpr qint64 kPieceBytes = qint64(1) << 20;

QString folderOf(const QString& path) {
    return QFileInfo(path).absolutePath();
}

// The failed open's reason, or what stands in the file's place when that explains it better.
FileStatus openFailure(const QString& path, int error) {
    struct stat info {};
    if (::lstat(nativePath(path).constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return SafeFile::notRegularFile(path, info.st_mode);
    return FileStatus::fromErrno(path, error);
}

FileStatus refuseUnlessRegular(int& fd, const QString& path) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        fd = -1;
        return FileStatus::fromErrno(path, error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        fd = -1;
        return SafeFile::notRegularFile(path, info.st_mode);
    }
    return FileStatus::success();
}

// Creates a new file under path with the flags (the access mode), refusing anything already
// under the name, a link included; -1 with errno on failure.
int openNew(const QString& path, int flags) {
    return retryInterrupted([&] {
        return ::open(nativePath(path).constData(), flags | O_CREAT | O_EXCL | kOpenFlags,
                      kPrivateFile);
    });
}

// Writes size bytes through write(done), which writes what follows the done bytes and returns
// how many it wrote: a short write is continued, a write of nothing is an error.
template <typename Write> FileStatus writeEvery(const QString& path, qint64 size, Write write) {
    qint64 done = 0;
    while (done < size) {
        const ssize_t written = retryInterrupted([&] { return write(done); });
        if (written < 0)
            return FileStatus::fromErrno(path, errno);
        if (written == 0)
            return FileStatus::fromErrno(path, EIO);
        done += written;
    }
    return FileStatus::success();
}

// Writes all the bytes at the descriptor's position, in order, as one stream.
FileStatus writeAll(int fd, const QString& path, const QByteArray& bytes) {
    return writeEvery(path, bytes.size(), [&](qint64 done) {
        return ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
    });
}

// Makes a file just created owner-only whatever the umask; removes it when that fails.
FileStatus makePrivate(int& fd, const QString& path) {
    if (::fchmod(fd, kPrivateFile) == 0)
        return FileStatus::success();
    const int error = errno;
    ::close(fd);
    fd = -1;
    ::unlink(nativePath(path).constData());
    return FileStatus::fromErrno(path, error);
}

constexpr char16_t kEscapeBase = 0xDC00; // a byte b outside UTF-8 is U+DC00 + b (b >= 0x80)

bool isEscapedByte(char16_t unit) {
    return unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF;
}

// The code point of the valid UTF-8 sequence at bytes[i], and its length; length 0 when no valid
// sequence starts there (a stray continuation byte, a cut sequence, an overlong form, a
// surrogate, a value beyond U+10FFFF).
int utf8Sequence(const QByteArray& bytes, qsizetype i, char32_t& codePoint) {
    const auto byte = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned lead = byte(i);
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    const int length = lead >= 0xC2 && lead <= 0xDF   ? 2
                       : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                      : 0;
    if (length == 0 || i + length > bytes.size())
        return 0;
    char32_t value = lead & (0x7Fu >> length);
    for (int k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    if ((length == 3 && (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF))) ||
        (length == 4 && (value < 0x10000 || value > 0x10FFFF)))
        return 0;
    codePoint = value;
    return length;
}

} // namespace

QString SafeFile::nameFromNative(const QByteArray& name) {
    if (std::all_of(name.begin(), name.end(),
                    [](char byte) { return static_cast<unsigned char>(byte) < 0x80; }))
        return QString::fromLatin1(name);
    QString text;
    text.reserve(name.size());
    for (qsizetype i = 0; i < name.size();) {
        char32_t codePoint = 0;
        const int length = utf8Sequence(name, i, codePoint);
        if (length == 0) {
            text.append(QChar(char16_t(kEscapeBase + static_cast<unsigned char>(name[i]))));
            ++i;
            continue;
        }
        text.append(QStringView(QChar::fromUcs4(codePoint)));
        i += length;
    }
    return text;
}

QByteArray SafeFile::nativePath(const QString& path) {
    const auto escaped = [](QChar ch) { return isEscapedByte(ch.unicode()); };
    if (std::none_of(path.begin(), path.end(), escaped))
        return path.toUtf8();
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype plainStart = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        // A low surrogate after a high one is half of a character, never a byte.
        const bool byte =
            i < path.size() && escaped(path.at(i)) && (i == 0 || !path.at(i - 1).isHighSurrogate());
        if (i < path.size() && !byte)
            continue;
        bytes += QStringView(path).mid(plainStart, i - plainStart).toUtf8();
        if (i < path.size())
            bytes += char(path.at(i).unicode() - kEscapeBase);
        plainStart = i + 1;
    }
    return bytes;
}

QString SafeFile::displayName(const QString& name) {
    QString shown = name;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (isEscapedByte(shown.at(i).unicode()) && (i == 0 || !shown.at(i - 1).isHighSurrogate()))
            shown[i] = QChar::ReplacementCharacter;
    }
    return shown;
}

FileStatus SafeFile::notRegularFile(const QString& path, unsigned mode) {
    if (S_ISDIR(mode))
        return FileStatus::fromErrno(path, EISDIR);
    if (S_ISLNK(mode))
        return FileStatus::failure(path, QStringLiteral("Not a regular file (a link stands in its "
                                                        "place; it is not followed)"));
    return FileStatus::failure(path, QStringLiteral("Not a regular file (a pipe or a device "
                                                    "stands in its place)"));
}

SafeFile::Descriptor::~Descriptor() {
    close();
}

SafeFile::Descriptor::Descriptor(Descriptor&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

SafeFile::Descriptor& SafeFile::Descriptor::operator=(Descriptor&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

FileStatus SafeFile::Descriptor::close() {
    if (fd_ < 0)
        return FileStatus::success();
    return closeDescriptor(std::exchange(fd_, -1), path_);
}

FileStatus SafeFile::openRegular(const QString& path, int flags, Descriptor& fd) {
    int opened = -1;
    FileStatus status = openRegular(path, flags, opened);
    fd = Descriptor(opened, path);
    return status;
}

FileStatus SafeFile::createExclusive(const QString& path, Descriptor& fd) {
    int created = -1;
    FileStatus status = createExclusive(path, created);
    fd = Descriptor(created, path);
    return status;
}

FileStatus SafeFile::openRegular(const QString& path, int flags, int& fd) {
    fd = retryInterrupted([&] { return ::open(nativePath(path).constData(), flags | kOpenFlags); });
    if (fd < 0)
        return openFailure(path, errno);
    return refuseUnlessRegular(fd, path);
}

FileStatus SafeFile::openOrCreate(const QString& path, int flags, int& fd, bool& created) {
    created = true;
    fd = openNew(path, flags);
    if (fd >= 0)
        return makePrivate(fd, path);
    if (errno != EEXIST)
        return openFailure(path, errno);
    created = false;
    return openRegular(path, flags, fd);
}

FileStatus SafeFile::createExclusive(const QString& path, int& fd) {
    fd = openNew(path, O_WRONLY);
    if (fd < 0)
        return openFailure(path, errno);
    return makePrivate(fd, path);
}

FileStatus SafeFile::makePrivateFolder(const QString& path) {
    if (::mkdir(nativePath(path).constData(), kPrivateFolder) == 0) {
        // mkdir honours the umask, which may have taken more than it should leave.
        if (::chmod(nativePath(path).constData(), kPrivateFolder) != 0)
            return FileStatus::fromErrno(path, errno);
        return syncFolder(folderOf(path));
    }
    if (errno != EEXIST)
        return FileStatus::fromErrno(path, errno);
    // The folders themselves may be links to folders elsewhere (another disk).
    struct stat info {};
    if (::stat(nativePath(path).constData(), &info) != 0)
        return FileStatus::fromErrno(path, errno);
    if (!S_ISDIR(info.st_mode))
        return FileStatus::fromErrno(path, ENOTDIR);
    return FileStatus::success();
}

FileStatus SafeFile::createIfMissing(const QString& path) {
    int fd = openNew(path, O_WRONLY);
    if (fd < 0) {
        if (errno != EEXIST)
            return FileStatus::fromErrno(path, errno);
        // Something already stands under the name: only a regular file counts as the file.
        struct stat info {};
        if (::lstat(nativePath(path).constData(), &info) != 0)
            return FileStatus::fromErrno(path, errno);
        return S_ISREG(info.st_mode) ? FileStatus::success() : notRegularFile(path, info.st_mode);
    }
    FileStatus status = makePrivate(fd, path);
    if (!status)
        return status;
    status = syncAll(fd, path);
    FileStatus closed = closeDescriptor(fd, path);
    if (status)
        status = closed;
    return status ? syncFolder(folderOf(path)) : status;
}

FileStatus SafeFile::readPrefix(const QString& path, QByteArray& out, qint64 maxBytes) {
    out.clear();
    Descriptor fd;
    FileStatus status = openRegular(path, O_RDONLY, fd);
    if (!status)
        return status;
    char chunk[65536];
    while (maxBytes < 0 || out.size() < maxBytes) {
        qint64 wanted = sizeof(chunk);
        if (maxBytes >= 0)
            wanted = qMin<qint64>(wanted, maxBytes - out.size());
        const ssize_t got =
            retryInterrupted([&] { return ::read(fd.get(), chunk, static_cast<size_t>(wanted)); });
        if (got < 0)
            return FileStatus::fromErrno(path, errno);
        if (got == 0)
            break;
        out.append(chunk, got);
    }
    return FileStatus::success();
}

FileStatus SafeFile::writeAt(const QString& path, qint64 offset, const QByteArray& bytes) {
    bool created = false;
    int fd = -1;
    FileStatus status = openOrCreate(path, O_WRONLY, fd, created);
    if (!status)
        return status;
    status = writeAllAt(fd, path, offset, bytes);
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

namespace {

// Flushes and closes a file that the caller created, status telling how its writing went; the
// file is removed again when any step failed.
FileStatus finishNewFile(SafeFile::Descriptor& fd, FileStatus status) {
    if (status)
        status = SafeFile::syncAll(fd.get(), fd.path());
    FileStatus closed = fd.close();
    if (status)
        status = closed;
    if (!status)
        SafeFile::discard(fd.path());
    return status;
}

} // namespace

FileStatus SafeFile::writeNewFile(const QString& path, const QByteArray& bytes) {
    Descriptor fd;
    if (FileStatus status = createExclusive(path, fd); !status)
        return status;
    // Written in order from the start, as one stream.
    return finishNewFile(fd, writeAll(fd.get(), path, bytes));
}

namespace {

// Reads the ranges of source in pieces and hands each piece, in order, to write.
template <typename Write>
FileStatus copyRanges(int source, const QString& sourcePath,
                      const QList<SafeFile::ByteRange>& ranges, char fill, Write write) {
    FileStatus status = FileStatus::success();
    QByteArray piece;
    for (const SafeFile::ByteRange& range : ranges) {
        const bool toTheEnd = range.to < 0;
        for (qint64 position = range.from; status && (toTheEnd || position < range.to);
             position += kPieceBytes) {
            const qint64 wanted =
                toTheEnd ? kPieceBytes : std::min(kPieceBytes, range.to - position);
            status = SafeFile::readAt(source, sourcePath, position, wanted, piece);
            if (!status)
                break;
            const bool sourceEnded = piece.size() < wanted;
            if (sourceEnded && !toTheEnd)
                piece.append(QByteArray(wanted - piece.size(), fill));
            status = write(piece);
            if (sourceEnded && toTheEnd)
                break;
        }
        if (!status)
            break;
    }
    return status;
}

} // namespace

FileStatus SafeFile::copyInto(int source, const QString& sourcePath, const QList<ByteRange>& ranges,
                              int target, const QString& targetPath, char fill, qint64& at) {
    return copyRanges(source, sourcePath, ranges, fill, [&](const QByteArray& piece) {
        FileStatus written = writeAllAt(target, targetPath, at, piece);
        if (written)
            at += piece.size();
        return written;
    });
}

FileStatus SafeFile::copyToNewFile(int source, const QString& sourcePath,
                                   const QList<ByteRange>& ranges, const QString& target,
                                   char fill) {
    Descriptor out;
    FileStatus status = createExclusive(target, out);
    if (!status)
        return status;
    // Written in order from the start, as one stream.
    status = copyRanges(source, sourcePath, ranges, fill, [&](const QByteArray& piece) {
        return writeAll(out.get(), target, piece);
    });
    return finishNewFile(out, status);
}

FileStatus SafeFile::copyToNewFile(const QString& from, const QString& to) {
    Descriptor source;
    FileStatus status = openRegular(from, O_RDONLY, source);
    if (!status)
        return status;
    return copyToNewFile(source.get(), from, {ByteRange{}}, to, '\0');
}

FileStatus SafeFile::sameContent(const QString& first, const QString& second, bool& same) {
    same = false;
    Descriptor firstFd;
    FileStatus status = openRegular(first, O_RDONLY, firstFd);
    if (!status)
        return status;
    Descriptor secondFd;
    status = openRegular(second, O_RDONLY, secondFd);
    QByteArray firstPiece;
    QByteArray secondPiece;
    for (qint64 offset = 0; status; offset += kPieceBytes) {
        status = readAt(firstFd.get(), first, offset, kPieceBytes, firstPiece);
        if (status)
            status = readAt(secondFd.get(), second, offset, kPieceBytes, secondPiece);
        if (!status || firstPiece != secondPiece)
            break;
        if (firstPiece.size() < kPieceBytes) {
            same = true;
            break;
        }
    }
    // Closed in the order opened; neither was written, so a failing close loses nothing.
    firstFd.close();
    secondFd.close();
    return status;
}

FileStatus SafeFile::replaceContent(const QString& path, const QByteArray& content) {
    const QString temporary = AppPaths::replacementPath(path);
    // A copy left by an earlier crash is replaced, never written through.
    discard(temporary);
    FileStatus status = writeNewFile(temporary, content);
    if (status)
        status = renameOver(temporary, path);
    if (!status)
        discard(temporary);
    return status;
}

namespace {

// A hidden name beside path that no other program picks.
QString uniqueTemporaryName(const QString& path) {
    const QFileInfo target(path);
    return target.dir().filePath(
        AppPaths::uniqueTemporaryName(target.fileName(), QRandomGenerator::system()->generate64()));
}

constexpr int kNameAttempts = 64;

// An unnamed file in the folder, or -1 with errno; EOPNOTSUPP and the like when the file
// system cannot make one, or it could not be named afterwards (no /proc).
int openUnnamed(const QString& folder) {
    if (::access("/proc/self/fd", X_OK) != 0) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return retryInterrupted([&] {
        return ::open(nativePath(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC,
                      kPrivateFile);
    });
}

bool unnamedUnsupported(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// Gives the unnamed file the name, which must be free; errno tells a failure.
bool linkAs(int fd, const QString& name) {
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    return ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, nativePath(name).constData(),
                    AT_SYMLINK_FOLLOW) == 0;
}

// Gives the unnamed file a new name beside path; errno tells a failure.
bool linkUnique(int fd, const QString& path, QString& name) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        name = uniqueTemporaryName(path);
        if (linkAs(fd, name))
            return true;
        if (errno != EEXIST)
            break;
    }
    name.clear();
    return false;
}

// A new file under a new name beside path; errno tells a failure.
int createUnique(const QString& path, QString& name) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        name = uniqueTemporaryName(path);
        const int fd = openNew(name, O_WRONLY);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST)
            break;
    }
    name.clear();
    return -1;
}

} // namespace

FileStatus SafeFile::replaceWithNewFile(const QString& path, const QByteArray& content) {
    return replaceWithNewFile(path, [&](const PieceWriter& write) { return write(content); });
}

FileStatus SafeFile::replaceWithNewFile(const QString& path, const Pieces& pieces) {
    const QString folder = folderOf(path);
    QString temporary;
    int fd = openUnnamed(folder);
    const bool unnamed = fd >= 0;
    if (!unnamed && unnamedUnsupported(errno))
        fd = createUnique(path, temporary);
    if (fd < 0)
        return FileStatus::fromErrno(path, errno);

    FileStatus status = FileStatus::success();
    if (::fchmod(fd, kPrivateFile) != 0)
        status = FileStatus::fromErrno(path, errno);
    qint64 at = 0;
    if (status)
        status = pieces([&](const QByteArray& piece) {
            const FileStatus written = writeAllAt(fd, path, at, piece);
            at += piece.size();
            return written;
        });
    if (status)
        status = syncAll(fd, path);
    // A name still free is taken in one step, with no other name on the way; a file in place is
    // replaced by a rename from a name of this call's own.
    bool placed = false;
    if (status && unnamed) {
        placed = linkAs(fd, path);
        if (!placed && (errno != EEXIST || !linkUnique(fd, path, temporary)))
            status = FileStatus::fromErrno(path, errno);
    }
    if (status && !placed &&
        ::rename(nativePath(temporary).constData(), nativePath(path).constData()) != 0)
        status = FileStatus::fromErrno(path, errno);
    if (status)
        status = syncFolder(folder);
    // Only the name this call made, and only while it still names this call's file.
    bool ours = false;
    if (!status && !temporary.isEmpty() && holdsFileAt(fd, temporary, ours) && ours)
        discard(temporary);
    FileStatus closed = closeDescriptor(fd, path);
    return status ? closed : status;
}

FileStatus SafeFile::renameOver(const QString& from, const QString& to) {
    if (::rename(nativePath(from).constData(), nativePath(to).constData()) != 0)
        return FileStatus::fromErrno(to, errno);
    return syncFolder(folderOf(to));
}

FileStatus SafeFile::publishNew(const QString& from, const QString& to) {
    if (::renameat2(AT_FDCWD, nativePath(from).constData(), AT_FDCWD, nativePath(to).constData(),
                    RENAME_NOREPLACE) == 0)
        return FileStatus::success();
    if (errno != EINVAL && errno != ENOSYS)
        return FileStatus::fromErrno(to, errno);
    // A file system without the no-replace rename: a hard link fails on an existing name too.
    if (::link(nativePath(from).constData(), nativePath(to).constData()) != 0)
        return FileStatus::fromErrno(to, errno);
    if (::unlink(nativePath(from).constData()) != 0) {
        const int error = errno;
        ::unlink(nativePath(to).constData());
        return FileStatus::fromErrno(from, error);
    }
    return FileStatus::success();
}

FileStatus SafeFile::removeFile(const QString& path) {
    if (::unlink(nativePath(path).constData()) != 0) {
        if (errno == ENOENT)
            return FileStatus::success();
        return FileStatus::fromErrno(path, errno);
    }
    return syncFolder(folderOf(path));
}

FileStatus SafeFile::unlinkName(const QString& path) {
    if (::unlink(nativePath(path).constData()) != 0)
        return FileStatus::fromErrno(path, errno);
    return FileStatus::success();
}

void SafeFile::discard(const QString& path) {
    ::unlink(nativePath(path).constData());
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

FileStatus SafeFile::inspect(const QString& path, Entry& entry) {
    entry = Entry();
    struct stat info {};
    if (::lstat(nativePath(path).constData(), &info) != 0) {
        if (errno == ENOENT)
            return FileStatus::success();
        return FileStatus::fromErrno(path, errno);
    }
    entry.exists = true;
    entry.regular = S_ISREG(info.st_mode);
    entry.length = entry.regular ? info.st_size : 0;
    return FileStatus::success();
}

FileStatus SafeFile::writeAllAt(int fd, const QString& path, qint64 offset,
                                const QByteArray& bytes) {
    return writeAllAt(fd, path, offset, bytes.constData(), bytes.size());
}

FileStatus SafeFile::writeAllAt(int fd, const QString& path, qint64 offset, const char* data,
                                qint64 size) {
    return writeEvery(path, size, [&](qint64 done) {
        return ::pwrite(fd, data + done, static_cast<size_t>(size - done),
                        static_cast<off_t>(offset + done));
    });
}

FileStatus SafeFile::readExactlyAt(int fd, const QString& path, qint64 offset, char* data,
                                   qint64 size) {
    qint64 done = 0;
    while (done < size) {
        const ssize_t got = retryInterrupted([&] {
            return ::pread(fd, data + done, static_cast<size_t>(size - done),
                           static_cast<off_t>(offset + done));
        });
        if (got < 0)
            return FileStatus::fromErrno(path, errno);
        if (got == 0)
            return FileStatus::failure(path, QStringLiteral("The file ends before the bytes read"));
        done += got;
    }
    return FileStatus::success();
}

FileStatus SafeFile::openAnonymous(const QString& folder, Descriptor& fd) {
    const int opened = retryInterrupted([&] {
        return ::open(nativePath(folder).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, kPrivateFile);
    });
    if (opened < 0) {
        const int error = errno;
        fd = Descriptor();
        return FileStatus::fromErrno(folder, error);
    }
    fd = Descriptor(opened, folder);
    return FileStatus::success();
}

FileStatus SafeFile::fillAt(int fd, const QString& path, qint64 offset, qint64 count, char fill) {
    const QByteArray piece(static_cast<qsizetype>(std::min(count, kPieceBytes)), fill);
    for (qint64 done = 0; done < count; done += piece.size()) {
        const qint64 size = std::min<qint64>(piece.size(), count - done);
        FileStatus status = writeAllAt(fd, path, offset + done, piece.left(size));
        if (!status)
            return status;
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

FileStatus SafeFile::lengthOf(int fd, const QString& path, qint64& length) {
    length = 0;
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return FileStatus::fromErrno(path, errno);
    length = info.st_size;
    return FileStatus::success();
}

FileStatus SafeFile::truncateTo(int fd, const QString& path, qint64 length) {
    if (retryInterrupted([&] { return ::ftruncate(fd, static_cast<off_t>(length)); }) != 0)
        return FileStatus::fromErrno(path, errno);
    return syncData(fd, path);
}

FileStatus SafeFile::holdsFileAt(int fd, const QString& path, bool& same) {
    same = false;
    struct stat named {};
    struct stat held {};
    if (::lstat(nativePath(path).constData(), &named) != 0)
        return FileStatus::fromErrno(path, errno);
    if (::fstat(fd, &held) != 0)
        return FileStatus::fromErrno(path, errno);
    same = held.st_dev == named.st_dev && held.st_ino == named.st_ino;
    return FileStatus::success();
}

FileStatus SafeFile::liesWithin(const QString& path, const QStringList& folders, bool& within) {
    within = false;
    QList<QPair<dev_t, ino_t>> guarded;
    for (const QString& folder : folders) {
        struct stat info {};
        if (::stat(nativePath(folder).constData(), &info) == 0)
            guarded.append({info.st_dev, info.st_ino});
        else if (errno != ENOENT && errno != ENOTDIR)
            return FileStatus::fromErrno(folder, errno);
    }
    // The nearest folder of path that exists, with every link on the way resolved.
    QString level = QFileInfo(path).absolutePath();
    while (!QFileInfo::exists(level) && QFileInfo(level).absolutePath() != level)
        level = QFileInfo(level).absolutePath();
    level = QFileInfo(level).canonicalFilePath();
    while (!level.isEmpty()) {
        struct stat info {};
        if (::stat(nativePath(level).constData(), &info) != 0)
            return FileStatus::fromErrno(level, errno);
        if (guarded.contains(QPair<dev_t, ino_t>(info.st_dev, info.st_ino))) {
            within = true;
            return FileStatus::success();
        }
        const QString up = QFileInfo(level).absolutePath();
        level = up == level ? QString() : up;
    }
    return FileStatus::success();
}

FileStatus SafeFile::tryLockExclusive(int fd, const QString& path, bool& locked) {
    locked = retryInterrupted([&] { return ::flock(fd, LOCK_EX | LOCK_NB); }) == 0;
    if (locked || errno == EWOULDBLOCK)
        return FileStatus::success();
    return FileStatus::fromErrno(path, errno);
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

namespace {

// Calls visit(folder descriptor, name) for every name in the folder but "." and "..", until a
// visit fails. A missing folder holds none.
template <typename Visit> FileStatus forEachName(const QString& folder, Visit visit) {
    DIR* dir = ::opendir(nativePath(folder).constData());
    if (!dir)
        return errno == ENOENT ? FileStatus::success() : FileStatus::fromErrno(folder, errno);
    FileStatus status = FileStatus::success();
    int readError = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            readError = errno;
            break;
        }
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        status = visit(::dirfd(dir), entry->d_name, entry->d_type);
        if (!status)
            break;
    }
    ::closedir(dir);
    if (readError)
        return FileStatus::fromErrno(folder, readError);
    return status;
}

} // namespace

FileStatus SafeFile::listFolder(const QString& folder, QStringList& names) {
    names.clear();
    return forEachName(folder, [&](int, const char* name, unsigned char) {
        names.append(nameFromNative(QByteArray(name)));
        return FileStatus::success();
    });
}

FileStatus SafeFile::listFolder(const QString& folder, QList<FolderEntry>& entries,
                                Lengths lengths) {
    entries.clear();
    const FileStatus status =
        forEachName(folder, [&](int folderFd, const char* name, unsigned char type) {
            FolderEntry found{nameFromNative(QByteArray(name)), Entry()};
            if (lengths == Lengths::NotWanted && type != DT_UNKNOWN) {
                found.entry.exists = true;
                found.entry.regular = type == DT_REG;
                entries.append(std::move(found));
                return FileStatus::success();
            }
            struct stat info {};
            if (::fstatat(folderFd, name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
                found.entry.exists = true;
                found.entry.regular = S_ISREG(info.st_mode);
                found.entry.length = found.entry.regular ? info.st_size : 0;
            } else if (errno != ENOENT) {
                return FileStatus::fromErrno(folder + QLatin1Char('/') + found.name, errno);
            }
            entries.append(std::move(found));
            return FileStatus::success();
        });
    if (!status)
        entries.clear();
    return status;
}
