#include "Version.h"
#include "support/MainWindowFixture.h"
#include "window/main/MainWindowController.h"
#include "window/main/RecordPresenter.h"
#include "window/main/frmKorvanel.h"
#include "window/widgets/MaskedEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

namespace {

using F = ResultRecord;

ResultRecord with(ResultRecord record, std::initializer_list<std::pair<F::Field, QString>> values) {
    for (const auto& [field, value] : values)
        record.set(field, value);
    return record;
}

// Types text as a keyboard of any layout does: one key press per character, whatever its code.
void typeText(QWidget* target, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text.at(i).isHighSurrogate() ? 2 : 1;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text.mid(i, length));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, text.mid(i, length));
        QApplication::sendEvent(target, &press);
        QApplication::sendEvent(target, &release);
        i += length - 1;
    }
}

} // namespace

Q_DECLARE_METATYPE(ResultRecord)

// Showing a stored record in the window and capturing it back.
class tst_RecordDisplay : public QObject {
    Q_OBJECT

    // Starts on a file holding these records with provider code 654321 in force, a city list and
    // a physician list, and shows record number.
    static void showStored(MainWindowFixture& fixture, const QList<ResultRecord>& records,
                           int number = 1) {
        fixture.setProviderFile("654321");
        fixture.writeFile("AppData/cmcityzip.txt", "Springfield,X,90210,90211\r\nOgdenville,Y\r\n");
        fixture.writeFile("AppData/physician.txt", "Dr. Jones\r\nDr. Hibbert\r\n");
        fixture.writeRecords(records);
        QVERIFY(fixture.start());
        if (number != 1)
            QVERIFY(
                fixture.controller().presenter().showRecord(number, fixture.state().RecordCount));
    }

private slots:
    void displayThenCaptureGivesTheSameRecord_data() {
        QTest::addColumn<ResultRecord>("record");
        const ResultRecord full = MainWindowFixture::completeRecord();
        QTest::newRow("complete, venous, female") << full;
        QTest::newRow("male, capillary, other race, hispanic") << with(
            full, {{F::Sex, "M"}, {F::TestType, "C"}, {F::RaceCode, "6"}, {F::Ancestry, "20"}});
        QTest::newRow("every race and ancestry code")
            << with(full, {{F::RaceCode, "1"}, {F::Ancestry, "19"}});
        QTest::newRow("low result") << with(full, {{F::PbResult, ""}, {F::BelowDetection, "1"}});
        QTest::newRow("high result") << with(full, {{F::PbResult, "66.0"}});
        QTest::newRow("result at the bounds 3.3") << with(full, {{F::PbResult, "3.3"}});
        QTest::newRow("result at the bounds 65.0") << with(full, {{F::PbResult, "65.0"}});
        QTest::newRow("optional fields blank") << with(full, {{F::MiddleInitial, ""},
                                                              {F::AptNumber, ""},
                                                              {F::ParentsFirst, ""},
                                                              {F::ParentsLast, ""},
                                                              {F::Physician, ""}});
        QTest::newRow("every field at full width")
            << with(full, {{F::LastName, "Abcdefghijklmnopqrst"},
                           {F::FirstName, "Abcdefghijkl"},
                           {F::StreetNumber, "123456"},
                           {F::StreetName, "Abcdefghijklmnopqrst"},
                           {F::AptNumber, "12AB"},
                           {F::City, "Abcdefghijklmnopqrst"},
                           {F::ParentsFirst, "Abcdefghijkl"},
                           {F::ParentsLast, "Abcdefghijklmnopqrst"},
                           {F::Physician, "Dr. Abcdefghijklmnop"}});
        QTest::newRow("Windows-1252 letters") << with(
            full, {{F::LastName, "Nú\u00F1ez"}, {F::FirstName, "José"}, {F::City, "Cañon"}});
        QTest::newRow("city, zip and physician outside the lists") << with(
            full, {{F::City, "Shelbyville"}, {F::Zip, "99999"}, {F::Physician, "Dr. Nick"}});
        QTest::newRow("city of the list with a zip it does not offer")
            << with(full, {{F::City, "Springfield"}, {F::Zip, "12345"}});
        QTest::newRow("blank telephone")
            << with(full, {{F::PhoneAreaCode, ""}, {F::PhoneNumber, ""}});
        QTest::newRow("blank dates") << with(full, {{F::DateTaken, ""}, {F::AnalysisDate, ""}});
    }
    void displayThenCaptureGivesTheSameRecord() {
        QFETCH(ResultRecord, record);
        MainWindowFixture fixture;
        // The record after a measured one, so that the result options come from a set state.
        showStored(fixture, {MainWindowFixture::completeRecord("First"), record}, 2);
        const ResultRecord expected = with(record, {{F::ProviderCode, "654321"}});
        const ResultRecord captured = fixture.controller().presenter().capture();
        for (int field = 0; field < F::FieldCount; ++field) {
            const auto f = static_cast<F::Field>(field);
            QVERIFY2(captured.get(f) == expected.get(f),
                     qPrintable(QString("field %1: '%2' instead of '%3'")
                                    .arg(field)
                                    .arg(captured.get(f), expected.get(f))));
        }
        QVERIFY(fixture.controller().presenter().SaveCurrentRecord());
        const QByteArray bytes = fixture.readFile("AppData/Korvanel.dat");
        QCOMPARE(bytes.mid(F::Size, F::Size), expected.encode());
        QCOMPARE(bytes.left(F::Size), MainWindowFixture::completeRecord("First").encode());
    }

