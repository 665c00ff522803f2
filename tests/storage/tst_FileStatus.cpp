#include "storage/FileStatus.h"
#include "storage/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using FileAction = std::function<FileStatus(const QString&)>;
Q_DECLARE_METATYPE(FileAction)

class tst_FileStatus : public QObject {
    Q_OBJECT
private slots:
    void successHasNothingToSay() {
        FileStatus status = FileStatus::success();
        QVERIFY(status.ok());
        QVERIFY(status.describe().isEmpty());
        QVERIFY(status.advice().isEmpty());
    }
    void failureNamesFileAndReason() {
        FileStatus status = FileStatus::fromErrno("/x/Korvanel.dat", ENOSPC);
        QVERIFY(!status.ok());
        QCOMPARE(status.path(), QString("/x/Korvanel.dat"));
        QVERIFY(status.describe().startsWith("/x/Korvanel.dat: "));
        QVERIFY(status.describe().contains("space", Qt::CaseInsensitive));
        QCOMPARE(status.error(), ENOSPC);
    }

    // The advice names what fits the error, and nothing where no advice fits: a wrong path is
    // no reason to look at the disk.
    void adviceFitsTheError_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("advice"); // a word the advice holds; empty: no advice
        QTest::newRow("disk full") << ENOSPC << "free some space";
        QTest::newRow("quota") << EDQUOT << "free some space";
        QTest::newRow("input/output error") << EIO << "check the disk";
        QTest::newRow("drive removed") << ENODEV << "check the disk";
        QTest::newRow("no such device or address") << ENXIO << "check the disk";
        QTest::newRow("no medium") << ENOMEDIUM << "check the disk";
        QTest::newRow("permission denied") << EACCES << "permissions";
        QTest::newRow("not permitted") << EPERM << "permissions";
        QTest::newRow("read-only") << EROFS << "read-only";
        QTest::newRow("no such file") << ENOENT << "";
        QTest::newRow("not a folder") << ENOTDIR << "";
        QTest::newRow("is a folder") << EISDIR << "";
        QTest::newRow("too many links") << ELOOP << "";
        QTest::newRow("none") << 0 << "";
    }
    void adviceFitsTheError() {
        QFETCH(int, error);
        QFETCH(QString, advice);
        const QString given = FileStatus::adviceFor(error);
        if (advice.isEmpty())
            QVERIFY2(given.isEmpty(), qPrintable(given));
        else
            QVERIFY2(given.contains(advice), qPrintable(given));
        QCOMPARE(FileStatus::fromErrno("/x/file", error).advice(), given);
        // A failure the program recognised itself carries no system error and no advice.
        QVERIFY(FileStatus::failure("/x/file", "The copy differs").advice().isEmpty());
    }

    // Every way the program opens one of its files refuses what is not a regular file under its
    // own name, naming the file; the target of a link keeps its bytes.
    void onlyRegularFilesAreOpened_data() {
        QTest::addColumn<FileAction>("action");
        QTest::addColumn<QString>("kind");
        const QList<std::pair<const char*, FileAction>> actions = {
            {"read",
             [](const QString& path) {
                 QByteArray bytes;
                 return SafeFile::readPrefix(path, bytes);
             }},
            {"write in place",
             [](const QString& path) { return SafeFile::writeAt(path, 0, "123456"); }},
            {"create if missing",
             [](const QString& path) { return SafeFile::createIfMissing(path); }},
            {"open or create",
             [](const QString& path) {
                 int fd = -1;
                 bool created = false;
                 FileStatus status = SafeFile::openOrCreate(path, O_RDWR, fd, created);
                 if (fd >= 0)
                     ::close(fd);
                 return status;
             }},
            {"write new file",
             [](const QString& path) { return SafeFile::writeNewFile(path, "x"); }},
        };
        for (const auto& [name, action] : actions) {
            for (const char* kind : {"link", "dangling link", "fifo", "folder"})
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(name, kind)))
                    << action << QString(kind);
        }
    }
    void onlyRegularFilesAreOpened() {
        QFETCH(FileAction, action);
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath("provider.txt");
        const QString target = dir.filePath("elsewhere.txt");
        QFile elsewhere(target);
        QVERIFY(elsewhere.open(QIODevice::WriteOnly));
        elsewhere.write("keep these bytes");
        elsewhere.close();
        if (kind == "link")
            QVERIFY(QFile::link(target, path));
        else if (kind == "dangling link")
            QVERIFY(QFile::link(dir.filePath("nowhere"), path));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            QVERIFY(QDir(dir.path()).mkdir("provider.txt"));

        const FileStatus status = action(path);
        QVERIFY(!status);
        QCOMPARE(status.path(), path);
        if (kind.contains("link"))
            QVERIFY2(status.reason().contains("a link stands in its place"),
                     qPrintable(status.reason()));
        else if (kind == "fifo")
            QVERIFY2(status.reason().contains("a pipe or a device"), qPrintable(status.reason()));
        QVERIFY(!status.reason().isEmpty());
        QFile check(target);
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), QByteArray("keep these bytes"));
        QVERIFY(!QFile::exists(dir.filePath("nowhere")));
    }
};

QTEST_GUILESS_MAIN(tst_FileStatus)
#include "tst_FileStatus.moc"
