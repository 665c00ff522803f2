// The record decoder on any bytes (a record of the data file or of a submission file), and the
// record's fields set from any text: decode then encode gives the same 198 bytes; blanking the
// control characters changes exactly those bytes and no other; no field ever holds more than its
// width, whatever text it was given.
#include "FuzzCheck.h"
#include "storage/RecordText.h"
#include "storage/ResultRecord.h"
#include "storage/Windows1252.h"

namespace {

using F = ResultRecord;

void checkWidths(const ResultRecord& record) {
    for (int i = 0; i < F::FieldCount; ++i) {
        const auto field = static_cast<F::Field>(i);
        FUZZ_CHECK(
            record.get(field).size() == F::width(field),
            QStringLiteral("field %1 holds %2 characters").arg(i).arg(record.get(field).size()));
        FUZZ_CHECK(record.trimmed(field).size() <= F::width(field), QString::number(i));
    }
    FUZZ_CHECK(record.encode().size() == F::Size, QString::number(record.encode().size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input = FuzzCheck::bytes(data, size);
    QByteArray padded = input.left(F::Size);
    padded.append(QByteArray(F::Size - padded.size(), ' '));

    const ResultRecord record = F::decode(input);
    checkWidths(record);
    FUZZ_CHECK(record.encode() == padded, "decode then encode changed the bytes");

    // What is saved back: control characters as blanks, the line end as it was.
    QByteArray blanked = padded;
    const int lineEnd = F::offset(F::LineEnd);
    for (int i = 0; i < lineEnd; ++i) {
        const auto byte = static_cast<unsigned char>(blanked[i]);
        if (byte < 0x20 || byte == 0x7F)
            blanked[i] = ' ';
    }
    const ResultRecord saved = RecordText::withControlsBlanked(record);
    checkWidths(saved);
    FUZZ_CHECK(saved.encode() == blanked, "blanking changed more than the control characters");

    // Every field set again from what it holds stays the same.
    ResultRecord copy;
    for (int i = 0; i < F::FieldCount; ++i)
        copy.set(static_cast<F::Field>(i), record.get(static_cast<F::Field>(i)));
    FUZZ_CHECK(copy == record, "a field set from its own value changed");

    // Any text at all, set into every field: never longer than the field, always 198 bytes,
    // and what it holds is what the file gets back.
    const QString text = FuzzCheck::utf16(data, size);
    ResultRecord typed;
    for (int i = 0; i < F::FieldCount; ++i) {
        const auto field = static_cast<F::Field>(i);
        typed.set(field, text.mid(i % 7, F::width(field) + 8));
    }
    checkWidths(typed);
    FUZZ_CHECK(F::decode(typed.encode()) == typed, "a record set from text does not read back");
    return 0;
}
