#include "validation/DuplicateRule.h"

#include "storage/TextValue.h"

QString DuplicateRule::duplicateKey(const QString& lastName, const QString& firstName,
                                    const QString& dateOfBirth, const QString& dateTaken) {
    const QString parts[] = {TextValue::trimBlanks(lastName).toCaseFolded(),
                             TextValue::trimBlanks(firstName).toCaseFolded(),
                             TextValue::trimBlanks(dateOfBirth), TextValue::trimBlanks(dateTaken)};
    QString key;
    for (const QString& part : parts) {
        if (part.isEmpty())
            return QString();
        // A separator no field can hold keeps "Ann"+"Lee" apart from "An"+"nLee".
        key += part + QChar(0x1F);
    }
    return key;
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
