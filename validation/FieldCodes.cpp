#include "validation/FieldCodes.h"

#include "storage/TextValue.h"

namespace {

QString codeFromEntry(const QString& listText, qsizetype length) {
    const qsizetype parenthesis = listText.indexOf(QLatin1Char('('));
    if (parenthesis < 0)
        return listText.left(length);
    return listText.mid(parenthesis + 1, length);
}

} // namespace

const QStringList& FieldCodes::raceEntries() {
    static const QStringList entries = {
        QStringLiteral("Black (1)"),
        QStringLiteral("White (3)"),
        QStringLiteral("Asian - Pacific Islander (4)"),
        QStringLiteral("American Indian - Alaskan Native (5)"),
        QStringLiteral("Other (6)"),
        QStringLiteral("Unknown (7)"),
    };
    return entries;
}

const QStringList& FieldCodes::ancestryEntries() {
    static const QStringList entries = {
        QStringLiteral("Non-Hispanic (00)"),
        QStringLiteral("Hispanic (20)"),
        QStringLiteral("Unknown (19)"),
    };
    return entries;
}

int FieldCodes::raceEntryIndex(const QString& storedCode) {
    static const QStringList codes = {QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("4"),
                                      QStringLiteral("5"), QStringLiteral("6")};
    const qsizetype index = codes.indexOf(TextValue::trimBlanks(storedCode));
    return index < 0 ? 5 : static_cast<int>(index);
}

int FieldCodes::ancestryEntryIndex(const QString& storedCode) {
    const QString code = TextValue::trimBlanks(storedCode);
    if (code == QLatin1String("00"))
        return 0;
    if (code == QLatin1String("20"))
        return 1;
    return 2;
}

QString FieldCodes::raceCodeFromEntry(const QString& listText) {
    return codeFromEntry(listText, 1);
}

QString FieldCodes::ancestryCodeFromEntry(const QString& listText) {
    return codeFromEntry(listText, 2);
}

QString FieldCodes::phoneRawValue(const QString& storedAreaCode, const QString& storedNumber) {
    const QString number = TextValue::trimBlanks(storedNumber);
    if (number.size() <= 1)
        return QString();
    return TextValue::trimBlanks(storedAreaCode) + number.left(3) + number.right(4);
}

FieldCodes::PhoneFields FieldCodes::phoneFieldsFromRawValue(const QString& raw) {
    PhoneFields fields;
    fields.areaCode = raw.left(3);
    // mid() past the end gives an empty text and right() of a short text the whole text.
    const QString number = TextValue::trimBlanks(raw.mid(3, 3) + QLatin1Char('-') + raw.right(4));
    fields.number = number.size() <= 1 ? QString() : number;
    return fields;
}
