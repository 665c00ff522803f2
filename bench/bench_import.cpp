// Import Records on 10,000 spreadsheet rows: the check of the file and the import (which reads
// and checks it again while appending) against the floor of the same work without any check,
// measured in the same run: reading the rows with the CSV reader and appending the same records
// through the store's all-at-once append. Then the peak memory of a whole check and import of
// 10,000 and of 100,000 rows, each in a fresh process (this program run with "memory N").
// Prints; asserts nothing.
#include "BenchSupport.h"
#include "storage/RecordStore.h"
#include "storage/SafeFile.h"
#include "submission/CsvReader.h"
#include "submission/RecordsCsv.h"
#include "submission/RecordsImport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kRows = 10000;
constexpr int kRuns = 5;

[[noreturn]] void fail(const QString& what) {
    std::fprintf(stderr, "bench_import: %s\n", qPrintable(what));
    std::exit(1);
}

void check(const FileStatus& status) {
    if (!status)
        fail(status.describe());
}

ResultRecord row(int n) {
    ResultRecord record = newRecord(QStringLiteral("123456"));
    const auto set = [&](ResultRecord::Field field, const QString& value) {
        record.set(field, value);
    };
    set(ResultRecord::DateTaken, QStringLiteral("11302026"));
    set(ResultRecord::LastName, QStringLiteral("Patient%1").arg(n));
    set(ResultRecord::FirstName, QStringLiteral("Anna"));
    set(ResultRecord::DateOfBirth, QStringLiteral("07042019"));
    set(ResultRecord::Sex, QStringLiteral("F"));
    set(ResultRecord::StreetNumber, QStringLiteral("42"));
    set(ResultRecord::StreetName, QStringLiteral("Main Street, Rear"));
    set(ResultRecord::City, QStringLiteral("Springfield"));
    set(ResultRecord::Zip, QStringLiteral("90210"));
    set(ResultRecord::PhoneAreaCode, QStringLiteral("555"));
    set(ResultRecord::PhoneNumber, QStringLiteral("123-4567"));
    set(ResultRecord::RaceCode, QStringLiteral("3"));
    set(ResultRecord::Ancestry, QStringLiteral("00"));
    set(ResultRecord::AnalysisDate, QStringLiteral("12012026"));
    set(ResultRecord::PbResult, QStringLiteral("12.5"));
    set(ResultRecord::BelowDetection, QStringLiteral("0"));
    set(ResultRecord::TestType, QStringLiteral("V"));
    set(ResultRecord::Physician, QStringLiteral("Dr. Jones"));
    return record;
}

QByteArray csvOf(int rows) {
    QList<ResultRecord> records;
    records.reserve(rows);
    for (int n = 1; n <= rows; ++n)
        records.append(row(n));
    return RecordsCsv::document(records);
}

ImportContext context() {
    ImportContext context;
    context.providerCode = QStringLiteral("123456");
    context.today = QDate(2026, 12, 7);
    return context;
}

// A fresh data file beside the file to import.
void freshStore(const QString& folder, RecordStore& store) {
    store.close();
    QFile::remove(QDir(folder).filePath(QStringLiteral("Korvanel.dat")));
    check(store.open());
}

// The whole import: the check, then the append of what was checked.
void checkAndImport(const QString& path, RecordStore& store, int rows) {
    const ImportReport report = RecordsImport::checkFile(path, context());
    if (!report.clean() || report.records != rows)
        fail(QStringLiteral("the file did not check clean: %1").arg(report.summary()));
    int first = 0;
    int appended = 0;
    check(RecordsImport::importFile(path, report, context(), store, first, appended));
    if (appended != rows)
        fail(QStringLiteral("%1 records appended").arg(appended));
}

// The floor: the rows read by the CSV reader and their bytes appended, with no check at all.
void parseAndAppend(const QString& path, RecordStore& store, int rows) {
    QByteArray bytes;
    check(SafeFile::readPrefix(path, bytes));
    int appended = 0;
    check(store.appendAll(
        [&](const RecordStore::RecordSink& sink) {
            FileStatus status;
            bool header = true;
            CsvReader reader([&](CsvReader::Row& values) {
                if (header) {
                    header = false;
                    return true;
                }
                ResultRecord record;
                for (int i = 0; i < values.values.size() && i < ResultRecord::LineEnd; ++i)
                    record.set(ResultRecord::Field(i), QString::fromUtf8(values.values.at(i)));
                status = sink(record);
                return status.ok();
            });
            reader.feed(bytes.constData(), bytes.size());
            reader.finish();
            return status;
        },
        appended));
    if (appended != rows)
        fail(QStringLiteral("%1 records appended").arg(appended));
}

long peakResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

int memoryRun(int rows) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("rows.csv"));
    // The file is written in pieces, so that making it takes no memory of its size.
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            fail(path);
        file.write(RecordsCsv::document({}));
        for (int start = 1; start <= rows; start += 1000) {
            QList<ResultRecord> records;
            for (int n = start; n < start + 1000 && n <= rows; ++n)
                records.append(row(n));
            const QByteArray piece = RecordsCsv::document(records);
            file.write(piece.mid(piece.indexOf('\n') + 1));
        }
    }
    const long before = peakResidentKb();
    RecordStore store(folder.path());
    check(store.open());
    checkAndImport(path, store, rows);
    std::printf("%d %ld %ld\n", rows, before, peakResidentKb());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "memory")
        return memoryRun(QByteArray(argv[2]).toInt());

    QTemporaryDir folder(QDir::current().filePath(QStringLiteral("bench-import-XXXXXX")));
    const QString path = folder.filePath(QStringLiteral("rows.csv"));
    check(SafeFile::writeNewFile(path, csvOf(kRows)));
    RecordStore store(folder.path());

    std::vector<double> imports;
    std::vector<double> floors;
    std::vector<double> checks;
    for (int run = 0; run < kRuns; ++run) {
        freshStore(folder.path(), store);
        QElapsedTimer timer;
        timer.start();
        parseAndAppend(path, store, kRows);
        floors.push_back(msSince(timer));

        freshStore(folder.path(), store);
        timer.restart();
        checkAndImport(path, store, kRows);
        imports.push_back(msSince(timer));

        timer.restart();
        if (!RecordsImport::checkFile(path, context()).clean())
            fail(QStringLiteral("the file did not check clean"));
        checks.push_back(msSince(timer));
    }
    report("check and import 10,000 CSV rows", median(imports),
           "read the rows, append them unchecked", median(floors), "goal <= 3x");
    report("of which one check of the 10,000 rows", median(checks),
           "read the rows, append them unchecked", median(floors), "");

    long peaks[2] = {0, 0};
    const int sizes[2] = {10000, 100000};
    for (int i = 0; i < 2; ++i) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("memory"), QString::number(sizes[i])});
        if (!child.waitForFinished(600000) || child.exitCode() != 0)
            fail(QStringLiteral("the memory run of %1 rows failed").arg(sizes[i]));
        const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
        peaks[i] = figures.value(2).toLong();
        std::printf("peak memory, check and import of %7d rows: %7ld KiB (%ld KiB before)\n",
                    sizes[i], peaks[i], figures.value(1).toLong());
    }
    std::printf("peak memory 100,000 rows / 10,000 rows: %.2fx   goal <= 1.2x\n",
                double(peaks[1]) / double(peaks[0]));
    return 0;
}