    void codesShowTheirEntries_data() {
        QTest::addColumn<QString>("race");
        QTest::addColumn<QString>("ancestry");
        QTest::addColumn<QString>("raceShown");
        QTest::addColumn<QString>("ancestryShown");
        QTest::newRow("1, 00") << "1"
                               << "00"
                               << "Black (1)"
                               << "Non-Hispanic (00)";
        QTest::newRow("3, 20") << "3"
                               << "20"
                               << "White (3)"
                               << "Hispanic (20)";
        QTest::newRow("4, 19") << "4"
                               << "19"
                               << "Asian - Pacific Islander (4)"
                               << "Unknown (19)";
        QTest::newRow("5") << "5"
                           << "00"
                           << "American Indian - Alaskan Native (5)"
                           << "Non-Hispanic (00)";
        QTest::newRow("2 has no entry") << "2"
                                        << "00"
                                        << "Unknown (7)"
                                        << "Non-Hispanic (00)";
        QTest::newRow("7") << "7"
                           << "20"
                           << "Unknown (7)"
                           << "Hispanic (20)";
        QTest::newRow("blank") << ""
                               << ""
                               << "Unknown (7)"
                               << "Unknown (19)";
        QTest::newRow("ancestry 0 and a blank") << "6"
                                                << "0"
                                                << "Other (6)"
                                                << "Unknown (19)";
    }
    void codesShowTheirEntries() {
        QFETCH(QString, race);
        QFETCH(QString, ancestry);
        QFETCH(QString, raceShown);
        QFETCH(QString, ancestryShown);
        MainWindowFixture fixture;
        showStored(fixture, {with(MainWindowFixture::completeRecord(),
                                  {{F::RaceCode, race}, {F::Ancestry, ancestry}})});
        QCOMPARE(fixture.form().cboRaceCode->currentText(), raceShown);
        QCOMPARE(fixture.form().cboAncestry->currentText(), ancestryShown);
    }

    void sexAndTestTypeDefaults_data() {
        QTest::addColumn<QString>("sex");
        QTest::addColumn<QString>("testType");
        QTest::addColumn<bool>("male");
        QTest::addColumn<bool>("venous");
        QTest::newRow("M, V") << "M"
                              << "V" << true << true;
        QTest::newRow("F, C") << "F"
                              << "C" << false << false;
        QTest::newRow("lower case m, v") << "m"
                                         << "v" << false << false;
        QTest::newRow("blank") << ""
                               << "" << false << false;
        QTest::newRow("X, Q") << "X"
                              << "Q" << false << false;
    }
    void sexAndTestTypeDefaults() {
        QFETCH(QString, sex);
        QFETCH(QString, testType);
        QFETCH(bool, male);
        QFETCH(bool, venous);
        MainWindowFixture fixture;
        // Shown after a record with the other choice, so that every option really moves.
        const ResultRecord before =
            with(MainWindowFixture::completeRecord(),
                 {{F::Sex, male ? "F" : "M"}, {F::TestType, venous ? "C" : "V"}});
        showStored(fixture,
                   {before, with(MainWindowFixture::completeRecord(),
                                 {{F::Sex, sex}, {F::TestType, testType}})},
                   2);
        QCOMPARE(fixture.form().optMale->isChecked(), male);
        QCOMPARE(fixture.form().optFemale->isChecked(), !male);
        QCOMPARE(fixture.form().optVenous->isChecked(), venous);
        QCOMPARE(fixture.form().optCapillary->isChecked(), !venous);
    }

