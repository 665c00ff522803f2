#include "storage/ResultRecord.h"
#include "storage/SafeFile.h"
#include "submission/InterruptedSubmission.h"
#include "submission/SubmissionName.h"
#include "submission/SubmissionWriter.h"
#include "support/TestRecords.h"

#include "support/PermissionBits.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

namespace {

QByteArray records(int count, const QString& prefix = QStringLiteral("Patient")) {
    QByteArray bytes;
    for (int i = 1; i <= count; ++i) {
        ResultRecord record = TestRecords::newRecord(QStringLiteral("123456"));
        record.set(ResultRecord::LastName, QStringLiteral("%1 %2").arg(prefix).arg(i));
        bytes += record.encode();
    }
    return bytes;
}

QByteArray contentOf(const QString& path) {
    QByteArray bytes;
    if (!SafeFile::readPrefix(path, bytes))
        return QByteArray("<missing>");
    return bytes;
}

// The newest submission file among the names: the highest counter, then the latest date and
// time. Names that are not "Lead_<code>_<yyyyMMdd>_<HHmmss>_<counter>.txt" are ignored; empty
// when none is left. The order in which find() prefers one of several equal files.
QString newestFileName(const QStringList& names) {
    QString newest;
    std::optional<SubmissionName::ParsedName> newestName;
    for (const QString& name : names) {
        const std::optional<SubmissionName::ParsedName> parsed = SubmissionName::parse(name);
        if (parsed && (!newestName || SubmissionName::isNewer(*parsed, *newestName))) {
            newest = name;
            newestName = parsed;
        }
    }
    return newest;
}

} // namespace

// Finding a submission that stopped between publishing its file and removing the data file,
// and finishing it.
class tst_InterruptedSubmission : public QObject {
    Q_OBJECT

    QTemporaryDir* folder_ = nullptr;
    QString appPath_;

    QString path(const QString& relative) const { return appPath_ + "/" + relative; }
    void write(const QString& relative, const QByteArray& bytes) {
        QVERIFY(SafeFile::replaceContent(path(relative), bytes).ok());
    }

private slots:
    void init() {
        folder_ = new QTemporaryDir;
        QVERIFY(folder_->isValid());
        appPath_ = folder_->path();
        QVERIFY(SafeFile::makePrivateFolder(path("AppData")).ok());
        QVERIFY(SafeFile::makePrivateFolder(path("Submit")).ok());
    }
    void cleanup() {
        delete folder_;
        folder_ = nullptr;
    }

