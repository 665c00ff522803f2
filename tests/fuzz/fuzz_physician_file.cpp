// The physician file (physician.txt) as an office may have prepared it, any bytes, read through
// the file layer as start-up reads it: the lines are the bytes' lines with nothing lost (joined
// with their line ends they give the file back, the line ends aside), and a physician chosen from
// the list goes into a record within the field's 20 characters and reads back as it was stored.
#include "FuzzCheck.h"
#include "reference/ReferenceText.h"
#include "storage/ResultRecord.h"
#include "storage/Windows1252.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = FuzzCheck::bytes(data, size);
    const QString path = FuzzCheck::scratchFolder() + "/physician.txt";
    FuzzCheck::putFile(path, bytes);
    QStringList lines;
    const FileStatus status = ReferenceText::readLines(path, lines);
    FUZZ_CHECK(status, status.describe());
    FUZZ_CHECK(lines == ReferenceText::splitLines(bytes), "the file read differs from its bytes");

    QByteArray withoutLineEnds = bytes;
    withoutLineEnds.replace('\r', QByteArray()).replace('\n', QByteArray());
    QByteArray joined;
    for (const QString& line : lines) {
        FUZZ_CHECK(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')),
                   "a line holds a line end");
        joined += Windows1252::encode(line);
    }
    FUZZ_CHECK(joined == withoutLineEnds, "bytes lost or changed");

    for (const QString& line : lines) {
        ResultRecord record;
        record.set(ResultRecord::Physician, line);
        const QString stored = record.get(ResultRecord::Physician);
        FUZZ_CHECK(stored.size() == ResultRecord::width(ResultRecord::Physician), stored);
        FUZZ_CHECK(stored.startsWith(line.left(ResultRecord::width(ResultRecord::Physician))),
                   line);
        FUZZ_CHECK(ResultRecord::decode(record.encode()).get(ResultRecord::Physician) == stored,
                   line);
    }
    return 0;
}
