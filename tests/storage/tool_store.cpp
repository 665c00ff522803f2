// Runs one record-store operation on a folder, for tests that inject faults into it or crash it
// with strace. The operation is framed by two marker writes to stderr, so that a trace tells
// its system calls from those of loading the program and opening the store.
//
//   tool_store FOLDER append              appends record(count + 1)
//   tool_store FOLDER append-all N        appends record(count + 1) to record(count + N) at once
//   tool_store FOLDER count               prints the number of records
//   tool_store FOLDER write N             writes record(N) as record N
//   tool_store FOLDER delete K            deletes record K
//   tool_store FOLDER delete K leftover   the same, with a left-over Korvanel.tmp put there first
//   tool_store FOLDER export              writes the records as export.csv (SafeFile's new-file
//                                         replace) over an export.csv holding "old export",
//                                         beside the operator's export.csv.new holding "mine"
//   tool_store FOLDER writeat NAME        writes "123456" at the start of a new file NAME (as the
//                                         counter and the provider code are written)
//
// Exit status: 0 success, 1 the store reported a failure (printed on stderr), 2 bad arguments.
#include "StoreTestRecords.h"
#include "storage/AppPaths.h"
#include "storage/RecordStore.h"
#include "storage/SafeFile.h"
#include "storage/StoredRecords.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <utility>

namespace {

void marker(const char* text) {
    // The marker is only for the trace: a failed write of it changes nothing.
    const ssize_t written = ::write(STDERR_FILENO, text, std::strlen(text));
    static_cast<void>(written);
}

int report(const FileStatus& status) {
    if (status)
        return 0;
    std::fprintf(stderr, "%s\n", status.describe().toLocal8Bit().constData());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    RecordStore store(QString::fromLocal8Bit(argv[1]));
    const QByteArray operation = argv[2];
    const int number = argc > 3 ? std::atoi(argv[3]) : 0;

    FileStatus status = store.open();
    if (!status)
        return report(status);
    // After open(), which would remove it: a copy left by a delete that crashed in this run.
    if (argc > 4 && QByteArray(argv[4]) == "leftover") {
        QFile leftOver(QDir(QString::fromLocal8Bit(argv[1])).filePath(AppPaths::tempFileName()));
        if (!leftOver.open(QIODevice::WriteOnly) || leftOver.write(QByteArray(5000, 'j')) != 5000)
            return 2;
    }

    QByteArray exported;
    QList<ResultRecord> records;
    if (operation == "export") {
        // The folder as the operator left it; anything else under export.csv's names is gone.
        const QString folder = QString::fromLocal8Bit(argv[1]);
        QDir dir(folder);
        for (const QString& name :
             dir.entryList({QStringLiteral(".export.csv*")}, QDir::Files | QDir::Hidden))
            dir.remove(name);
        for (const auto& [name, bytes] :
             {std::pair{"export.csv", "old export"}, std::pair{"export.csv.new", "mine"}}) {
            QFile file(dir.filePath(QLatin1String(name)));
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) < 0)
                return 2;
        }
        status = StoredRecords::readAll(store, records);
        for (const ResultRecord& record : records)
            exported += record.encode();
        if (!status)
            return report(status);
    }
    const QString newFile =
        argc > 3 ? QDir(QString::fromLocal8Bit(argv[1])).filePath(QString::fromLocal8Bit(argv[3]))
                 : QString();
    if (operation == "writeat")
        QFile::remove(newFile);

    marker(StoreTestRecords::BeginMarker);
    int stored = 0;
    if (operation == "append") {
        status = store.count(stored);
        if (status)
            status = store.write(stored + 1, StoreTestRecords::record(stored + 1));
    } else if (operation == "append-all") {
        status = store.count(stored);
        int appended = 0;
        if (status)
            status = store.appendAll(
                [&](const RecordStore::RecordSink& sink) {
                    FileStatus written = FileStatus::success();
                    for (int n = stored + 1; written && n <= stored + number; ++n)
                        written = sink(StoreTestRecords::record(n));
                    return written;
                },
                appended);
    } else if (operation == "count") {
        status = store.count(stored);
        if (status)
            std::printf("%d records\n", stored);
    } else if (operation == "write") {
        status = store.write(number, StoreTestRecords::record(number));
    } else if (operation == "delete") {
        status = store.remove(number);
    } else if (operation == "writeat") {
        status = SafeFile::writeAt(newFile, 0, QByteArrayLiteral("123456"));
    } else if (operation == "export") {
        status = SafeFile::replaceWithNewFile(
            QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("export.csv")), exported);
    } else {
        return 2;
    }
    marker(StoreTestRecords::EndMarker);
    return report(status);
}
