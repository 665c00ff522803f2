#include "validation/DuplicateRule.h"

#include "storage/TextValue.h"

namespace {

// A separator no field can hold keeps "Ann"+"Lee" apart from "An"+"nLee".
constexpr QChar kSeparator(0x1F);

} // namespace

QString DuplicateRule::childKey(const QString& lastName, const QString& firstName,
                                const QString& dateOfBirth) {
    const QString parts[] = {TextValue::trimBlanks(lastName).toCaseFolded(),
                             TextValue::trimBlanks(firstName).toCaseFolded(),
                             TextValue::trimBlanks(dateOfBirth)};
    QString key;
    for (const QString& part : parts) {
        if (part.isEmpty())
            return QString();
        key += part + kSeparator;
    }
    return key;
}

QString DuplicateRule::duplicateKey(const QString& lastName, const QString& firstName,
                                    const QString& dateOfBirth, const QString& dateTaken) {
    const QString child = childKey(lastName, firstName, dateOfBirth);
    const QString taken = TextValue::trimBlanks(dateTaken);
    if (child.isEmpty() || taken.isEmpty())
        return QString();
    return child + taken + kSeparator;
}

QString DuplicateRule::duplicateKey(const ResultRecord& record) {
    return DuplicateRule::duplicateKey(
        record.get(ResultRecord::LastName), record.get(ResultRecord::FirstName),
        record.get(ResultRecord::DateOfBirth), record.get(ResultRecord::DateTaken));
}

bool DuplicateRule::isPossibleDuplicate(const ResultRecord& a, const ResultRecord& b) {
    const QString key = DuplicateRule::duplicateKey(a);
    return !key.isEmpty() && key == DuplicateRule::duplicateKey(b);
}
