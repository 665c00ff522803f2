#include "storage/TextValue.h"

namespace {

constexpr QChar kBlank = QLatin1Char(' ');

bool isDigit(QChar ch) {
    return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
}

} // namespace

bool TextValue::isBlank(const QString& text) {
    for (QChar ch : text) {
        if (ch != kBlank)
            return false;
    }
    return true;
}

QString TextValue::trimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == kBlank)
        ++begin;
    while (end > begin && text.at(end - 1) == kBlank)
        --end;
    return text.mid(begin, end - begin);
}

QString TextValue::trimTrailingBlanks(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == kBlank)
        --end;
    return text.left(end);
}

double TextValue::numericValue(const QString& text) {
    qsizetype at = 0;
    while (at < text.size() && text.at(at) == kBlank)
        ++at;
    const qsizetype numberStart = at;
    if (at < text.size() && (text.at(at) == QLatin1Char('+') || text.at(at) == QLatin1Char('-')))
        ++at;
    bool seenDigit = false;
    bool seenPoint = false;
    for (; at < text.size(); ++at) {
        const QChar ch = text.at(at);
        if (isDigit(ch)) {
            seenDigit = true;
        } else if (ch == QLatin1Char('.') && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!seenDigit)
        return 0.0;
    // The prefix now holds only a sign, digits and one point: a form toDouble always accepts.
    bool ok = false;
    const double value = text.mid(numberStart, at - numberStart).toDouble(&ok);
    return ok ? value : 0.0;
}

QString TextValue::oneLine(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}
