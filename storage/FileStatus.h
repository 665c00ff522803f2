#pragma once

#include <QString>

// The outcome of a file operation: success, or the file concerned and the system's reason.
// Every file operation of the program reports through this, so that the window can name the
// file and the reason to the operator instead of ending the program.
class FileStatus {
public:
    FileStatus() = default;
    static FileStatus success() { return FileStatus(); }
    // A failure the program itself recognised; it carries no system error.
    static FileStatus failure(const QString& path, const QString& reason) {
        FileStatus status;
        status.failed_ = true;
        status.path_ = path;
        status.reason_ = reason;
        return status;
    }
    // A failure of a system call, e.g. FileStatus::fromErrno(path, errno).
    static FileStatus fromErrno(const QString& path, int error);

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const QString& path() const { return path_; }
    const QString& reason() const { return reason_; }
    // The system's error number, 0 when there is none.
    int error() const { return error_; }
    // One line for a message box: the file, then the reason.
    QString describe() const;
    // The sentence that tells the operator what to look at, empty when no advice fits.
    QString advice() const { return adviceFor(error_); }

    // ENOSPC: free space; EIO or a drive that is gone: check the disk; EACCES, EPERM, EROFS:
    // permissions or a read-only folder; anything else: nothing, the reason says it.
    static QString adviceFor(int error);

private:
    bool failed_ = false;
    int error_ = 0;
    QString path_;
    QString reason_;
};
