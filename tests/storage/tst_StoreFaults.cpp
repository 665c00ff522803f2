// Faults and crashes at every system call of a delete and of an append, injected with strace into
// the helper program tool_store: a failed call must be reported and leave every saved record
// readable and no torn record; a crash must leave the old or the new set of records, complete.
#include "storage/RecordStore.h"

#include "StoreTestRecords.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <utility>
#include <vector>

using StoreTestRecords::record;
using StoreTestRecords::storedCount;

namespace {

const QString kFaultCalls = QStringLiteral("write,pwrite64,fsync,fdatasync,rename,close");
// Every step of the operation a crash may fall between.
const QString kCrashCalls =
    QStringLiteral("openat,unlink,pread64,pwrite64,fsync,fdatasync,ftruncate,rename,close,write");

QByteArray recordsBytes(const QList<int>& numbers) {
    QByteArray bytes;
    for (int n : numbers)
        bytes += n > 0 ? record(n).encode() : ResultRecord().encode();
    return bytes;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

// One traced system call of the operation: its name and its rank among the operation's calls of
// that name (the first close of the operation is rank 1).
struct TracedCall {
    QString name;
    int rank;
};

struct Trace {
    std::vector<TracedCall> operationCalls;
    // Calls of each name up to the start of the operation. strace's when= counts from the start
    // of the program, and what the loader or a sanitizer does before main() can vary a little.
    QHash<QString, int> callsBefore;
    bool sawBegin = false;
    int injectedIndex = -1; // the operation call that failed or crashed, -1: none
    bool killed = false;
};

Trace parseTrace(const QString& logPath) {
    static const QRegularExpression callLine(QStringLiteral(R"(^(?:\d+\s+)?([a-z0-9_]+)\()"));
    Trace trace;
    QHash<QString, int> ordinals;
    QHash<QString, int> ranks;
    bool inOperation = false;
    bool lastCallInOperation = false;
    const QList<QByteArray> lines = readFile(logPath).split('\n');
    for (const QByteArray& raw : lines) {
        const QString line = QString::fromLatin1(raw);
        if (line.contains(QLatin1String("killed by SIGKILL"))) {
            trace.killed = true;
            // A crash shows as the last call, unfinished ("= ?").
            if (lastCallInOperation)
                trace.injectedIndex = int(trace.operationCalls.size()) - 1;
        }
        const QRegularExpressionMatch match = callLine.match(line);
        if (!match.hasMatch())
            continue;
        const QString name = match.captured(1);
        ++ordinals[name];
        lastCallInOperation = false;
        if (line.contains(QLatin1String("KORVANEL-OPERATION-BEGIN"))) {
            inOperation = true;
            trace.sawBegin = true;
            trace.callsBefore = ordinals;
            continue;
        }
        if (line.contains(QLatin1String("KORVANEL-OPERATION-END"))) {
            inOperation = false;
            continue;
        }
        if (!inOperation)
            continue;
        trace.operationCalls.push_back({name, ++ranks[name]});
        lastCallInOperation = true;
        if (line.contains(QLatin1String("(INJECTED)")))
            trace.injectedIndex = int(trace.operationCalls.size()) - 1;
    }
    return trace;
}

struct Scenario {
    QList<int> before;     // records in the file before the operation (0: a blank record)
    QList<int> after;      // records after it succeeded
    QStringList arguments; // of tool_store, after the folder
};

} // namespace

class tst_StoreFaults : public QObject {
    Q_OBJECT

    QString strace_;
    QString tool_;

    // Runs the tool under strace on a folder prepared with the records; returns its exit code,
    // -1 when it did not exit normally.
    int runTraced(const QString& folder, const Scenario& scenario, const QString& calls,
                  const QString& injection, Trace& trace) {
        QFile data(folder + "/Korvanel.dat");
        if (!data.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return -2;
        data.write(recordsBytes(scenario.before));
        data.close();
        QFile::remove(folder + "/Korvanel.tmp");

        const QString log = folder + "/strace.log";
        QStringList arguments = {"-f", "-o", log, "-e", "trace=" + calls};
        if (!injection.isEmpty())
            arguments << "-e"
                      << "inject=" + injection;
        arguments << tool_ << folder << scenario.arguments;
        QProcess process;
        // LeakSanitizer stops a traced program (it needs ptrace itself) in sanitizer builds.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString asanOptions = environment.value("ASAN_OPTIONS");
        environment.insert("ASAN_OPTIONS", asanOptions.isEmpty()
                                               ? QStringLiteral("detect_leaks=0")
                                               : asanOptions + QStringLiteral(":detect_leaks=0"));
        process.setProcessEnvironment(environment);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(strace_, arguments);
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return -3;
        }
        trace = parseTrace(log);
        QFile::remove(log);
        if (process.exitStatus() != QProcess::NormalExit)
            return -1;
        return process.exitCode();
    }

