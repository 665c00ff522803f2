#include "reference/ProviderCode.h"
#include "support/TestRecords.h"
#include "validation/Completeness.h"

#include <QTest>

namespace {

const QString kCode = QStringLiteral("123456");

ResultRecord completeRecord() {
    ResultRecord record = TestRecords::newRecord(kCode);
    record.set(ResultRecord::DateTaken, "03012025");
    record.set(ResultRecord::LastName, "Smith");
    record.set(ResultRecord::FirstName, "Ann");
    record.set(ResultRecord::DateOfBirth, "07041950");
    record.set(ResultRecord::StreetNumber, "12");
    record.set(ResultRecord::StreetName, "Main St");
    record.set(ResultRecord::City, "Springfield");
    record.set(ResultRecord::Zip, "00011");
    record.set(ResultRecord::PhoneAreaCode, "555");
    record.set(ResultRecord::PhoneNumber, "123-4567");
    record.set(ResultRecord::AnalysisDate, "03022025");
    record.set(ResultRecord::PbResult, "12.5");
    record.set(ResultRecord::BelowDetection, "0");
    record.set(ResultRecord::TestType, "V");
    return record;
}

} // namespace

class tst_Completeness : public QObject {
    Q_OBJECT
private slots:
    void firstGapIsReported_data() {
        QTest::addColumn<QList<int>>("blankFields");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("focus");

        using R = ResultRecord;
        QTest::newRow("date taken")
            << QList<int>{R::DateTaken} << "Missing Date Taken." << int(R::DateTaken);
        QTest::newRow("last name")
            << QList<int>{R::LastName} << "Missing Last Name." << int(R::LastName);
        QTest::newRow("first name")
            << QList<int>{R::FirstName} << "Missing First Name." << int(R::FirstName);
        QTest::newRow("date of birth")
            << QList<int>{R::DateOfBirth} << "Missing Date of Birth." << int(R::DateOfBirth);
        QTest::newRow("street number")
            << QList<int>{R::StreetNumber} << "Missing Street Number." << int(R::StreetNumber);
        QTest::newRow("street name")
            << QList<int>{R::StreetName} << "Missing Street Name." << int(R::StreetName);
        QTest::newRow("city") << QList<int>{R::City} << "Missing City Name." << int(R::City);
        QTest::newRow("zip") << QList<int>{R::Zip} << "Missing Zip Code." << int(R::Zip);
        QTest::newRow("phone number")
            << QList<int>{R::PhoneNumber} << "Missing Phone Number." << int(R::PhoneNumber);
        QTest::newRow("analysis date")
            << QList<int>{R::AnalysisDate} << "Missing Analysis Date." << int(R::AnalysisDate);
        QTest::newRow("pb result")
            << QList<int>{R::PbResult} << "Missing Pb Result." << int(R::PbResult);
        QTest::newRow("result with blank flag") << QList<int>{R::PbResult, R::BelowDetection}
                                                << "Missing Pb Result." << int(R::PbResult);
        QTest::newRow("only the first of several")
            << QList<int>{R::Zip, R::StreetName, R::AnalysisDate} << "Missing Street Name."
            << int(R::StreetName);
        // Each test against its neighbour: both blank, the earlier one is reported.
        QTest::newRow("date taken before last name")
            << QList<int>{R::DateTaken, R::LastName} << "Missing Date Taken." << int(R::DateTaken);
        QTest::newRow("last name before first name")
            << QList<int>{R::LastName, R::FirstName} << "Missing Last Name." << int(R::LastName);
        QTest::newRow("first name before date of birth")
            << QList<int>{R::FirstName, R::DateOfBirth} << "Missing First Name."
            << int(R::FirstName);
        QTest::newRow("date of birth before street number")
            << QList<int>{R::DateOfBirth, R::StreetNumber} << "Missing Date of Birth."
            << int(R::DateOfBirth);
        QTest::newRow("street number before street name")
            << QList<int>{R::StreetNumber, R::StreetName} << "Missing Street Number."
            << int(R::StreetNumber);
        QTest::newRow("street name before city")
            << QList<int>{R::StreetName, R::City} << "Missing Street Name." << int(R::StreetName);
        QTest::newRow("city before zip")
            << QList<int>{R::City, R::Zip} << "Missing City Name." << int(R::City);
        QTest::newRow("zip before phone number")
            << QList<int>{R::Zip, R::PhoneNumber} << "Missing Zip Code." << int(R::Zip);
        QTest::newRow("phone number before analysis date")
            << QList<int>{R::PhoneNumber, R::AnalysisDate} << "Missing Phone Number."
            << int(R::PhoneNumber);
        QTest::newRow("analysis date before pb result")
            << QList<int>{R::AnalysisDate, R::PbResult} << "Missing Analysis Date."
            << int(R::AnalysisDate);
        QList<int> all;
        for (int field = 0; field < R::FieldCount; ++field)
            all << field;
        QTest::newRow("every field blank") << all << "Missing Date Taken." << int(R::DateTaken);
    }
    void firstGapIsReported() {
        QFETCH(QList<int>, blankFields);
        QFETCH(QString, message);
        QFETCH(int, focus);
        ResultRecord record = completeRecord();
        for (int field : blankFields)
            record.set(static_cast<ResultRecord::Field>(field), "  ");
        const CompletenessDecision decision = Completeness::decideIsIncompleteRecord(record, kCode);
        QVERIFY(decision.incomplete);
        QCOMPARE(decision.title, QString("Record Incomplete Error"));
        QCOMPARE(decision.message, message);
        QCOMPARE(int(decision.focusField), focus);
        QVERIFY(!decision.rewriteRecord);
    }

