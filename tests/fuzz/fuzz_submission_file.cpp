// A submission file in Submit, any bytes (copied from another computer, cut short, edited), read
// for the history and for the duplicate index through their one reader (storage/RecordFile): both
// count the records the data file's way; every field read is the record's field, never longer
// than its width; the file is flagged damaged exactly when it is not whole records ending in CR
// LF; the history's search finds each record by its last name, and the duplicate index holds
// each record that names a patient under the key the stored records use.
#include "FuzzCheck.h"
#include "storage/RecordFile.h"
#include "storage/RecordStore.h"
#include "submission/DuplicateIndex.h"
#include "submission/SubmissionHistory.h"
#include "tests/support/DuplicateIndexProbe.h"
#include "validation/DuplicateRule.h"
#include "validation/RecordList.h"

namespace {

using F = ResultRecord;

bool wholeWithLineEnds(const QByteArray& bytes) {
    if (bytes.size() % F::Size != 0)
        return false;
    for (qsizetype at = 0; at < bytes.size(); at += F::Size) {
        if (bytes.at(at + F::Size - 2) != '\r' || bytes.at(at + F::Size - 1) != '\n')
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = FuzzCheck::bytes(data, size);
    const RecordFile file(bytes);
    const int count = file.recordCount();
    FUZZ_CHECK(count == RecordStore::countForLength(bytes.size()), QString::number(count));
    FUZZ_CHECK(file.isWhole() == wholeWithLineEnds(bytes), file.damage());
    FUZZ_CHECK(file.damage().isEmpty() == file.isWhole(), file.damage());
    for (int n = 1; n <= count; ++n) {
        const ResultRecord record = file.record(n);
        for (int i = 0; i < F::LineEnd; ++i) {
            const auto field = static_cast<F::Field>(i);
            const QString value = file.field(n, field);
            FUZZ_CHECK(value == record.trimmed(field),
                       QStringLiteral("record %1 field %2: %3").arg(n).arg(i).arg(value));
            FUZZ_CHECK(value.size() <= F::width(field), value);
        }
    }

    const QString submit = FuzzCheck::scratchFolder() + "/Submit";
    QDir(submit).removeRecursively();
    QDir().mkpath(submit);
    FuzzCheck::putFile(submit + "/Lead_123456_20261206_105255_0001.txt", bytes);

    SubmissionHistory history;
    FileStatus status = history.load(submit);
    FUZZ_CHECK(status, status.describe());
    FUZZ_CHECK(history.files().size() == 1, QString::number(history.files().size()));
    FUZZ_CHECK(history.files().first().recordCount() == count, "counted before reading");
    status = history.readAll();
    FUZZ_CHECK(status, status.describe());
    FUZZ_CHECK(history.recordCount() == count, QString::number(history.recordCount()));
    FUZZ_CHECK(history.damagedCount() == (file.isWhole() ? 0 : 1), "damaged");
    QList<ResultRecord> records;
    status = history.records(0, records);
    FUZZ_CHECK(status, status.describe());
    FUZZ_CHECK(records.size() == count, QString::number(records.size()));

    DuplicateIndex index;
    status = index.loadSubmissionFolder(submit);
    FUZZ_CHECK(status, status.describe());
    FUZZ_CHECK(DuplicateIndexProbe::sentCount(index) == count,
               QString::number(DuplicateIndexProbe::sentCount(index)));
    FUZZ_CHECK(index.unreadableFiles().isEmpty(), "a file could not be read");
    FUZZ_CHECK(index.damagedFiles().size() == (file.isWhole() ? 0 : 1), "damaged");

    for (int n = 1; n <= count && n <= 8; ++n) {
        FUZZ_CHECK(records.at(n - 1) == file.record(n), QString::number(n));
        const QString lastName = file.field(n, F::LastName);
        const RecordFilter filter(lastName);
        if (!filter.isEmpty()) {
            const QList<SubmittedRecord> found = history.search(filter);
            FUZZ_CHECK(found.contains(SubmittedRecord{0, n}),
                       QStringLiteral("record %1 not found by %2").arg(n).arg(lastName));
        }
        const QString key = DuplicateRule::duplicateKey(file.record(n));
        FUZZ_CHECK(key == DuplicateRule::duplicateKey(lastName, file.field(n, F::FirstName),
                                                      file.field(n, F::DateOfBirth),
                                                      file.field(n, F::DateTaken)),
                   QString::number(n));
        if (!key.isEmpty())
            FUZZ_CHECK(index.findSent(key).has_value(), QString::number(n));
    }
    return 0;
}
