#include "storage/AppPaths.h"
#include "storage/RecordStore.h"
#include "storage/StoredRecords.h"

#include "StoreTestRecords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using StoreTestRecords::record;
using StoreTestRecords::storedCount;

namespace {

QByteArray recordsBytes(std::initializer_list<int> numbers) {
    QByteArray bytes;
    for (int n : numbers)
        bytes += record(n).encode();
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

mode_t modeOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

class UmaskGuard {
public:
    explicit UmaskGuard(mode_t mask) : previous_(::umask(mask)) {}
    ~UmaskGuard() { ::umask(previous_); }

private:
    mode_t previous_;
};

} // namespace

class tst_RecordStore : public QObject {
    Q_OBJECT

    QTemporaryDir* folder_ = nullptr;

    QString datPath() const { return folder_->filePath("Korvanel.dat"); }
    QString tmpPath() const { return folder_->filePath("Korvanel.tmp"); }

private slots:
    void init() {
        folder_ = new QTemporaryDir;
        QVERIFY(folder_->isValid());
    }
    void cleanup() {
        delete folder_;
        folder_ = nullptr;
    }

    void missingFileIsCreatedEmpty() {
        RecordStore store(folder_->path());
        QCOMPARE(store.dataPath(), datPath());
        QCOMPARE(QDir(folder_->path()).filePath(AppPaths::tempFileName()), tmpPath());
        QVERIFY(!store.isOpen());
        QCOMPARE(storedCount(store), -1); // a closed store has no count, not 0 records
        FileStatus status = store.open();
        QVERIFY2(status, qPrintable(status.describe()));
        QVERIFY(store.isOpen());
        QCOMPARE(storedCount(store), 0);
        QVERIFY(QFile::exists(datPath()));
        QCOMPARE(QFile(datPath()).size(), 0);
    }

    void openNeverTruncates() {
        writeFile(datPath(), recordsBytes({1, 2}));
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        QCOMPARE(storedCount(store), 2);
        QCOMPARE(readFile(datPath()), recordsBytes({1, 2}));
    }

    void openFailsInMissingFolder() {
        RecordStore store(folder_->filePath("nowhere"));
        FileStatus status = store.open();
        QVERIFY(!status);
        QCOMPARE(status.path(), folder_->filePath("nowhere/Korvanel.dat"));
        QVERIFY(!status.reason().isEmpty());
        QVERIFY(!store.isOpen());
    }

    void countRoundsToNearestHalfToEven_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("records");
        QTest::newRow("empty") << 0 << 0;
        QTest::newRow("one record") << 198 << 1;
        QTest::newRow("five records") << 990 << 5;
        QTest::newRow("five and a half") << 1089 << 6;
        QTest::newRow("two and a half") << 495 << 2;
        QTest::newRow("one and a half") << 297 << 2;
        QTest::newRow("half") << 99 << 0;
        QTest::newRow("just over half") << 100 << 1;
        QTest::newRow("just under a half more") << 1088 << 5;
        // Reading every record takes a megabyte at a time: a torn tail just past a piece.
        constexpr int piece = (1 << 20) / ResultRecord::Size;
        QTest::newRow("a piece and a half") << piece * 198 + 99 << piece + 1; // 5,295 is odd
        QTest::newRow("a piece and one more half") << (piece + 1) * 198 + 99 << piece + 1;
        QTest::newRow("a piece and just over half") << piece * 198 + 100 << piece + 1;
    }
    // Every record read at once is the record read alone: padded, counted and blank alike.
    void countRoundsToNearestHalfToEven() {
        QFETCH(int, length);
        QFETCH(int, records);
        QByteArray bytes(length, 'x');
        for (int at = 0; at < length; ++at)
            bytes[at] = char('a' + (at / ResultRecord::Size + at) % 26);
        writeFile(datPath(), bytes);
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        QCOMPARE(storedCount(store), records);
        QList<ResultRecord> all;
        QVERIFY(StoredRecords::readAll(store, all));
        QCOMPARE(all.size(), records);
        ResultRecord alone;
        for (int n = 1; n <= records; ++n) {
            QVERIFY(store.read(n, alone));
            QVERIFY2(all.at(n - 1) == alone, qPrintable(QString::number(n)));
        }
    }