    void resultStates_data() {
        QTest::addColumn<QString>("pb");
        QTest::addColumn<QString>("below");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("lowFlag");
        QTest::newRow("3.3") << "3.3"
                             << "0"
                             << "optPbResult"
                             << "3.3" << true << false;
        QTest::newRow("3.3 low") << "3.3"
                                 << "1"
                                 << "optPbResult"
                                 << "3.3" << true << false;
        QTest::newRow("65.0") << "65.0"
                              << "0"
                              << "optPbResult"
                              << "65.0" << true << false;
        QTest::newRow("65") << "65"
                            << "0"
                            << "optPbResult"
                            << "65" << true << false;
        QTest::newRow("65.1") << "65.1"
                              << "0"
                              << "optHighResult"
                              << "66.0" << false << false;
        QTest::newRow("66.0") << "66.0"
                              << "0"
                              << "optHighResult"
                              << "66.0" << false << false;
        QTest::newRow("blank, below 1") << ""
                                        << "1"
                                        << "optLowResult"
                                        << "    " << false << true;
        QTest::newRow("3.2, below 1") << "3.2"
                                      << "1"
                                      << "optLowResult"
                                      << "    " << false << true;
        QTest::newRow("3.2, below 0") << "3.2"
                                      << "0"
                                      << "optPbResult"
                                      << "3.2" << true << false;
        QTest::newRow("blank, below 0") << ""
                                        << "0"
                                        << "optPbResult"
                                        << "" << true << false;
        QTest::newRow("not a number") << "abc"
                                      << "0"
                                      << "optPbResult"
                                      << "abc" << true << false;
    }
    void resultStates() {
        QFETCH(QString, pb);
        QFETCH(QString, below);
        QFETCH(QString, option);
        QFETCH(QString, text);
        QFETCH(bool, enabled);
        QFETCH(bool, lowFlag);
        // The same record shown after each of the three states, and then once more.
        const ResultRecord shown = with(MainWindowFixture::completeRecord(),
                                        {{F::PbResult, pb}, {F::BelowDetection, below}});
        const ResultRecord low = with(MainWindowFixture::completeRecord(),
                                      {{F::PbResult, ""}, {F::BelowDetection, "1"}});
        const ResultRecord high = with(MainWindowFixture::completeRecord(), {{F::PbResult, "70"}});
        const ResultRecord measured = MainWindowFixture::completeRecord();
        const QList<ResultRecord> previousRecords = {low, high, measured, shown};
        for (qsizetype i = 0; i < previousRecords.size(); ++i) {
            const bool afterMeasured = i >= 2;
            MainWindowFixture fixture;
            showStored(fixture, {previousRecords[i], shown}, 2);
            const auto& c = fixture.form();
            QCOMPARE(c.optPbResult->isChecked(), option == "optPbResult");
            QCOMPARE(c.optLowResult->isChecked(), option == "optLowResult");
            QCOMPARE(c.optHighResult->isChecked(), option == "optHighResult");
            QCOMPARE(c.txtPb->text(), text);
            QCOMPARE(c.txtPb->isEnabled(), enabled);
            // A result option already selected raises no click: the flag then stays as
            // BelowDetection set it.
            const bool keptFromBelow = option == "optPbResult" && afterMeasured;
            QCOMPARE(fixture.state().LowResultFlag, keptFromBelow ? below == "1" : lowFlag);
        }
    }

    void storedTelephone_data() {
        QTest::addColumn<QString>("area");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("raw");
        QTest::newRow("complete") << "555"
                                  << "123-4567"
                                  << "5551234567";
        QTest::newRow("one character") << "555"
                                       << "1"
                                       << "";
        QTest::newRow("one character between blanks") << "555"
                                                      << "   7    "
                                                      << "";
        QTest::newRow("blank number") << "555"
                                      << ""
                                      << "";
        QTest::newRow("all blank") << ""
                                   << ""
                                   << "";
        QTest::newRow("no area code") << ""
                                      << "123-4567"
                                      << "1234567";
    }
    void storedTelephone() {
        QFETCH(QString, area);
        QFETCH(QString, number);
        QFETCH(QString, raw);
        MainWindowFixture fixture;
        showStored(fixture, {with(MainWindowFixture::completeRecord(),
                                  {{F::PhoneAreaCode, area}, {F::PhoneNumber, number}})});
        QCOMPARE(fixture.form().mskPhone->rawValue(), raw);
    }

