// A file operation that fails in the middle of a command: the operator is told once which file
// and why, the files stay as they were, the window stays as it was (typed values included) and
// the program keeps running. Full disks are real: the program folder is a small tmpfs filled up
// (root only). Read failures of Next and Previous are injected with strace into
// tool_commands_driver, which drives the same window in a child process.
#include "support/MainWindowFixture.h"
#include "window/main/MainWindowController.h"
#include "window/main/frmKorvanel.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/mount.h>
#include <unistd.h>

// What a case does to the window before the disk fills.
using Setup = std::function<void(MainWindowFixture&)>;
Q_DECLARE_METATYPE(Setup)

namespace {

const QString kNoSpace = QString::fromLocal8Bit(std::strerror(ENOSPC));

// A small tmpfs over a fresh temporary folder, unmounted again at the end.
class SmallDisk {
public:
    SmallDisk() {
        if (::geteuid() != 0) {
            error_ = QStringLiteral("mounting a small disk needs root");
            return;
        }
        if (::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0,
                    "size=256k,mode=0700") != 0) {
            error_ = QStringLiteral("mount tmpfs: ") + QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
        mounted_ = true;
    }
    ~SmallDisk() {
        if (mounted_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool ok() const { return mounted_; }
    QString error() const { return error_; }
    QString path() const { return dir_.path(); }

    // Takes every free block, so that the next file block anyone needs is refused.
    bool fill() const {
        const QByteArray path = QFile::encodeName(dir_.path() + QStringLiteral("/filler"));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd < 0)
            return false;
        const QByteArray block(4096, 'x');
        while (::write(fd, block.constData(), block.size()) > 0) {
        }
        const bool full = errno == ENOSPC;
        ::close(fd);
        return full;
    }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    QString error_;
};

QList<ResultRecord> records(int count) {
    QList<ResultRecord> list;
    for (int n = 1; n <= count; ++n)
        list.append(MainWindowFixture::completeRecord(QStringLiteral("Name%1").arg(n)));
    return list;
}

void click(QPushButton* button) {
    QVERIFY2(button->isEnabled(), qPrintable(button->objectName()));
    QTest::mouseClick(button, Qt::LeftButton);
}

void type(QLineEdit* box, const QString& text) {
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
    QTest::keyClicks(box, text);
}

} // namespace

class tst_CommandFaults : public QObject {
    Q_OBJECT

    // Twenty records end 136 bytes short of a 4096-byte block, so a twenty-first needs a new
    // block, which a full disk refuses part-way through the record.
    static constexpr int kRecordsFillingABlock = 20;

private slots:
    void fullDisk_data() {
        QTest::addColumn<int>("storedRecords");
        QTest::addColumn<QByteArray>("counterFile"); // "-" for none
        QTest::addColumn<Setup>("setup");            // before the disk fills
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("failedFile"); // named in the message

        const Setup newRecordTyped = [](MainWindowFixture& f) {
            click(f.form().cmdNew);
            type(f.form().txtLastName, "Typed");
        };
        const Setup onlyRecordDeletedThenTyped = [](MainWindowFixture& f) {
            click(f.form().cmdDelete);
            f.messages.messages.clear();
            type(f.form().txtLastName, "Typed");
        };
        const Setup secondRecordTyped = [](MainWindowFixture& f) {
            click(f.form().cmdNext);
            type(f.form().txtFirstName, "Typed");
        };
        const Setup secondRecord = [](MainWindowFixture& f) { click(f.form().cmdNext); };

        QTest::newRow("Update of a new record")
            << kRecordsFillingABlock << QByteArray("-") << newRecordTyped << "cmdUpdate"
            << "AppData/Korvanel.dat";
        QTest::newRow("Exit on a new record")
            << kRecordsFillingABlock << QByteArray("-") << newRecordTyped << "cmdExit"
            << "AppData/Korvanel.dat";
        QTest::newRow("Delete") << kRecordsFillingABlock << QByteArray("-") << secondRecordTyped
                                << "cmdDelete"
                                << "AppData/Korvanel.tmp";
        QTest::newRow("New on the blank record of an empty file")
            << 1 << QByteArray("-") << onlyRecordDeletedThenTyped << "cmdNew"
            << "AppData/Korvanel.dat";
        QTest::newRow("Print on the blank record of an empty file")
            << 1 << QByteArray("-") << onlyRecordDeletedThenTyped << "cmdPrint"
            << "AppData/Korvanel.dat";
        QTest::newRow("submission: the counter file")
            << kRecordsFillingABlock << QByteArray("-") << secondRecord << "cmdWriteEFile"
            << "AppData/nextfile.txt";
        QTest::newRow("submission: the note of the file being made")
            << kRecordsFillingABlock << QByteArray("5     ") << secondRecord << "cmdWriteEFile"
            << "AppData/submitting.txt";
    }

