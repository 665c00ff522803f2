#include "storage/FileStatus.h"

#include <cstring>

FileStatus FileStatus::fromErrno(const QString& path, int error) {
    return failure(path, QString::fromLocal8Bit(std::strerror(error)));
}

QString FileStatus::describe() const {
    if (ok())
        return QString();
    return QStringLiteral("%1: %2").arg(path_, reason_);
}
