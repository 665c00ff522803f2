#pragma once

#include <QString>
#include <QStringList>

// The mapping between what a record stores and what the window shows for the race and ancestry
// lists and the telephone box. The window fills its lists from the entry lists below, in order.
namespace FieldCodes {

// The entries of the race and ancestry lists, each ending in its code in brackets.
const QStringList& raceEntries();
const QStringList& ancestryEntries();

// The entry to select for a stored code (blanks around it ignored); a code without an entry,
// a blank one included, selects the Unknown entry.
int raceEntryIndex(const QString& storedCode);
int ancestryEntryIndex(const QString& storedCode);

// The code stored for a list text: the one character after its first "(" ("Other (6)" gives
// "6"); the first character of the text when it holds no "(". Shorter when the text runs out.
QString raceCodeFromEntry(const QString& listText);
// As above with two characters: "Hispanic (20)" gives "20".
QString ancestryCodeFromEntry(const QString& listText);

// The raw value of the telephone box for the stored PhoneAreaCode and PhoneNumber: empty when the
// trimmed number has at most one character; otherwise the trimmed area code, the first three and
// the last four characters of the trimmed number ("555", "123-4567" give "5551234567").
QString phoneRawValue(const QString& storedAreaCode, const QString& storedNumber);

struct PhoneFields {
    QString areaCode;
    QString number;
};

// The two fields captured from the telephone box's raw value: the area code is its first three
// characters; the number is characters 4 to 6, "-" and the last four characters, trimmed, and
// empty when that leaves at most one character (an empty box gives two empty fields, never a
// lone "-"). Short raw values give shorter pieces, never an error.
PhoneFields phoneFieldsFromRawValue(const QString& raw);

} // namespace FieldCodes
