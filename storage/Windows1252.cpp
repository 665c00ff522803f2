#include "storage/Windows1252.h"

#include <array>

namespace {

// 0x80 to 0x9F; the rest of the code page is the same as Latin-1. Undefined bytes map to the
// C1 control character of the same value.
constexpr std::array<char16_t, 32> kHighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char encodeOne(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<char>(unit);
    for (std::size_t i = 0; i < kHighControlRange.size(); ++i) {
        if (kHighControlRange[i] == unit)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

} // namespace

QString Windows1252::decode(QByteArrayView bytes) {
    // One pass into a string of the final size: the city file has tens of thousands of lines.
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        *out++ = (value >= 0x80 && value < 0xA0) ? kHighControlRange[value - 0x80] : value;
    }
    return text;
}

QByteArray Windows1252::encode(const QString& text) {
    // Written in place into a buffer of the largest size, cut to what was written.
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    qsizetype written = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        // A character outside the basic plane is two UTF-16 units but one character: one "?".
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        out[written++] = encodeOne(ch.unicode());
    }
    bytes.truncate(written);
    return bytes;
}

bool Windows1252::keepsAsIs(const QString& text) {
    for (const QChar ch : text) {
        const char16_t unit = ch.unicode();
        if (unit >= 0x80 && (unit < 0xA0 || unit > 0xFF))
            return false;
    }
    return true;
}