    void fullDisk() {
        QFETCH(int, storedRecords);
        QFETCH(QByteArray, counterFile);
        QFETCH(Setup, setup);
        QFETCH(QString, button);
        QFETCH(QString, failedFile);
        SmallDisk disk;
        if (!disk.ok())
            QSKIP(qPrintable(disk.error()));
        {
            MainWindowFixture fixture(disk.path());
            fixture.setProviderFile("123456");
            fixture.writeRecords(records(storedRecords));
            if (counterFile != "-")
                fixture.writeFile("AppData/nextfile.txt", counterFile);
            QDir(disk.path()).mkdir("Submit");
            QVERIFY(fixture.start());
            setup(fixture);
            QVERIFY(fixture.messages.messages.isEmpty());
            QVERIFY(disk.fill());

            const QByteArray dataBefore = fixture.readFile("AppData/Korvanel.dat");
            const QByteArray counterBefore = fixture.readFile("AppData/nextfile.txt");
            const QString before = fixture.describeWindowState();
            auto* pushed = fixture.window().findChild<QPushButton*>(button);
            QVERIFY(pushed);
            click(pushed);

            QList<ScriptedMessageService::Message> shown = fixture.messages.messages;
            if (button == QLatin1String("cmdDelete")) {
                QCOMPARE(shown.value(0).title, QString("Delete Record Confirmation"));
                shown.removeFirst();
            }
            QCOMPARE(shown.size(), 1);
            const ScriptedMessageService::Message told = shown[0];
            QCOMPARE(told.title, QString("File Error"));
            QVERIFY2(told.text.contains(QDir::toNativeSeparators(fixture.path(failedFile))),
                     qPrintable(told.text));
            QVERIFY2(told.text.contains(kNoSpace), qPrintable(told.text));
            QCOMPARE(fixture.describeWindowState(), before);
            QVERIFY(!fixture.exitCode);
            QCOMPARE(fixture.readFile("AppData/Korvanel.dat"), dataBefore);
            QVERIFY(!fixture.exists("AppData/Korvanel.tmp"));
            QVERIFY(fixture.printer.pages.isEmpty());
            QCOMPARE(QDir(fixture.path("Submit"))
                         .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
                     QStringList());
            if (button == QLatin1String("cmdWriteEFile") && counterFile != "-") {
                // The number was taken before the copy failed: it is skipped, never reused.
                QCOMPARE(fixture.readFile("AppData/nextfile.txt"), QByteArray("6     "));
            } else {
                QCOMPARE(fixture.readFile("AppData/nextfile.txt"), counterBefore);
            }

            // With room again the same command goes through.
            QVERIFY(QFile::remove(disk.path() + "/filler"));
            fixture.messages.messages.clear();
            click(pushed);
            if (button == QLatin1String("cmdDelete")) {
                QCOMPARE(fixture.storedRecords().size(), storedRecords - 1);
            } else if (button == QLatin1String("cmdWriteEFile")) {
                QCOMPARE(fixture.exitCode, std::optional<int>(0));
                QVERIFY(!fixture.exists("AppData/Korvanel.dat"));
            } else if (button == QLatin1String("cmdPrint")) {
                QCOMPARE(fixture.printer.pages.size(), 1);
            }
            if (button != QLatin1String("cmdWriteEFile"))
                QVERIFY(fixture.messages.messages.isEmpty() ||
                        fixture.messages.messages[0].title != QLatin1String("File Error"));
        }
    }

