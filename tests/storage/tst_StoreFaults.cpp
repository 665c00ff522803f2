// Faults and crashes at every system call of a delete and of an append, injected with strace into
// the helper program tool_store: a failed call must be reported and leave every saved record
// readable and no torn record; a crash must leave the old or the new set of records, complete.
#include "storage/RecordStore.h"

#include "StoreTestRecords.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <utility>
#include <vector>

using StoreTestRecords::record;

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

// One traced system call of the operation: its name and its number among calls of that name
// since the program started, which is what strace's when= counts.
struct TracedCall {
    QString name;
    int ordinal;
};

struct Trace {
    std::vector<TracedCall> operationCalls;
    bool injectedInOperation = false;
    bool killed = false;
};

Trace parseTrace(const QString& logPath) {
    static const QRegularExpression callLine(QStringLiteral(R"(^(?:\d+\s+)?([a-z0-9_]+)\()"));
    Trace trace;
    QHash<QString, int> ordinals;
    bool inOperation = false;
    const QList<QByteArray> lines = readFile(logPath).split('\n');
    for (const QByteArray& raw : lines) {
        const QString line = QString::fromLatin1(raw);
        if (line.contains(QLatin1String("killed by SIGKILL")))
            trace.killed = true;
        const QRegularExpressionMatch match = callLine.match(line);
        if (!match.hasMatch())
            continue;
        const QString name = match.captured(1);
        const int ordinal = ++ordinals[name];
        if (line.contains(QLatin1String("KORVANEL-OPERATION-BEGIN"))) {
            inOperation = true;
            continue;
        }
        if (line.contains(QLatin1String("KORVANEL-OPERATION-END"))) {
            inOperation = false;
            continue;
        }
        if (!inOperation)
            continue;
        trace.operationCalls.push_back({name, ordinal});
        if (line.contains(QLatin1String("(INJECTED)")))
            trace.injectedInOperation = true;
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
        const bool isDelete = arguments.first() == "delete";

        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        Trace dryRun;
        QCOMPARE(runTraced(folder.path(), scenario, kFaultCalls, QString(), dryRun), 0);
        QCOMPARE(readFile(folder.filePath("Korvanel.dat")), newBytes);
        QVERIFY(!dryRun.operationCalls.empty());
        qInfo("%d calls of the operation, each failed with EIO and ENOSPC",
              int(dryRun.operationCalls.size()));

        bool renamed = false;
        for (const TracedCall& call : dryRun.operationCalls) {
            for (const char* error : {"EIO", "ENOSPC"}) {
                const QString injection =
                    QStringLiteral("%1:error=%2:when=%3").arg(call.name, error).arg(call.ordinal);
                Trace trace;
                const int exitCode =
                    runTraced(folder.path(), scenario, kFaultCalls, injection, trace);
                QVERIFY2(trace.injectedInOperation, qPrintable("not injected: " + injection));
                QVERIFY2(exitCode == 1, qPrintable(QStringLiteral("%1 exited %2, not a reported "
                                                                  "failure")
                                                       .arg(injection)
                                                       .arg(exitCode)));
                QVERIFY2(!QFile::exists(folder.filePath("Korvanel.tmp")),
                         qPrintable("temporary file left after " + injection));
                // Before the rename the old file is untouched; after it, the new one is whole.
                const QByteArray expected = renamed ? newBytes : oldBytes;
                QVERIFY2(readFile(folder.filePath("Korvanel.dat")) == expected,
                         qPrintable("wrong records after " + injection));

                RecordStore store(folder.path());
                QVERIFY(store.open());
                QCOMPARE(store.count(), expected.size() / ResultRecord::Size);
                for (int n = 1; n <= store.count(); ++n) {
                    ResultRecord buffer;
                    QVERIFY(store.read(n, buffer));
                    QCOMPARE(buffer.encode(),
                             expected.mid((n - 1) * ResultRecord::Size, ResultRecord::Size));
                }
            }
            if (isDelete && call.name == "rename")
                renamed = true;
        }
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
        for (const TracedCall& call : dryRun.operationCalls) {
            const QString injection =
                QStringLiteral("%1:signal=KILL:when=%2").arg(call.name).arg(call.ordinal);
            Trace trace;
            const int exitCode = runTraced(folder.path(), scenario, kCrashCalls, injection, trace);
            QVERIFY2(exitCode == -1 && trace.killed, qPrintable("no crash at " + injection));

            RecordStore store(folder.path());
            QVERIFY(store.open());
            QVERIFY2(!QFile::exists(folder.filePath("Korvanel.tmp")),
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
        QVERIFY(newSeen > 0 || arguments.first() != "delete");
    }
};

QTEST_GUILESS_MAIN(tst_StoreFaults)
#include "tst_StoreFaults.moc"
