#include "storage/RecordFile.h"
#include "storage/ResultRecord.h"
#include "storage/SafeFile.h"
#include "submission/SubmissionWriter.h"
#include "support/TestRecords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

const QDateTime kMoment(QDate(2026, 12, 6), QTime(10, 52, 55));
const QString kFirstName = QStringLiteral("Lead_123456_20261206_105255_0001.txt");

QByteArray contentOf(const QString& path) {
    QByteArray bytes;
    SafeFile::readPrefix(path, bytes);
    return bytes;
}

QByteArray records(int count) {
    QByteArray bytes;
    for (int i = 1; i <= count; ++i) {
        ResultRecord record = TestRecords::newRecord(QStringLiteral("123456"));
        record.set(ResultRecord::LastName, QStringLiteral("Patient %1").arg(i));
        record.set(ResultRecord::City, QStringLiteral("S\u00E3o Tom\u00E9"));
        bytes += record.encode();
    }
    return bytes;
}

QFileDevice::Permissions ownerOnly(bool folder) {
    QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ReadUser | QFileDevice::WriteUser;
    if (folder)
        permissions |= QFileDevice::ExeOwner | QFileDevice::ExeUser;
    return permissions;
}

} // namespace

class tst_SubmissionWriter : public QObject {
    Q_OBJECT
private:
    QTemporaryDir* appFolder_ = nullptr;
    QString appPath_;
    QString dataFile_;
    QString submit_;
    QString counterFile_;

