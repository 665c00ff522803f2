#pragma once

#include "storage/FileStatus.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <functional>

// The program's one file layer, on the POSIX calls, so that a failure is never reported as
// success and a crash never leaves a file torn or missing. Files created are 0600 and folders
// 0700 whatever the umask: they hold patient data. A file is only ever opened when it is a
// regular file standing under its own name: a final symbolic link is never followed, and a
// link, folder, pipe or device in its place is refused with a message naming it.
namespace SafeFile {

// File names are bytes; a name is UTF-8 in practice but need not be. nameFromNative decodes the
// bytes as UTF-8, each byte that is not part of valid UTF-8 becoming the lone surrogate
// U+DC80 + (byte - 0x80); nativePath turns such a surrogate back into its byte. The two are
// exact inverses, so that every name a folder lists can be opened, and they are the only
// conversion between names and bytes.
QString nameFromNative(const QByteArray& name);
// The path as the system calls take it.
QByteArray nativePath(const QString& path);
// The name as the operator reads it: a byte that is not UTF-8 shows as U+FFFD.
QString displayName(const QString& name);

// Runs a system call again while a signal interrupts it.
template <typename Call> auto retryInterrupted(Call call) {
    decltype(call()) result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

// Why what stands at path is not taken as a file: a link, a folder, a pipe or a device.
FileStatus notRegularFile(const QString& path, unsigned mode);

// An open descriptor that closes itself when it goes out of scope (a failed close unreported
// there: the caller that cares calls close()). Move-only: one owner closes it, once.
class Descriptor {
public:
    Descriptor() = default;
    Descriptor(int fd, const QString& path) : fd_(fd), path_(path) {}
    ~Descriptor();
    Descriptor(Descriptor&& other) noexcept;
    Descriptor& operator=(Descriptor&& other) noexcept;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    // The file it was opened for, as failures name it.
    const QString& path() const { return path_; }
    // Closes it now and reports a failing close; nothing to do when it is not open.
    FileStatus close();

private:
    int fd_ = -1;
    QString path_;
};

// Opening. fd is -1 after a failure.

// Opens the existing regular file with the flags (O_RDONLY, O_RDWR, O_WRONLY).
FileStatus openRegular(const QString& path, int flags, int& fd);
// The same, creating the file 0600 when missing; created tells which happened.
FileStatus openOrCreate(const QString& path, int flags, int& fd, bool& created);
// Creates a new file 0600 for writing; anything under the name, a link included, is a failure.
FileStatus createExclusive(const QString& path, int& fd);
// The same two, the descriptor closing itself.
FileStatus openRegular(const QString& path, int flags, Descriptor& fd);
FileStatus createExclusive(const QString& path, Descriptor& fd);

// Opens a new file in the folder for reading and writing that has no name (O_TMPFILE), 0600:
// it is gone once closed, and after a crash, so that nothing it holds is ever left behind. A
// file system that cannot make one is a failure; path is the folder.
FileStatus openAnonymous(const QString& folder, Descriptor& fd);

// Whole files.

// Creates the folder (last level only) with mode 0700 when it is missing.
FileStatus makePrivateFolder(const QString& path);
// Creates an empty file with mode 0600 when it is missing; an existing file is left alone.
FileStatus createIfMissing(const QString& path);
// Reads at most maxBytes from the start of the file (all of it when maxBytes < 0).
FileStatus readPrefix(const QString& path, QByteArray& out, qint64 maxBytes = -1);
// Writes the bytes at the offset (creating the file when missing), keeps every other byte, and
// returns once the data is on the disk.
FileStatus writeAt(const QString& path, qint64 offset, const QByteArray& bytes);
// Creates the file, which must not exist, writes all the bytes and flushes them; whatever it
// created is removed again when a step fails.
FileStatus writeNewFile(const QString& path, const QByteArray& bytes);
// A piece of a file: the bytes [from, to); to < 0 reaches to the end of the file.
struct ByteRange {
    qint64 from = 0;
    qint64 to = -1;
};
// Creates the file target, which must not exist, and writes into it, in order, the bytes of each
// range of the open file source (read at their offsets: the descriptor's position is left
// alone; sourcePath only names it in the status). Where the source ends before a range's end,
// the rest of that range is filled with the byte fill. Reads and writes go in large pieces, so
// that the memory taken does not grow with the file. The copy is flushed before success;
// whatever it created is removed again when a step fails.
FileStatus copyToNewFile(int source, const QString& sourcePath, const QList<ByteRange>& ranges,
                         const QString& target, char fill);
// The same into the open file target from its offset at on (written with pwrite, in order);
// nothing is flushed. at is where the copy ended.
FileStatus copyInto(int source, const QString& sourcePath, const QList<ByteRange>& ranges,
                    int target, const QString& targetPath, char fill, qint64& at);
// The whole regular file from into the new file to, as above.
FileStatus copyToNewFile(const QString& from, const QString& to);
// Whether the two regular files hold the same bytes, read back from the file system a piece at
// a time.
FileStatus sameContent(const QString& first, const QString& second, bool& same);
// Replaces the file's whole content through a new file beside it, renamed over it; a failure
// leaves the old content in place.
FileStatus replaceContent(const QString& path, const QByteArray& content);
// Puts a new file with the content under path, replacing what stands there, through a file
// that only this call made: unnamed (O_TMPFILE) until it is complete where the file system has
// that, then linked as path when the name is free; otherwise under a new hidden name of its own
// (.NAME.<random>.tmp, created exclusively) that is renamed over path. No other file in the
// folder is removed or written, and path never holds part of the content. A crash leaves at most
// that hidden file: complete, in the moment before the rename, where the file system makes
// unnamed files; as far as it was written where it does not. Every failure names path.
FileStatus replaceWithNewFile(const QString& path, const QByteArray& content);
// Writes the next piece of a file being made, after the pieces before it.
using PieceWriter = std::function<FileStatus(const QByteArray& piece)>;
// Makes a file's content a piece at a time through the writer; its failure, or the writer's,
// is the failure.
using Pieces = std::function<FileStatus(const PieceWriter& write)>;
// The same, the content made a piece at a time while it is written, so that a long file is
// never held whole; a failure of pieces leaves the old file in place too.
FileStatus replaceWithNewFile(const QString& path, const Pieces& pieces);
// Renames from over to, then flushes the folder of to.
FileStatus renameOver(const QString& from, const QString& to);
// Gives from the new name to, never replacing a file already there (RENAME_NOREPLACE, or a
// hard link where the file system lacks it). The caller flushes the folder.
FileStatus publishNew(const QString& from, const QString& to);
// Removes the name (a link itself, never its target) and flushes the folder. Missing is fine.
FileStatus removeFile(const QString& path);
// Removes the name only; the caller flushes the folder. Missing is a failure here.
FileStatus unlinkName(const QString& path);
// Removes the name without flushing or reporting: the clean-up after a failure already told.
void discard(const QString& path);
// Flushes the folder itself, so that a rename or removal in it survives a crash.
FileStatus syncFolder(const QString& path);

// What stands at path, without following a final link: exists is false when nothing does;
// regular and length describe a regular file.
struct Entry {
    bool exists = false;
    bool regular = false;
    qint64 length = 0;
};
FileStatus inspect(const QString& path, Entry& entry);

// Whether path lies in one of the folders or in a folder below one, links followed and folders
// compared by device and inode, so that another name for the same folder (a link, a bind mount)
// counts as that folder. A path whose folder does not exist is judged by its nearest existing
// folder; a folder of the list that does not exist holds nothing.
FileStatus liesWithin(const QString& path, const QStringList& folders, bool& within);

// Every name in the folder but "." and "..", as nameFromNative decodes it. A failing read of the
// folder is an error (a listing that passed over it would hide files); a missing folder holds none.
FileStatus listFolder(const QString& folder, QStringList& names);
// The same, with what stands under each name (as inspect says, without building each path).
// Without lengths, what kind of entry a name is comes from the listing itself where the file
// system tells it (one call a batch of names instead of one a name: a slow share answers each
// call late), and every length is 0.
struct FolderEntry {
    QString name;
    Entry entry;
};
enum class Lengths { Wanted, NotWanted };
FileStatus listFolder(const QString& folder, QList<FolderEntry>& entries,
                      Lengths lengths = Lengths::Wanted);

// Descriptor-level pieces for callers that keep a file open; path only names the file in the
// status. All retry a call interrupted by a signal.

// Writes all the bytes at the offset (a short write is continued, never reported as success).
FileStatus writeAllAt(int fd, const QString& path, qint64 offset, const QByteArray& bytes);
// Writes count copies of the byte fill at the offset, a piece at a time, so that a long run
// needs no buffer of its size.
FileStatus fillAt(int fd, const QString& path, qint64 offset, qint64 count, char fill);
// The same from size bytes at data.
FileStatus writeAllAt(int fd, const QString& path, qint64 offset, const char* data, qint64 size);
// Reads up to maxBytes at the offset, fewer only at the end of the file; never past it.
FileStatus readAt(int fd, const QString& path, qint64 offset, qint64 maxBytes, QByteArray& out);
// Reads exactly size bytes at the offset into data; a file that ends before is a failure.
FileStatus readExactlyAt(int fd, const QString& path, qint64 offset, char* data, qint64 size);
// The file's length; a failure is never taken as an empty file.
FileStatus lengthOf(int fd, const QString& path, qint64& length);
// Cuts the file back to the length and flushes it.
FileStatus truncateTo(int fd, const QString& path, qint64 length);
// Whether the descriptor still holds the file that now stands under path.
FileStatus holdsFileAt(int fd, const QString& path, bool& same);
// Takes the exclusive advisory lock (flock) on the file without waiting; locked tells whether
// it was free. Another process holding it is no failure.
FileStatus tryLockExclusive(int fd, const QString& path, bool& locked);
// fdatasync: the data and the length on the disk.
FileStatus syncData(int fd, const QString& path);
// fsync: the data and all metadata on the disk.
FileStatus syncAll(int fd, const QString& path);
// Closes the descriptor and reports a failing close (the descriptor is gone either way).
FileStatus closeDescriptor(int fd, const QString& path);

} // namespace SafeFile
