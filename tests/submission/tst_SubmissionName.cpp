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

    // The one reader of submission file names: the history, the duplicate check and the finish
    // of an interrupted submission all go by it.
    void parse_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parts"); // code|yyyyMMdd HHmmss|counter|created; empty: none
        QTest::newRow("the program's own") << "Lead_123456_20261206_105255_0001.txt"
                                           << "123456|20261206 105255|1|12/06/2026 10:52";
        QTest::newRow("five-digit counter") << "Lead_123456_20261206_235959_10000.txt"
                                            << "123456|20261206 235959|10000|12/06/2026 23:59";
        QTest::newRow("odd code") << "Lead_A1-b_20270102_000000_0007.txt"
                                  << "A1-b|20270102 000000|7|01/02/2027 00:00";
        QTest::newRow("eighteen digits") << "Lead_1_20261206_105255_999999999999999999.txt"
                                         << "1|20261206 105255|999999999999999999|12/06/2026 10:52";
        QTest::newRow("nineteen digits") << "Lead_1_20261206_105255_1000000000000000000.txt"
                                         << "";
        QTest::newRow("three-digit counter") << "Lead_123456_20261206_105255_001.txt"
                                             << "";
        QTest::newRow("no counter") << "Lead_123456_20261206_105255_.txt"
                                    << "";
        QTest::newRow("backup copy") << "Lead_123456_20261206_105255_0001.txt.bak"
                                     << "";
        QTest::newRow("copy being made") << ".Lead_123456_20261206_105255_0001.txt.part"
                                         << "";
        QTest::newRow("short date") << "Lead_123456_2026126_105255_0001.txt"
                                    << "";
        QTest::newRow("no such month") << "Lead_123456_20261306_105255_0001.txt"
                                       << "";
        QTest::newRow("no such day") << "Lead_123456_20270229_105255_0001.txt"
                                     << "";
        QTest::newRow("no such hour") << "Lead_123456_20261206_245255_0001.txt"
                                      << "";
        QTest::newRow("no such second") << "Lead_123456_20261206_105260_0001.txt"
                                        << "";
        QTest::newRow("underscore in the code") << "Lead_12_34_20261206_105255_0001.txt"
                                                << "";
        QTest::newRow("no code") << "Lead__20261206_105255_0001.txt"
                                 << "";
        QTest::newRow("other case") << "lead_123456_20261206_105255_0001.TXT"
                                    << "";
        QTest::newRow("notes") << "Lead_notes.txt"
                               << "";
    }
    void parse() {
        QFETCH(QString, name);
        QFETCH(QString, parts);
        const std::optional<SubmissionName::ParsedName> parsed = SubmissionName::parse(name);
        QString found;
        if (parsed)
            found =
                QStringList{parsed->providerCode,
                            parsed->date.toString("yyyyMMdd") + " " +
                                parsed->time.toString("HHmmss"),
                            QString::number(parsed->counter), SubmissionName::createdText(*parsed)}
                    .join('|');
        QCOMPARE(found, parts);
    }

    // The counter decides; the moment only between equal counters (a counter file restored).
    void isNewer_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("newer");
        QTest::newRow("higher counter, earlier moment")
            << "Lead_1_20240101_000000_0002.txt"
            << "Lead_1_20261206_105255_0001.txt" << true;
        QTest::newRow("lower counter") << "Lead_1_20261206_105255_0001.txt"
                                       << "Lead_1_20240101_000000_0002.txt" << false;
        QTest::newRow("counter compared as a number") << "Lead_1_20261206_105255_10000.txt"
                                                      << "Lead_1_20261206_105255_9999.txt" << true;
        QTest::newRow("same counter, later day") << "Lead_1_20261207_000000_0001.txt"
                                                 << "Lead_1_20261206_235959_0001.txt" << true;
        QTest::newRow("same counter, later second") << "Lead_1_20261206_105256_0001.txt"
                                                    << "Lead_1_20261206_105255_0001.txt" << true;
        QTest::newRow("same moment and counter") << "Lead_1_20261206_105255_0001.txt"
                                                 << "Lead_2_20261206_105255_0001.txt" << false;
    }
    void isNewer() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, newer);
        QCOMPARE(SubmissionName::isNewer(*SubmissionName::parse(a), *SubmissionName::parse(b)),
                 newer);
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
