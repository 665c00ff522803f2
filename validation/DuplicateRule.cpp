#include "validation/DuplicateRule.h"

#include "storage/TextValue.h"

QString duplicateKey(const QString& lastName, const QString& firstName, const QString& dateOfBirth,
                     const QString& dateTaken) {
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

QString duplicateKey(const ResultRecord& record) {
    return duplicateKey(record.get(ResultRecord::LastName), record.get(ResultRecord::FirstName),
                        record.get(ResultRecord::DateOfBirth), record.get(ResultRecord::DateTaken));
}

bool isPossibleDuplicate(const ResultRecord& a, const ResultRecord& b) {
    const QString key = duplicateKey(a);
    return !key.isEmpty() && key == duplicateKey(b);
}