    void emptyTelephoneBoxStoresBlanks() {
        MainWindowFixture fixture;
        showStored(fixture, {MainWindowFixture::completeRecord()});
        fixture.form().mskPhone->setRawValue(QString());
        QVERIFY(fixture.controller().presenter().SaveCurrentRecord());
        const ResultRecord stored = fixture.storedRecords().at(0);
        QCOMPARE(stored.get(F::PhoneAreaCode), QString(3, ' '));
        QCOMPARE(stored.get(F::PhoneNumber), QString(8, ' '));
    }

    void typedValuesOutsideTheListsAreSavedCutToWidth() {
        MainWindowFixture fixture;
        showStored(fixture, {MainWindowFixture::completeRecord()});
        QTest::keyClick(fixture.form().cboCity->lineEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(fixture.form().cboCity, "Very Long City Name Beyond");
        fixture.form().cboPhysician->setEditText("Dr. Someone With A Long Name");
        fixture.form().cboZip->setEditText("1234567");
        QVERIFY(fixture.controller().presenter().SaveCurrentRecord());
        const ResultRecord stored = fixture.storedRecords().at(0);
        QCOMPARE(stored.get(F::City), QString("Very Long City Name "));
        QCOMPARE(stored.get(F::Physician), QString("Dr. Someone With A L"));
        QCOMPARE(stored.get(F::Zip), QString("12345"));
        QVERIFY(fixture.controller().presenter().ShowCurrentRecord());
        QCOMPARE(fixture.form().cboCity->currentText(), QString("Very Long City Name"));
        QCOMPARE(fixture.form().cboPhysician->currentText(), QString("Dr. Someone With A L"));
        QCOMPARE(fixture.form().cboZip->currentText(), QString("12345"));
    }

    // What the operator types or pastes into a text box or an editable list box is what a
    // record can hold: a line break or tab becomes one blank, text the code page cannot hold is
    // refused, Windows-1252 letters are kept.
    void boxesTakeOnlyWhatARecordHolds_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("paste");
        QTest::addColumn<QString>("entered");
        QTest::addColumn<QString>("shown"); // "Ab" was there, the caret at its end
        // shown: after pasting; typed: after typing it key by key (nothing when keys never
        // bring it: line breaks, tabs and other control characters)
        const struct {
            const char* name;
            QString entered;
            QString shown;
            QString typed;
        } cases[] = {
            {"line break", "Smith\nJones", "AbSmith Jones", {}},
            {"CR LF", "Smith\r\nJones\r\n", "AbSmith Jones ", {}},
            {"tab", "12\tMain", "Ab12 Main", {}},
            {"escape and delete", QString("x") + QChar(0x1B) + "y" + QChar(0x7F), "Abx y ", {}},
            {"Greek", QString::fromUtf8("\xCE\xA9mega"), "Ab", "Abmega"},
            {"Chinese", QString::fromUtf8("\xE5\x8C\x97\xE4\xBA\xAC"), "Ab", "Ab"},
            {"emoji", QString::fromUtf8("Sm\xF0\x9F\x98\x80th"), "Ab", "AbSmth"},
            {"Windows-1252 letters",
             QString::fromUtf8("Jos\xC3\xA9 Zo\xC3\xAB \xC3\x91 \xE2\x82\xAC"),
             QString::fromUtf8("AbJos\xC3\xA9 Zo\xC3\xAB \xC3\x91 \xE2\x82\xAC"),
             QString::fromUtf8("AbJos\xC3\xA9 Zo\xC3\xAB \xC3\x91 \xE2\x82\xAC")},
        };
        for (const char* box : {"txtLastName", "txtStreetName", "cboCity", "cboPhysician"}) {
            for (const auto& c : cases) {
                QTest::addRow("%s, %s pasted", box, c.name) << box << true << c.entered << c.shown;
                if (!c.typed.isNull())
                    QTest::addRow("%s, %s typed", box, c.name)
                        << box << false << c.entered << c.typed;
            }
        }
    }
    void boxesTakeOnlyWhatARecordHolds() {
        QFETCH(QString, box);
        QFETCH(bool, paste);
        QFETCH(QString, entered);
        QFETCH(QString, shown);
        MainWindowFixture fixture;
        showStored(fixture, {MainWindowFixture::completeRecord()});
        auto combo = fixture.window().findChild<QComboBox*>(box);
        QLineEdit* edit = combo ? combo->lineEdit() : fixture.window().findChild<QLineEdit*>(box);
        QWidget* target = combo ? static_cast<QWidget*>(combo) : edit;
        target->setFocus();
        edit->setText("Ab");
        edit->end(false);
        if (paste) {
            QApplication::clipboard()->setText(entered);
            QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
        } else {
            typeText(target, entered);
        }
        QCOMPARE(edit->text(), shown);
        QVERIFY(fixture.controller().presenter().SaveCurrentRecord());
        const QByteArray bytes = fixture.readFile("AppData/Korvanel.dat");
        QCOMPARE(bytes.size(), F::Size);
        for (int i = 0; i < F::Size - 2; ++i)
            QVERIFY2(quint8(bytes[i]) >= 0x20 && quint8(bytes[i]) != 0x7F,
                     qPrintable(QString::number(i)));
        QVERIFY(!bytes.contains('?'));
    }