    // Runs the operation with the action (error=EIO, signal=KILL...) at its call number index of
    // the dry run. strace counts calls from the program's start, and a sanitizer build makes a
    // varying number of calls before main(): an attempt that missed is repeated with the count
    // before the operation seen most often so far.
    int injectAt(const QString& folder, const Scenario& scenario, const QString& calls,
                 const Trace& dryRun, int index, const QString& action, Trace& trace,
                 QString& injection) {
        const TracedCall& call = dryRun.operationCalls[size_t(index)];
        QHash<int, int> seenBefore;
        ++seenBefore[dryRun.callsBefore.value(call.name)];
        int exitCode = -4;
        for (int attempt = 0; attempt < 12; ++attempt) {
            int before = 0;
            int mostSeen = 0;
            for (auto it = seenBefore.cbegin(); it != seenBefore.cend(); ++it) {
                if (it.value() > mostSeen) {
                    mostSeen = it.value();
                    before = it.key();
                }
            }
            injection =
                QStringLiteral("%1:%2:when=%3").arg(call.name, action).arg(before + call.rank);
            exitCode = runTraced(folder, scenario, calls, injection, trace);
            if (trace.injectedIndex == index)
                break;
            if (trace.sawBegin)
                ++seenBefore[trace.callsBefore.value(call.name)];
        }
        return exitCode;
    }

    static QList<std::pair<QString, Scenario>> scenarios(bool deletesOnly) {
        QList<std::pair<QString, Scenario>> list = {
            {"delete 2 of 3", {{1, 2, 3}, {1, 3}, {"delete", "2"}}},
            {"delete 1 of 3 over a left-over copy",
             {{1, 2, 3}, {2, 3}, {"delete", "1", "leftover"}}},
            {"delete the only record", {{1}, {}, {"delete", "1"}}},
        };
        if (!deletesOnly) {
            list.append({"append", {{1, 2, 3}, {1, 2, 3, 4}, {"append"}}});
            list.append({"append past a gap", {{1, 2}, {1, 2, 0, 0, 5}, {"write", "5"}}});
            list.append(
                {"append three at once", {{1, 2, 3}, {1, 2, 3, 4, 5, 6}, {"append-all", "3"}}});
            list.append(
                {"append three at once to an empty file", {{}, {1, 2, 3}, {"append-all", "3"}}});
        }
        return list;
    }

    static void addScenarioRows(bool deletesOnly) {
        QTest::addColumn<QList<int>>("before");
        QTest::addColumn<QList<int>>("after");
        QTest::addColumn<QStringList>("arguments");
        for (const auto& [name, scenario] : scenarios(deletesOnly))
            QTest::newRow(qPrintable(name))
                << scenario.before << scenario.after << scenario.arguments;
    }

private slots:
    void initTestCase() {
        tool_ = QStringLiteral(KORVANEL_TOOLS_DIR "/tool_store");
        QVERIFY2(QFile::exists(tool_), qPrintable(tool_));
        strace_ = QStandardPaths::findExecutable("strace");
        if (strace_.isEmpty())
            QSKIP("strace is missing: fault and crash injection cannot run");
        QProcess probe;
        probe.start(strace_, {"-o", "/dev/null", "-e", "trace=close", "true"});
        if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit ||
            probe.exitCode() != 0)
            QSKIP("strace cannot trace here (ptrace not permitted?)");
    }

