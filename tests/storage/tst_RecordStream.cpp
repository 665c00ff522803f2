#include "storage/RecordFile.h"
#include "storage/RecordStream.h"

#include "StoreTestRecords.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Records 1 to count, the record at each index of noLineEnd with "XY" where its CR LF stands.
QByteArray records(int count, QList<int> noLineEnd = {}) {
    QByteArray bytes;
    for (int n = 1; n <= count; ++n) {
        QByteArray one = StoreTestRecords::record(n).encode();
        if (noLineEnd.contains(n))
            one.replace(ResultRecord::offset(ResultRecord::LineEnd), 2, "XY");
        bytes += one;
    }
    return bytes;
}

// The first n bytes of record count + 1: a torn tail.
QByteArray torn(int count, int tail) {
    return records(count) + records(count + 1).right(ResultRecord::Size).left(tail);
}

} // namespace

class tst_RecordStream : public QObject {
    Q_OBJECT

private slots:
    // The stream, in pieces of every size, sees what reading the file whole sees: the count, each
    // record in order, whether it is whole and the damage text.
    void streamSeesWhatTheWholeReadSees_data() {
        QTest::addColumn<QByteArray>("bytes");
        const int half = ResultRecord::Size / 2;
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("one byte") << QByteArray("A");
        QTest::newRow("less than half a record") << torn(0, half - 1);
        QTest::newRow("exactly half a record, none before") << torn(0, half);
        QTest::newRow("more than half a record") << torn(0, half + 1);
        QTest::newRow("one record") << records(1);
        QTest::newRow("half after one record") << torn(1, half);
        QTest::newRow("half after two records") << torn(2, half);
        QTest::newRow("less than half after three") << torn(3, half - 1);
        QTest::newRow("more than half after three") << torn(3, half + 1);
        QTest::newRow("a record without CR LF") << records(3, {2});
        QTest::newRow("no record ends in CR LF") << records(4, {1, 2, 3, 4});
        QTest::newRow("odd length, no CR LF") << records(5, {5}) + "xyz";
        QTest::newRow("many pieces, whole") << records(13);
        QTest::newRow("many pieces, half after odd") << torn(9, half);
        QTest::newRow("many pieces, half after even") << torn(12, half);
        QTest::newRow("many pieces, torn at a piece's end") << torn(8, half + 1);
        QTest::newRow("many pieces, CR LF missing in several") << records(11, {1, 4, 8, 11}) + "z";
    }
    void streamSeesWhatTheWholeReadSees() {
        QFETCH(QByteArray, bytes);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString path = folder.filePath("Lead_123456_20260101_120000_1.txt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
        file.close();

        RecordFile whole;
        QVERIFY(RecordFile::read(path, whole));
        for (int chunk : {2, 4, RecordStream::ChunkRecords}) {
            const QByteArray context = "piece of " + QByteArray::number(chunk);
            RecordStream stream(chunk);
            QVERIFY2(stream.open(path), context);
            QCOMPARE(stream.recordCount(), whole.recordCount());
            int seen = 0;
            RecordFile piece;
            int first = 0;
            while (stream.next(piece, first)) {
                QVERIFY2(piece.recordCount() <= chunk, context);
                QCOMPARE(first, seen + 1);
                for (int n = 1; n <= piece.recordCount(); ++n) {
                    QCOMPARE(piece.record(n), whole.record(first + n - 1));
                    QCOMPARE(piece.field(n, ResultRecord::LastName),
                             whole.field(first + n - 1, ResultRecord::LastName));
                }
                seen += piece.recordCount();
            }
            QVERIFY2(stream.status(), context);
            QVERIFY2(stream.atEnd(), context);
            QCOMPARE(seen, whole.recordCount());
            QCOMPARE(stream.isWhole(), whole.isWhole());
            QCOMPARE(stream.damage(), whole.damage());
            for (int n = 1; n <= whole.recordCount(); ++n) {
                ResultRecord record;
                QVERIFY2(stream.readRecord(n, record), context);
                QCOMPARE(record, whole.record(n));
            }
        }
    }

    // A record outside the file and a file that cannot be opened are failures, never blank
    // records taken as read.
    void failuresAreReported() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        RecordStream missing;
        QVERIFY(!missing.open(folder.filePath("missing.txt")));
        RecordFile piece;
        int first = 0;
        QVERIFY(!missing.next(piece, first));
        QVERIFY(!missing.status());
        ResultRecord record;
        QVERIFY(!missing.readRecord(1, record));

        const QString target = folder.filePath("target.txt");
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(records(2));
        file.close();
        QVERIFY(QFile::link(target, folder.filePath("link.txt")));
        RecordStream linked;
        QVERIFY(!linked.open(folder.filePath("link.txt")));

        RecordStream stream;
        QVERIFY(stream.open(target));
        QVERIFY(!stream.readRecord(3, record));
        QVERIFY(!stream.readRecord(0, record));
        QVERIFY(stream.readRecord(2, record));
        QCOMPARE(record, StoreTestRecords::record(2));
    }
};

QTEST_GUILESS_MAIN(tst_RecordStream)
#include "tst_RecordStream.moc"