    void readBeyondEndIsBlank() {
        writeFile(datPath(), recordsBytes({1, 2}));
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        ResultRecord buffer = record(9);
        QVERIFY(store.read(3, buffer));
        QCOMPARE(buffer, ResultRecord());
        buffer = record(9);
        QVERIFY(store.read(1000000, buffer));
        QCOMPARE(buffer, ResultRecord());
        QVERIFY(store.read(2, buffer));
        QCOMPARE(buffer, record(2));
    }

    void partialLastRecordIsPaddedWithBlanks() {
        const QByteArray partial = record(6).encode().left(99);
        writeFile(datPath(), recordsBytes({1, 2, 3, 4, 5}) + partial);
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        QCOMPARE(storedCount(store), 6);
        ResultRecord buffer;
        QVERIFY(store.read(6, buffer));
        QCOMPARE(buffer.encode(), partial + QByteArray(99, ' '));
        QVERIFY(store.read(5, buffer));
        QCOMPARE(buffer, record(5));
    }

    void badRecordNumbersAndClosedStoreFail() {
        RecordStore store(folder_->path());
        ResultRecord buffer;
        QVERIFY(!store.read(1, buffer));
        QVERIFY(!store.write(1, buffer));
        QVERIFY(!store.remove(1));
        QVERIFY(store.open());
        QVERIFY(!store.read(0, buffer));
        QVERIFY(!store.write(-1, buffer));
        QVERIFY(!store.remove(0));
        store.close();
        QVERIFY(!store.isOpen());
        QVERIFY(!store.read(1, buffer));
    }

    void writeInPlaceAndAppend() {
        writeFile(datPath(), recordsBytes({1, 2, 3, 4, 5}));
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        QVERIFY(store.write(3, record(33)));
        QCOMPARE(QFile(datPath()).size(), 990);
        QVERIFY(store.write(6, record(6)));
        QCOMPARE(QFile(datPath()).size(), 1188);
        QCOMPARE(storedCount(store), 6);
        QCOMPARE(readFile(datPath()), recordsBytes({1, 2, 33, 4, 5, 6}));
    }

    void writeFarBeyondFillsTheGapWithBlankRecords() {
        writeFile(datPath(), recordsBytes({1}));
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        QVERIFY(store.write(4, record(4)));
        QCOMPARE(readFile(datPath()),
                 recordsBytes({1}) + QByteArray(2 * 198, ' ') + recordsBytes({4}));
        QCOMPARE(storedCount(store), 4);
    }

    void writeOverPartialRecordCompletesIt() {
        writeFile(datPath(), recordsBytes({1}) + QByteArray(150, 'x'));
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        QVERIFY(store.write(2, record(2)));
        QCOMPARE(readFile(datPath()), recordsBytes({1, 2}));
    }

    void deleteMiddleOfThree() {
        writeFile(datPath(), recordsBytes({1, 2, 3}));
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        FileStatus status = store.remove(2);
        QVERIFY2(status, qPrintable(status.describe()));
        QCOMPARE(readFile(datPath()), recordsBytes({1, 3}));
        QVERIFY(!QFile::exists(tmpPath()));
        QVERIFY(store.isOpen());
        QCOMPARE(storedCount(store), 2);
        // Record 2, shown after the delete, is the one that was record 3.
        ResultRecord buffer;
        QVERIFY(store.read(2, buffer));
        QCOMPARE(buffer, record(3));

        // The store holds the new file: what is written now is in Korvanel.dat.
        QVERIFY(store.write(3, record(7)));
        QVERIFY(store.write(1, record(8)));
        QCOMPARE(readFile(datPath()), recordsBytes({8, 3, 7}));
    }

    void deleteLastOfThree() {
        writeFile(datPath(), recordsBytes({1, 2, 3}));
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        QVERIFY(store.remove(3));
        QCOMPARE(readFile(datPath()), recordsBytes({1, 2}));
    }

    void deleteOnlyRecord() {
        writeFile(datPath(), recordsBytes({1}));
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        QVERIFY(store.remove(1));
        QCOMPARE(readFile(datPath()), QByteArray());
        QCOMPARE(storedCount(store), 0);
        ResultRecord buffer = record(1);
        QVERIFY(store.read(1, buffer));
        QCOMPARE(buffer, ResultRecord());
    }

    void deleteOfPartialFileKeepsCountedRecords() {
        // 5.5 records count 6: the half record is kept, padded; a fragment is not a record.
        const QByteArray half = record(6).encode().left(99);
        writeFile(datPath(), recordsBytes({1, 2, 3, 4, 5}) + half);
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        QVERIFY(store.remove(1));
        QCOMPARE(readFile(datPath()), recordsBytes({2, 3, 4, 5}) + half + QByteArray(99, ' '));
    }

