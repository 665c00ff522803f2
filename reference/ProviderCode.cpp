#include "reference/ProviderCode.h"

#include "storage/SafeFile.h"
#include "storage/Windows1252.h"
#include "validation/TextValue.h"

namespace {

constexpr int kCodeLength = 6;

QString withAdvice(const char* firstLine) {
    return QLatin1String(firstLine) + QStringLiteral("\r\n") + QLatin1String(ProviderCodeAdvice);
}

} // namespace

QString providerCodeNotSetMessage() {
    return withAdvice("Provider Code has not been set.");
}

QString providerCodeLengthMessage() {
    return withAdvice("Provider Code must be 6 digits.");
}

bool isProviderCodeSet(const QString& code) {
    return numericValue(code) != 0.0;
}

QString sixCharacterCode(const QString& code) {
    return code.leftJustified(kCodeLength, QLatin1Char(' '), true);
}

ProviderCodeDecision decideProviderCode(const QString& enteredCode, const QString& currentCode) {
    ProviderCodeDecision decision;
    decision.newCode = sixCharacterCode(currentCode);
    if (isProviderCodeSet(enteredCode)) {
        if (enteredCode.size() == kCodeLength)
            decision.newCode = enteredCode;
        else
            decision.message = providerCodeLengthMessage();
        return decision;
    }
    if (!isProviderCodeSet(currentCode)) {
        decision.newCode = QLatin1String(UnsetProviderCode);
        decision.message = providerCodeNotSetMessage();
    }
    return decision;
}

ProviderCodeDecision decideProviderCodeOnCancel(const QString& currentCode) {
    return decideProviderCode(QString(), currentCode);
}

FileStatus readProviderCodeFile(const QString& path, QString& code) {
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

FileStatus writeProviderCodeFile(const QString& path, const QString& code) {
    // A character outside the basic plane encodes as one byte from two text units: pad the bytes,
    // not the text, so that exactly six bytes are written.
    QByteArray bytes = Windows1252::encode(code).left(kCodeLength);
    bytes.append(QByteArray(kCodeLength - bytes.size(), ' '));
    return SafeFile::writeAt(path, 0, bytes);
}
