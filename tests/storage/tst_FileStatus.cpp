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
            {"copy from",
             [](const QString& path) {
                 return SafeFile::copyToNewFile(path, QFileInfo(path).dir().filePath("copy"));
             }},
            {"copy to",
             [](const QString& path) {
                 const QString source = QFileInfo(path).dir().filePath("source");
                 SafeFile::writeNewFile(source, "new bytes");
                 return SafeFile::copyToNewFile(source, path);
             }},
            {"compare",
             [](const QString& path) {
                 const QString other = QFileInfo(path).dir().filePath("other");
                 SafeFile::writeNewFile(other, "keep these bytes");
                 bool same = true;
                 FileStatus status = SafeFile::sameContent(other, path, same);
                 return same ? FileStatus::failure(path, "taken as the same") : status;
             }},
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

    // The copy and the comparison go through files a piece (1 MiB) at a time: lengths at and
    // around a piece's end, and a difference only in a later piece, are where a piece too few or
    // too many shows.
    void copyAndCompareAcrossPieces_data() {
        QTest::addColumn<qint64>("length");
        QTest::addColumn<qint64>("differsAt"); // -1: the second file is a copy
        const qint64 piece = qint64(1) << 20;
        QTest::newRow("empty") << qint64(0) << qint64(-1);
        QTest::newRow("short") << qint64(594) << qint64(-1);
        QTest::newRow("one piece") << piece << qint64(-1);
        QTest::newRow("a piece and a byte") << piece + 1 << qint64(-1);
        QTest::newRow("two and a half pieces") << 5 * piece / 2 << qint64(-1);
        QTest::newRow("last byte of a later piece") << 5 * piece / 2 << 5 * piece / 2 - 1;
        QTest::newRow("first byte of the second piece") << piece + 1 << piece;
        QTest::newRow("one byte longer") << piece << piece;
    }
    void copyAndCompareAcrossPieces() {
        QFETCH(qint64, length);
        QFETCH(qint64, differsAt);
        QTemporaryDir dir;
        QByteArray bytes(length, Qt::Uninitialized);
        for (qint64 i = 0; i < length; ++i)
            bytes[i] = char('a' + i % 23);
        const QString original = dir.filePath("Korvanel.dat");
        const QString copy = dir.filePath("copy");
        QVERIFY(SafeFile::writeNewFile(original, bytes));
        if (differsAt < 0) {
            QVERIFY(SafeFile::copyToNewFile(original, copy));
            QCOMPARE(QFileInfo(copy).permissions() & 0x0077, QFileDevice::Permissions());
        } else {
            QByteArray other = bytes;
            if (differsAt < length)
                other[differsAt] = '#';
            else
                other += '#';
            QVERIFY(SafeFile::writeNewFile(copy, other));
        }
        QFile written(copy);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll() == bytes, differsAt < 0);
        bool same = differsAt >= 0;
        QVERIFY(SafeFile::sameContent(copy, original, same));
        QCOMPARE(same, differsAt < 0);
        same = differsAt >= 0;
        QVERIFY(SafeFile::sameContent(original, copy, same));
        QCOMPARE(same, differsAt < 0);
    }

    // A copy of ranges keeps their order, fills a range the source ends within, and never
    // writes through a file already under the new name.
    void copyOfRangesFillsWhatTheSourceLacks() {
        QTemporaryDir dir;
        const QString source = dir.filePath("source");
        const QString copy = dir.filePath("copy");
        QVERIFY(SafeFile::writeNewFile(source, "0123456789"));
        SafeFile::Descriptor fd;
        QVERIFY(SafeFile::openRegular(source, O_RDONLY, fd));
        QVERIFY(SafeFile::copyToNewFile(fd.get(), source, {{0, 2}, {6, 14}, {3, 4}}, copy, ' '));
        QFile written(copy);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("016789    3"));
        written.close();

        const FileStatus status = SafeFile::copyToNewFile(fd.get(), source, {{}}, copy, ' ');
        QVERIFY(!status);
        QCOMPARE(status.path(), copy);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("016789    3"));
    }

    // A file without a name: never in the folder's listing, the owner's alone, read back
    // exactly as written; a read past its end and a missing folder are
    // failures that name the folder.
    void anonymousFileHasNoNameAndReadsBackExactly() {
        QTemporaryDir dir;
        SafeFile::Descriptor fd;
        const FileStatus opened = SafeFile::openAnonymous(dir.path(), fd);
        QVERIFY2(opened, qPrintable(opened.describe()));
        struct stat info {};
        QCOMPARE(::fstat(fd.get(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0600));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
        QVERIFY(SafeFile::writeAllAt(fd.get(), fd.path(), 4, "abcdef", 6));
        char read[4] = {};
        QVERIFY(SafeFile::readExactlyAt(fd.get(), fd.path(), 6, read, 4));
        QCOMPARE(QByteArray(read, 4), QByteArray("cdef"));
        const FileStatus pastTheEnd = SafeFile::readExactlyAt(fd.get(), fd.path(), 8, read, 4);
        QVERIFY(!pastTheEnd);
        QCOMPARE(pastTheEnd.path(), dir.path());

        SafeFile::Descriptor missing;
        const FileStatus failed = SafeFile::openAnonymous(dir.filePath("missing"), missing);
        QVERIFY(!failed);
        QCOMPARE(failed.error(), ENOENT);
        QVERIFY(!missing.isOpen());
    }

    // The descriptor is closed once, by its last owner, and a failing close is reported.
    void descriptorClosesOnceAndReports() {
        QTemporaryDir dir;
        const QString path = dir.filePath("file");
        QVERIFY(SafeFile::writeNewFile(path, "x"));
        int raw = -1;
        {
            SafeFile::Descriptor first;
            QVERIFY(SafeFile::openRegular(path, O_RDONLY, first));
            raw = first.get();
            SafeFile::Descriptor second(std::move(first));
            QVERIFY(!first.isOpen());
            {
                SafeFile::Descriptor moved = std::move(second);
                QVERIFY(!second.isOpen());
                QCOMPARE(moved.get(), raw);
            }
            QCOMPARE(::fcntl(raw, F_GETFD), -1);
        }
        SafeFile::Descriptor closedBehind(::open(QFile::encodeName(path).constData(), O_RDONLY),
                                          path);
        QVERIFY(closedBehind.isOpen());
        ::close(closedBehind.get());
        const FileStatus status = closedBehind.close();
        QVERIFY(!status);
        QCOMPARE(status.path(), path);
        QCOMPARE(status.error(), EBADF);
        QVERIFY(!closedBehind.isOpen());
        QVERIFY(closedBehind.close());
    }
};

QTEST_GUILESS_MAIN(tst_FileStatus)
#include "tst_FileStatus.moc"
