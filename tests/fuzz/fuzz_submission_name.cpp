// Submission file names as Submit lists them: any bytes. The name decoded from the bytes turns
// back into the same bytes; a name that parses has a real date and time, a code without "_" and
// a counter of 4 to 18 digits, and is the name the program makes from those parts (unless its
// counter carries more leading zeros than the program writes). From the other side,
// parse(name(x)) == x for a code, moment and counter made from the input.
#include "FuzzCheck.h"
#include "storage/SafeFile.h"
#include "submission/SubmissionName.h"

#include <QRegularExpression>

namespace {

void checkParsed(const QString& name) {
    const std::optional<SubmissionName::ParsedName> parsed = SubmissionName::parse(name);
    if (!parsed)
        return;
    FUZZ_CHECK(parsed->date.isValid() && parsed->time.isValid(), name);
    FUZZ_CHECK(!parsed->providerCode.isEmpty() && !parsed->providerCode.contains('_'), name);
    const QString counterText = name.mid(name.lastIndexOf('_') + 1).chopped(4);
    FUZZ_CHECK(counterText.size() >= 4 && counterText.size() <= 18, name);
    FUZZ_CHECK(counterText.toULongLong() == parsed->counter, name);
    FUZZ_CHECK(!SubmissionName::createdText(*parsed).isEmpty(), name);
    FUZZ_CHECK(!SubmissionName::isNewer(*parsed, *parsed), name);
    const bool plainCounter =
        parsed->counter <= 999999 &&
        counterText == QStringLiteral("%1").arg(parsed->counter, 4, 10, QLatin1Char('0'));
    if (plainCounter && parsed->providerCode.trimmed() == parsed->providerCode) {
        const QString made = SubmissionName::fileName(
            parsed->providerCode, QDateTime(parsed->date, parsed->time, Qt::UTC),
            int(parsed->counter));
        FUZZ_CHECK(made == name, made + " from " + name);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = FuzzCheck::bytes(data, size);
    if (!bytes.contains('\0') && !bytes.contains('/')) {
        const QString name = SafeFile::nameFromNative(bytes);
        FUZZ_CHECK(SafeFile::nativePath(name) == bytes, "a name's bytes changed: " + name);
        FUZZ_CHECK(!SafeFile::displayName(name).isNull() || bytes.isEmpty(), name);
        checkParsed(name);
    }
    checkParsed(FuzzCheck::utf16(data, size));

    // A name made from parts taken from the input reads back as those parts.
    if (size < 12)
        return 0;
    QString code;
    for (size_t i = 0; i < 6; ++i)
        code += QChar(u'0' + data[i] % 10);
    if (data[0] & 0x80)
        code.chop(data[1] % 6); // a code of fewer digits, padded with blanks as it is stored
    if (!code.contains(QRegularExpression("[1-9]")))
        return 0;
    const QDate date(1900 + data[6] % 200, 1 + data[7] % 12, 1 + data[8] % 31);
    const QTime time(data[9] % 24, data[10] % 60, data[11] % 60);
    if (!date.isValid())
        return 0;
    int counter = 1;
    for (size_t i = 12; i < size && i < 15; ++i)
        counter = counter * 100 + data[i] % 100;
    counter = 1 + counter % 999999;
    const QString name = SubmissionName::fileName(code.leftJustified(6, ' '),
                                                  QDateTime(date, time, Qt::UTC), counter);
    const std::optional<SubmissionName::ParsedName> parsed = SubmissionName::parse(name);
    FUZZ_CHECK(parsed, "the program's own name does not parse: " + name);
    FUZZ_CHECK(parsed->providerCode == code && parsed->date == date && parsed->time == time &&
                   parsed->counter == qulonglong(counter),
               name);
    return 0;
}