    // A hand-edited data file can hold control characters; shown and saved again, each becomes
    // a blank and the record keeps its 196 characters and its line end.
    void controlCharactersOfTheFileAreSavedAsBlanks() {
        MainWindowFixture fixture;
        QByteArray bytes = MainWindowFixture::completeRecord().encode();
        const int last = F::offset(F::LastName);
        const int street = F::offset(F::StreetName);
        const int physician = F::offset(F::Physician);
        bytes.replace(last, 5, QByteArray("S\nm\0h", 5));
        bytes.replace(street, 4, QByteArray("M\ta\x1B", 4));
        bytes.replace(physician, 3, QByteArray("D\x7F\r", 3));
        fixture.writeFile("AppData/cmcityzip.txt", "Springfield,X,90210\r\n");
        fixture.writeFile("AppData/Korvanel.dat", bytes);
        fixture.setProviderFile("123456");
        QVERIFY(fixture.start());
        QVERIFY(fixture.controller().presenter().SaveCurrentRecord());
        QByteArray expected = MainWindowFixture::completeRecord().encode();
        expected.replace(last, 5, "S m h");
        expected.replace(street, 4, "M a ");
        expected.replace(physician, 3, "D  ");
        QCOMPARE(fixture.readFile("AppData/Korvanel.dat"), expected);
    }

    void currentProviderCodeReplacesTheStoredOne() {
        MainWindowFixture fixture;
        const ResultRecord record =
            with(MainWindowFixture::completeRecord(), {{F::ProviderCode, "111111"}});
        showStored(fixture, {record});
        QCOMPARE(fixture.form().txtProviderCode->text(), QString("654321"));
        QCOMPARE(fixture.form().txtAnalysisMethod->text(), QString("HHLA"));
        QVERIFY(fixture.controller().presenter().SaveCurrentRecord());
        QCOMPARE(fixture.storedRecords().at(0).get(F::ProviderCode), QString("654321"));
        QCOMPARE(fixture.readFile("AppData/Korvanel.dat"),
                 with(record, {{F::ProviderCode, "654321"}}).encode());
    }

    void storedAnalysisMethodIsNotShown() {
        MainWindowFixture fixture;
        showStored(fixture,
                   {with(MainWindowFixture::completeRecord(), {{F::AnalysisMethod, "XXXX"}})});
        QCOMPARE(fixture.form().txtAnalysisMethod->text(), QString("HHLA"));
    }

    void titleShowsVersionAndPosition() {
        QCOMPARE(RecordPresenter::VersionText(), QString("v%1.%2.%3")
                                                     .arg(KORVANEL_VERSION_MAJOR)
                                                     .arg(KORVANEL_VERSION_MINOR)
                                                     .arg(KORVANEL_VERSION_PATCH));
        MainWindowFixture fixture;
        fixture.setProviderFile("654321");
        QVERIFY(fixture.start());
        QCOMPARE(fixture.window().windowTitle(),
                 QString("Korvanel\u00AE Blood Lead Result Reporting - ") +
                     RecordPresenter::VersionText() +
                     " - State of CM Universal Format  (Record 1 of 1)");
        QCOMPARE(RecordPresenter::windowTitle(3, 12),
                 QString("Korvanel\u00AE Blood Lead Result Reporting - ") +
                     RecordPresenter::VersionText() +
                     " - State of CM Universal Format  (Record 3 of 12)");
    }