    void newestByName_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("newest");
        QTest::newRow("none") << QStringList{} << QString();
        QTest::newRow("the counter before the time")
            << QStringList{"Lead_123456_20261206_105255_0002.txt",
                           "Lead_123456_20270101_000000_0001.txt"}
            << "Lead_123456_20261206_105255_0002.txt";
        QTest::newRow("the counter as a number, not as text")
            << QStringList{"Lead_123456_20261206_105255_10000.txt",
                           "Lead_123456_20261206_105255_9999.txt"}
            << "Lead_123456_20261206_105255_10000.txt";
        QTest::newRow("same counter after a reset: the later date")
            << QStringList{"Lead_123456_20270101_000000_0001.txt",
                           "Lead_123456_20261231_235959_0001.txt"}
            << "Lead_123456_20270101_000000_0001.txt";
        QTest::newRow("same counter and day: the later second")
            << QStringList{"Lead_123456_20261206_105256_0001.txt",
                           "Lead_123456_20261206_105255_0001.txt"}
            << "Lead_123456_20261206_105256_0001.txt";
        QTest::newRow("another provider code counts alike")
            << QStringList{"Lead_123456_20261206_105255_0002.txt",
                           "Lead_654321_20261206_105255_0003.txt"}
            << "Lead_654321_20261206_105255_0003.txt";
        QTest::newRow("names that are no submission file")
            << QStringList{"Lead_123456_20261206_105255_0001.txt",
                           "Lead_123456_20261206_105255_0009.txt.bak",
                           ".Lead_123456_20261206_105255_0009.txt.part",
                           "lead_123456_20261206_105255_0009.txt",
                           "Lead_123456_2026126_105255_0009.txt",
                           "Lead_123456_20261206_105255_009.txt",
                           "Lead_notes.txt"}
            << "Lead_123456_20261206_105255_0001.txt";
    }
    void newestByName() {
        QFETCH(QStringList, names);
        QFETCH(QString, newest);
        QCOMPARE(newestFileName(names), newest);
    }

    void found_data() {
        QTest::addColumn<QByteArray>("data");   // AppData/Korvanel.dat
        QTest::addColumn<QByteArray>("newest"); // Submit/Lead_..._0002.txt
        QTest::addColumn<QByteArray>("older");  // Submit/Lead_..._0001.txt, a later time
        QTest::addColumn<QString>("found");     // "newest", "older" or none
        QByteArray oneByteOff = records(3);
        oneByteOff[ResultRecord::Size + 30] = 'X';
        QTest::newRow("the newest file holds the data file")
            << records(3) << records(3) << records(2, "Other") << "newest";
        // Submit copied from another computer, or the counter file restored from a backup:
        // the file that holds the records need not be the newest.
        QTest::newRow("only the older file holds it")
            << records(3) << records(2, "Other") << records(3) << "older";
        QTest::newRow("both hold it: the newest")
            << records(3) << records(3) << records(3) << "newest";
        QTest::newRow("one byte differs") << records(3) << oneByteOff << records(2) << "";
        QTest::newRow("the newest is one record longer")
            << records(3) << records(4) << records(2, "Other") << "";
        QTest::newRow("the newest is one record shorter")
            << records(3) << records(2) << records(2, "Other") << "";
        QTest::newRow("both empty") << QByteArray() << QByteArray() << records(1) << "";
    }
    void found() {
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, newest);
        QFETCH(QByteArray, older);
        QFETCH(QString, found);
        const QString newestName = "Lead_123456_20261201_101010_0002.txt";
        const QString olderName = "Lead_123456_20261202_090000_0001.txt";
        write("AppData/Korvanel.dat", data);
        write("Submit/" + newestName, newest);
        write("Submit/" + olderName, older);
        QString name = "unset";
        QVERIFY(InterruptedSubmission::find(appPath_, name).ok());
        QCOMPARE(name, found == "newest" ? newestName : found == "older" ? olderName : QString());
    }

    // Fifty files from the office's old computer, numbered 0001 to 0050, and the file that a
    // submission on the new one published before it was stopped: it is found though its
    // number is lower than theirs.
    void foundBehindHigherNumbers() {
        for (int i = 1; i <= 50; ++i)
            write(QString("Submit/Lead_123456_20240301_120000_%1.txt").arg(i, 4, 10, QChar('0')),
                  records(3, QString("Old%1 ").arg(i)));
        const QString published = "Lead_123456_20261206_105255_0001.txt";
        write("Submit/" + published, records(3));
        write("AppData/Korvanel.dat", records(3));
        QString name;
        QVERIFY(InterruptedSubmission::find(appPath_, name).ok());
        QCOMPARE(name, published);
    }

    // The note names the file the submission was making. It decides between files that all
    // hold the records, and is never believed over the bytes: a note naming a file that is
    // missing, differs, or is no submission file's name leaves the choice to the files.
    void theNoteIsAHintOnly_data() {
        QTest::addColumn<QByteArray>("note");  // AppData/submitting.txt; "-": none
        QTest::addColumn<QByteArray>("older"); // Submit/..._0001.txt; ..._0002.txt holds the data
        QTest::addColumn<QString>("found");
        const QByteArray olderName = "Lead_123456_20261202_090000_0001.txt";
        const QString newestName = "Lead_123456_20261201_101010_0002.txt";
        QTest::newRow("no note: the newest") << QByteArray("-") << records(3) << newestName;
        QTest::newRow("the noted file first")
            << olderName << records(3) << QString::fromLatin1(olderName);
        QTest::newRow("the noted file differs") << olderName << records(2) << newestName;
        QTest::newRow("the noted file is missing")
            << QByteArray("Lead_123456_20261206_105255_0003.txt") << records(3) << newestName;
        QTest::newRow("a note cut short") << olderName.left(20) << records(3) << newestName;
        QTest::newRow("a note naming a file elsewhere")
            << QByteArray("../AppData/Korvanel.dat") << records(3) << newestName;
        QTest::newRow("a note with a line break") << olderName + "\r\n" << records(3) << newestName;
    }
    void theNoteIsAHintOnly() {
        QFETCH(QByteArray, note);
        QFETCH(QByteArray, older);
        QFETCH(QString, found);
        write("AppData/Korvanel.dat", records(3));
        write("Submit/Lead_123456_20261201_101010_0002.txt", records(3));
        write("Submit/Lead_123456_20261202_090000_0001.txt", older);
        if (note != "-")
            write("AppData/submitting.txt", note);
        QString name;
        QVERIFY(InterruptedSubmission::find(appPath_, name).ok());
        QCOMPARE(name, found);
        // The note alone finds nothing.
        write("Submit/Lead_123456_20261201_101010_0002.txt", records(2));
        write("Submit/Lead_123456_20261202_090000_0001.txt", records(2));
        QVERIFY(InterruptedSubmission::find(appPath_, name).ok());
        QCOMPARE(name, QString());
    }

    // A link is no submission file, even under the newest name and holding the same records;
    // a Submit that is no folder holds nothing to finish.
    void onlyRegularFilesCount() {
        write("AppData/Korvanel.dat", records(3));
        write("Submit/Lead_123456_20261201_101010_0002.txt", records(3));
        QVERIFY(QFile::link(path("Submit/Lead_123456_20261201_101010_0002.txt"),
                            path("Submit/Lead_123456_20261201_101010_0003.txt")));
        QString name = "unset";
        QVERIFY(InterruptedSubmission::find(appPath_, name).ok());
        QCOMPARE(name, QString("Lead_123456_20261201_101010_0002.txt"));
        QVERIFY(QDir(path("Submit")).removeRecursively());
        write("Submit", records(3));
        QVERIFY(InterruptedSubmission::find(appPath_, name).ok());
        QCOMPARE(name, QString());
    }

    // A file of the data file's length that cannot be read (another user's, mode 600) is passed
    // over, so that start-up is never stopped by it, and returned with its reason while nothing
    // is found: it may hold the records. The others are still compared.
    void unreadableFileIsPassedOver() {
        PermissionBits permissions;
        if (!permissions.applies())
            QSKIP("this process reads every file whatever its permission bits");
        write("AppData/Korvanel.dat", records(3));
        const QString unreadable = "Lead_123456_20261201_101010_0002.txt";
        write("Submit/" + unreadable, records(3, "Other"));
        // Of another length: never read, never named.
        write("Submit/Lead_123456_20261129_090000_0003.txt", records(2));
        QVERIFY(PermissionBits::lockOut(path("Submit/" + unreadable)));
        QVERIFY(PermissionBits::lockOut(path("Submit/Lead_123456_20261129_090000_0003.txt")));
        QString name = "unset";
        QList<FileStatus> notRead;
        QVERIFY(InterruptedSubmission::find(appPath_, name, &notRead).ok());
        QCOMPARE(name, QString());
        QCOMPARE(notRead.size(), 1);
        QCOMPARE(notRead[0].path(), path("Submit/" + unreadable));
        QCOMPARE(notRead[0].error(), EACCES);
        write("Submit/Lead_123456_20261130_090000_0001.txt", records(3));
        QVERIFY(InterruptedSubmission::find(appPath_, name, &notRead).ok());
        QCOMPARE(name, QString("Lead_123456_20261130_090000_0001.txt"));
        QVERIFY(notRead.isEmpty());
    }

    // A Submit that cannot be listed may hold the records: it is returned with its reason, and
    // find() itself still succeeds. One that is no folder holds none; an empty data file asks
    // for no look at all.
    void unlistableSubmit_data() {
        QTest::addColumn<QString>("submit"); // what stands as Submit
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("error"); // in notRead; 0: nothing
        QTest::newRow("a folder that cannot be read") << "locked" << records(3) << EACCES;
        QTest::newRow("a link to a folder that is not there") << "dangling" << records(3) << ENOENT;
        QTest::newRow("a file") << "file" << records(3) << 0;
        QTest::newRow("a link to a folder that is not there, empty data file")
            << "dangling" << QByteArray() << 0;
    }
    void unlistableSubmit() {
        QFETCH(QString, submit);
        QFETCH(QByteArray, data);
        QFETCH(int, error);
        PermissionBits permissions;
        if (submit == "locked" && !permissions.applies())
            QSKIP("this process reads every folder whatever its permission bits");
        write("AppData/Korvanel.dat", data);
        if (submit == "locked") {
            write("Submit/Lead_123456_20261201_101010_0002.txt", data);
            QVERIFY(QFile::setPermissions(path("Submit"), QFileDevice::Permissions()));
        } else {
            QVERIFY(QDir(path("Submit")).removeRecursively());
            if (submit == "file")
                write("Submit", data);
            else
                QVERIFY(QFile::link(path("elsewhere/Submit"), path("Submit")));
        }
        QString name = "unset";
        QList<FileStatus> notRead{FileStatus::failure("stale", "stale")};
        const FileStatus status = InterruptedSubmission::find(appPath_, name, &notRead);
        if (submit == "locked")
            QVERIFY(QFile::setPermissions(path("Submit"), QFileDevice::ReadOwner |
                                                              QFileDevice::WriteOwner |
                                                              QFileDevice::ExeOwner));
        QVERIFY(status.ok());
        QCOMPARE(name, QString());
        QCOMPARE(notRead.size(), error ? 1 : 0);
        if (error) {
            QCOMPARE(notRead[0].path(), path("Submit"));
            QCOMPARE(notRead[0].error(), error);
        }
    }

    void nothingToFindWithoutBothFiles() {
        QString name = "unset";
        QVERIFY(InterruptedSubmission::find(appPath_, name).ok());
        QCOMPARE(name, QString());
        write("AppData/Korvanel.dat", records(1));
        QVERIFY(InterruptedSubmission::find(appPath_, name).ok());
        QCOMPARE(name, QString());
        QVERIFY(QDir(path("Submit")).removeRecursively());
        QVERIFY(InterruptedSubmission::find(appPath_, name).ok());
        QCOMPARE(name, QString());
    }

    // Finishing removes the data file, after Submit is on the disk, and then the note. The counter
    // already points past the file's number, so the next submission never takes that number again.
    void finishing_data() {
        QTest::addColumn<bool>("submitFolder");
        QTest::addColumn<bool>("removed");
        QTest::newRow("finished") << true << true;
        QTest::newRow("Submit cannot be flushed: the data file stays") << false << false;
    }
    void finishing() {
        QFETCH(bool, submitFolder);
        QFETCH(bool, removed);
        const QString file = "Submit/Lead_123456_20261201_101010_0001.txt";
        write("AppData/Korvanel.dat", records(3));
        write(file, records(3));
        write("AppData/nextfile.txt", "2     ");
        write("AppData/submitting.txt", "Lead_123456_20261201_101010_0001.txt");
        if (!submitFolder)
            QVERIFY(QDir(path("Submit")).removeRecursively());
        bool dataFileRemoved = !removed;
        const FileStatus status = InterruptedSubmission::finish(appPath_, dataFileRemoved);
        QCOMPARE(dataFileRemoved, removed);
        QCOMPARE(status.ok(), removed);
        QCOMPARE(contentOf(path("AppData/Korvanel.dat")),
                 removed ? QByteArray("<missing>") : records(3));
        QCOMPARE(contentOf(path("AppData/nextfile.txt")), QByteArray("2     "));
        // The note goes with the data file, and only then.
        QCOMPARE(contentOf(path("AppData/submitting.txt")),
                 removed ? QByteArray("<missing>")
                         : QByteArray("Lead_123456_20261201_101010_0001.txt"));
        if (!removed) {
            QCOMPARE(status.path(), path("Submit"));
            return;
        }
        QCOMPARE(contentOf(path(file)), records(3));
        write("AppData/Korvanel.dat", records(1));
        const SubmissionWriter::Outcome next = SubmissionWriter(appPath_).write(
            "123456", QDateTime(QDate(2026, 12, 1), QTime(10, 10, 10)));
        QVERIFY2(next.status.ok(), qPrintable(next.status.describe()));
        QCOMPARE(next.counter, 2);
        QCOMPARE(contentOf(path(file)), records(3));
    }
};

QTEST_GUILESS_MAIN(tst_InterruptedSubmission)
#include "tst_InterruptedSubmission.moc"
