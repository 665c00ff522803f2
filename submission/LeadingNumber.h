#pragma once

#include <QString>

// The decimal number at the start of a text: leading blanks skipped, an optional sign, digits
// with at most one decimal point, read up to the first character that cannot continue it.
// A text that does not begin with a number has the value 0. The submission counter and the
// printed result are both read this way.
namespace LeadingNumber {

double valueOf(const QString& text);

} // namespace LeadingNumber