    void titleFollowsTheRecordShown() {
        MainWindowFixture fixture;
        showStored(fixture,
                   {MainWindowFixture::completeRecord("A"), MainWindowFixture::completeRecord("B"),
                    MainWindowFixture::completeRecord("C")},
                   3);
        QVERIFY(fixture.window().windowTitle().endsWith("  (Record 3 of 3)"));
        QCOMPARE(fixture.form().txtLastName->text(), QString("C"));
        // Saving does not change the title: record 2 is saved under the title of record 3.
        const QString title = fixture.window().windowTitle();
        QVERIFY(fixture.controller().presenter().showRecord(2, 3));
        fixture.window().setWindowTitle(title);
        QVERIFY(fixture.controller().presenter().SaveCurrentRecord());
        QVERIFY(fixture.window().windowTitle().endsWith("  (Record 3 of 3)"));
    }

    // Showing a record leaves every box as a fresh display does, also when the operator had
    // typed exactly the value of the record shown next: nothing to undo back into the other
    // record's text, not marked as edited.
    void aBoxTypedToTheNextRecordsValueIsShownAfresh_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::newRow("text box") << "txtLastName"
                                  << "Baker";
        QTest::newRow("masked box") << "mskDateTaken"
                                    << "03042025";
        QTest::newRow("editable list") << "cboCity"
                                       << "Ogdenville";
    }
    void aBoxTypedToTheNextRecordsValueIsShownAfresh() {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        MainWindowFixture fixture;
        const ResultRecord second = with(MainWindowFixture::completeRecord("Baker"),
                                         {{F::DateTaken, "03042025"}, {F::City, "Ogdenville"}});
        showStored(fixture, {MainWindowFixture::completeRecord("Adams"), second});
        QWidget* control = fixture.window().findChild<QWidget*>(box);
        auto* edit = qobject_cast<QLineEdit*>(control);
        if (!edit)
            edit = qobject_cast<QComboBox*>(control)->lineEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        edit->setCursorPosition(0);
        QTest::keyClicks(edit, typed);
        auto* masked = qobject_cast<MaskedEdit*>(edit);
        QCOMPARE(masked ? masked->rawValue() : edit->text(), typed);
        QVERIFY(edit->isUndoAvailable());

        QVERIFY(fixture.controller().presenter().showRecord(2, fixture.state().RecordCount));
        QCOMPARE(masked ? masked->rawValue() : edit->text(), typed);
        QVERIFY(!edit->isUndoAvailable());
        QVERIFY(!edit->isModified());
        QVERIFY(!edit->hasSelectedText());
    }

    void focusEndsInTheDateTakenBox() {
        MainWindowFixture fixture;
        showStored(fixture, {MainWindowFixture::completeRecord(),
                             with(MainWindowFixture::completeRecord(), {{F::PbResult, "2"}})});
        fixture.form().txtFirstName->setFocus();
        QCOMPARE(QApplication::focusWidget(), fixture.form().txtFirstName);
        QVERIFY(fixture.controller().presenter().showRecord(2, fixture.state().RecordCount));
        QCOMPARE(QApplication::focusWidget(), fixture.form().mskDateTaken);
        fixture.form().txtStreetName->setFocus();
        QVERIFY(fixture.controller().presenter().SaveCurrentRecord());
        QCOMPARE(QApplication::focusWidget(), fixture.form().mskDateTaken);
        // Moving the focus while showing raised no rule: nothing was asked.
        QVERIFY(fixture.messages.messages.isEmpty());
    }

    void recordBeyondTheEndShowsBlank() {
        MainWindowFixture fixture;
        showStored(fixture, {MainWindowFixture::completeRecord()});
        QVERIFY(fixture.controller().presenter().showRecord(2, 2));
        const auto& c = fixture.form();
        QCOMPARE(c.txtLastName->text(), QString());
        QCOMPARE(c.mskDateTaken->rawValue(), QString());
        QCOMPARE(c.cboCity->currentText(), QString());
        QCOMPARE(c.cboPhysician->currentText(), QString());
        QCOMPARE(c.mskPhone->rawValue(), QString());
        QVERIFY(c.optFemale->isChecked());
        QVERIFY(c.optCapillary->isChecked());
        QVERIFY(c.optPbResult->isChecked());
        QCOMPARE(c.txtPb->text(), QString());
        QVERIFY(c.txtPb->isEnabled());
        QCOMPARE(c.txtProviderCode->text(), QString("654321"));
        QCOMPARE(fixture.state().CurrentCity, QString());
    }
};

QTEST_MAIN(tst_RecordDisplay)
#include "tst_RecordDisplay.moc"
