#pragma once

#include <QString>

// The outcome of a file operation: success, or the file concerned and the system's reason.
// Every file operation of the program reports through this, so that the window can name the
// file and the reason to the operator instead of ending the program.
class FileStatus {
public:
    FileStatus() = default;
    static FileStatus success() { return FileStatus(); }
    static FileStatus failure(const QString& path, const QString& reason) {
        FileStatus status;
        status.failed_ = true;
        status.path_ = path;
        status.reason_ = reason;
        return status;
    }
    // A failure from the current errno, e.g. FileStatus::fromErrno(path, errno).
    static FileStatus fromErrno(const QString& path, int error);

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const QString& path() const { return path_; }
    const QString& reason() const { return reason_; }
    // One line for a message box: the file, then the reason.
    QString describe() const;

private:
    bool failed_ = false;
    QString path_;
    QString reason_;
};
