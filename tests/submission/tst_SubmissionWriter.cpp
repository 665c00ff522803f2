#include "storage/ResultRecord.h"
#include "storage/SafeFile.h"
#include "submission/SubmissionWriter.h"

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
        ResultRecord record = ResultRecord::newRecord(QStringLiteral("123456"));
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

    void missingSubmitFolderIsMadePrivate() {
        QVERIFY(QDir(submit_).removeRecursively());
        writeDataFile(records(1));
        const SubmissionWriter::Outcome outcome =
            SubmissionWriter(appPath_).write("123456", kMoment);
        QVERIFY2(outcome.status.ok(), qPrintable(outcome.status.describe()));
        QCOMPARE(QFile::permissions(submit_), ownerOnly(true));
    }

    void olderFileOfTheSameNameIsNeverReplaced() {
        const QByteArray original = records(2);
        writeDataFile(original);
        const QString older = submit_ + "/" + kFirstName;
        QVERIFY(SafeFile::replaceContent(older, "an older submission").ok());

        const SubmissionWriter::Outcome failed =
            SubmissionWriter(appPath_).write("123456", kMoment);
        QVERIFY(!failed.status.ok());
        QCOMPARE(failed.status.path(), older);
        QCOMPARE(contentOf(older), QByteArray("an older submission"));
        verifyNothingLost(original, {kFirstName});
        // The number was taken before the copy and stays skipped; the next attempt succeeds.
        QCOMPARE(contentOf(counterFile_), QByteArray("2     "));
        const SubmissionWriter::Outcome retried =
            SubmissionWriter(appPath_).write("123456", kMoment);
        QVERIFY2(retried.status.ok(), qPrintable(retried.status.describe()));
        QVERIFY(retried.filePath.endsWith("_0002.txt"));
        QCOMPARE(contentOf(retried.filePath), original);
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