    // A failing system call of the disk (EIO) at the command's own file operation: reads of
    // Next and Previous, the in-place save of the commands that save, the rename of a delete
    // and of the submission.
    void injectedFailure_data() {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("tracedFile"); // relative to AppPath
        QTest::addColumn<int>("when");           // the nth such call on that file fails
        QTest::addColumn<QStringList>("steps");
        // Start-up reads record 1 and writes nothing; every move reads one record.
        const QString data = "AppData/Korvanel.dat";
        const QString typed = "txtFirstName=Typed";
        QTest::newRow("Next") << "pread64" << data << 2 << QStringList{"cmdNext"};
        QTest::newRow("Previous") << "pread64" << data << 3
                                  << QStringList{"cmdNext", "cmdPrevious"};
        for (const char* button : {"cmdUpdate", "cmdNew", "cmdExit", "cmdPrint", "cmdWriteEFile"})
            QTest::newRow(button) << "pwrite64" << data << 1 << QStringList{typed, button};
        // Start-up reads the size twice (checking the file, counting); a delete counts first.
        QTest::newRow("cmdDelete, the size read")
            << "newfstatat" << data << 3 << QStringList{typed, "cmdDelete"};
        QTest::newRow("cmdDelete, the rename")
            << "rename"
            << "AppData/Korvanel.tmp" << 1 << QStringList{typed, "cmdDelete"};
        QTest::newRow("cmdWriteEFile, the rename") << "renameat2"
                                                   << "Submit/Lead_123456_20261206_093000_0001.txt"
                                                   << 1 << QStringList{"cmdNext", "cmdWriteEFile"};
    }
    void injectedFailure() {
        QFETCH(QString, call);
        QFETCH(QString, tracedFile);
        QFETCH(int, when);
        QFETCH(QStringList, steps);
        QTemporaryDir dir;
        MainWindowFixture files(dir.path());
        files.setProviderFile("123456");
        files.writeRecords(records(3));
        QDir(dir.path()).mkdir("Submit");
        const QByteArray dataBefore = files.readFile("AppData/Korvanel.dat");

        const DriverRun run = runDriver(dir.path(), files.path(tracedFile), call, when, steps);
        if (!run.skipReason.isEmpty())
            QSKIP(qPrintable(run.skipReason));
        QVERIFY2(!run.before.isEmpty(), qPrintable(run.output));
        QCOMPARE(run.after, run.before);
        QStringList errors = run.messages.filter(QRegularExpression("^File Error\\|"));
        QCOMPARE(errors.size(), 1);
        QCOMPARE(run.messages.size() - errors.size(), steps.last() == "cmdDelete" ? 1 : 0);
        QVERIFY2(errors[0].contains(QString::fromLocal8Bit(std::strerror(EIO))),
                 qPrintable(errors[0]));
        QVERIFY2(errors[0].contains(QDir::toNativeSeparators(dir.path())), qPrintable(errors[0]));
        QVERIFY(!run.exited);
        QCOMPARE(files.readFile("AppData/Korvanel.dat"), dataBefore);
        QVERIFY(!files.exists("AppData/Korvanel.tmp"));
        QCOMPARE(
            QDir(files.path("Submit")).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList());
    }

    // A failed size read at start-up is a file failure, never an empty file: start-up stops
    // with its message instead of showing a new record 1 that the next save would write over
    // the stored record 1.
    void startUpStopsOnAFailedSizeRead() {
        QTemporaryDir dir;
        MainWindowFixture files(dir.path());
        files.setProviderFile("123456");
        files.writeRecords(records(3));
        const QByteArray dataBefore = files.readFile("AppData/Korvanel.dat");
        const QString data = files.path("AppData/Korvanel.dat");
        const DriverRun run = runDriver(dir.path(), data, "newfstatat", 2, {"cmdExit"});
        if (run.output.isEmpty())
            QSKIP(qPrintable(run.skipReason));
        QVERIFY2(run.output.contains("start failed"), qPrintable(run.output));
        QVERIFY2(run.output.contains(QString::fromLocal8Bit(std::strerror(EIO))),
                 qPrintable(run.output));
        QVERIFY2(run.output.contains(QDir::toNativeSeparators(data)), qPrintable(run.output));
        QCOMPARE(files.readFile("AppData/Korvanel.dat"), dataBefore);
    }