    // Every gap, in the order the check tests them, each worded as the check words it.
    void everyGapInOrder_data() {
        QTest::addColumn<QList<int>>("blankFields");
        QTest::addColumn<QString>("providerCode");
        QTest::addColumn<QStringList>("messages");

        using R = ResultRecord;
        QTest::newRow("complete") << QList<int>{} << kCode << QStringList{};
        QTest::newRow("given out of order")
            << QList<int>{R::AnalysisDate, R::Zip, R::LastName} << kCode
            << QStringList{"Missing Last Name.", "Missing Zip Code.", "Missing Analysis Date."};
        QTest::newRow("result and provider code last")
            << QList<int>{R::PbResult, R::DateTaken} << "000000"
            << QStringList{"Missing Date Taken.", "Missing Pb Result.",
                           "Provider Code has not been set.\r\nPlease use the Provider Code "
                           "assigned to the you by the State of Calmoria."};
        QTest::newRow("untested fields are no gap")
            << QList<int>{R::MiddleInitial, R::AptNumber, R::PhoneAreaCode, R::Physician} << kCode
            << QStringList{};
        QList<int> all;
        for (int field = 0; field < R::FieldCount; ++field)
            all << field;
        QTest::newRow("every field blank")
            << all << kCode << QStringList{"Missing Date Taken.",    "Missing Last Name.",
                                           "Missing First Name.",    "Missing Date of Birth.",
                                           "Missing Street Number.", "Missing Street Name.",
                                           "Missing City Name.",     "Missing Zip Code.",
                                           "Missing Phone Number.",  "Missing Analysis Date.",
                                           "Missing Pb Result."};
    }
    void everyGapInOrder() {
        QFETCH(QList<int>, blankFields);
        QFETCH(QString, providerCode);
        QFETCH(QStringList, messages);
        ResultRecord record = completeRecord();
        for (int field : blankFields)
            record.set(static_cast<ResultRecord::Field>(field), " ");
        const QList<CompletenessDecision> gaps = Completeness::decideEveryGap(record, providerCode);
        QStringList found;
        for (const CompletenessDecision& gap : gaps) {
            QVERIFY(gap.incomplete);
            found << gap.message;
        }
        QCOMPARE(found, messages);
        const CompletenessDecision first =
            Completeness::decideIsIncompleteRecord(record, providerCode);
        QCOMPARE(first.incomplete, !gaps.isEmpty());
        if (!gaps.isEmpty()) {
            QCOMPARE(first.message, gaps.first().message);
            QCOMPARE(first.focusField, gaps.first().focusField);
        }
    }

