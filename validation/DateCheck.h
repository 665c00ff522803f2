#pragma once

#include <QDate>
#include <QString>

// The check that runs when the operator leaves one of the three date boxes. The raw value of a
// date box is its digits without the "/" literals: MMDDYYYY for a complete date. The window shows
// the message (with DateEntryErrorTitle, the warning icon and an OK button), empties the box and
// moves the focus as the decision says; this file reads no clock and touches no control.

inline constexpr char DateEntryErrorTitle[] = "Date Entry Error";

// Which date is under test.
enum WhichDate : int { DateTakenCode = 1, DateOfBirthCode = 2, AnalysisDateCode = 3 };

// The current raw values of the three date boxes.
struct DateBoxValues {
    QString dateTaken;
    QString dateOfBirth;
    QString analysisDate;
};

struct DateCheckDecision {
    bool showMessage = false;
    // Lines separated by CR LF; no final line break.
    QString message;
    // The entry is discarded: set the box's raw value to the empty text (order rules only).
    bool emptyBox = false;
    // The focus goes back to the box under test (after every message).
    bool focusBox = false;
};

namespace DateCheck {

// The date number of a raw value: last four, first two, then third and fourth characters read as
// one decimal integer (yyyymmdd for a complete entry). Short raw values are split by the same
// positions; an empty value, or one whose pieces start with no digit, gives 0. Reading stops at
// the first character that is not a digit.
int dateNumber(const QString& raw);

// The raw value that puts the given day into a date box: "MMddyyyy", e.g. "12062026".
QString dateRawValue(const QDate& day);

// The decision for leaving the box of whichDate with the raw value checkDate, in this order:
//  - an empty entry is never reported;
//  - form and calendar: the entry, split by position into month (first two characters), day
//    (third and fourth) and year (last four), must be a real month/day/year date of 1900 to 2099;
//    a first pair above 12 is a wrong month, never read as a day;
//  - future: the entry may not lie after today (today itself passes, for every date);
//  - order: date of birth <= date taken <= analysis date against the other boxes that are
//    filled in; per date the first rule is tested first and the second only when it did not fire.
// For the order rules the box under test is represented by checkDate; the field of boxes for
// that date is not read. A value outside the enum gives no message.
DateCheckDecision decideValidateDate(const QString& checkDate, WhichDate whichDate,
                                     const DateBoxValues& boxes, const QDate& today);

} // namespace DateCheck
