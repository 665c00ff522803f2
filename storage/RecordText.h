#pragma once

#include "storage/ResultRecord.h"

#include <QString>

#include <optional>

// What text a record can hold: characters of Windows-1252 that are not control characters.
// A control character (below 0x20, and 0x7F) inside a 196-character line would break the line
// for a reader at the state; a character outside the code page would be stored as "?".
namespace RecordText {

bool isControl(QChar ch);

// Every field but the line end with each control character turned into one blank, so that no
// such byte reaches the file even when the window still held one (a hand-edited data file shown
// and saved again).
ResultRecord withControlsBlanked(ResultRecord record);

// Text typed or pasted into a box, made fit for a record: a line break (CR LF, CR or LF) or any
// other control character becomes one blank. Nothing when it holds a character the code page
// cannot represent (Greek, Chinese, an emoji): such text is refused as a whole.
std::optional<QString> fromEntry(const QString& text);

} // namespace RecordText
