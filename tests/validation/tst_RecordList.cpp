#include "support/TestRecords.h"
#include "validation/DuplicateRule.h"
#include "validation/RecordList.h"

#include <QTest>

// A row of the record list as the operator reads it, from the stored fields; the filter of the
// lists; the rule that finds two records of the same result.
class tst_RecordList : public QObject {
    Q_OBJECT

    // A record of the patient: last name, first name, date of birth, date taken (as stored).
    static ResultRecord patient(const QStringList& fields) {
        ResultRecord record = TestRecords::completeRecord(fields[0]);
        record.set(ResultRecord::FirstName, fields[1]);
        record.set(ResultRecord::DateOfBirth, fields[2]);
        record.set(ResultRecord::DateTaken, fields[3]);
        return record;
    }

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

    void filter_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("fields"); // last, first, date of birth, date taken
        QTest::addColumn<bool>("accepted");
        const QStringList smith{"Smith", "Zo\u00eb", "07042019", "11302026"};
        QTest::newRow("nothing typed") << "" << smith << true;
        QTest::newRow("only blanks typed") << "   " << smith << true;
        QTest::newRow("part of the last name, other case") << "MIT" << smith << true;
        QTest::newRow("the first name, accented, other case") << "ZO\u00cb" << smith << true;
        QTest::newRow("surrounding blanks ignored") << "  smith " << smith << true;
        QTest::newRow("a name it does not hold") << "smyth" << smith << false;
        QTest::newRow("last and first name together") << "smith zo\u00eb" << smith << false;
        QTest::newRow("date of birth as shown") << "07/04/2019" << smith << true;
        QTest::newRow("date taken with dashes") << "11-30" << smith << true;
        QTest::newRow("date with points and blanks") << "30. 2026" << smith << true;
        QTest::newRow("digits across the two dates") << "20191130" << smith << false;
        QTest::newRow("digits not next to each other in the date") << "07/19" << smith << false;
        QTest::newRow("a name with digits is no date") << "Smith 2019" << smith << false;
        QTest::newRow("digits are not looked for in names")
            << "2" << QStringList{"Smith2", "Ann", "07042019", "11302026"} << true;
        QTest::newRow("digits never match a name without them")
            << "19" << QStringList{"Smith", "Ann", "01012020", "02022021"} << false;
        QTest::newRow("a dash alone matches a name holding one")
            << "-" << QStringList{"Smith-Jones", "Ann", "07042019", "11302026"} << true;
        QTest::newRow("a dash alone matches no date") << "-" << smith << false;
        QTest::newRow("a blank date never matches digits")
            << "2019" << QStringList{"Smith", "Ann", "", ""} << false;
    }
    void filter() {
        QFETCH(QString, typed);
        QFETCH(QStringList, fields);
        QFETCH(bool, accepted);
        const RecordFilter filter(typed);
        QCOMPARE(filter.isEmpty(), typed.trimmed().isEmpty());
        QCOMPARE(filter.accepts(RecordList::recordSearchKeys(patient(fields))), accepted);
    }

    void duplicate_data() {
        QTest::addColumn<QStringList>("first"); // last, first, date of birth, date taken
        QTest::addColumn<QStringList>("second");
        QTest::addColumn<bool>("duplicate");
        const QStringList anna{"Smith", "Anna", "07042019", "11302026"};
        QTest::newRow("the same patient and dates") << anna << anna << true;
        QTest::newRow("case and surrounding blanks ignored")
            << anna << QStringList{" SMITH", "anna ", "07042019", "11302026"} << true;
        QTest::newRow("accented names of other case")
            << QStringList{"M\u00fcller", "Zo\u00eb", "07042019", "11302026"}
            << QStringList{"M\u00dcLLER", "ZO\u00cb", "07042019", "11302026"} << true;
        QTest::newRow("another last name")
            << anna << QStringList{"Smyth", "Anna", "07042019", "11302026"} << false;
        QTest::newRow("another first name")
            << anna << QStringList{"Smith", "Ann", "07042019", "11302026"} << false;
        QTest::newRow("another date of birth")
            << anna << QStringList{"Smith", "Anna", "07052019", "11302026"} << false;
        QTest::newRow("another date taken")
            << anna << QStringList{"Smith", "Anna", "07042019", "11292026"} << false;
        QTest::newRow("the names swapped")
            << anna << QStringList{"Anna", "Smith", "07042019", "11302026"} << false;
        QTest::newRow("the dates swapped")
            << anna << QStringList{"Smith", "Anna", "11302026", "07042019"} << false;
        QTest::newRow("a letter moved from one name to the other")
            << QStringList{"Ann", "Lee", "07042019", "11302026"}
            << QStringList{"An", "nLee", "07042019", "11302026"} << false;
        QTest::newRow("a blank inside a name counts")
            << QStringList{"Van Dyke", "Jo", "07042019", "11302026"}
            << QStringList{"VanDyke", "Jo", "07042019", "11302026"} << false;
        QTest::newRow("both first names blank")
            << QStringList{"Smith", "", "07042019", "11302026"}
            << QStringList{"Smith", "", "07042019", "11302026"} << false;
        QTest::newRow("both dates taken blank")
            << QStringList{"Smith", "Anna", "07042019", ""}
            << QStringList{"Smith", "Anna", "07042019", ""} << false;
        QTest::newRow("both last names blanks only")
            << QStringList{"   ", "Anna", "07042019", "11302026"}
            << QStringList{"   ", "Anna", "07042019", "11302026"} << false;
    }
    void duplicate() {
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QFETCH(bool, duplicate);
        ResultRecord a = patient(first);
        ResultRecord b = patient(second);
        // Only the patient and the dates count, never the result or the address.
        b.set(ResultRecord::PbResult, "44.0");
        b.set(ResultRecord::StreetName, "Elm Street");
        QCOMPARE(DuplicateRule::isPossibleDuplicate(a, b), duplicate);
        QCOMPARE(DuplicateRule::isPossibleDuplicate(b, a), duplicate);
        const QString key = DuplicateRule::duplicateKey(a);
        bool anyBlank = false;
        for (const QString& field : first)
            anyBlank = anyBlank || field.trimmed().isEmpty();
        QCOMPARE(key.isEmpty(), anyBlank);
        // The stored fields and the fields as read from a submission file give the same key.
        QCOMPARE(DuplicateRule::duplicateKey(
                     a.trimmed(ResultRecord::LastName), a.trimmed(ResultRecord::FirstName),
                     a.trimmed(ResultRecord::DateOfBirth), a.trimmed(ResultRecord::DateTaken)),
                 key);
    }
};

QTEST_GUILESS_MAIN(tst_RecordList)
#include "tst_RecordList.moc"
