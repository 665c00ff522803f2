#include "storage/ResultRecord.h"
#include "validation/FieldCodes.h"

#include <QTest>

using namespace FieldCodes;

class tst_FieldCodes : public QObject {
    Q_OBJECT
private slots:
    void raceEntryForStoredCode_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("entry");
        QTest::newRow("1") << "1"
                           << "Black (1)";
        QTest::newRow("3") << "3"
                           << "White (3)";
        QTest::newRow("4") << "4"
                           << "Asian - Pacific Islander (4)";
        QTest::newRow("5") << "5"
                           << "American Indian - Alaskan Native (5)";
        QTest::newRow("6") << "6"
                           << "Other (6)";
        QTest::newRow("7") << "7"
                           << "Unknown (7)";
        QTest::newRow("no code 2") << "2"
                                   << "Unknown (7)";
        QTest::newRow("blank") << " "
                               << "Unknown (7)";
        QTest::newRow("empty") << ""
                               << "Unknown (7)";
        QTest::newRow("lower-case letter") << "x"
                                           << "Unknown (7)";
    }
    void raceEntryForStoredCode() {
        QFETCH(QString, code);
        QFETCH(QString, entry);
        QCOMPARE(raceEntries().size(), 6);
        QCOMPARE(raceEntries().at(raceEntryIndex(code)), entry);
    }

    void ancestryEntryForStoredCode_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("entry");
        QTest::newRow("00") << "00"
                            << "Non-Hispanic (00)";
        QTest::newRow("20") << "20"
                            << "Hispanic (20)";
        QTest::newRow("19") << "19"
                            << "Unknown (19)";
        QTest::newRow("blank") << "  "
                               << "Unknown (19)";
        QTest::newRow("0 alone") << "0 "
                                 << "Unknown (19)";
    }
    void ancestryEntryForStoredCode() {
        QFETCH(QString, code);
        QFETCH(QString, entry);
        QCOMPARE(ancestryEntries().size(), 3);
        QCOMPARE(ancestryEntries().at(ancestryEntryIndex(code)), entry);
    }

    void everyEntryGivesBackItsCode() {
        for (int i = 0; i < raceEntries().size(); ++i)
            QCOMPARE(raceEntryIndex(raceCodeFromEntry(raceEntries().at(i))), i);
        for (int i = 0; i < ancestryEntries().size(); ++i)
            QCOMPARE(ancestryEntryIndex(ancestryCodeFromEntry(ancestryEntries().at(i))), i);
        QCOMPARE(raceCodeFromEntry("American Indian - Alaskan Native (5)"), QString("5"));
        QCOMPARE(ancestryCodeFromEntry("Non-Hispanic (00)"), QString("00"));
    }

    void codeFromTypedText() {
        QCOMPARE(raceCodeFromEntry("3"), QString("3"));
        QCOMPARE(raceCodeFromEntry("White"), QString("W"));
        QCOMPARE(raceCodeFromEntry(""), QString(""));
        QCOMPARE(raceCodeFromEntry("A (4) (5)"), QString("4"));
        QCOMPARE(raceCodeFromEntry("Other ("), QString(""));
        QCOMPARE(ancestryCodeFromEntry("20"), QString("20"));
        QCOMPARE(ancestryCodeFromEntry("2"), QString("2"));
        QCOMPARE(ancestryCodeFromEntry("Hispanic (2"), QString("2"));
    }

    void phoneShownFromRecord_data() {
        QTest::addColumn<QString>("areaCode");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("raw");
        QTest::newRow("complete") << "555"
                                  << "123-4567"
                                  << "5551234567";
        QTest::newRow("blank number") << "555"
                                      << "        "
                                      << "";
        QTest::newRow("one character") << "555"
                                       << "1       "
                                       << "";
        QTest::newRow("blank area code") << "   "
                                         << "123-4567"
                                         << "1234567";
        QTest::newRow("short number") << "555"
                                      << "12      "
                                      << "5551212";
    }
    void phoneShownFromRecord() {
        QFETCH(QString, areaCode);
        QFETCH(QString, number);
        QFETCH(QString, raw);
        QCOMPARE(phoneRawValue(areaCode, number), raw);
    }

    void phoneCapturedFromBox_data() {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("areaCode");
        QTest::addColumn<QString>("number");
        QTest::newRow("complete") << "5551234567"
                                  << "555"
                                  << "123-4567";
        QTest::newRow("empty box") << ""
                                   << ""
                                   << "";
        QTest::newRow("one digit") << "5"
                                   << "5"
                                   << "-5";
        QTest::newRow("area code only") << "555"
                                        << "555"
                                        << "-555";
        QTest::newRow("five digits") << "55512"
                                     << "555"
                                     << "12-5512";
    }
    void phoneCapturedFromBox() {
        QFETCH(QString, raw);
        QFETCH(QString, areaCode);
        QFETCH(QString, number);
        const PhoneFields fields = phoneFieldsFromRawValue(raw);
        QCOMPARE(fields.areaCode, areaCode);
        QCOMPARE(fields.number, number);
    }

    void phoneSurvivesSaveAndShow() {
        const PhoneFields fields = phoneFieldsFromRawValue("5551234567");
        ResultRecord record;
        record.set(ResultRecord::PhoneAreaCode, fields.areaCode);
        record.set(ResultRecord::PhoneNumber, fields.number);
        QCOMPARE(record.encode().mid(137, 11), QByteArray("555123-4567"));
        QCOMPARE(phoneRawValue(record.get(ResultRecord::PhoneAreaCode),
                               record.get(ResultRecord::PhoneNumber)),
                 QString("5551234567"));
    }
};

QTEST_GUILESS_MAIN(tst_FieldCodes)
#include "tst_FieldCodes.moc"
