#include "reference/ProviderCode.h"

#include "storage/SafeFile.h"
#include "storage/TextValue.h"
#include "storage/Windows1252.h"

namespace {

constexpr int kCodeLength = 6;

QString withAdvice(const char* firstLine) {
    return QLatin1String(firstLine) + QStringLiteral("\r\n") + QLatin1String(ProviderCodeAdvice);
}

} // namespace

QString ProviderCode::notSetMessage() {
    return withAdvice("Provider Code has not been set.");
}

QString ProviderCode::lengthMessage() {
    return withAdvice("Provider Code must be 6 digits.");
}

bool ProviderCode::isSet(const QString& code) {
    const QString digits = TextValue::trimTrailingBlanks(code);
    bool nonZero = false;
    for (QChar ch : digits) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return false;
        nonZero = nonZero || ch != QLatin1Char('0');
    }
    return nonZero;
}

QString ProviderCode::sixCharacterCode(const QString& code) {
    return code.leftJustified(kCodeLength, QLatin1Char(' '), true);
}

ProviderCode::Decision ProviderCode::decide(const QString& enteredCode,
                                            const QString& currentCode) {
    Decision decision;
    decision.newCode = sixCharacterCode(currentCode);
    if (isSet(enteredCode)) {
        if (enteredCode.size() == kCodeLength)
            decision.newCode = enteredCode;
        else
            decision.message = lengthMessage();
        return decision;
    }
    if (!isSet(currentCode)) {
        decision.newCode = QLatin1String(UnsetProviderCode);
        decision.message = notSetMessage();
    }
    return decision;
}

ProviderCode::Decision ProviderCode::decideOnCancel(const QString& currentCode) {
    return decide(QString(), currentCode);
}

FileStatus ProviderCode::readFile(const QString& path, QString& code) {
    code = QLatin1String(UnsetProviderCode);
    FileStatus status = SafeFile::createIfMissing(path);
    if (!status)
        return status;
    QByteArray bytes;
    status = SafeFile::readPrefix(path, bytes, kCodeLength);
    if (!status)
        return status;
    code = sixCharacterCode(Windows1252::decode(bytes));
    return FileStatus::success();
}

FileStatus ProviderCode::writeFile(const QString& path, const QString& code) {
    // A character outside the basic plane encodes as one byte from two text units: pad the bytes,
    // not the text, so that exactly six bytes are written.
    QByteArray bytes = Windows1252::encode(code).left(kCodeLength);
    bytes.append(QByteArray(kCodeLength - bytes.size(), ' '));
    return SafeFile::writeAt(path, 0, bytes);
}
