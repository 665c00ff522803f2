// Record store timings on a 100,000-record file, as ratios against baselines measured in the same
// run: a delete against a plain copy of the file followed by fsync, and Read(n) / Write(n) in
// place at the middle and the end of the file against n = 1. Prints; asserts nothing.
#include "BenchSupport.h"
#include "storage/RecordStore.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRecords = 100000;
constexpr int kRuns = 9;
constexpr int kReadsPerRun = 20000;
constexpr int kWritesPerRun = 100;

[[noreturn]] void fail(const QString& what) {
    std::fprintf(stderr, "bench_store: %s\n", qPrintable(what));
    std::exit(1);
}

void check(const FileStatus& status) {
    if (!status)
        fail(status.describe());
}

ResultRecord sampleRecord(int n) {
    ResultRecord record = newRecord(QStringLiteral("123456"));
    record.set(ResultRecord::LastName, QStringLiteral("Patient %1").arg(n));
    record.set(ResultRecord::DateTaken, QStringLiteral("01022026"));
    record.set(ResultRecord::PbResult, QStringLiteral("3.3"));
    return record;
}

// What a careful program does to copy a file without a record store: read and write in large
// pieces, then fsync the copy.
void plainCopy(const QString& from, const QString& to) {
    const int source = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    const int dest =
        ::open(QFile::encodeName(to).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (source < 0 || dest < 0)
        fail(QStringLiteral("cannot open %1 or %2").arg(from, to));
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t got = ::read(source, buffer.data(), buffer.size());
        if (got < 0)
            fail(from);
        if (got == 0)
            break;
        if (::write(dest, buffer.data(), static_cast<size_t>(got)) != got)
            fail(to);
    }
    if (::fsync(dest) != 0 || ::close(dest) != 0)
        fail(to);
    ::close(source);
}

template <typename Operation> double secondsPerCall(int calls, Operation operation) {
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < calls; ++i)
        operation(i);
    return static_cast<double>(timer.nsecsElapsed()) / 1e9 / calls;
}

} // namespace

int main() {
    QTemporaryDir work;
    if (!work.isValid())
        fail(QStringLiteral("no temporary folder"));
    const QString master = work.filePath("master.dat");
    {
        QByteArray content;
        content.reserve(qsizetype(kRecords) * ResultRecord::Size);
        for (int n = 1; n <= kRecords; ++n)
            content += sampleRecord(n).encode();
        QFile file(master);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            fail(master);
    }
    const QString storeFolder = work.filePath("store");
    if (!QDir().mkdir(storeFolder))
        fail(storeFolder);
    RecordStore store(storeFolder);

    // Delete of record 1 against a plain copy + fsync, alternated so that both see the same disk.
    std::vector<double> deletes;
    std::vector<double> copies;
    for (int run = 0; run < kRuns; ++run) {
        plainCopy(master, store.dataPath());
        check(store.open());
        QElapsedTimer timer;
        timer.start();
        check(store.remove(1));
        deletes.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        int left = 0;
        check(store.count(left));
        if (left != kRecords - 1)
            fail(QStringLiteral("delete left %1 records").arg(left));
        store.close();

        timer.restart();
        plainCopy(master, work.filePath("copy.dat"));
        copies.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
    const double deleteTime = median(deletes);
    const double copyTime = median(copies);
    std::printf("file: %d records, %lld bytes; medians of %d runs\n", kRecords,
                static_cast<long long>(kRecords) * ResultRecord::Size, kRuns);
    std::printf("delete record 1: %.1f ms; plain copy + fsync: %.1f ms; ratio %.2fx "
                "(goal <= 1.5x)\n",
                deleteTime * 1e3, copyTime * 1e3, deleteTime / copyTime);

    // Read(n) and Write(n) in place must cost the same wherever n lies in the file.
    plainCopy(master, store.dataPath());
    check(store.open());
    const int positions[] = {1, kRecords / 2, kRecords};
    // The positions take turns within each run, so that a slower moment of the disk does not
    // fall on one of them only.
    std::vector<double> reads[3];
    std::vector<double> writes[3];
    for (int run = 0; run < kRuns; ++run) {
        for (int p = 0; p < 3; ++p) {
            const int n = positions[p];
            ResultRecord buffer;
            reads[p].push_back(
                secondsPerCall(kReadsPerRun, [&](int) { check(store.read(n, buffer)); }));
        }
        for (int p = 0; p < 3; ++p) {
            const int n = positions[p];
            const ResultRecord replacement = sampleRecord(n);
            writes[p].push_back(
                secondsPerCall(kWritesPerRun, [&](int) { check(store.write(n, replacement)); }));
        }
    }
    double readTimes[3];
    double writeTimes[3];
    for (int p = 0; p < 3; ++p) {
        readTimes[p] = median(reads[p]);
        writeTimes[p] = median(writes[p]);
    }
    int counted = 0;
    check(store.count(counted));
    if (counted != kRecords)
        fail(QStringLiteral("writes in place changed the count to %1").arg(counted));
    store.close();
    for (int p = 0; p < 3; ++p)
        std::printf("read(%d): %.2f us, ratio to n = 1: %.2fx\n", positions[p], readTimes[p] * 1e6,
                    readTimes[p] / readTimes[0]);
    for (int p = 0; p < 3; ++p)
        std::printf("write(%d) in place: %.1f us, ratio to n = 1: %.2fx\n", positions[p],
                    writeTimes[p] * 1e6, writeTimes[p] / writeTimes[0]);
    return 0;
}
