#include "submission/LeadingNumber.h"

double LeadingNumber::valueOf(const QString& text) {
    qsizetype position = 0;
    while (position < text.size() && text.at(position) == QLatin1Char(' '))
        ++position;
    const qsizetype start = position;
    if (position < text.size() &&
        (text.at(position) == QLatin1Char('+') || text.at(position) == QLatin1Char('-')))
        ++position;
    bool sawDigit = false;
    bool sawPoint = false;
    for (; position < text.size(); ++position) {
        const QChar character = text.at(position);
        if (character >= QLatin1Char('0') && character <= QLatin1Char('9')) {
            sawDigit = true;
        } else if (character == QLatin1Char('.') && !sawPoint) {
            sawPoint = true;
        } else {
            break;
        }
    }
    if (!sawDigit)
        return 0.0;
    // Only ASCII digits, a sign and a point remain: the C-locale conversion cannot fail.
    return text.mid(start, position - start).toDouble();
}
