#include "reference/ReferenceText.h"

#include "storage/SafeFile.h"
#include "storage/Windows1252.h"

QStringList ReferenceText::splitLines(const QByteArray& bytes) {
    const QString text = Windows1252::decode(bytes);
    QStringList lines;
    qsizetype lineStart = 0;
    qsizetype at = 0;
    const qsizetype size = text.size();
    while (at < size) {
        const QChar ch = text.at(at);
        if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) {
            lines.append(text.mid(lineStart, at - lineStart));
            if (ch == QLatin1Char('\r') && at + 1 < size && text.at(at + 1) == QLatin1Char('\n'))
                ++at;
            ++at;
            lineStart = at;
        } else {
            ++at;
        }
    }
    if (lineStart < size)
        lines.append(text.mid(lineStart));
    return lines;
}

FileStatus ReferenceText::readLines(const QString& path, QStringList& lines) {
    lines.clear();
    QByteArray bytes;
    const FileStatus status = SafeFile::readPrefix(path, bytes);
    if (!status)
        return status;
    lines = splitLines(bytes);
    return FileStatus::success();
}