    void writeDataFile(const QByteArray& bytes) {
        QVERIFY(SafeFile::replaceContent(dataFile_, bytes).ok());
    }
    QStringList submitEntries() const {
        return QDir(submit_).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    // After any failure: the records are still in the data file, nothing half-made is left.
    void verifyNothingLost(const QByteArray& original, const QStringList& expectedEntries) {
        QCOMPARE(contentOf(dataFile_), original);
        QCOMPARE(submitEntries(), expectedEntries);
    }

private slots:
    void init() {
        appFolder_ = new QTemporaryDir;
        QVERIFY(appFolder_->isValid());
        appPath_ = appFolder_->path();
        dataFile_ = appPath_ + "/AppData/Korvanel.dat";
        submit_ = appPath_ + "/Submit";
        counterFile_ = appPath_ + "/AppData/nextfile.txt";
        QVERIFY(SafeFile::makePrivateFolder(appPath_ + "/AppData").ok());
        QVERIFY(SafeFile::makePrivateFolder(submit_).ok());
    }
    void cleanup() {
        delete appFolder_;
        appFolder_ = nullptr;
    }

    void oneRecordBecomesTheSubmissionFile() {
        const QByteArray original = records(1);
        QCOMPARE(original.size(), 198);
        writeDataFile(original);

        const SubmissionWriter::Outcome outcome =
            SubmissionWriter(appPath_).write(" 123456", kMoment);
        QVERIFY2(outcome.status.ok(), qPrintable(outcome.status.describe()));
        QCOMPARE(outcome.result, SubmissionWriter::Result::Done);
        QCOMPARE(outcome.counter, 1);
        QCOMPARE(outcome.relativeName, "/Submit/" + kFirstName);
        QCOMPARE(outcome.filePath, submit_ + "/" + kFirstName);
        QCOMPARE(contentOf(outcome.filePath), original);
        QCOMPARE(QFile::permissions(outcome.filePath), ownerOnly(false));
        QVERIFY(!QFile::exists(dataFile_));
        QCOMPARE(contentOf(counterFile_), QByteArray("2     "));
        QCOMPARE(submitEntries(), QStringList{kFirstName});
    }

    void manyRecordsAreCopiedByteForByte() {
        const QByteArray original = records(300);
        writeDataFile(original);
        QVERIFY(SafeFile::replaceContent(counterFile_, "9999  ").ok());
        const SubmissionWriter::Outcome outcome =
            SubmissionWriter(appPath_).write("123456", kMoment);
        QVERIFY2(outcome.status.ok(), qPrintable(outcome.status.describe()));
        QVERIFY(outcome.filePath.endsWith("_9999.txt"));
        QCOMPARE(contentOf(outcome.filePath), original);
        QCOMPARE(contentOf(counterFile_), QByteArray("10000 "));
    }

    // A counter file that was lost or restored from a backup would start below the numbers
    // the office already sent: the number continues after the highest of this provider code
    // in Submit. Other codes, copies and links do not count.
    void numbersAreNeverHandedOutTwice_data() {
        QTest::addColumn<QByteArray>("counter"); // nextfile.txt; "-": missing
        QTest::addColumn<QStringList>("inSubmit");
        QTest::addColumn<int>("taken");
        QStringList fifty;
        for (int i = 1; i <= 50; ++i)
            fifty << QString("Lead_123456_20240301_120000_%1.txt").arg(i, 4, 10, QChar('0'));
        QTest::newRow("no counter file, 50 files from another computer")
            << QByteArray("-") << fifty << 51;
        QTest::newRow("a counter restored below them") << QByteArray("3     ") << fifty << 51;
        QTest::newRow("a counter at the highest")
            << QByteArray("50    ") << QStringList{fifty.last()} << 51;
        QTest::newRow("a counter above them") << QByteArray("70    ") << fifty << 70;
        QTest::newRow("the number as a number, not as text")
            << QByteArray("-")
            << QStringList{"Lead_123456_20240301_120000_9999.txt",
                           "Lead_123456_20240301_120000_10000.txt"}
            << 10001;
        QTest::newRow("another provider code's numbers do not count")
            << QByteArray("-") << QStringList{"Lead_654321_20240301_120000_0090.txt"} << 1;
        QTest::newRow("copies and unfinished copies do not count")
            << QByteArray("-")
            << QStringList{"Lead_123456_20240301_120000_0090.txt.bak",
                           ".Lead_123456_20240301_120000_0091.txt.part", "notes.txt"}
            << 1;
    }
    void numbersAreNeverHandedOutTwice() {
        QFETCH(QByteArray, counter);
        QFETCH(QStringList, inSubmit);
        QFETCH(int, taken);
        const QByteArray original = records(2);
        writeDataFile(original);
        if (counter != "-")
            QVERIFY(SafeFile::replaceContent(counterFile_, counter).ok());
        for (const QString& name : inSubmit)
            QVERIFY(SafeFile::replaceContent(submit_ + "/" + name, records(1)).ok());
        // A link is passed over, whatever its number.
        QVERIFY(
            QFile::link(submit_ + "/notes.txt", submit_ + "/Lead_123456_20240301_120000_0500.txt"));
        const SubmissionWriter::Outcome outcome =
            SubmissionWriter(appPath_).write("123456", kMoment);
        QVERIFY2(outcome.status.ok(), qPrintable(outcome.status.describe()));
        QCOMPARE(outcome.counter, taken);
        QCOMPARE(outcome.filePath,
                 submit_ +
                     QString("/Lead_123456_20261206_105255_%1.txt").arg(taken, 4, 10, QChar('0')));
        QCOMPARE(contentOf(outcome.filePath), original);
        QCOMPARE(contentOf(counterFile_), QByteArray::number(taken + 1).leftJustified(6, ' '));
    }

    // A number in Submit that leaves no room for the next one refuses, as a full counter does.
    void aHighestNumberAtTheLimitMakesNoFile() {
        const QByteArray original = records(1);
        writeDataFile(original);
        const QString highest = "Lead_123456_20240301_120000_999999.txt";
        QVERIFY(SafeFile::replaceContent(submit_ + "/" + highest, records(1)).ok());
        const SubmissionWriter::Outcome outcome =
            SubmissionWriter(appPath_).write("123456", kMoment);
        QCOMPARE(outcome.result, SubmissionWriter::Result::Failed);
        QCOMPARE(outcome.status.path(), counterFile_);
        QCOMPARE(contentOf(counterFile_), QByteArray());
        verifyNothingLost(original, {highest});
    }

    // The state takes whole records only: a data file whose last record is cut short is
    // refused before anything changes.
    void aRecordCutShortMakesNoFile_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("record");
        QTest::addColumn<int>("bytes");
        QTest::newRow("the last line feed missing") << 395 << 2 << 197;
        QTest::newRow("a piece too short to show") << 3 * 198 + 52 << 4 << 52;
        QTest::newRow("one byte") << 1 << 1 << 1;
        QTest::newRow("one byte too many") << 199 << 2 << 1;
    }
    void aRecordCutShortMakesNoFile() {
        QFETCH(int, length);
        QFETCH(int, record);
        QFETCH(int, bytes);
        const QByteArray original = records(4).left(length);
        writeDataFile(original);
        SubmissionWriter::CutShortRecord found;
        QVERIFY(SubmissionWriter::findCutShortRecord(appPath_, found).ok());
        QCOMPARE(found.record, record);
        QCOMPARE(found.bytes, bytes);
        QCOMPARE(RecordFile::wholeRecordsIn(length), record - 1);
        QCOMPARE(RecordFile::leftOverIn(length), bytes);

        const SubmissionWriter::Outcome outcome =
            SubmissionWriter(appPath_).write("123456", kMoment);
        QCOMPARE(outcome.result, SubmissionWriter::Result::Failed);
        QCOMPARE(outcome.status.path(), dataFile_);
        QVERIFY2(outcome.status.reason().contains(QString("Record %1 is cut short").arg(record)),
                 qPrintable(outcome.status.reason()));
        QVERIFY(!QFile::exists(counterFile_));
        QVERIFY(!QFile::exists(appPath_ + "/AppData/submitting.txt"));
        verifyNothingLost(original, {});
    }

