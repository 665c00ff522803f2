#include "support/MainWindowFixture.h"
#include "support/TestRecords.h"
#include "window/main/MainWindowController.h"
#include "window/main/SubmissionCommand.h"
#include "window/main/frmKorvanel.h"

#include <QApplication>
#include <QTest>

Q_DECLARE_METATYPE(ResultRecord)

// IsIncompleteRecord on the record the window shows: the one message, the field that gets the
// focus, and the rewrite of a complete record stored under an older provider code.
class tst_CompletenessCheck : public QObject {
    Q_OBJECT

    struct Outcome {
        bool incomplete = false;
        QList<ScriptedMessageService::Message> messages;
        QString focus;
        QByteArray fileBefore;
        QByteArray fileAfter;
    };

    // Starts on this one record with the given provider file and runs the check on it.
    static Outcome check(const ResultRecord& record, const QByteArray& providerFile) {
        MainWindowFixture fixture;
        fixture.setProviderFile(providerFile);
        fixture.writeRecords({record});
        Outcome outcome;
        if (!fixture.start())
            return outcome;
        fixture.messages.messages.clear(); // what start-up said about the provider code
        outcome.fileBefore = fixture.readFile("AppData/Korvanel.dat");
        fixture.form().cmdNew->setFocus(Qt::OtherFocusReason);
        outcome.incomplete = fixture.controller().submission().IsIncompleteRecord();
        outcome.messages = fixture.messages.messages;
        if (QWidget* focus = QApplication::focusWidget())
            outcome.focus = focus->objectName();
        outcome.fileAfter = fixture.readFile("AppData/Korvanel.dat");
        return outcome;
    }

    static ResultRecord without(ResultRecord::Field field) {
        ResultRecord record = MainWindowFixture::completeRecord();
        record.set(field, QString());
        return record;
    }

private slots:
    void theFirstGapIsReported_data() {
        QTest::addColumn<ResultRecord>("record");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        using F = ResultRecord;
        const struct {
            F::Field field;
            const char* message;
            const char* focus;
        } gaps[] = {
            {F::DateTaken, "Missing Date Taken.", "mskDateTaken"},
            {F::LastName, "Missing Last Name.", "txtLastName"},
            {F::FirstName, "Missing First Name.", "txtFirstName"},
            {F::DateOfBirth, "Missing Date of Birth.", "mskDateOfBirth"},
            {F::StreetNumber, "Missing Street Number.", "txtStreetNumber"},
            {F::StreetName, "Missing Street Name.", "txtStreetName"},
            {F::City, "Missing City Name.", "cboCity"},
            {F::Zip, "Missing Zip Code.", "cboZip"},
            {F::PhoneNumber, "Missing Phone Number.", "mskPhone"},
            {F::AnalysisDate, "Missing Analysis Date.", "mskAnalysisDate"},
            {F::PbResult, "Missing Pb Result.", "txtPb"},
        };
        for (const auto& gap : gaps)
            QTest::newRow(gap.message) << without(gap.field) << gap.message << gap.focus;

        ResultRecord blank = TestRecords::newRecord("123456");
        QTest::newRow("every field blank") << blank << "Missing Date Taken."
                                           << "mskDateTaken";
        ResultRecord twoGaps = without(F::City);
        twoGaps.set(F::FirstName, "   ");
        QTest::newRow("only the first of two gaps") << twoGaps << "Missing First Name."
                                                    << "txtFirstName";
    }
    void theFirstGapIsReported() {
        QFETCH(ResultRecord, record);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        const Outcome outcome = check(record, "123456");
        QVERIFY(outcome.incomplete);
        QCOMPARE(outcome.messages.size(), 1);
        QCOMPARE(outcome.messages[0].text, message);
        QCOMPARE(outcome.messages[0].title, QString("Record Incomplete Error"));
        QCOMPARE(outcome.messages[0].buttons, MessageButtons::Ok);
        QCOMPARE(outcome.messages[0].icon, MessageIcon::None);
        QCOMPARE(outcome.focus, focus);
        QCOMPARE(outcome.fileAfter, outcome.fileBefore);
    }

    void fieldsThatAreNotTestedPass_data() {
        QTest::addColumn<ResultRecord>("record");
        using F = ResultRecord;
        ResultRecord low = without(F::PbResult);
        low.set(F::BelowDetection, "1");
        QTest::newRow("Low Result") << low;
        ResultRecord untested = MainWindowFixture::completeRecord();
        for (F::Field field : {F::MiddleInitial, F::AptNumber, F::ParentsFirst, F::ParentsLast,
                               F::PhoneAreaCode, F::Physician})
            untested.set(field, QString());
        QTest::newRow("optional fields blank") << untested;
    }
    void fieldsThatAreNotTestedPass() {
        QFETCH(ResultRecord, record);
        const Outcome outcome = check(record, "123456");
        QVERIFY(!outcome.incomplete);
        QVERIFY(outcome.messages.isEmpty());
        QCOMPARE(outcome.fileAfter, outcome.fileBefore);
    }

    void providerCodeNotSet_data() {
        QTest::addColumn<QByteArray>("providerFile");
        QTest::newRow("000000") << QByteArray("000000");
        QTest::newRow("blank") << QByteArray("      ");
    }
    void providerCodeNotSet() {
        QFETCH(QByteArray, providerFile);
        const Outcome outcome = check(MainWindowFixture::completeRecord(), providerFile);
        QVERIFY(outcome.incomplete);
        QCOMPARE(outcome.messages.size(), 1);
        QCOMPARE(outcome.messages[0].text,
                 QString("Provider Code has not been set.\r\nPlease use the Provider Code "
                         "assigned to the you by the State of Calmoria."));
        QCOMPARE(outcome.messages[0].title, QString("Provider Code Error"));
        QCOMPARE(outcome.messages[0].buttons, MessageButtons::Ok);
        QCOMPARE(outcome.messages[0].icon, MessageIcon::None);
        QCOMPARE(outcome.focus, QString("mskDateTaken"));
        QCOMPARE(outcome.fileAfter, outcome.fileBefore);
    }

    void aRecordUnderAnOlderProviderCodeIsRewritten() {
        ResultRecord older = MainWindowFixture::completeRecord();
        older.set(ResultRecord::ProviderCode, "654321");
        const Outcome outcome = check(older, "123456");
        QVERIFY(!outcome.incomplete);
        QVERIFY(outcome.messages.isEmpty());
        ResultRecord expected = older;
        expected.set(ResultRecord::ProviderCode, "123456");
        QCOMPARE(outcome.fileAfter, expected.encode());
        QCOMPARE(outcome.focus, QString("mskDateTaken"));
    }
};

QTEST_MAIN(tst_CompletenessCheck)
#include "tst_CompletenessCheck.moc"