    // The rewrite of a record stored under an older provider code fails: the pass stops, the
    // record keeps its old code and no submission file is made.
    void failedRewriteStopsTheSubmission() {
        QTemporaryDir dir;
        MainWindowFixture files(dir.path());
        files.setProviderFile("123456");
        QList<ResultRecord> stored = records(3);
        stored[0].set(ResultRecord::ProviderCode, "654321");
        files.writeRecords(stored);
        QDir(dir.path()).mkdir("Submit");
        const QByteArray dataBefore = files.readFile("AppData/Korvanel.dat");

        // The first write saves record 2, shown when the command starts; the second is the
        // rewrite of record 1.
        const DriverRun run = runDriver(dir.path(), files.path("AppData/Korvanel.dat"), "pwrite64",
                                        2, QStringList{"cmdNext", "cmdWriteEFile"});
        if (!run.skipReason.isEmpty())
            QSKIP(qPrintable(run.skipReason));
        QCOMPARE(run.after, run.before);
        QCOMPARE(run.messages.size(), 1);
        QVERIFY2(run.messages[0].startsWith("File Error|"), qPrintable(run.messages[0]));
        QVERIFY(!run.exited);
        QCOMPARE(files.readFile("AppData/Korvanel.dat"), dataBefore);
        QCOMPARE(
            QDir(files.path("Submit")).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList());
        QVERIFY(!files.exists("AppData/nextfile.txt"));
    }

    // The shorter file has already replaced the old one when flushing the folder fails: the
    // record is gone, so the window must move on as after a delete, or the next save would
    // write the deleted record's values over the record that took its number.
    void deleteThatWentThroughDespiteAFailure() {
        QTemporaryDir dir;
        MainWindowFixture files(dir.path());
        files.setProviderFile("123456");
        const QList<ResultRecord> stored = records(3);
        files.writeRecords(stored);
        const QString folder = files.path("AppData");

        const DriverRun run =
            runDriver(dir.path(), folder, "fsync", 1, QStringList{"cmdNext", "cmdDelete"});
        if (!run.skipReason.isEmpty())
            QSKIP(qPrintable(run.skipReason));
        QCOMPARE(run.messages.size(), 2);
        QVERIFY(run.messages[0].startsWith("Delete Record Confirmation|"));
        QVERIFY2(run.messages[1].startsWith("File Error|"), qPrintable(run.messages[1]));
        QVERIFY(run.messages[1].contains(QDir::toNativeSeparators(folder)));
        QVERIFY2(run.after.startsWith("record=2 count=2 "), qPrintable(run.after));
        QVERIFY2(run.after.contains("last=Name3 "), qPrintable(run.after));
        QVERIFY(!run.exited);
        QCOMPARE(files.storedRecords(), (QList<ResultRecord>{stored[0], stored[2]}));
    }

