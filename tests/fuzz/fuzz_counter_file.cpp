// nextfile.txt, any bytes (a hand edit, a restored backup): the counter read is always a number
// a submission file can carry, 1 to 999999; advancing it hands out that number and writes the
// next one as six characters that read back as it, the bytes after the sixth untouched, or, at
// the largest number, refuses and changes nothing.
#include "FuzzCheck.h"
#include "submission/SubmissionCounter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = FuzzCheck::bytes(data, size);
    const int value = SubmissionCounter::valueOf(bytes);
    FUZZ_CHECK(value >= 1 && value <= SubmissionCounter::Largest, QString::number(value));
    const QByteArray formatted = SubmissionCounter::format(value);
    FUZZ_CHECK(formatted.size() == SubmissionCounter::RecordLength, formatted);
    FUZZ_CHECK(SubmissionCounter::valueOf(formatted) == value, formatted);

    const QString path = FuzzCheck::scratchFolder() + "/nextfile.txt";
    FuzzCheck::putFile(path, bytes);
    int read = 0;
    FileStatus status = SubmissionCounter::read(path, read);
    FUZZ_CHECK(status, status.describe());
    FUZZ_CHECK(read == value, QString::number(read));

    int taken = 0;
    status = SubmissionCounter::advance(path, taken);
    const QByteArray after = FuzzCheck::fileBytes(path);
    if (value >= SubmissionCounter::Largest) {
        FUZZ_CHECK(!status, "the largest counter was advanced");
        FUZZ_CHECK(after == bytes, "a refused counter changed the file");
        return 0;
    }
    FUZZ_CHECK(status, status.describe());
    FUZZ_CHECK(taken == value, QString::number(taken));
    FUZZ_CHECK(after == SubmissionCounter::format(value + 1) + bytes.mid(6), after);
    return 0;
}
