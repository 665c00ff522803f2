// The data file as start-up finds it: Korvanel.dat and a Korvanel.tmp left by a delete, each of
// any length and content, either missing. After the store opens: the copy left over is gone, the
// data file holds the bytes of one of the two, never the one with fewer whole records, and the
// count and every record read are those of its bytes. (A piece of the copy counts as a record
// only when it ends in CR LF, so that no other file under its name replaces records.)
//
// Input: a byte of flags (1: the data file exists, 2: the copy exists), two bytes giving the data
// file's share of the rest, then the data file's bytes and the copy's.
#include "FuzzCheck.h"
#include "storage/RecordStore.h"

namespace {

constexpr qint64 kSize = ResultRecord::Size;

qint64 wholeRecords(const QByteArray& bytes) {
    return bytes.size() / kSize;
}

// The copy's pieces that end in CR LF: only those count as records of a copy.
qint64 copyRecords(const QByteArray& bytes) {
    qint64 records = 0;
    for (qsizetype at = kSize; at <= bytes.size(); at += kSize)
        records += bytes.at(at - 2) == '\r' && bytes.at(at - 1) == '\n' ? 1 : 0;
    return records;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3)
        return 0;
    const bool dataExists = data[0] & 1;
    const bool tempExists = data[0] & 2;
    const QByteArray rest = FuzzCheck::bytes(data + 3, size - 3);
    const qsizetype split = qsizetype((data[1] << 8) | data[2]) % (rest.size() + 1);
    const QByteArray dataBytes = rest.left(split);
    const QByteArray tempBytes = rest.mid(split);

    const QString folder = FuzzCheck::scratchFolder();
    const QString dataPath = folder + "/Korvanel.dat";
    const QString tempPath = folder + "/Korvanel.tmp";
    QFile::remove(dataPath);
    QFile::remove(tempPath);
    if (dataExists)
        FuzzCheck::putFile(dataPath, dataBytes);
    if (tempExists)
        FuzzCheck::putFile(tempPath, tempBytes);

    RecordStore store(folder);
    const FileStatus opened = store.open();
    FUZZ_CHECK(opened, opened.describe());
    FUZZ_CHECK(!QFile::exists(tempPath), "the copy left over is still there");

    const QByteArray now = FuzzCheck::fileBytes(dataPath);
    if (!tempExists) {
        FUZZ_CHECK(now == (dataExists ? dataBytes : QByteArray()), "the data file changed");
    } else if (!dataExists) {
        FUZZ_CHECK(now == tempBytes, "the only copy was not taken as the data file");
    } else {
        FUZZ_CHECK(now == dataBytes || now == tempBytes, "the data file is neither file");
        // The copy is taken only when it holds more records than the data file holds whole
        // records, and then it is never dropped.
        const bool copyTaken = copyRecords(tempBytes) > wholeRecords(dataBytes);
        FUZZ_CHECK(now == (copyTaken ? tempBytes : dataBytes),
                   QStringLiteral("kept the %1 (data file %2 bytes, copy %3 bytes with %4 records)")
                       .arg(now == dataBytes ? "data file" : "copy")
                       .arg(dataBytes.size())
                       .arg(tempBytes.size())
                       .arg(copyRecords(tempBytes)));
    }

    int count = -1;
    const FileStatus counted = store.count(count);
    FUZZ_CHECK(counted, counted.describe());
    FUZZ_CHECK(count == RecordStore::countForLength(now.size()), QString::number(count));
    // The nearest whole number of records: never more than half a record away from the length.
    FUZZ_CHECK(qAbs(qint64(count) * kSize - now.size()) * 2 <= kSize,
               QStringLiteral("%1 records for %2 bytes").arg(count).arg(now.size()));
    for (int n = 1; n <= count + 1; ++n) {
        ResultRecord record;
        const FileStatus read = store.read(n, record);
        FUZZ_CHECK(read, read.describe());
        FUZZ_CHECK(record == ResultRecord::decode(now.mid((n - 1) * kSize, kSize)),
                   QStringLiteral("record %1").arg(n));
    }
    store.close();
    return 0;
}
