#include "submission/SubmissionCounter.h"

#include "storage/SafeFile.h"
#include "storage/TextValue.h"

#include <algorithm>
#include <cmath>

int SubmissionCounter::valueOf(const QByteArray& record) {
    const double number = TextValue::numericValue(QString::fromLatin1(record.left(RecordLength)));
    // Six characters hold at most 999999, so the whole part always fits an int.
    const double whole = std::trunc(number);
    if (whole < 1.0)
        return 1;
    return static_cast<int>(whole);
}

QByteArray SubmissionCounter::format(int value) {
    Q_ASSERT(value >= 1 && value <= Largest);
    return QByteArray::number(value).leftJustified(RecordLength, ' ', true);
}

FileStatus SubmissionCounter::read(const QString& path, int& value) {
    FileStatus status = SafeFile::createIfMissing(path);
    if (!status)
        return status;
    QByteArray record;
    status = SafeFile::readPrefix(path, record, RecordLength);
    if (!status)
        return status;
    value = valueOf(record);
    return FileStatus::success();
}

FileStatus SubmissionCounter::write(const QString& path, int value) {
    return SafeFile::writeAt(path, 0, format(value));
}

FileStatus SubmissionCounter::advance(const QString& path, int& taken, qulonglong lowest) {
    int stored = 0;
    FileStatus status = read(path, stored);
    if (!status)
        return status;
    const qulonglong value = std::max<qulonglong>(qulonglong(stored), lowest);
    if (value >= qulonglong(Largest)) {
        return FileStatus::failure(
            path, QStringLiteral("The submission counter has reached %1, the largest number its "
                                 "file can hold; no submission file was made and no record "
                                 "was changed.")
                      .arg(Largest));
    }
    const int current = int(value);
    status = write(path, current + 1);
    if (!status)
        return status;
    taken = current;
    return FileStatus::success();
}
