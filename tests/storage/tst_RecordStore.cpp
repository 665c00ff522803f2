#include "storage/RecordStore.h"
#include "window/RecordNavigation.h"

#include "StoreTestRecords.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using StoreTestRecords::record;

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
        QCOMPARE(store.tempPath(), tmpPath());
        QVERIFY(!store.isOpen());
        QCOMPARE(store.count(), 0);
        FileStatus status = store.open();
        QVERIFY2(status, qPrintable(status.describe()));
        QVERIFY(store.isOpen());
        QCOMPARE(store.count(), 0);
        QVERIFY(QFile::exists(datPath()));
        QCOMPARE(QFile(datPath()).size(), 0);
    }

    void openNeverTruncates() {
        writeFile(datPath(), recordsBytes({1, 2}));
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        QCOMPARE(store.count(), 2);
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
    }
    void countRoundsToNearestHalfToEven() {
        QFETCH(int, length);
        QFETCH(int, records);
        writeFile(datPath(), QByteArray(length, 'x'));
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        QCOMPARE(store.count(), records);
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
        QCOMPARE(store.count(), 6);
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
        QCOMPARE(store.count(), 6);
        QCOMPARE(readFile(datPath()), recordsBytes({1, 2, 33, 4, 5, 6}));
    }

    void writeFarBeyondFillsTheGapWithBlankRecords() {
        writeFile(datPath(), recordsBytes({1}));
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        QVERIFY(store.write(4, record(4)));
        QCOMPARE(readFile(datPath()),
                 recordsBytes({1}) + QByteArray(2 * 198, ' ') + recordsBytes({4}));
        QCOMPARE(store.count(), 4);
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
        QCOMPARE(store.count(), 2);
        int recordCount = 3;
        int currentRecord = 2;
        adjustPositionAfterDelete(recordCount, currentRecord);
        QCOMPARE(recordCount, 2);
        QCOMPARE(currentRecord, 2);
        ResultRecord buffer;
        QVERIFY(store.read(currentRecord, buffer));
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
        int recordCount = 3;
        int currentRecord = 3;
        adjustPositionAfterDelete(recordCount, currentRecord);
        QCOMPARE(recordCount, 2);
        QCOMPARE(currentRecord, 2);
    }

    void deleteOnlyRecord() {
        writeFile(datPath(), recordsBytes({1}));
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        QVERIFY(store.remove(1));
        QCOMPARE(readFile(datPath()), QByteArray());
        QCOMPARE(store.count(), 0);
        int recordCount = 1;
        int currentRecord = 1;
        adjustPositionAfterDelete(recordCount, currentRecord);
        QCOMPARE(recordCount, 1);
        QCOMPARE(currentRecord, 1);
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
        QCOMPARE(store.count(), 2);
        QCOMPARE(readFile(datPath()), recordsBytes({1, 3}));
        QVERIFY(!QFile::exists(tmpPath()));
    }

    void openDropsTempOfUnfinishedDelete() {
        writeFile(datPath(), recordsBytes({1, 2, 3}));
        writeFile(tmpPath(), recordsBytes({1}));
        RecordStore store(folder_->path());
        QVERIFY(store.open());
        QCOMPARE(store.count(), 3);
        QCOMPARE(readFile(datPath()), recordsBytes({1, 2, 3}));
        QVERIFY(!QFile::exists(tmpPath()));
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

    void positionAfterDelete_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("newCount");
        QTest::addColumn<int>("newCurrent");
        QTest::newRow("first of five") << 5 << 1 << 4 << 1;
        QTest::newRow("last of five") << 5 << 5 << 4 << 4;
        QTest::newRow("only") << 1 << 1 << 1 << 1;
        QTest::newRow("unsaved new shown") << 2 << 2 << 1 << 1;
    }
    void positionAfterDelete() {
        QFETCH(int, count);
        QFETCH(int, current);
        QFETCH(int, newCount);
        QFETCH(int, newCurrent);
        ::adjustPositionAfterDelete(count, current);
        QCOMPARE(count, newCount);
        QCOMPARE(current, newCurrent);
    }
};

QTEST_GUILESS_MAIN(tst_RecordStore)
#include "tst_RecordStore.moc"
