#pragma once

#include "storage/FileStatus.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cerrno>

// Crash-safe file primitives on the POSIX calls, so that a failure is never reported as
// success and a crash never leaves a file torn or missing. Files created are 0600 and folders
// 0700 whatever the umask: they hold patient data.
namespace SafeFile {

// The path as the system calls take it.
inline QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

// Runs a system call again while a signal interrupts it.
template <typename Call> auto retryInterrupted(Call call) {
    decltype(call()) result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

// Creates the folder (last level only) with mode 0700 when it is missing.
FileStatus makePrivateFolder(const QString& path);

// Creates an empty file with mode 0600 when it is missing; an existing file is left alone.
FileStatus createIfMissing(const QString& path);

// Reads at most maxBytes from the start of the file (all of it when maxBytes < 0).
FileStatus readPrefix(const QString& path, QByteArray& out, qint64 maxBytes = -1);

// Writes the bytes at the offset (creating the file 0600 when missing), keeps every other byte
// of the file, and returns only once the data is on the disk (fdatasync).
FileStatus writeAt(const QString& path, qint64 offset, const QByteArray& bytes);

// Replaces the file's whole content: writes a temporary file beside it, flushes it, renames it
// over the target and flushes the folder. A failure leaves the old content in place.
FileStatus replaceContent(const QString& path, const QByteArray& content);

// Renames from over to and flushes the folder of to.
FileStatus renameOver(const QString& from, const QString& to);

// Removes the file and flushes its folder. A missing file is not an error.
FileStatus removeFile(const QString& path);

// Flushes the folder itself, so that a rename or removal in it survives a crash.
FileStatus syncFolder(const QString& path);

// Descriptor-level pieces for callers that keep a file open; path only names the file in the
// status. All retry a call interrupted by a signal.

// Writes all the bytes at the offset (a short write is continued, never reported as success).
FileStatus writeAllAt(int fd, const QString& path, qint64 offset, const QByteArray& bytes);

// Reads up to maxBytes at the offset, fewer only at the end of the file; never past it.
FileStatus readAt(int fd, const QString& path, qint64 offset, qint64 maxBytes, QByteArray& out);

// fdatasync: the data and the length on the disk.
FileStatus syncData(int fd, const QString& path);

// fsync: the data and all metadata on the disk.
FileStatus syncAll(int fd, const QString& path);

// Opens the file with the flags (O_RDWR, O_WRONLY...), creating it with mode 0600 whatever the
// umask when it is missing; created tells which happened. -1 with errno on failure.
int openPrivate(const QString& path, int flags, bool& created);

// Closes the descriptor and reports a failing close (the descriptor is gone either way).
FileStatus closeDescriptor(int fd, const QString& path);

} // namespace SafeFile