    void missingSubmitFolderIsMadePrivate() {
        QVERIFY(QDir(submit_).removeRecursively());
        writeDataFile(records(1));
        const SubmissionWriter::Outcome outcome =
            SubmissionWriter(appPath_).write("123456", kMoment);
        QVERIFY2(outcome.status.ok(), qPrintable(outcome.status.describe()));
        QCOMPARE(QFile::permissions(submit_), ownerOnly(true));
    }

    // Nothing under the final name is ever replaced. (A submission file there carries a number
    // that is never handed out again; a link, which the numbering passes over, is in the way.)
    void olderFileOfTheSameNameIsNeverReplaced() {
        const QByteArray original = records(2);
        writeDataFile(original);
        const QString older = submit_ + "/" + kFirstName;
        const QString elsewhere = appPath_ + "/elsewhere.txt";
        QVERIFY(SafeFile::replaceContent(elsewhere, "an older submission").ok());
        QVERIFY(QFile::link(elsewhere, older));

        const SubmissionWriter::Outcome failed =
            SubmissionWriter(appPath_).write("123456", kMoment);
        QVERIFY(!failed.status.ok());
        QCOMPARE(failed.status.path(), older);
        QCOMPARE(contentOf(elsewhere), QByteArray("an older submission"));
        QVERIFY(QFileInfo(older).isSymLink());
        verifyNothingLost(original, {kFirstName});
        // The number was taken before the copy and stays skipped; the next attempt succeeds.
        QCOMPARE(contentOf(counterFile_), QByteArray("2     "));
        const SubmissionWriter::Outcome retried =
            SubmissionWriter(appPath_).write("123456", kMoment);
        QVERIFY2(retried.status.ok(), qPrintable(retried.status.describe()));
        QVERIFY(retried.filePath.endsWith("_0002.txt"));
        QCOMPARE(contentOf(retried.filePath), original);
    }