    void failedCallIsReportedAndLosesNothing_data() { addScenarioRows(false); }
    void failedCallIsReportedAndLosesNothing() {
        QFETCH(QList<int>, before);
        QFETCH(QList<int>, after);
        QFETCH(QStringList, arguments);
        const Scenario scenario{before, after, arguments};
        const QByteArray oldBytes = recordsBytes(before);
        const QByteArray newBytes = recordsBytes(after);
        // Operations that put a new file in place of the data file with one rename.
        const bool isDelete = arguments.first() == "delete" || arguments.first() == "append-all";

        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        Trace dryRun;
        QCOMPARE(runTraced(folder.path(), scenario, kFaultCalls, QString(), dryRun), 0);
        QCOMPARE(readFile(folder.filePath("Korvanel.dat")), newBytes);
        QVERIFY(!dryRun.operationCalls.empty());
        qInfo("%d calls of the operation, each failed with EIO and ENOSPC",
              int(dryRun.operationCalls.size()));

        bool renamed = false;
        for (int index = 0; index < int(dryRun.operationCalls.size()); ++index) {
            for (const char* error : {"EIO", "ENOSPC"}) {
                Trace trace;
                QString injection;
                const int exitCode =
                    injectAt(folder.path(), scenario, kFaultCalls, dryRun, index,
                             QStringLiteral("error=%1").arg(error), trace, injection);
                QVERIFY2(trace.injectedIndex == index, qPrintable("not injected: " + injection));
                QVERIFY2(exitCode == 1, qPrintable(QStringLiteral("%1 exited %2, not a reported "
                                                                  "failure")
                                                       .arg(injection)
                                                       .arg(exitCode)));
                QVERIFY2(!QFile::exists(folder.filePath("Korvanel.tmp")) &&
                             !QFile::exists(folder.filePath("Korvanel.imp")),
                         qPrintable("temporary file left after " + injection));
                // Before the rename the old file is untouched; after it, the new one is whole.
                const QByteArray expected = renamed ? newBytes : oldBytes;
                QVERIFY2(readFile(folder.filePath("Korvanel.dat")) == expected,
                         qPrintable("wrong records after " + injection));

                RecordStore store(folder.path());
                QVERIFY(store.open());
                QCOMPARE(storedCount(store), expected.size() / ResultRecord::Size);
                for (int n = 1; n <= storedCount(store); ++n) {
                    ResultRecord buffer;
                    QVERIFY(store.read(n, buffer));
                    QCOMPARE(buffer.encode(),
                             expected.mid((n - 1) * ResultRecord::Size, ResultRecord::Size));
                }
            }
            if (isDelete && dryRun.operationCalls[size_t(index)].name == "rename")
                renamed = true;
        }
    }

