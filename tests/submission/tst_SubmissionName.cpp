#include "submission/SubmissionName.h"

#include <QTest>

class tst_SubmissionName : public QObject {
    Q_OBJECT
private slots:
    void fileName_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<int>("counter");
        QTest::addColumn<QString>("name");
        const QDateTime moment(QDate(2026, 12, 6), QTime(10, 52, 55));
        QTest::newRow("first") << "123456" << moment << 1 << "Lead_123456_20261206_105255_0001.txt";
        QTest::newRow("code trimmed")
            << " 123456 " << moment << 12 << "Lead_123456_20261206_105255_0012.txt";
        QTest::newRow("five digits")
            << "123456" << moment << 12345 << "Lead_123456_20261206_105255_12345.txt";
        QTest::newRow("six digits")
            << "123456" << moment << 999999 << "Lead_123456_20261206_105255_999999.txt";
        QTest::newRow("24-hour clock, minutes not months")
            << "654321" << QDateTime(QDate(2027, 1, 2), QTime(23, 4, 5)) << 7
            << "Lead_654321_20270102_230405_0007.txt";
        QTest::newRow("midnight") << "654321" << QDateTime(QDate(2027, 1, 2), QTime(0, 0, 0)) << 7
                                  << "Lead_654321_20270102_000000_0007.txt";
    }
    void fileName() {
        QFETCH(QString, code);
        QFETCH(QDateTime, moment);
        QFETCH(int, counter);
        QFETCH(QString, name);
        QCOMPARE(SubmissionName::fileName(code, moment, counter), name);
    }

    void relativeNameHasTheSeparatorInFront() {
        QCOMPARE(SubmissionName::relativeName("Lead_123456_20261206_105255_0001.txt"),
                 QString("/Submit/Lead_123456_20261206_105255_0001.txt"));
    }

    void report() {
        QCOMPARE(SubmissionName::reportTitle(), QString("Electronic Submission File Created"));
        QCOMPARE(SubmissionName::reportText("/opt/korvanel",
                                            "/Submit/Lead_123456_20261206_105255_0001.txt"),
                 QString("Electronic Submission File:\r\n"
                         "Path: /opt/korvanel\r\n"
                         "File: /Submit/Lead_123456_20261206_105255_0001.txt\r\n"
                         "has been created.\r\n"
                         "\r\n"
                         "Application will now exit."));
    }
};

QTEST_GUILESS_MAIN(tst_SubmissionName)
#include "tst_SubmissionName.moc"
