#include "storage/RecordFile.h"

#include "storage/RecordStore.h"
#include "storage/SafeFile.h"
#include "storage/TextValue.h"
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

QByteArray RecordFile::recordBytes(int n) const {
    return bytes_.mid(qsizetype(n - 1) * ResultRecord::Size, ResultRecord::Size);
}

ResultRecord RecordFile::record(int n) const {
    return ResultRecord::decode(recordBytes(n));
}

QString RecordFile::field(int n, ResultRecord::Field field) const {
    // Bytes past the end of a torn record are blanks, which trimming removes.
    const qsizetype start = qsizetype(n - 1) * ResultRecord::Size + ResultRecord::offset(field);
    return TextValue::trimBlanks(
        Windows1252::decode(bytes_.mid(start, ResultRecord::width(field))));
}

QString RecordFile::damage() const {
    if (isWhole())
        return QString();
    QString text = QStringLiteral("damaged: %1 whole record%2")
                       .arg(wholeRecords())
                       .arg(wholeRecords() == 1 ? "" : "s");
    if (leftOver() > 0)
        text +=
            QStringLiteral(", %1 byte%2 left over").arg(leftOver()).arg(leftOver() == 1 ? "" : "s");
    if (withoutLineEnd_ > 0)
        text += QStringLiteral(", %1 not ended by CR LF").arg(withoutLineEnd_);
    return text;
}
