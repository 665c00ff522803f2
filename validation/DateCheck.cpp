#include "validation/DateCheck.h"

namespace {

const QString kLineBreak = QStringLiteral("\r\n");
const QString kFormatAdvice = QStringLiteral("Enter MM/DD/YYYY (4 digit year required).");

struct DateTexts {
    const char* invalid;
    const char* future;
    const char* firstOrderRule;
    const char* secondOrderRule;
};

DateTexts textsFor(WhichDate whichDate) {
    switch (whichDate) {
    case DateTakenCode:
        return {"Date Taken is not valid or is incomplete.",
                "Date Taken must be earlier than or equal to today.",
                "Date Taken must be before or equal to Analysis Date",
                "Date Taken must be equal to or after Date of Birth"};
    case DateOfBirthCode:
        return {"Date of Birth Taken is not valid or is incomplete.",
                "Date of Birth must be earlier than today.",
                "Date of Birth must be equal to or before Date Taken",
                "Date of Birth must be equal to or before Analysis Date"};
    default:
        return {"Analysis Date is not valid or is incomplete.",
                "Analysis Date must be earlier than or equal to today.",
                "Analysis Date must be equal to or after Date Taken",
                "Analysis Date must be equal to or after Date of Birth"};
    }
}

bool isDigit(QChar ch) {
    return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
}

// A non-empty text of digits only, read as an integer; -1 otherwise.
int digitsValue(const QString& text) {
    if (text.isEmpty())
        return -1;
    int value = 0;
    for (QChar ch : text) {
        if (!isDigit(ch))
            return -1;
        value = value * 10 + (ch.unicode() - '0');
    }
    return value;
}

struct DatePieces {
    QString month;
    QString day;
    QString year;
};

DatePieces splitByPosition(const QString& raw) {
    return {raw.left(2), raw.mid(2, 2), raw.right(4)};
}

bool passesFormAndCalendar(const DatePieces& pieces) {
    const QString yearMonthDay = pieces.year + pieces.month + pieces.day;
    if (!yearMonthDay.startsWith(QLatin1String("19")) &&
        !yearMonthDay.startsWith(QLatin1String("20")))
        return false;
    if (pieces.year.size() != 4)
        return false;
    const int month = digitsValue(pieces.month);
    const int day = digitsValue(pieces.day);
    const int year = digitsValue(pieces.year);
    if (month < 0 || day < 0 || year < 0)
        return false;
    return QDate::isValid(year, month, day);
}

int todayNumber(const QDate& today) {
    return today.year() * 10000 + today.month() * 100 + today.day();
}

DateCheckDecision messageDecision(const QString& message, bool emptyBox) {
    DateCheckDecision decision;
    decision.showMessage = true;
    decision.message = message;
    decision.emptyBox = emptyBox;
    decision.focusBox = true;
    return decision;
}

} // namespace

int DateCheck::dateNumber(const QString& raw) {
    const DatePieces pieces = splitByPosition(raw);
    // At most eight characters, so the value always fits.
    const QString digits = pieces.year + pieces.month + pieces.day;
    int value = 0;
    for (QChar ch : digits) {
        if (!isDigit(ch))
            break;
        value = value * 10 + (ch.unicode() - '0');
    }
    return value;
}

QString DateCheck::dateRawValue(const QDate& day) {
    return day.toString(QStringLiteral("MMddyyyy"));
}

DateCheckDecision DateCheck::decideValidateDate(const QString& checkDate, WhichDate whichDate,
                                                const DateBoxValues& boxes, const QDate& today) {
    if (whichDate < DateTakenCode || whichDate > AnalysisDateCode)
        return {};
    if (checkDate.isEmpty())
        return {};
    const DateTexts texts = textsFor(whichDate);

    if (!passesFormAndCalendar(splitByPosition(checkDate)))
        return messageDecision(QLatin1String(texts.invalid) + kLineBreak + kFormatAdvice, false);

    const int entered = dateNumber(checkDate);
    if (entered > todayNumber(today))
        return messageDecision(QLatin1String(texts.future), false);

    const int dateTaken = whichDate == DateTakenCode ? entered : dateNumber(boxes.dateTaken);
    const int dateOfBirth = whichDate == DateOfBirthCode ? entered : dateNumber(boxes.dateOfBirth);
    const int analysisDate =
        whichDate == AnalysisDateCode ? entered : dateNumber(boxes.analysisDate);

    // A date number of 0 is an empty box: its rule is skipped.
    bool firstFires = false;
    bool secondFires = false;
    switch (whichDate) {
    case DateTakenCode:
        firstFires = analysisDate != 0 && dateTaken > analysisDate;
        secondFires = dateOfBirth != 0 && dateTaken < dateOfBirth;
        break;
    case DateOfBirthCode:
        firstFires = dateTaken != 0 && dateOfBirth > dateTaken;
        secondFires = analysisDate != 0 && dateOfBirth > analysisDate;
        break;
    default:
        firstFires = dateTaken != 0 && analysisDate < dateTaken;
        secondFires = dateOfBirth != 0 && analysisDate < dateOfBirth;
        break;
    }
    if (firstFires)
        return messageDecision(QLatin1String(texts.firstOrderRule), true);
    if (secondFires)
        return messageDecision(QLatin1String(texts.secondOrderRule), true);
    return {};
}