    void leftOverTempIsReplacedNotAppendedTo() {
        writeFile(datPath(), recordsBytes({1, 2, 3}));
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        writeFile(tmpPath(), QByteArray(5000, 'j'));
        QVERIFY(store.remove(1));
        QCOMPARE(readFile(datPath()), recordsBytes({2, 3}));
        QVERIFY(!QFile::exists(tmpPath()));
    }

    void leftOverTempLinkIsNotFollowed() {
        writeFile(datPath(), recordsBytes({1, 2}));
        const QString victim = folder_->filePath("victim");
        writeFile(victim, "keep");
        QVERIFY(QFile::link(victim, tmpPath()));
        RecordStore store(folder_->path());
        QVERIFY(store.open()); // both present: the link is removed, the data file kept
        QVERIFY(!QFile::exists(tmpPath()));
        QVERIFY(QFile::link(victim, tmpPath()));
        QVERIFY(store.remove(1));
        QCOMPARE(readFile(victim), QByteArray("keep"));
        QCOMPARE(readFile(datPath()), recordsBytes({2}));
    }

    void openRestoresTempThatIsTheOnlyCopy() {
        writeFile(tmpPath(), recordsBytes({1, 3}));
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        QCOMPARE(storedCount(store), 2);
        QCOMPARE(readFile(datPath()), recordsBytes({1, 3}));
        QVERIFY(!QFile::exists(tmpPath()));
    }

    void openDropsTempOfUnfinishedDelete() {
        writeFile(datPath(), recordsBytes({1, 2, 3}));
        writeFile(tmpPath(), recordsBytes({1}));
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        QCOMPARE(storedCount(store), 3);
        QCOMPARE(readFile(datPath()), recordsBytes({1, 2, 3}));
        QVERIFY(!QFile::exists(tmpPath()));
    }

