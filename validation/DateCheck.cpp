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
int digitsValue(QStringView text) {
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

// The raw value's pieces by position; views into it, so that checking a date allocates nothing.
struct DatePieces {
    QStringView month;
    QStringView day;
    QStringView year;

    // The pieces in the order year, month, day, as one run of characters.
    template <typename Visit> void visitYearMonthDay(Visit visit) const {
        for (QStringView piece : {year, month, day}) {
            for (QChar ch : piece) {
                if (!visit(ch))
                    return;
            }
        }
    }
};

DatePieces splitByPosition(const QString& raw) {
    const QStringView view(raw);
    return {view.left(2), view.mid(2, 2), view.right(4)};
}

bool passesFormAndCalendar(const DatePieces& pieces) {
    // The year, month and day run together must start with a century the box takes.
    char century[3] = {};
    int taken = 0;
    pieces.visitYearMonthDay([&](QChar ch) {
        century[taken++] = char(ch.unicode() < 0x80 ? ch.unicode() : '?');
        return taken < 2;
    });
    if (qstrcmp(century, "19") != 0 && qstrcmp(century, "20") != 0)
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
    // At most eight characters, so the value always fits.
    int value = 0;
    splitByPosition(raw).visitYearMonthDay([&](QChar ch) {
        if (!isDigit(ch))
            return false;
        value = value * 10 + (ch.unicode() - '0');
        return true;
    });
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
