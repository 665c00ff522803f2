#include "storage/SafeFile.h"
#include "submission/SubmissionCounter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray contentOf(const QString& path) {
    QByteArray bytes;
    SafeFile::readPrefix(path, bytes);
    return bytes;
}

void putContent(const QString& path, const QByteArray& bytes) {
    QVERIFY(SafeFile::replaceContent(path, bytes).ok());
}

} // namespace

class tst_SubmissionCounter : public QObject {
    Q_OBJECT
private:
    QTemporaryDir folder_;
    QString path_;

private slots:
    void init() {
        QVERIFY(folder_.isValid());
        path_ = folder_.filePath(QStringLiteral("nextfile.txt"));
        QFile::remove(path_);
    }

    void missingFileStartsAtOne() {
        int taken = 0;
        QVERIFY(SubmissionCounter::advance(path_, taken).ok());
        QCOMPARE(taken, 1);
        QCOMPARE(contentOf(path_), QByteArray("2     "));
        QCOMPARE(QFile::permissions(path_), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadUser | QFileDevice::WriteUser);
    }

    void readCreatesTheMissingFileEmpty() {
        int value = 0;
        QVERIFY(SubmissionCounter::read(path_, value).ok());
        QCOMPARE(value, 1);
        QVERIFY(QFile::exists(path_));
        QCOMPARE(contentOf(path_), QByteArray());
    }

    void valueOfRecord_data() {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<int>("value");
        QTest::newRow("empty") << QByteArray() << 1;
        QTest::newRow("blanks") << QByteArray("      ") << 1;
        QTest::newRow("letters") << QByteArray("abc   ") << 1;
        QTest::newRow("zero") << QByteArray("0     ") << 1;
        QTest::newRow("negative") << QByteArray("-5    ") << 1;
        QTest::newRow("padded") << QByteArray("9999  ") << 9999;
        QTest::newRow("leading blanks") << QByteArray("  12  ") << 12;
        QTest::newRow("digits then text") << QByteArray("7abc  ") << 7;
        QTest::newRow("fraction dropped") << QByteArray("12.7  ") << 12;
        QTest::newRow("past 16 bits") << QByteArray("40000 ") << 40000;
        QTest::newRow("largest") << QByteArray("999999") << 999999;
        QTest::newRow("only six bytes count") << QByteArray("1234567") << 123456;
    }
    void valueOfRecord() {
        QFETCH(QByteArray, record);
        QFETCH(int, value);
        QCOMPARE(SubmissionCounter::valueOf(record), value);
    }

    void format_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("record");
        QTest::newRow("one digit") << 2 << QByteArray("2     ");
        QTest::newRow("five digits") << 10000 << QByteArray("10000 ");
        QTest::newRow("six digits") << 999999 << QByteArray("999999");
    }
    void format() {
        QFETCH(int, value);
        QFETCH(QByteArray, record);
        QCOMPARE(SubmissionCounter::format(value), record);
    }

    void advanceTakesTheStoredNumber_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("taken");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("four to five digits")
            << QByteArray("9999  ") << 9999 << QByteArray("10000 ");
        QTest::newRow("past 32767") << QByteArray("32767 ") << 32767 << QByteArray("32768 ");
        QTest::newRow("letters") << QByteArray("abcdef") << 1 << QByteArray("2     ");
        QTest::newRow("blank") << QByteArray("      ") << 1 << QByteArray("2     ");
        QTest::newRow("short file") << QByteArray("5") << 5 << QByteArray("6     ");
        QTest::newRow("bytes after the sixth kept")
            << QByteArray("41    tail\r\n") << 41 << QByteArray("42    tail\r\n");
        QTest::newRow("last number") << QByteArray("999998") << 999998 << QByteArray("999999");
    }
    void advanceTakesTheStoredNumber() {
        QFETCH(QByteArray, before);
        QFETCH(int, taken);
        QFETCH(QByteArray, after);
        putContent(path_, before);
        int got = 0;
        QVERIFY(SubmissionCounter::advance(path_, got).ok());
        QCOMPARE(got, taken);
        QCOMPARE(contentOf(path_), after);
    }

    // The lowest number the caller allows (one past the highest already in Submit) wins over
    // a counter that was reset; a counter above it is kept.
    void advanceTakesAtLeastTheLowest_data() {
        QTest::addColumn<QByteArray>("before"); // "-": missing
        QTest::addColumn<qulonglong>("lowest");
        QTest::addColumn<int>("taken");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("missing file") << QByteArray("-") << 51ull << 51 << QByteArray("52    ");
        QTest::newRow("reset below") << QByteArray("3     ") << 51ull << 51 << QByteArray("52    ");
        QTest::newRow("equal") << QByteArray("51    ") << 51ull << 51 << QByteArray("52    ");
        QTest::newRow("above") << QByteArray("70    ") << 51ull << 70 << QByteArray("71    ");
        QTest::newRow("tail kept")
            << QByteArray("3     tail") << 9999ull << 9999 << QByteArray("10000 tail");
    }
    void advanceTakesAtLeastTheLowest() {
        QFETCH(QByteArray, before);
        QFETCH(qulonglong, lowest);
        QFETCH(int, taken);
        QFETCH(QByteArray, after);
        if (before != "-")
            putContent(path_, before);
        int got = 0;
        QVERIFY(SubmissionCounter::advance(path_, got, lowest).ok());
        QCOMPARE(got, taken);
        QCOMPARE(contentOf(path_), after);
    }

    // A lowest number that leaves no room for the following one refuses, the file unchanged.
    void lowestPastTheLimitIsRefused() {
        for (const qulonglong lowest : {999999ull, 1000000ull, 123456789012345678ull}) {
            putContent(path_, "5     ");
            int taken = -7;
            const FileStatus status = SubmissionCounter::advance(path_, taken, lowest);
            QVERIFY(!status.ok());
            QCOMPARE(taken, -7);
            QCOMPARE(contentOf(path_), QByteArray("5     "));
        }
    }

    void successiveSubmissionsNeverRepeat() {
        putContent(path_, "9998  ");
        QList<int> taken;
        for (int i = 0; i < 3; ++i) {
            int value = 0;
            QVERIFY(SubmissionCounter::advance(path_, value).ok());
            taken << value;
        }
        QCOMPARE(taken, (QList<int>{9998, 9999, 10000}));
        QCOMPARE(contentOf(path_), QByteArray("10001 "));
    }

    void fullCounterIsRefusedUnchanged() {
        putContent(path_, "999999tail");
        int taken = -7;
        const FileStatus status = SubmissionCounter::advance(path_, taken);
        QVERIFY(!status.ok());
        QCOMPARE(status.path(), path_);
        QVERIFY(status.reason().contains(QLatin1String("999999")));
        QCOMPARE(taken, -7);
        QCOMPARE(contentOf(path_), QByteArray("999999tail"));
    }

    void unusableFileIsReported() {
        QVERIFY(QDir(folder_.path()).mkdir(QStringLiteral("nextfile.txt")));
        int taken = 0;
        const FileStatus status = SubmissionCounter::advance(path_, taken);
        QVERIFY(!status.ok());
        QCOMPARE(status.path(), path_);
        QVERIFY(QDir(folder_.path()).rmdir(QStringLiteral("nextfile.txt")));
    }
};

QTEST_GUILESS_MAIN(tst_SubmissionCounter)
#include "tst_SubmissionCounter.moc"