    // A Korvanel.tmp found at open: it takes the data file's place when the data file is missing
    // or holds fewer whole records than it, and is otherwise the rest of an unfinished delete.
    void leftOverTempAtOpen_data() {
        QTest::addColumn<QByteArray>("data"); // "<none>": no data file
        QTest::addColumn<QByteArray>("temp");
        QTest::addColumn<QByteArray>("opened");
        const QByteArray none("<none>");
        const QByteArray two = recordsBytes({1, 3});
        QTest::newRow("no data file") << none << two << two;
        QTest::newRow("empty data file, records in the tmp") << QByteArray() << two << two;
        QTest::newRow("empty data file, one record in the tmp")
            << QByteArray() << recordsBytes({4}) << recordsBytes({4});
        QTest::newRow("empty data file, no whole record in the tmp")
            << QByteArray() << recordsBytes({4}).left(197) << QByteArray();
        QTest::newRow("empty data file, empty tmp") << QByteArray() << QByteArray() << QByteArray();
        QTest::newRow("data file with records")
            << recordsBytes({1, 2, 3}) << recordsBytes({1}) << recordsBytes({1, 2, 3});
        QTest::newRow("data file with fewer whole records than the tmp")
            << recordsBytes({1}) << two << two;
        QTest::newRow("data file cut short inside its first record")
            << recordsBytes({1}).left(150) << two << two;
        QTest::newRow("data file cut short inside its second record")
            << recordsBytes({1, 2}).left(300) << two << two;
        QTest::newRow("tmp cut short inside its last record")
            << recordsBytes({1, 2}) << recordsBytes({1, 3}).left(300) << recordsBytes({1, 2});
        QTest::newRow("data file cut short beside a tmp that is not records")
            << recordsBytes({1}).left(150) << QByteArray(5000, 'j') << recordsBytes({1}).left(150);
        QTest::newRow("as many whole records in both")
            << recordsBytes({1, 2}).left(300) << recordsBytes({1})
            << recordsBytes({1, 2}).left(300);
    }
    void leftOverTempAtOpen() {
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, temp);
        QFETCH(QByteArray, opened);
        if (data != "<none>")
            writeFile(datPath(), data);
        writeFile(tmpPath(), temp);
        RecordStore store(folder_->path());
        const FileStatus status = store.open();
        QVERIFY2(status, qPrintable(status.describe()));
        QCOMPARE(readFile(datPath()), opened);
        QCOMPARE(storedCount(store), RecordStore::countForLength(opened.size()));
        QVERIFY(!QFile::exists(tmpPath()));
    }

    // Anything but a regular file as Korvanel.dat is refused with a message naming the file,
    // and nothing is read or written through it.
    void dataFileThatIsNoFileIsRefused_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("link to a file") << "link";
        QTest::newRow("dangling link") << "dangling";
        QTest::newRow("fifo") << "fifo";
        QTest::newRow("folder") << "folder";
        QTest::newRow("link beside a tmp holding records") << "link+tmp";
    }
    void dataFileThatIsNoFileIsRefused() {
        QFETCH(QString, kind);
        const QString elsewhere = folder_->filePath("elsewhere.txt");
        const QByteArray elsewhereBytes = recordsBytes({7});
        writeFile(elsewhere, elsewhereBytes);
        if (kind.startsWith("link"))
            QVERIFY(QFile::link(elsewhere, datPath()));
        else if (kind == "dangling")
            QVERIFY(QFile::link(folder_->filePath("nowhere"), datPath()));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(datPath()).constData(), 0600), 0);
        else
            QVERIFY(QDir(folder_->path()).mkdir("Korvanel.dat"));
        if (kind.endsWith("+tmp"))
            writeFile(tmpPath(), recordsBytes({1, 2}));

        RecordStore store(folder_->path());
        const FileStatus status = store.open();
        QVERIFY(!status);
        QVERIFY(!store.isOpen());
        QCOMPARE(status.path(), datPath());
        QVERIFY2(status.reason().startsWith(kind == "folder" ? "Is a directory" : "Not a regular"),
                 qPrintable(status.reason()));
        QCOMPARE(readFile(elsewhere), elsewhereBytes);
        QCOMPARE(QFileInfo(datPath()).isSymLink(), kind != "fifo" && kind != "folder");
        // The tmp may hold the only copy of the records: it stays.
        QCOMPARE(readFile(tmpPath()), kind.endsWith("+tmp") ? recordsBytes({1, 2}) : "<missing>");
    }

    // A data file replaced (a spreadsheet file renamed over it) or removed while the store holds
    // it open: neither a save nor a delete goes into the file no longer in the folder, nor over
    // the file now there, and the failure says what happened.
    void replacedOrRemovedDataFileIsNotWritten_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("deleting");
        QTest::newRow("replaced, save") << "replaced" << false;
        QTest::newRow("replaced, delete") << "replaced" << true;
        QTest::newRow("removed, save") << "removed" << false;
        QTest::newRow("removed, delete") << "removed" << true;
    }
    void replacedOrRemovedDataFileIsNotWritten() {
        QFETCH(QString, change);
        QFETCH(bool, deleting);
        writeFile(datPath(), recordsBytes({1, 2}));
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        const QByteArray csv("Date Taken,Last Name\r\n");
        if (change == "replaced") {
            writeFile(folder_->filePath("export.csv"), csv);
            QVERIFY(::rename(QFile::encodeName(folder_->filePath("export.csv")).constData(),
                             QFile::encodeName(datPath()).constData()) == 0);
        } else {
            QVERIFY(QFile::remove(datPath()));
        }

        const FileStatus status = deleting ? store.remove(1) : store.write(3, record(3));
        QVERIFY(!status);
        QCOMPARE(status.path(), datPath());
        QVERIFY2(status.reason().contains("replaced or removed"), qPrintable(status.reason()));
        QCOMPARE(readFile(datPath()), change == "replaced" ? csv : QByteArray("<missing>"));
        QVERIFY(!QFile::exists(tmpPath()));
        // The records the store still holds are as they were.
        int records = 0;
        QVERIFY(store.count(records));
        QCOMPARE(records, 2);
    }

    void filesAreOwnerOnlyWhateverTheUmask_data() {
        QTest::addColumn<int>("mask");
        QTest::newRow("umask 0") << 0;
        QTest::newRow("umask 022") << 022;
        QTest::newRow("umask 0277") << 0277;
    }
    void filesAreOwnerOnlyWhateverTheUmask() {
        QFETCH(int, mask);
        UmaskGuard guard(static_cast<mode_t>(mask));
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        QCOMPARE(modeOf(datPath()), mode_t(0600));
        QVERIFY(store.write(1, record(1)));
        QVERIFY(store.write(2, record(2)));
        QVERIFY(store.remove(1));
        QCOMPARE(modeOf(datPath()), mode_t(0600));
        QCOMPARE(readFile(datPath()), recordsBytes({2}));
    }
};

QTEST_GUILESS_MAIN(tst_RecordStore)
#include "tst_RecordStore.moc"