    // The note naming the file being made lasts only while the submission runs: a stale one
    // from an earlier run gives way, a failed submission takes its own back.
    void theNoteLastsOnlyWhileTheSubmissionRuns() {
        const QString note = appPath_ + "/AppData/submitting.txt";
        QVERIFY(SafeFile::replaceContent(note, "Lead_123456_20240301_120000_0007.txt").ok());
        writeDataFile(records(2));
        QVERIFY(QDir(submit_).mkdir(kFirstName));
        const SubmissionWriter::Outcome failed =
            SubmissionWriter(appPath_).write("123456", kMoment);
        QCOMPARE(failed.result, SubmissionWriter::Result::Failed);
        QVERIFY(!QFile::exists(note));
        QVERIFY(SafeFile::replaceContent(note, "Lead_123456_20240301_120000_0007.txt").ok());
        const SubmissionWriter::Outcome done = SubmissionWriter(appPath_).write("123456", kMoment);
        QCOMPARE(done.result, SubmissionWriter::Result::Done);
        QVERIFY(!QFile::exists(note));
    }

    // Copies a crash cut short are removed, even one under the name this copy needs; anything
    // else hidden in Submit stays.
    void unfinishedCopiesAreRemoved() {
        const QByteArray original = records(1);
        writeDataFile(original);
        const QStringList unfinished = {"." + kFirstName + ".part",
                                        ".Lead_123456_20261130_080000_0007.txt.part"};
        for (const QString& name : unfinished)
            QVERIFY(SafeFile::replaceContent(submit_ + "/" + name, original.left(100)).ok());
        const QStringList kept = {".Lead_123456_20261130_080000_0008.txt.part.bak",
                                  ".Lead_x.txt.part", ".notes"};
        for (const QString& name : kept)
            QVERIFY(SafeFile::replaceContent(submit_ + "/" + name, "kept").ok());
        QVERIFY(QDir(submit_).mkdir(".Lead_123456_20261130_080000_0009.txt.part"));

        const SubmissionWriter::Outcome outcome =
            SubmissionWriter(appPath_).write("123456", kMoment);
        QVERIFY2(outcome.status.ok(), qPrintable(outcome.status.describe()));
        QCOMPARE(contentOf(outcome.filePath), original);
        QCOMPARE(submitEntries(), (QStringList{".Lead_123456_20261130_080000_0008.txt.part.bak",
                                               ".Lead_123456_20261130_080000_0009.txt.part",
                                               ".Lead_x.txt.part", ".notes", kFirstName}));
    }

    void somethingInTheWayOfTheCopyIsLeftAlone() {
        const QByteArray original = records(1);
        writeDataFile(original);
        const QString temporaryName = "." + kFirstName + ".part";
        QVERIFY(QDir(submit_).mkdir(temporaryName));
        const SubmissionWriter::Outcome outcome =
            SubmissionWriter(appPath_).write("123456", kMoment);
        QVERIFY(!outcome.status.ok());
        QCOMPARE(outcome.status.path(), submit_ + "/" + temporaryName);
        QVERIFY(!outcome.status.reason().isEmpty());
        verifyNothingLost(original, {temporaryName});
    }

    void missingDataFileIsReported() {
        const SubmissionWriter::Outcome outcome =
            SubmissionWriter(appPath_).write("123456", kMoment);
        QVERIFY(!outcome.status.ok());
        QCOMPARE(outcome.status.path(), dataFile_);
        QCOMPARE(submitEntries(), QStringList());
    }

    void fullCounterMakesNoFile() {
        const QByteArray original = records(1);
        writeDataFile(original);
        QVERIFY(SafeFile::replaceContent(counterFile_, "999999").ok());
        const SubmissionWriter::Outcome outcome =
            SubmissionWriter(appPath_).write("123456", kMoment);
        QVERIFY(!outcome.status.ok());
        QCOMPARE(outcome.status.path(), counterFile_);
        QCOMPARE(contentOf(counterFile_), QByteArray("999999"));
        verifyNothingLost(original, {});
    }