    // A size read that fails is a reported failure, never 0 records: nothing is counted, written
    // or deleted on it.
    void failedSizeReadIsReported_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("count") << QStringList{"count"};
        QTest::newRow("append") << QStringList{"append"};
        QTest::newRow("delete") << QStringList{"delete", "2"};
    }
    void failedSizeReadIsReported() {
        QFETCH(QStringList, arguments);
        const Scenario scenario{{1, 2, 3}, {}, arguments};
        // The markers are writes: traced too, so that the operation's first size read is found.
        const QString calls = QStringLiteral("newfstatat,write");
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        Trace dryRun;
        QCOMPARE(runTraced(folder.path(), scenario, calls, QString(), dryRun), 0);
        int sizeRead = 0;
        while (sizeRead < int(dryRun.operationCalls.size()) &&
               dryRun.operationCalls[size_t(sizeRead)].name != QLatin1String("newfstatat"))
            ++sizeRead;
        QVERIFY(sizeRead < int(dryRun.operationCalls.size()));
        Trace trace;
        QString injection;
        const int exitCode = injectAt(folder.path(), scenario, calls, dryRun, sizeRead,
                                      QStringLiteral("error=EIO"), trace, injection);
        QVERIFY2(trace.injectedIndex == sizeRead, qPrintable("not injected: " + injection));
        QCOMPARE(exitCode, 1);
        QCOMPARE(readFile(folder.filePath("Korvanel.dat")), recordsBytes({1, 2, 3}));
        QVERIFY(!QFile::exists(folder.filePath("Korvanel.tmp")));
    }

    // A write in place that creates its file (the counter or the provider code, removed while the
    // program ran) flushes the folder after the file, or a crash loses the file with its data;
    // a failure of that flush is reported, never taken as success.
    void newFileFolderFlushFailureIsReported_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("nextfile.txt") << "nextfile.txt";
        QTest::newRow("provider.txt") << "provider.txt";
    }
    void newFileFolderFlushFailureIsReported() {
        QFETCH(QString, name);
        const Scenario scenario{{1}, {1}, {"writeat", name}};
        // The data is flushed with fdatasync, the folder with fsync; the markers are writes.
        const QString calls = QStringLiteral("fdatasync,fsync,write");
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        Trace dryRun;
        QCOMPARE(runTraced(folder.path(), scenario, calls, QString(), dryRun), 0);
        QCOMPARE(readFile(folder.filePath(name)), QByteArray("123456"));
        int folderFlush = -1;
        for (int index = 0; index < int(dryRun.operationCalls.size()); ++index) {
            if (dryRun.operationCalls[size_t(index)].name == QLatin1String("fsync"))
                folderFlush = index;
        }
        QVERIFY2(folderFlush >= 0, "the folder of the new file was not flushed");
        Trace trace;
        QString injection;
        const int exitCode = injectAt(folder.path(), scenario, calls, dryRun, folderFlush,
                                      QStringLiteral("error=EIO"), trace, injection);
        QVERIFY2(trace.injectedIndex == folderFlush, qPrintable("not injected: " + injection));
        QCOMPARE(exitCode, 1);
    }

    void crashLeavesOldOrNewRecords_data() { addScenarioRows(false); }
    void crashLeavesOldOrNewRecords() {
        QFETCH(QList<int>, before);
        QFETCH(QList<int>, after);
        QFETCH(QStringList, arguments);
        const Scenario scenario{before, after, arguments};
        const QByteArray oldBytes = recordsBytes(before);
        const QByteArray newBytes = recordsBytes(after);

        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        Trace dryRun;
        QCOMPARE(runTraced(folder.path(), scenario, kCrashCalls, QString(), dryRun), 0);
        QVERIFY(!dryRun.operationCalls.empty());
        qInfo("%d calls of the operation, a crash at each", int(dryRun.operationCalls.size()));

        int oldSeen = 0;
        int newSeen = 0;
        for (int index = 0; index < int(dryRun.operationCalls.size()); ++index) {
            Trace trace;
            QString injection;
            const int exitCode = injectAt(folder.path(), scenario, kCrashCalls, dryRun, index,
                                          QStringLiteral("signal=KILL"), trace, injection);
            QVERIFY2(exitCode == -1 && trace.killed && trace.injectedIndex == index,
                     qPrintable("no crash at " + injection));

            RecordStore store(folder.path());
            QVERIFY(store.open());
            QVERIFY2(!QFile::exists(folder.filePath("Korvanel.tmp")) &&
                         !QFile::exists(folder.filePath("Korvanel.imp")),
                     qPrintable("temporary file left after crash at " + injection));
            const QByteArray bytes = readFile(folder.filePath("Korvanel.dat"));
            QVERIFY2(
                bytes == oldBytes || bytes == newBytes,
                qPrintable(
                    QStringLiteral("crash at %1 left %2 bytes").arg(injection).arg(bytes.size())));
            ++(bytes == oldBytes ? oldSeen : newSeen);
        }
        // The crashes fell on both sides of the moment the operation takes effect.
        QVERIFY(oldSeen > 0);
        QVERIFY(newSeen > 0 || arguments.first() == "append" || arguments.first() == "write");
    }

    // An export (the new-file replace) failed or crashed at each of its calls: the operator's
    // export.csv.new is never touched, export.csv holds the old or the whole new file, and no
    // other file is left beside them, but for the program's own hidden copy when the crash fell
    // on the one rename that puts it in place.
    void exportLeavesNoOtherFile() {
        const Scenario scenario{{1, 2, 3}, {1, 2, 3}, {"export"}};
        const QString calls =
            QStringLiteral("openat,fchmod,pwrite64,fsync,linkat,rename,close,write");
        const QByteArray newBytes = recordsBytes({1, 2, 3});
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        Trace dryRun;
        QCOMPARE(runTraced(folder.path(), scenario, calls, QString(), dryRun), 0);
        QCOMPARE(readFile(folder.filePath("export.csv")), newBytes);
        QVERIFY(!dryRun.operationCalls.empty());

        const QStringList ownFiles = {"Korvanel.dat", "export.csv", "export.csv.new"};
        for (int index = 0; index < int(dryRun.operationCalls.size()); ++index) {
            for (const char* action : {"error=EIO", "signal=KILL"}) {
                Trace trace;
                QString injection;
                const int exitCode = injectAt(folder.path(), scenario, calls, dryRun, index,
                                              QLatin1String(action), trace, injection);
                QVERIFY2(trace.injectedIndex == index, qPrintable("not injected: " + injection));
                const bool crashed = QByteArray(action) == "signal=KILL";
                QVERIFY2(exitCode == (crashed ? -1 : 1) ||
                             (!crashed && exitCode == 0 &&
                              dryRun.operationCalls[size_t(index)].name == "close"),
                         qPrintable(QStringLiteral("%1 exited %2").arg(injection).arg(exitCode)));
                QCOMPARE(readFile(folder.filePath("export.csv.new")), QByteArray("mine"));
                const QByteArray exported = readFile(folder.filePath("export.csv"));
                QVERIFY2(exported == "old export" || exported == newBytes,
                         qPrintable("export.csv torn after " + injection));
                QStringList left = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
                for (const QString& name : ownFiles)
                    left.removeOne(name);
                const bool onRename = dryRun.operationCalls[size_t(index)].name == "rename";
                if (crashed && onRename && left.size() == 1) {
                    QVERIFY2(left.first().startsWith(".export.csv.") &&
                                 left.first().endsWith(".tmp"),
                             qPrintable(left.first()));
                    QCOMPARE(readFile(folder.filePath(left.first())), newBytes);
                    continue;
                }
                QVERIFY2(left.isEmpty(), qPrintable(injection + " left " + left.join(' ')));
            }
        }
    }
};

QTEST_GUILESS_MAIN(tst_StoreFaults)
#include "tst_StoreFaults.moc"
