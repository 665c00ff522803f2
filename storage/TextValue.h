#pragma once

#include <QString>

// How the program reads the texts it keeps: whether a text holds anything, and the number at its
// start. Numbers (the result, the provider code, the submission counter) are kept as text and
// always read through numericValue.
namespace TextValue {

// True when nothing is left after removing leading and trailing blanks (0x20); an empty text is
// blank. Other white space (a tab) counts as content, as it does for the trimmed record fields.
bool isBlank(const QString& text);

// The text without its leading and trailing blanks (0x20 only).
QString trimBlanks(const QString& text);

// The text without its trailing blanks (0x20 only).
QString trimTrailingBlanks(const QString& text);

// The decimal number at the start of the text: leading blanks skipped, an optional sign, digits
// with at most one decimal point, read up to the first character that cannot continue it. A text
// without a leading number ("", ".", "-", "abc") gives 0. "12.5 mg" gives 12.5, "1.2.3" gives 1.2.
double numericValue(const QString& text);

// The text on one line, for a list cell: every line break (CR LF or LF) becomes one blank.
QString oneLine(QString text);

} // namespace TextValue
