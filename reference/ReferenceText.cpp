#include "reference/ReferenceText.h"

#include "storage/SafeFile.h"
#include "storage/Windows1252.h"

#include <algorithm>
#include <cstring>

namespace {

// Bytes 0x80 to 0x9F are the only ones Windows-1252 reads differently from Latin-1. Looked for
// in blocks without an early exit, which the compiler turns into vector code.
bool hasWindowsOnlyBytes(const char* begin, const char* end) {
    constexpr qsizetype kBlock = 4096;
    while (begin < end) {
        const char* const blockEnd = begin + std::min<qsizetype>(kBlock, end - begin);
        unsigned char found = 0;
        for (const char* at = begin; at < blockEnd; ++at)
            found |= static_cast<unsigned char>(static_cast<unsigned char>(*at - 0x80) < 0x20);
        if (found)
            return true;
        begin = blockEnd;
    }
    return false;
}

// One line's bytes as text, in one allocation; Latin-1 text takes Qt's fast conversion.
QString decodeLine(const char* begin, const char* end, bool mayHoldWindowsOnlyBytes) {
    const auto size = static_cast<qsizetype>(end - begin);
    if (!mayHoldWindowsOnlyBytes || !hasWindowsOnlyBytes(begin, end))
        return QString::fromLatin1(begin, size);
    return Windows1252::decode(QByteArray::fromRawData(begin, size));
}

const char* find(const char* begin, const char* end, char byte) {
    const void* found = std::memchr(begin, byte, static_cast<size_t>(end - begin));
    return found ? static_cast<const char*>(found) : end;
}

} // namespace

QStringList ReferenceText::splitLines(const QByteArray& bytes) {
    const char* at = bytes.constData();
    const char* const end = at + bytes.size();
    // Most files are plain ASCII: one look at the whole file spares each line its own.
    const bool mayHoldWindowsOnlyBytes = hasWindowsOnlyBytes(at, end);
    QStringList lines;
    while (at < end) {
        // The line ends at its first CR or LF; a CR is only looked for before the next LF, so
        // that a file of LF line ends is not searched to its end for every line.
        const char* lineEnd = find(at, end, '\n');
        lineEnd = find(at, lineEnd, '\r');
        lines.append(decodeLine(at, lineEnd, mayHoldWindowsOnlyBytes));
        if (lineEnd == end)
            break;
        if (*lineEnd == '\r' && lineEnd + 1 < end && lineEnd[1] == '\n')
            ++lineEnd;
        at = lineEnd + 1;
    }
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
