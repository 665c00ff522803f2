#include "storage/RecordFile.h"

#include <algorithm>

#include "storage/RecordStore.h"
#include "storage/SafeFile.h"
#include "storage/Windows1252.h"

RecordFile::RecordFile(QByteArray bytes)
    : bytes_(std::move(bytes)), recordCount_(RecordStore::countForLength(bytes_.size())) {
    const char* data = bytes_.constData();
    const qsizetype lineEnd = ResultRecord::offset(ResultRecord::LineEnd);
    for (int n = 0; n < wholeRecords(); ++n) {
        const char* end = data + qsizetype(n) * ResultRecord::Size + lineEnd;
        if (end[0] != '\r' || end[1] != '\n')
            ++withoutLineEnd_;
    }
}

FileStatus RecordFile::read(const QString& path, RecordFile& file) {
    QByteArray bytes;
    const FileStatus status = SafeFile::readPrefix(path, bytes);
    file = status ? RecordFile(std::move(bytes)) : RecordFile();
    return status;
}

ResultRecord RecordFile::record(int n) const {
    // decode copies what it reads, so the bytes are looked at in place.
    const qsizetype at = qsizetype(n - 1) * ResultRecord::Size;
    const qsizetype size = std::clamp<qsizetype>(bytes_.size() - at, 0, ResultRecord::Size);
    return ResultRecord::decode(size > 0 ? QByteArray::fromRawData(bytes_.constData() + at, size)
                                         : QByteArray());
}

QString RecordFile::field(int n, ResultRecord::Field field) const {
    // Bytes past the end of a torn record count as blanks. Blanks are trimmed before decoding,
    // so that a search over thousands of records makes one string a field.
    const qsizetype start = qsizetype(n - 1) * ResultRecord::Size + ResultRecord::offset(field);
    qsizetype begin = qMin(start, bytes_.size());
    qsizetype end = qMin(start + ResultRecord::width(field), bytes_.size());
    while (begin < end && bytes_.at(begin) == ' ')
        ++begin;
    while (end > begin && bytes_.at(end - 1) == ' ')
        --end;
    return Windows1252::decode(QByteArray::fromRawData(bytes_.constData() + begin, end - begin));
}

QString RecordFile::damage() const {
    return damageText(wholeRecords(), leftOver(), withoutLineEnd_);
}

QString RecordFile::damageText(int wholeRecords, int leftOver, int withoutLineEnd) {
    if (leftOver == 0 && withoutLineEnd == 0)
        return QString();
    QString text = QStringLiteral("damaged: %1 whole record%2")
                       .arg(wholeRecords)
                       .arg(wholeRecords == 1 ? "" : "s");
    if (leftOver > 0)
        text += QStringLiteral(", %1 byte%2 left over").arg(leftOver).arg(leftOver == 1 ? "" : "s");
    if (withoutLineEnd > 0)
        text += QStringLiteral(", %1 not ended by CR LF").arg(withoutLineEnd);
    return text;
}
