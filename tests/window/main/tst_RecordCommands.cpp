#include "storage/RecordStore.h"
#include "support/MainWindowFixture.h"
#include "support/PermissionBits.h"
#include "support/TestRecords.h"
#include "window/main/MainMenu.h"
#include "window/main/MainWindowController.h"
#include "window/main/RecordNavigation.h"
#include "window/main/frmKorvanel.h"
#include "window/widgets/MaskedEdit.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QTest>

// The record commands driven through their buttons on a real program folder: what is stored,
// what the window shows, which buttons are on, and what the operator is told.
class tst_RecordCommands : public QObject {
    Q_OBJECT

    static QList<ResultRecord> fiveRecords() {
        QList<ResultRecord> records;
        for (const char* name : {"Adams", "Baker", "Clark", "Davis", "Evans"})
            records.append(MainWindowFixture::completeRecord(QLatin1String(name)));
        return records;
    }

    static bool startWith(MainWindowFixture& fixture, const QList<ResultRecord>& records) {
        fixture.setProviderFile("123456");
        if (!records.isEmpty())
            fixture.writeRecords(records);
        return fixture.start();
    }

    static void click(QPushButton* button) {
        QVERIFY2(button->isEnabled(), qPrintable(button->objectName() + " is disabled"));
        QTest::mouseClick(button, Qt::LeftButton);
    }

    static void typeInto(QLineEdit* box, const QString& text) {
        box->setFocus(Qt::OtherFocusReason);
        box->selectAll();
        QTest::keyClicks(box, text);
    }

    static QString titlePosition(MainWindowFixture& fixture) {
        const QString title = fixture.window().windowTitle();
        return title.mid(title.lastIndexOf(QLatin1Char('(')));
    }

    // The enabled state of New, Previous, Next, Print, Create Electronic File, Update, Exit,
    // then the caption of Delete.
    static QString buttonStates(MainWindowFixture& fixture) {
        Ui::frmKorvanel& c = fixture.form();
        QString states;
        for (QPushButton* button : {c.cmdNew, c.cmdPrevious, c.cmdNext, c.cmdPrint, c.cmdWriteEFile,
                                    c.cmdUpdate, c.cmdExit})
            states += button->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        return states + QLatin1Char(' ') + c.cmdDelete->text();
    }

    static bool focusIn(QWidget* control) { return QApplication::focusWidget() == control; }

private slots:

    void newOnAnEditedRecordStoresItAndShowsABlankRecordAtTheEnd() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fiveRecords()));
        QCOMPARE(buttonStates(fixture), QString("1111111 Delete Record"));
        click(fixture.form().cmdNext);
        typeInto(fixture.form().txtLastName, "Edited");
        click(fixture.form().cmdNew);

        const QList<ResultRecord> stored = fixture.storedRecords();
        QCOMPARE(stored.size(), 5);
        QCOMPARE(stored[1].trimmed(ResultRecord::LastName), QString("Edited"));
        QCOMPARE(stored[0], fiveRecords()[0]);
        QCOMPARE(titlePosition(fixture), QString("(Record 6 of 6)"));
        QCOMPARE(fixture.state().CurrentRecord, 6);
        QCOMPARE(fixture.state().RecordCount, 6);
        QCOMPARE(fixture.state().EditMode, Editing::NewRecord);
        QCOMPARE(buttonStates(fixture), QString("0000011 Cancel"));

        Ui::frmKorvanel& c = fixture.form();
        QCOMPARE(c.txtLastName->text(), QString());
        QCOMPARE(c.mskDateTaken->rawValue(), QString());
        QCOMPARE(c.cboCity->currentText(), QString());
        QVERIFY(c.optFemale->isChecked());
        QVERIFY(c.optCapillary->isChecked());
        QCOMPARE(c.cboRaceCode->currentText(), QString("Unknown (7)"));
        QCOMPARE(c.cboAncestry->currentText(), QString("Unknown (19)"));
        QVERIFY(c.optPbResult->isChecked());
        QVERIFY(c.txtPb->isEnabled());
        QCOMPARE(c.txtPb->text(), QString());
        QCOMPARE(c.txtProviderCode->text(), QString("123456"));
        QCOMPARE(c.txtAnalysisMethod->text(), QString("HHLA"));
        QVERIFY(focusIn(c.mskDateTaken));
        QVERIFY(fixture.messages.messages.isEmpty());
    }

    // New Result for This Child is New Record with the shown child's fields, as saved first
    // (an edit included), and nothing else: every field of the stored retest, by field.
    void newResultForThisChildCopiesTheChildAndNothingElse() {
        using F = ResultRecord;
        ResultRecord child = MainWindowFixture::completeRecord("Okafor");
        child.set(F::FirstName, "Chidi");
        child.set(F::MiddleInitial, "Q");
        child.set(F::Sex, "M");
        child.set(F::StreetNumber, "1420");
        child.set(F::StreetName, "Elm Street");
        child.set(F::AptNumber, "12");
        child.set(F::City, "Springfield");
        child.set(F::Zip, "90211");
        child.set(F::ParentsFirst, "Ada");
        child.set(F::ParentsLast, "Okafor-Ude");
        child.set(F::RaceCode, "1");
        child.set(F::Ancestry, "20");
        child.set(F::PbResult, "66.0"); // a High Result, venous
        child.set(F::TestType, "V");
        child.set(F::Physician, "Dr. Who");
        QList<ResultRecord> records = fiveRecords();
        records[1] = child;
        MainWindowFixture fixture;
        fixture.writeFile("AppData/cmcityzip.txt",
                          "Springfield,X,90210,90211\r\nOgdenville,Y,90300\r\n");
        QVERIFY(startWith(fixture, records));
        Ui::frmKorvanel& c = fixture.form();
        click(c.cmdNext);
        typeInto(c.txtFirstName, "Chidera"); // saved first, and copied as saved
        QAction* retest = fixture.controller().menu().newResultForThisChild();
        QVERIFY(retest->isEnabled());
        retest->trigger();

        QCOMPARE(fixture.storedRecords().at(1).trimmed(F::FirstName), QString("Chidera"));
        QCOMPARE(titlePosition(fixture), QString("(Record 6 of 6)"));
        QCOMPARE(fixture.state().EditMode, Editing::NewRecord);
        QCOMPARE(buttonStates(fixture), QString("0000011 Cancel"));
        QVERIFY(focusIn(c.mskDateTaken));
        QVERIFY(!retest->isEnabled());
        // The zip list offers the copied city's zip codes, the copied zip chosen.
        QStringList zips;
        for (int i = 0; i < c.cboZip->count(); ++i)
            zips << c.cboZip->itemText(i);
        QCOMPARE(zips, (QStringList{"", "90210", "90211"}));
        QCOMPARE(c.cboZip->currentIndex(), 2);
        click(c.cmdUpdate);

        ResultRecord saved = child;
        saved.set(F::FirstName, "Chidera");
        const ResultRecord retestRecord = fixture.storedRecords().at(5);
        // What an untouched New Record stores in the fields that are not the child's.
        ResultRecord fresh = TestRecords::newRecord("123456");
        fresh.set(F::TestType, "C");
        fresh.set(F::BelowDetection, "0");
        const struct {
            F::Field field;
            bool copied;
        } fields[] = {
            {F::DateTaken, false},   {F::LastName, true},
            {F::FirstName, true},    {F::MiddleInitial, true},
            {F::DateOfBirth, true},  {F::Sex, true},
            {F::StreetNumber, true}, {F::StreetName, true},
            {F::AptNumber, true},    {F::City, true},
            {F::Zip, true},          {F::ParentsFirst, true},
            {F::ParentsLast, true},  {F::PhoneAreaCode, true},
            {F::PhoneNumber, true},  {F::RaceCode, true},
            {F::Ancestry, true},     {F::AnalysisDate, false},
            {F::PbResult, false},    {F::BelowDetection, false},
            {F::TestType, false},    {F::ProviderCode, false},
            {F::Physician, true},    {F::AnalysisMethod, false},
            {F::LineEnd, false},
        };
        QCOMPARE(int(std::size(fields)), int(F::FieldCount));
        for (const auto& line : fields) {
            const QString expected = (line.copied ? saved : fresh).get(line.field);
            QVERIFY2(retestRecord.get(line.field) == expected,
                     qPrintable(QString("field %1: \"%2\", expected \"%3\"")
                                    .arg(int(line.field))
                                    .arg(retestRecord.get(line.field), expected)));
        }
        QVERIFY(fixture.messages.messages.isEmpty());
    }

    // The menu entry is on exactly while New Record is: off for a new record and for the first
    // record of an empty file, on again after Update or Cancel; its key does nothing while off.
    void newResultForThisChildFollowsNewRecord() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fiveRecords()));
        Ui::frmKorvanel& c = fixture.form();
        QAction* retest = fixture.controller().menu().newResultForThisChild();
        auto same = [&] { return retest->isEnabled() == c.cmdNew->isEnabled(); };
        QVERIFY(retest->isEnabled());
        click(c.cmdNew);
        QVERIFY(same());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_N,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(titlePosition(fixture), QString("(Record 6 of 6)"));
        click(c.cmdDelete); // Cancel
        QVERIFY(retest->isEnabled() && same());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_N,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(titlePosition(fixture), QString("(Record 6 of 6)"));
        QCOMPARE(c.txtLastName->text(), QString("Evans"));
        click(c.cmdUpdate);
        QVERIFY(retest->isEnabled() && same());
        QCOMPARE(fixture.storedRecords().size(), 6);

        MainWindowFixture empty;
        QVERIFY(startWith(empty, {}));
        QVERIFY(!empty.controller().menu().newResultForThisChild()->isEnabled());
        click(empty.form().cmdUpdate);
        QVERIFY(empty.controller().menu().newResultForThisChild()->isEnabled());
    }

    void cancelOfANewRecordShowsTheLastStoredRecord() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fiveRecords()));
        click(fixture.form().cmdNext);
        click(fixture.form().cmdNew);
        typeInto(fixture.form().txtLastName, "Dropped");
        click(fixture.form().cmdDelete);

        QCOMPARE(titlePosition(fixture), QString("(Record 5 of 5)"));
        QCOMPARE(fixture.state().CurrentRecord, 5);
        QCOMPARE(fixture.state().RecordCount, 5);
        QCOMPARE(fixture.form().txtLastName->text(), QString("Evans"));
        QCOMPARE(buttonStates(fixture), QString("1111111 Delete"));
        QVERIFY(fixture.state().EditMode != Editing::NewRecord);
        QCOMPARE(fixture.storedRecords(), fiveRecords());
        QVERIFY(fixture.messages.messages.isEmpty());
        QVERIFY(!fixture.exitCode);
    }

    void exitOnAnUntouchedNewRecordStoresItWithItsDefaults() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fiveRecords()));
        click(fixture.form().cmdNew);
        click(fixture.form().cmdExit);

        QCOMPARE(fixture.exitCode, std::optional<int>(0));
        QVERIFY(!fixture.controller().store().isOpen());
        const QList<ResultRecord> stored = fixture.storedRecords();
        QCOMPARE(stored.size(), 6);
        ResultRecord expected = TestRecords::newRecord("123456");
        expected.set(ResultRecord::Sex, "F");
        expected.set(ResultRecord::TestType, "C");
        expected.set(ResultRecord::RaceCode, "7");
        expected.set(ResultRecord::Ancestry, "19");
        expected.set(ResultRecord::BelowDetection, "0");
        QCOMPARE(stored[5].encode(), expected.encode());
        QCOMPARE(stored[5].get(ResultRecord::AnalysisMethod), QString("HHLA "));
    }

    void exitWhileBrowsingSavesTheRecordShown() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fiveRecords()));
        typeInto(fixture.form().txtFirstName, "Zoe");
        click(fixture.form().cmdExit);
        QCOMPARE(fixture.exitCode, std::optional<int>(0));
        QCOMPARE(fixture.storedRecords()[0].trimmed(ResultRecord::FirstName), QString("Zoe"));
        QCOMPARE(fixture.storedRecords().size(), 5);
    }

    void cancelOfTheFirstRecordEndsWithTheFileEmpty() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, {}));
        QCOMPARE(buttonStates(fixture), QString("0000011 Cancel"));
        typeInto(fixture.form().txtLastName, "Never");
        click(fixture.form().cmdDelete);

        QCOMPARE(fixture.exitCode, std::optional<int>(0));
        QVERIFY(fixture.exists("AppData/Korvanel.dat"));
        QCOMPARE(fixture.readFile("AppData/Korvanel.dat"), QByteArray());
        QVERIFY(fixture.messages.messages.isEmpty());
    }

    // The button reads "Delete Record" when the window opens; it becomes "Delete" once a new
    // record has been saved or cancelled and stays so.
    void updateOfTheFirstRecordStoresItAndEnablesEveryButton() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, {}));
        typeInto(fixture.form().txtLastName, "First");
        click(fixture.form().cmdUpdate);

        const QList<ResultRecord> stored = fixture.storedRecords();
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0].trimmed(ResultRecord::LastName), QString("First"));
        QCOMPARE(buttonStates(fixture), QString("1111111 Delete"));
        QCOMPARE(fixture.state().FirstRecord, false);
        QCOMPARE(fixture.state().EditMode, Editing::StoredRecord);
        QCOMPARE(titlePosition(fixture), QString("(Record 1 of 1)"));
        QCOMPARE(fixture.form().txtLastName->text(), QString("First"));
        QVERIFY(focusIn(fixture.form().mskDateTaken));

        // From now on Cancel drops a new record instead of ending the program.
        click(fixture.form().cmdNew);
        click(fixture.form().cmdDelete);
        QVERIFY(!fixture.exitCode);
        QCOMPARE(titlePosition(fixture), QString("(Record 1 of 1)"));
    }

    // A file in Submit that cannot be read never makes a saved record look unsaved: the first
    // Update of a new record names it in one box that says the record was saved, the check still
    // finds the duplicate in the data file, and later Updates do not name it again.
    void updateWithAFileInSubmitThatCannotBeRead() {
        MainWindowFixture fixture;
        const QString locked = "Submit/Lead_123456_20250105_093000_0001.txt";
        fixture.writeFile(locked, MainWindowFixture::completeRecord("Okafor").encode());
        // Locked before the start: Submit is read once the window is drawn.
        QVERIFY(PermissionBits::lockOut(fixture.path(locked)));
        const PermissionBits bits;
        if (!bits.applies())
            QSKIP("This test cannot set aside root's override of the permission bits.");
        QVERIFY(startWith(fixture, fiveRecords()));
        Ui::frmKorvanel& c = fixture.form();
        for (int pass = 0; pass < 2; ++pass) {
            click(c.cmdNew);
            typeInto(c.txtLastName, "Clark");
            typeInto(c.txtFirstName, "Anna");
            c.mskDateOfBirth->setRawValue("07042019");
            c.mskDateTaken->setRawValue("11302026");
            click(c.cmdUpdate);
            QCOMPARE(fixture.storedRecords().size(), 6 + pass);
            QCOMPARE(fixture.storedRecords().last().trimmed(ResultRecord::LastName),
                     QString("Clark"));
            QStringList told;
            for (const auto& message : fixture.messages.messages)
                told << message.title + ": " + message.text.section("\r\n", 0, 0);
            QStringList expected;
            if (pass == 0) {
                expected << "File Error: The record was saved, but it could not be compared with "
                            "every other record for possible duplicates.";
                QVERIFY(fixture.messages.messages.at(0).text.contains(
                    "1 file could not be read and was not checked:\r\n" + fixture.path(locked)));
            }
            expected << "Possible Duplicate: Record 3 of the data file has the same patient and "
                        "dates as the record just saved:";
            QCOMPARE(told, expected);
            fixture.messages.messages.clear();
        }
    }

    void deleteCaptionKeepsItsFormTextUntilANewRecordIsDone() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fiveRecords()));
        click(fixture.form().cmdNext);
        click(fixture.form().cmdUpdate);
        click(fixture.form().cmdDelete); // answered Yes
        QCOMPARE(buttonStates(fixture), QString("1111111 Delete Record"));
        click(fixture.form().cmdNew);
        QCOMPARE(buttonStates(fixture), QString("0000011 Cancel"));
        click(fixture.form().cmdUpdate);
        QCOMPARE(buttonStates(fixture), QString("1111111 Delete"));
        QCOMPARE(fixture.storedRecords().size(), 5);
    }

    void endOfFileMessages_data() {
        QTest::addColumn<bool>("next");
        QTest::addColumn<int>("startAt");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::newRow("Next on 5 of 5") << true << 5 << "End of file encountered!"
                                        << "Last Record";
        QTest::newRow("Previous on 1 of 5") << false << 1 << "Beginning of file encountered!"
                                            << "First Record";
    }
    void endOfFileMessages() {
        QFETCH(bool, next);
        QFETCH(int, startAt);
        QFETCH(QString, text);
        QFETCH(QString, title);
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fiveRecords()));
        for (int record = 1; record < startAt; ++record)
            click(fixture.form().cmdNext);
        const QString before = fixture.window().windowTitle();
        int beepsWhenShown = -1;
        fixture.messages.whileOpen = [&](const ScriptedMessageService::Message&) {
            beepsWhenShown = fixture.messages.beeps;
        };
        click(next ? fixture.form().cmdNext : fixture.form().cmdPrevious);

        QCOMPARE(fixture.messages.beeps, 1);
        QCOMPARE(beepsWhenShown, 1); // the beep comes first
        QCOMPARE(fixture.messages.messages.size(), 1);
        const ScriptedMessageService::Message shown = fixture.messages.messages[0];
        QCOMPARE(shown.text, text);
        QCOMPARE(shown.title, title);
        QCOMPARE(shown.buttons, MessageButtons::Ok);
        QCOMPARE(shown.icon, MessageIcon::Warning);
        QCOMPARE(fixture.state().CurrentRecord, startAt);
        QCOMPARE(fixture.window().windowTitle(), before);
    }

    void anEditIsLostOnNextUnlessUpdatedFirst() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fiveRecords()));
        typeInto(fixture.form().txtLastName, "Lost");
        click(fixture.form().cmdNext);
        click(fixture.form().cmdPrevious);
        QCOMPARE(fixture.form().txtLastName->text(), QString("Adams"));
        QCOMPARE(fixture.storedRecords(), fiveRecords());

        typeInto(fixture.form().txtLastName, "Kept");
        click(fixture.form().cmdUpdate);
        QCOMPARE(fixture.form().txtLastName->text(), QString("Kept")); // window left as it is
        click(fixture.form().cmdNext);
        QCOMPARE(fixture.form().txtLastName->text(), QString("Baker"));
        click(fixture.form().cmdPrevious);
        QCOMPARE(fixture.form().txtLastName->text(), QString("Kept"));
        QCOMPARE(fixture.storedRecords()[0].trimmed(ResultRecord::LastName), QString("Kept"));
    }

    void deleteAnsweredNoKeepsTheTypedChanges() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fiveRecords()));
        click(fixture.form().cmdNext);
        typeInto(fixture.form().txtLastName, "Typed");
        fixture.messages.queueAnswer(MessageAnswer::No);
        click(fixture.form().cmdDelete);

        QCOMPARE(fixture.messages.messages.size(), 1);
        const ScriptedMessageService::Message asked = fixture.messages.messages[0];
        QCOMPARE(asked.text, QString("Delete this record?"));
        QCOMPARE(asked.title, QString("Delete Record Confirmation"));
        QCOMPARE(asked.buttons, MessageButtons::YesNo);
        QCOMPARE(asked.icon, MessageIcon::None);
        QCOMPARE(fixture.form().txtLastName->text(), QString("Typed"));
        QVERIFY(focusIn(fixture.form().mskDateTaken));
        QCOMPARE(fixture.state().CurrentRecord, 2);
        QCOMPARE(fixture.state().RecordCount, 5);
        QCOMPARE(fixture.storedRecords(), fiveRecords());
    }

    void deleteAnsweredYes_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("deleteAt");
        QTest::addColumn<QString>("shownAfter");
        QTest::addColumn<QString>("lastNameAfter");
        QTest::newRow("2 of 5 shows the next as 2 of 4") << 5 << 2 << "(Record 2 of 4)"
                                                         << "Clark";
        QTest::newRow("3 of 3 shows 2 of 2") << 3 << 3 << "(Record 2 of 2)"
                                             << "Baker";
        QTest::newRow("the only record leaves 1 of 1 blank") << 1 << 1 << "(Record 1 of 1)"
                                                             << "";
    }
    void deleteAnsweredYes() {
        QFETCH(int, records);
        QFETCH(int, deleteAt);
        QFETCH(QString, shownAfter);
        QFETCH(QString, lastNameAfter);
        MainWindowFixture fixture;
        QList<ResultRecord> stored = fiveRecords().mid(0, records);
        QVERIFY(startWith(fixture, stored));
        for (int record = 1; record < deleteAt; ++record)
            click(fixture.form().cmdNext);
        typeInto(fixture.form().txtFirstName, "Discarded");
        click(fixture.form().cmdDelete);

        stored.removeAt(deleteAt - 1);
        QCOMPARE(fixture.storedRecords(), stored);
        QCOMPARE(titlePosition(fixture), shownAfter);
        QCOMPARE(fixture.form().txtLastName->text(), lastNameAfter);
        QCOMPARE(buttonStates(fixture), QString("1111111 Delete Record"));
        QVERIFY(focusIn(fixture.form().mskDateTaken));
        QCOMPARE(fixture.messages.messages.size(), 1); // the confirmation only
        QVERIFY(!fixture.exitCode);
    }

    // After the only record is deleted the window browses record 1 of an empty file; saving
    // it stores it as record 1.
    void theBlankRecordAfterDeletingTheOnlyOneCanBeSaved() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fiveRecords().mid(0, 1)));
        click(fixture.form().cmdDelete);
        QCOMPARE(fixture.readFile("AppData/Korvanel.dat"), QByteArray());
        typeInto(fixture.form().txtLastName, "Again");
        click(fixture.form().cmdUpdate);
        QCOMPARE(fixture.storedRecords().size(), 1);
        QCOMPARE(fixture.storedRecords()[0].trimmed(ResultRecord::LastName), QString("Again"));
    }

    // RecordCount and CurrentRecord after a delete.
    void positionAfterDelete_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("newCount");
        QTest::addColumn<int>("newCurrent");
        QTest::newRow("first of five") << 5 << 1 << 4 << 1;
        QTest::newRow("last of five") << 5 << 5 << 4 << 4;
        QTest::newRow("middle of three") << 3 << 2 << 2 << 2;
        QTest::newRow("last of three") << 3 << 3 << 2 << 2;
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

QTEST_MAIN(tst_RecordCommands)
#include "tst_RecordCommands.moc"