    // After a delete, no save writes values that were not read from the record it writes to:
    // when the record that took the deleted one's number cannot be read (pread64), or the data
    // file cannot be opened again (openat), the deleted record's values still on display are
    // never saved, and Exit still ends the program.
    void noSaveOfADeletedRecord_data() {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("when"); // "5+": that call and every later one fails
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("fileErrors"); // told during the last step
        QTest::addColumn<bool>("exits");
        QTest::addColumn<QString>("lastName"); // shown at the end; "" when the read fails
        // Reads: record 1 at start-up, record 2 on Next, two while deleting, then the re-read.
        const QStringList deleted{"cmdNext", "cmdDelete"};
        for (const char* button : {"cmdUpdate", "cmdNew", "cmdPrint", "cmdWriteEFile"})
            QTest::newRow(button) << "pread64"
                                  << "5+" << deleted + QStringList{button} << 1 << false << "";
        QTest::newRow("cmdExit") << "pread64"
                                 << "5+" << deleted + QStringList{"cmdExit"} << 0 << true << "";
        QTest::newRow("cmdUpdate, the record reads again")
            << "pread64"
            << "5" << deleted + QStringList{"cmdUpdate"} << 0 << false << "Name3";
        // Opens: start-up tries to create, then opens; the delete reopens, then open() again.
        QTest::newRow("reopen fails: one message") << "openat"
                                                   << "3+" << deleted << 1 << false << "";
        QTest::newRow("reopen fails: cmdExit")
            << "openat"
            << "3+" << deleted + QStringList{"cmdExit"} << 0 << true << "";
    }
    void noSaveOfADeletedRecord() {
        QFETCH(QString, call);
        QFETCH(QString, when);
        QFETCH(QStringList, steps);
        QFETCH(int, fileErrors);
        QFETCH(bool, exits);
        QFETCH(QString, lastName);
        QTemporaryDir dir;
        MainWindowFixture files(dir.path());
        files.setProviderFile("123456");
        const QList<ResultRecord> stored = records(3);
        files.writeRecords(stored);
        QDir(dir.path()).mkdir("Submit");

        const DriverRun run =
            runDriver(dir.path(), files.path("AppData/Korvanel.dat"), call, when, steps);
        if (!run.skipReason.isEmpty())
            QSKIP(qPrintable(run.skipReason));
        QVERIFY2(!run.after.isEmpty(), qPrintable(run.output));
        const QStringList errors = run.messages.filter(QRegularExpression("^File Error\\|"));
        QCOMPARE(errors.size(), fileErrors);
        QCOMPARE(run.messages.size() - errors.size(), steps.last() == "cmdDelete" ? 1 : 0);
        QCOMPARE(run.exited, exits);
        if (!lastName.isEmpty())
            QVERIFY2(run.after.contains("last=" + lastName + " "), qPrintable(run.after));
        QCOMPARE(files.storedRecords(), (QList<ResultRecord>{stored[0], stored[2]}));
        QCOMPARE(
            QDir(files.path("Submit")).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList());
    }

private:
    struct DriverRun {
        QString skipReason;
        QString output;
        QString before;
        QString after;
        QStringList messages;
        bool exited = false;
    };

    // Runs tool_commands_driver on the folder under strace, failing the whenth call of the
    // system call on the given path with EIO (strace matches a rename by its first path).
    static DriverRun runDriver(const QString& appPath, const QString& tracedPath,
                               const QString& call, int when, const QStringList& buttons) {
        return runDriver(appPath, tracedPath, call, QString::number(when), buttons);
    }
    static DriverRun runDriver(const QString& appPath, const QString& tracedPath,
                               const QString& call, const QString& when,
                               const QStringList& buttons) {
        DriverRun run;
        const QString strace = QStandardPaths::findExecutable("strace");
        if (strace.isEmpty()) {
            run.skipReason = QStringLiteral("strace is not installed");
            return run;
        }
        QProcess driver;
        driver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The leak check of a sanitizer build cannot run under strace.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString asanOptions = environment.value("ASAN_OPTIONS");
        environment.insert("ASAN_OPTIONS", asanOptions.isEmpty()
                                               ? QStringLiteral("detect_leaks=0")
                                               : asanOptions + QStringLiteral(":detect_leaks=0"));
        driver.setProcessEnvironment(environment);
        driver.start(
            strace,
            QStringList{"-f", "-o", "/dev/null", "-P", tracedPath, "-e", "trace=" + call, "-e",
                        QStringLiteral("inject=%1:error=EIO:when=%2").arg(call).arg(when),
                        QStringLiteral(KORVANEL_TOOLS_DIR "/tool_commands_driver"), appPath} +
                buttons);
        if (!driver.waitForFinished(120000)) {
            run.skipReason = QStringLiteral("the driver did not finish");
            return run;
        }
        run.output = QString::fromLocal8Bit(driver.readAllStandardOutput());
        if (driver.exitCode() != 0 && !run.output.contains(QLatin1String("before: "))) {
            run.skipReason = QStringLiteral("strace cannot trace here (ptrace not permitted?)");
            return run;
        }
        for (const QString& line : run.output.split('\n', Qt::SkipEmptyParts)) {
            if (line.startsWith("before: "))
                run.before = line.mid(8);
            else if (line.startsWith("after: "))
                run.after = line.mid(7);
            else if (line.startsWith("message: "))
                run.messages += line.mid(9);
            else if (line.startsWith("exit: "))
                run.exited = line != QLatin1String("exit: none");
        }
        return run;
    }
};

QTEST_MAIN(tst_CommandFaults)
#include "tst_CommandFaults.moc"
