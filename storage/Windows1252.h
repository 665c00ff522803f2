#pragma once

#include <QByteArray>
#include <QString>

// The 8-bit code page of the data, reference and submission files: one byte is one character.
// Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D, undefined in the code page, read as U+0081 etc. and
// are written back unchanged, so that bytes read and written again stay identical.
namespace Windows1252 {

QString decode(QByteArrayView bytes);

// A character the code page cannot represent becomes "?", one byte, so no column ever shifts.
QByteArray encode(const QString& text);

// True when every character is one the code page stores as the byte of its own value (ASCII and
// U+00A0 to U+00FF): then decode(encode(text)) is the text itself.
bool keepsAsIs(const QString& text);

} // namespace Windows1252
