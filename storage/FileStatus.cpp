#include "storage/FileStatus.h"

#include <cerrno>
#include <cstring>

FileStatus FileStatus::fromErrno(const QString& path, int error) {
    FileStatus status = failure(path, QString::fromLocal8Bit(std::strerror(error)));
    status.error_ = error;
    return status;
}

QString FileStatus::describe() const {
    if (ok())
        return QString();
    return QStringLiteral("%1: %2").arg(path_, reason_);
}

QString FileStatus::adviceFor(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return QStringLiteral("Please free some space on the disk and try again.");
    case EIO:
    case ENODEV:
    case ENXIO:
    case ENOMEDIUM:
    case ESTALE:
        return QStringLiteral("Please check the disk (a removed drive, a failing disk) and try "
                              "again.");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("Please check that the folder may be written (its permissions, or "
                              "a disk or folder that is read-only) and try again.");
    default:
        return QString();
    }
}