    void untestedFieldsMayBeBlank() {
        ResultRecord record = completeRecord();
        for (auto field :
             {ResultRecord::MiddleInitial, ResultRecord::Sex, ResultRecord::AptNumber,
              ResultRecord::ParentsFirst, ResultRecord::ParentsLast, ResultRecord::PhoneAreaCode,
              ResultRecord::RaceCode, ResultRecord::Ancestry, ResultRecord::TestType,
              ResultRecord::Physician, ResultRecord::AnalysisMethod})
            record.set(field, "");
        const CompletenessDecision decision = Completeness::decideIsIncompleteRecord(record, kCode);
        QVERIFY(!decision.incomplete);
        QVERIFY(!decision.rewriteRecord);
    }

    void lowResultPassesResultTest() {
        ResultRecord record = completeRecord();
        record.set(ResultRecord::PbResult, "    ");
        record.set(ResultRecord::BelowDetection, "1");
        QVERIFY(!Completeness::decideIsIncompleteRecord(record, kCode).incomplete);
    }

    void providerCodeMustBeSet_data() {
        QTest::addColumn<QString>("currentCode");
        QTest::newRow("six blanks") << "      ";
        QTest::newRow("zeros") << "000000";
        QTest::newRow("no leading number") << "ABC123";
        QTest::newRow("slash") << "12/456";
        QTest::newRow("NUL") << QString::fromLatin1("12\0"
                                                    "456",
                                                    6);
        QTest::newRow("CR") << "12345\r";
        QTest::newRow("sign") << "-12345";
        QTest::newRow("point") << ".12345";
        QTest::newRow("leading blank") << " 12345";
        QTest::newRow("Latin-1") << QString::fromLatin1("\xe9\xe9\xe9\xe9\xe9\xe9");
    }
    void providerCodeMustBeSet() {
        QFETCH(QString, currentCode);
        const CompletenessDecision decision =
            Completeness::decideIsIncompleteRecord(completeRecord(), currentCode);
        QVERIFY(decision.incomplete);
        QCOMPARE(decision.title, QString("Provider Code Error"));
        QCOMPARE(decision.message, QString("Provider Code has not been set.\r\nPlease use the "
                                           "Provider Code assigned to the you by the State of "
                                           "Calmoria."));
        QCOMPARE(decision.focusField, ResultRecord::DateTaken);
    }

    void recordGapBeforeProviderCode() {
        ResultRecord record = completeRecord();
        record.set(ResultRecord::Zip, "");
        QCOMPARE(Completeness::decideIsIncompleteRecord(record, "      ").message,
                 QString("Missing Zip Code."));
        // The result is the last test before the provider code.
        record = completeRecord();
        record.set(ResultRecord::PbResult, "");
        const CompletenessDecision resultFirst =
            Completeness::decideIsIncompleteRecord(record, "      ");
        QCOMPARE(resultFirst.message, QString("Missing Pb Result."));
        QCOMPARE(resultFirst.focusField, ResultRecord::PbResult);
    }

    void rewriteOnlyForAnotherProviderCode() {
        ResultRecord record = completeRecord();
        QVERIFY(!Completeness::decideIsIncompleteRecord(record, kCode).rewriteRecord);
        const CompletenessDecision older = Completeness::decideIsIncompleteRecord(record, "654321");
        QVERIFY(!older.incomplete);
        QVERIFY(older.rewriteRecord);
        // Compared as they stand: a leading zero or blank is a different code.
        QVERIFY(Completeness::decideIsIncompleteRecord(record, "0123456").rewriteRecord);
        record.set(ResultRecord::ProviderCode, "12345");
        QVERIFY(!Completeness::decideIsIncompleteRecord(record, "12345 ").rewriteRecord);
        QVERIFY(Completeness::decideIsIncompleteRecord(record, "012345").rewriteRecord);
    }
};

QTEST_GUILESS_MAIN(tst_Completeness)
#include "tst_Completeness.moc"