    // The code becomes part of the file's path: only digits may get there. Nothing changes.
    void codeThatIsNotSetMakesNoFile_data() {
        QTest::addColumn<QString>("code");
        QTest::newRow("slash") << "12/456";
        QTest::newRow("dot dot") << "..";
        QTest::newRow("NUL") << QString::fromLatin1("12\0"
                                                    "456",
                                                    6);
        QTest::newRow("CR") << "12345\r";
        QTest::newRow("sign") << "-12345";
        QTest::newRow("Latin-1") << QString::fromLatin1("\xe9\xe9\xe9\xe9\xe9\xe9");
        QTest::newRow("blanks") << "      ";
        QTest::newRow("zeros") << "000000";
    }
    void codeThatIsNotSetMakesNoFile() {
        QFETCH(QString, code);
        const QByteArray original = records(1);
        writeDataFile(original);
        QVERIFY(SafeFile::replaceContent(counterFile_, "7     ").ok());
        const SubmissionWriter::Outcome outcome = SubmissionWriter(appPath_).write(code, kMoment);
        QCOMPARE(outcome.result, SubmissionWriter::Result::Failed);
        QVERIFY(!outcome.status.ok());
        QVERIFY(outcome.filePath.isEmpty());
        QCOMPARE(contentOf(counterFile_), QByteArray("7     "));
        verifyNothingLost(original, {});
        QCOMPARE(QDir(appPath_).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{"AppData", "Submit"}));
    }

    // A link in place of the counter or the data file is never read or written through.
    void linksAreNotFollowed_data() {
        QTest::addColumn<QString>("linked");
        QTest::newRow("nextfile.txt") << "AppData/nextfile.txt";
        QTest::newRow("Korvanel.dat") << "AppData/Korvanel.dat";
    }
    void linksAreNotFollowed() {
        QFETCH(QString, linked);
        const QByteArray original = records(1);
        writeDataFile(original);
        QVERIFY(SafeFile::replaceContent(counterFile_, "7     ").ok());
        const QString elsewhere = appPath_ + "/elsewhere.txt";
        const QString path = appPath_ + "/" + linked;
        QVERIFY(QFile::rename(path, elsewhere));
        QVERIFY(QFile::link(elsewhere, path));
        const QByteArray elsewhereBefore = contentOf(elsewhere);

        const SubmissionWriter::Outcome outcome =
            SubmissionWriter(appPath_).write("123456", kMoment);
        QCOMPARE(outcome.result, SubmissionWriter::Result::Failed);
        QCOMPARE(outcome.status.path(), path);
        QVERIFY2(outcome.status.reason().contains("link"), qPrintable(outcome.status.reason()));
        QCOMPARE(contentOf(elsewhere), elsewhereBefore);
        QVERIFY(QFileInfo(path).isSymLink());
        QCOMPARE(submitEntries(), QStringList());
    }

    void readOnlySubmitFolderLeavesTheDataFile() {
        if (::geteuid() != 0)
            QSKIP("a read-only bind mount needs root");
        const QByteArray original = records(1);
        writeDataFile(original);
        auto run = [](const QStringList& arguments) {
            return QProcess::execute(QStringLiteral("mount"), arguments) == 0;
        };
        if (!run({"--bind", submit_, submit_}))
            QSKIP("bind mounts are not available here");
        const bool readOnly = run({"-o", "remount,bind,ro", submit_, submit_});
        const SubmissionWriter::Outcome outcome =
            SubmissionWriter(appPath_).write("123456", kMoment);
        QCOMPARE(QProcess::execute(QStringLiteral("umount"), {submit_}), 0);
        QVERIFY(readOnly);
        QVERIFY(!outcome.status.ok());
        QVERIFY(outcome.status.path().startsWith(submit_));
        QVERIFY(outcome.status.reason().contains("Read-only", Qt::CaseInsensitive));
        verifyNothingLost(original, {});
    }
};

QTEST_GUILESS_MAIN(tst_SubmissionWriter)
#include "tst_SubmissionWriter.moc"
