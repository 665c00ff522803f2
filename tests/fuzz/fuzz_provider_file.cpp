// provider.txt, any bytes (a hand edit, a copy from elsewhere), read as start-up reads it: the
// code is always six characters, the file's first six bytes padded with blanks; it counts as set
// only when it is digits (trailing blanks aside), not all zeros; a set code names a submission
// file that reads back to it. Writing the code back changes the first six bytes only.
#include "FuzzCheck.h"
#include "reference/ProviderCode.h"
#include "storage/TextValue.h"
#include "storage/Windows1252.h"
#include "submission/SubmissionName.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = FuzzCheck::bytes(data, size);
    const QString path = FuzzCheck::scratchFolder() + "/provider.txt";
    FuzzCheck::putFile(path, bytes);
    QString code;
    FileStatus status = ProviderCode::readFile(path, code);
    FUZZ_CHECK(status, status.describe());
    FUZZ_CHECK(code.size() == 6, code);
    QByteArray firstSix = bytes.left(6);
    firstSix.append(QByteArray(6 - firstSix.size(), ' '));
    FUZZ_CHECK(Windows1252::encode(code) == firstSix, code);

    const QString digits = TextValue::trimTrailingBlanks(code);
    bool onlyDigits = !digits.isEmpty();
    bool allZeros = true;
    for (QChar ch : digits) {
        onlyDigits = onlyDigits && ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
        allZeros = allZeros && ch == QLatin1Char('0');
    }
    FUZZ_CHECK(ProviderCode::isSet(code) == (onlyDigits && !allZeros), code);

    // The dialog's OK with the code as the entry, and Cancel: always six characters, and a set
    // code stays.
    for (const ProviderCode::Decision& decision :
         {ProviderCode::decide(code, code), ProviderCode::decideOnCancel(code),
          ProviderCode::decide(digits, QStringLiteral("123456"))}) {
        FUZZ_CHECK(decision.newCode.size() == 6, decision.newCode);
    }
    if (ProviderCode::isSet(code)) {
        FUZZ_CHECK(ProviderCode::decideOnCancel(code).newCode == code, code);
        const QString name =
            SubmissionName::fileName(code, QDateTime(QDate(2026, 12, 6), QTime(10, 52, 55)), 1);
        const std::optional<SubmissionName::ParsedName> parsed = SubmissionName::parse(name);
        FUZZ_CHECK(parsed && parsed->providerCode == digits, name);
    }

    // Written back as it was read: the file's bytes after the sixth stay.
    status = ProviderCode::writeFile(path, code);
    FUZZ_CHECK(status, status.describe());
    const QByteArray written = FuzzCheck::fileBytes(path);
    FUZZ_CHECK(written == firstSix + bytes.mid(6), "writing the code changed other bytes");
    return 0;
}
