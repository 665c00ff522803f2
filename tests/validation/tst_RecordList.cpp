#include "support/TestRecords.h"
#include "validation/RecordList.h"

#include <QTest>

// A row of the record list as the operator reads it, from the stored fields.
class tst_RecordList : public QObject {
    Q_OBJECT
private slots:
    void row_data() {
        QTest::addColumn<QStringList>("fields"); // DateOfBirth, DateTaken, PbResult, BelowDetection
        QTest::addColumn<QString>("providerCode");
        QTest::addColumn<QStringList>("shown"); // Date of Birth, Date Taken, Result, Status
        QTest::newRow("complete") << QStringList{"07042019", "11302026", "12.5", "0"} << "123456"
                                  << QStringList{"07/04/2019", "11/30/2026", "12.5", "Complete"};
        QTest::newRow("low result") << QStringList{"07042019", "11302026", "", "1"} << "123456"
                                    << QStringList{"07/04/2019", "11/30/2026", "Low", "Complete"};
        QTest::newRow("a low value without the flag is the value")
            << QStringList{"07042019", "11302026", "3.2", "0"} << "123456"
            << QStringList{"07/04/2019", "11/30/2026", "3.2", "Complete"};
        QTest::newRow("high result") << QStringList{"07042019", "11302026", "66.0", "0"} << "123456"
                                     << QStringList{"07/04/2019", "11/30/2026", "High", "Complete"};
        QTest::newRow("above the range")
            << QStringList{"07042019", "11302026", "65.1", "0"} << "123456"
            << QStringList{"07/04/2019", "11/30/2026", "High", "Complete"};
        QTest::newRow("partly typed and blank dates: the first gap")
            << QStringList{"1206", "", "12.5", "0"} << "123456"
            << QStringList{"12/06", "", "12.5", "Missing Date Taken."};
        QTest::newRow("missing result")
            << QStringList{"07042019", "11302026", "", "0"} << "123456"
            << QStringList{"07/04/2019", "11/30/2026", "", "Missing Pb Result."};
        QTest::newRow("provider code message on one line")
            << QStringList{"07042019", "11302026", "12.5", "0"} << "000000"
            << QStringList{"07/04/2019", "11/30/2026", "12.5",
                           "Provider Code has not been set. Please use the Provider Code "
                           "assigned to the you by the State of Calmoria."};
    }
    void row() {
        QFETCH(QStringList, fields);
        QFETCH(QString, providerCode);
        QFETCH(QStringList, shown);
        ResultRecord record = TestRecords::completeRecord(" Smith ");
        record.set(ResultRecord::DateOfBirth, fields[0]);
        record.set(ResultRecord::DateTaken, fields[1]);
        record.set(ResultRecord::PbResult, fields[2]);
        record.set(ResultRecord::BelowDetection, fields[3]);
        const RecordListRow row = RecordList::recordListRow(7, record, providerCode);
        QCOMPARE(row.number, 7);
        QCOMPARE(row.lastName, QString("Smith"));
        QCOMPARE(row.firstName, QString("Anna"));
        QCOMPARE((QStringList{row.dateOfBirth, row.dateTaken, row.result, row.status}), shown);
    }
};

QTEST_GUILESS_MAIN(tst_RecordList)
#include "tst_RecordList.moc"
