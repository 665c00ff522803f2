#include "support/MainWindowFixture.h"
#include "support/ModalBoxAnswerer.h"
#include "window/main/MainMenu.h"
#include "window/main/MainWindowController.h"
#include "window/main/RecordPresenter.h"
#include "window/main/frmKorvanel.h"
#include "window/records/CheckAllRecordsDialog.h"
#include "window/records/FindRecordDialog.h"
#include "window/records/RecordTableModel.h"
#include "window/widgets/MaskedEdit.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTreeView>

#include <functional>
#include <memory>

// A command button clicked with the mouse while a date box with a bad date is left: the date
// message comes first, then the command runs once, and the command's own focus moves bring no
// second message. Today is 6 December 2026.
namespace {

MaskedEdit* dateBox(Ui::frmKorvanel& f, int code) {
    return code == 1 ? f.mskDateTaken : code == 2 ? f.mskDateOfBirth : f.mskAnalysisDate;
}

ResultRecord::Field dateField(int code) {
    return code == 1   ? ResultRecord::DateTaken
           : code == 2 ? ResultRecord::DateOfBirth
                       : ResultRecord::AnalysisDate;
}

// The messages the operator saw, from the scripted service or from real boxes.
class SeenMessages {
public:
    SeenMessages(MainWindowFixture& fixture, bool real) : fixture_(fixture) {
        fixture.realMessageBoxes = real;
        if (real)
            answerer_ = std::make_unique<ModalBoxAnswerer>();
    }
    void onOpen(std::function<void()> action) {
        if (answerer_)
            answerer_->onBox = [action](QMessageBox&) { action(); };
        else
            fixture_.messages.whileOpen = [action](const ScriptedMessageService::Message&) {
                action();
            };
    }
    // Texts with their line breaks as given to the service.
    QStringList texts() const {
        QStringList shown;
        if (answerer_) {
            for (QString text : answerer_->texts)
                shown << text.replace("\n", "\r\n");
        } else {
            for (const ScriptedMessageService::Message& message : fixture_.messages.messages)
                shown << message.text;
        }
        return shown;
    }
    // After a real box the window comes back (the window manager's part).
    bool windowBack() {
        if (!answerer_)
            return true;
        fixture_.window().activateWindow();
        return QTest::qWaitForWindowActive(&fixture_.window());
    }

private:
    MainWindowFixture& fixture_;
    std::unique_ptr<ModalBoxAnswerer> answerer_;
};

// A rule that runs as the operator leaves a field (or chooses a result option), and what it
// leaves in record 1 of two: each is run against every command that saves the record shown.
struct LeaveRule {
    const char* name;
    std::function<void(ResultRecord&)> storedBefore; // record 1 as stored, from a complete one
    std::function<void(MainWindowFixture&)> enter;   // ends with the focus where the operator is
    QStringList messages;
    int beeps;
    QList<QPair<ResultRecord::Field, QString>> saved; // record 1's fields afterwards, trimmed
};

const QList<LeaveRule>& leaveRules() {
    using F = ResultRecord;
    const QString invalidBirth = "Date of Birth Taken is not valid or is incomplete.\r\nEnter "
                                 "MM/DD/YYYY (4 digit year required).";
    static const QList<LeaveRule> rules = {
        {"date order: birth after taken, emptied",
         [](ResultRecord&) {},
         [](MainWindowFixture& fixture) {
             Ui::frmKorvanel& f = fixture.form();
             f.mskDateOfBirth->setFocus();
             f.mskDateOfBirth->setRawValue("12012026");
         },
         {"Date of Birth must be equal to or before Date Taken"},
         0,
         {{F::DateOfBirth, ""}}},
        {"date validity: kept",
         [](ResultRecord&) {},
         [](MainWindowFixture& fixture) {
             Ui::frmKorvanel& f = fixture.form();
             f.mskDateOfBirth->setFocus();
             f.mskDateOfBirth->setRawValue("13011990");
         },
         {invalidBirth},
         0,
         {{F::DateOfBirth, "13011990"}}},
        {"result over 65: High Result",
         [](ResultRecord&) {},
         [](MainWindowFixture& fixture) {
             Ui::frmKorvanel& f = fixture.form();
             f.txtPb->setFocus();
             f.txtPb->setText("70");
         },
         {},
         1,
         {{F::PbResult, "66.0"}, {F::BelowDetection, "0"}}},
        {"result under 3.3 after a Low Result: Low Result",
         [](ResultRecord& r) {
             r.set(F::PbResult, "5.0");
             r.set(F::BelowDetection, "1");
         },
         [](MainWindowFixture& fixture) {
             Ui::frmKorvanel& f = fixture.form();
             // Shown again over the measured display of start-up, which ran the click rule
             // of "Pb Result:": the record's LowResultFlag stays.
             QVERIFY(fixture.controller().presenter().ShowCurrentRecord());
             QVERIFY(fixture.state().LowResultFlag);
             f.txtPb->setFocus();
             f.txtPb->setText("2.0");
         },
         {},
         0,
         {{F::PbResult, ""}, {F::BelowDetection, "1"}}},
        {"Low Result chosen after a typed result",
         [](ResultRecord&) {},
         [](MainWindowFixture& fixture) {
             Ui::frmKorvanel& f = fixture.form();
             f.txtPb->setFocus();
             f.txtPb->setText("12");
             QTest::mouseClick(f.optLowResult, Qt::LeftButton);
         },
         {},
         0,
         {{F::PbResult, ""}, {F::BelowDetection, "1"}}},
        {"High Result chosen after a typed result",
         [](ResultRecord&) {},
         [](MainWindowFixture& fixture) {
             Ui::frmKorvanel& f = fixture.form();
             f.txtPb->setFocus();
             f.txtPb->setText("12");
             QTest::mouseClick(f.optHighResult, Qt::LeftButton);
         },
         {},
         0,
         {{F::PbResult, "66.0"}, {F::BelowDetection, "0"}}},
        {"parents' last name filled",
         [](ResultRecord& r) { r.set(F::ParentsLast, ""); },
         [](MainWindowFixture& fixture) {
             Ui::frmKorvanel& f = fixture.form();
             f.txtLastName->setFocus();
             f.txtLastName->setText("Novak");
         },
         {},
         0,
         {{F::LastName, "Novak"}, {F::ParentsLast, "Novak"}}},
    };
    return rules;
}

template <typename Dialog> Dialog* activeDialog(MainWindowFixture& fixture) {
    Dialog* dialog = nullptr;
    const bool open = QTest::qWaitFor(
        [&] {
            return (dialog = fixture.window().findChild<Dialog*>()) && dialog->isActiveWindow();
        },
        5000);
    return open ? dialog : nullptr;
}

// Record 2 chosen in Find Record: Down from the first row, Enter.
bool chooseSecondInFindRecord(MainWindowFixture& fixture) {
    auto* dialog = activeDialog<FindRecordDialog>(fixture);
    if (!dialog)
        return false;
    QTest::keyClick(dialog->filterBox(), Qt::Key_Down);
    if (dialog->rows().recordNumber(dialog->table()->currentIndex().row()) != 2)
        return false;
    QTest::keyClick(dialog->filterBox(), Qt::Key_Return);
    return true;
}

// Runs a command that saves the record shown: the Update button clicked with the mouse, or a
// move to record 2 through Find Record (Ctrl+F, or the Records menu opened with the mouse) or
// Check All Records (Ctrl+K, where record 2 has a gap).
bool runCommand(MainWindowFixture& fixture, const QString& route) {
    Ui::frmKorvanel& f = fixture.form();
    if (route == "Update button") {
        QTest::mouseClick(f.cmdUpdate, Qt::LeftButton);
        return true;
    }
    if (route == "Ctrl+F") {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
        return chooseSecondInFindRecord(fixture);
    }
    if (route == "Records menu with the mouse") {
        MainMenu& menu = fixture.controller().menu();
        QAction* records = menu.bar()->actions().at(0);
        QTest::mouseClick(menu.bar(), Qt::LeftButton, {},
                          menu.bar()->actionGeometry(records).center());
        if (!QTest::qWaitFor([&] { return records->menu()->isVisible(); }, 5000))
            return false;
        QTest::mouseClick(records->menu(), Qt::LeftButton, {},
                          records->menu()->actionGeometry(menu.findRecord()).center());
        return chooseSecondInFindRecord(fixture);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_K, Qt::ControlModifier);
    auto* dialog = activeDialog<CheckAllRecordsDialog>(fixture);
    if (!dialog)
        return false;
    QAbstractItemModel* rows = dialog->table()->model();
    for (int row = 0; row < rows->rowCount(); ++row) {
        if (rows->index(row, 0).data().toInt() == 2) {
            dialog->table()->setCurrentIndex(rows->index(row, 0));
            QTest::keyClick(dialog->table(), Qt::Key_Return);
            return true;
        }
    }
    return false;
}

} // namespace

class tst_ClickOrder : public QObject {
    Q_OBJECT
private slots:
    // Any warning fails a test, except the offscreen platform noting what it cannot do.
    void init() { QTest::failOnWarning(QRegularExpression("^(?!This plugin does not support).*")); }

    // Update on the first record: saved with what the check left in the box.
    void updateClickedWhileLeavingABadDate_data() {
        QTest::addColumn<bool>("real");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("entered");
        QTest::addColumn<QString>("dateTaken"); // set first (code 2 and 3 rows)
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("stored"); // the date field's raw value saved
        for (bool real : {false, true}) {
            const char* kind = real ? "real box: " : "scripted: ";
            QTest::addRow("%staken invalid, kept", kind)
                << real << 1 << "02302024"
                << ""
                << "Date Taken is not valid or is incomplete.\r\nEnter MM/DD/YYYY (4 digit year "
                   "required)."
                << "02302024";
            QTest::addRow("%sbirth after taken, emptied", kind)
                << real << 2 << "03022025"
                << "03012025"
                << "Date of Birth must be equal to or before Date Taken"
                << "";
            QTest::addRow("%sanalysis in the future, kept", kind)
                << real << 3 << "12072026"
                << ""
                << "Analysis Date must be earlier than or equal to today."
                << "12072026";
            QTest::addRow("%sanalysis before taken, emptied", kind)
                << real << 3 << "02282025"
                << "03012025"
                << "Analysis Date must be equal to or after Date Taken"
                << "";
        }
    }
    void updateClickedWhileLeavingABadDate() {
        QFETCH(bool, real);
        QFETCH(int, code);
        QFETCH(QString, entered);
        QFETCH(QString, dateTaken);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        SeenMessages seen(fixture, real);
        QByteArray fileWhileBoxOpen = "not opened";
        seen.onOpen([&] { fileWhileBoxOpen = fixture.readFile("AppData/Korvanel.dat"); });
        QVERIFY(fixture.start());
        Ui::frmKorvanel& f = fixture.form();
        int updates = 0;
        connect(f.cmdUpdate, &QPushButton::clicked, &fixture.window(), [&updates] { ++updates; });
        f.txtMiddleInitial->setFocus(); // out of mskDateTaken before it changes
        f.mskDateTaken->setRawValue(dateTaken);
        f.txtLastName->setText("Smith");
        MaskedEdit* box = dateBox(f, code);
        box->setRawValue(entered);
        box->setFocus();

        QTest::mouseClick(f.cmdUpdate, Qt::LeftButton);

        QTRY_COMPARE(updates, 1);
        QCOMPARE(fileWhileBoxOpen, QByteArray()); // the message came before the save
        QCOMPARE(seen.texts(), QStringList{message});
        const QList<ResultRecord> records = fixture.storedRecords();
        QCOMPARE(records.size(), 1);
        const QByteArray bytes = fixture.readFile("AppData/Korvanel.dat");
        QCOMPARE(bytes.size(), ResultRecord::Size);
        QCOMPARE(bytes.mid(ResultRecord::offset(dateField(code)), 8),
                 stored.leftJustified(8).toLatin1());
        QCOMPARE(records[0].get(ResultRecord::LastName), QString("Smith").leftJustified(20));
        QCOMPARE(f.cmdDelete->text(), QString("Delete")); // the first record is no longer new
        QVERIFY(seen.windowBack());
        QTRY_COMPARE(QApplication::focusWidget(), f.mskDateTaken);
        QCoreApplication::processEvents();
        QCOMPARE(seen.texts().size(), 1);
        QCOMPARE(updates, 1);
    }

    // Commands that save and show records move the focus to mskDateTaken themselves; leaving the
    // date of birth with a bad date still gives exactly one message.
    void commandsAfterABadDateOfBirth_data() {
        QTest::addColumn<bool>("real");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("laterMessages"); // after the date message
        QTest::addColumn<int>("currentRecord");
        QTest::addColumn<int>("recordCount");
        QTest::addColumn<QString>("storedBirth"); // record 1's date of birth afterwards
        QTest::addColumn<QString>("focusAfter");
        for (bool real : {false, true}) {
            const char* kind = real ? "real box: " : "scripted: ";
            QTest::addRow("%snew", kind)
                << real << "cmdNew" << QStringList() << 3 << 3 << "13011990"
                << "mskDateTaken";
            QTest::addRow("%supdate", kind)
                << real << "cmdUpdate" << QStringList() << 1 << 2 << "13011990"
                << "mskDateTaken";
            // Next shows record 2 and saves nothing.
            QTest::addRow("%snext", kind)
                << real << "cmdNext" << QStringList() << 2 << 2 << "07042019"
                << "mskDateTaken";
            QTest::addRow("%sprevious at the first", kind)
                << real << "cmdPrevious" << QStringList{"Beginning of file encountered!"} << 1 << 2
                << "07042019"
                << "mskDateOfBirth"; // nothing shown: the focus stays
            QTest::addRow("%sprint", kind)
                << real << "cmdPrint" << QStringList() << 1 << 2 << "13011990"
                << "mskDateTaken";
        }
    }
    void commandsAfterABadDateOfBirth() {
        QFETCH(bool, real);
        QFETCH(QString, command);
        QFETCH(QStringList, laterMessages);
        QFETCH(int, currentRecord);
        QFETCH(int, recordCount);
        QFETCH(QString, storedBirth);
        QFETCH(QString, focusAfter);
        MainWindowFixture fixture;
        fixture.writeRecords({MainWindowFixture::completeRecord("Smith"),
                              MainWindowFixture::completeRecord("Jones")});
        fixture.setProviderFile("123456");
        SeenMessages seen(fixture, real);
        QVERIFY(fixture.start());
        Ui::frmKorvanel& f = fixture.form();
        auto button = fixture.window().findChild<QPushButton*>(command);
        int clicks = 0;
        connect(button, &QPushButton::clicked, &fixture.window(), [&clicks] { ++clicks; });
        f.mskDateOfBirth->setRawValue("13011990");
        f.mskDateOfBirth->setFocus();

        QTest::mouseClick(button, Qt::LeftButton);

        QTRY_COMPARE(clicks, 1);
        QTRY_COMPARE(seen.texts().size(), 1 + laterMessages.size());
        QCOMPARE(seen.texts(), QStringList{"Date of Birth Taken is not valid or is incomplete."
                                           "\r\nEnter MM/DD/YYYY (4 digit year required)."} +
                                   laterMessages);
        QCOMPARE(fixture.state().CurrentRecord, currentRecord);
        QCOMPARE(fixture.state().RecordCount, recordCount);
        // Commands that save store the date as the window held it.
        QCOMPARE(fixture.storedRecords().at(0).get(ResultRecord::DateOfBirth), storedBirth);
        QVERIFY(seen.windowBack());
        QTRY_COMPARE(QApplication::focusWidget(), fixture.window().findChild<QWidget*>(focusAfter));
        QCoreApplication::processEvents();
        QCOMPARE(seen.texts().size(), 1 + laterMessages.size());
        QCOMPARE(clicks, 1);
    }

    // Delete answered No puts the focus in mskDateTaken as the program's own move: the bad
    // date of birth left for the button is reported once, not again by that move.
    void deleteAnsweredNoAfterABadDateOfBirth() {
        MainWindowFixture fixture;
        fixture.writeRecords({MainWindowFixture::completeRecord("Smith")});
        fixture.setProviderFile("123456");
        QVERIFY(fixture.start());
        Ui::frmKorvanel& f = fixture.form();
        fixture.messages.queueAnswer(MessageAnswer::Ok);
        fixture.messages.queueAnswer(MessageAnswer::No);
        f.mskDateOfBirth->setRawValue("13011990");
        f.mskDateOfBirth->setFocus();

        QTest::mouseClick(f.cmdDelete, Qt::LeftButton);

        QTRY_COMPARE(fixture.messages.messages.size(), 2);
        QCOMPARE(fixture.messages.messages[1].title, QString("Delete Record Confirmation"));
        QCoreApplication::processEvents();
        QCOMPARE(fixture.messages.messages.size(), 2);
        QCOMPARE(QApplication::focusWidget(), f.mskDateTaken);
        QCOMPARE(f.mskDateOfBirth->rawValue(), QString("13011990"));
    }

    // The completeness check sends the focus to the missing field; the bad date taken shown in
    // the box it leaves is not checked by that move.
    void completenessFocusIsNotADepartureOfTheDateBox() {
        MainWindowFixture fixture;
        ResultRecord record = MainWindowFixture::completeRecord("Smith");
        record.set(ResultRecord::DateTaken, "13012026");
        record.set(ResultRecord::StreetName, "");
        fixture.writeRecords({record});
        fixture.setProviderFile("123456");
        QVERIFY(fixture.start());

        QTest::mouseClick(fixture.form().cmdWriteEFile, Qt::LeftButton);

        QTRY_COMPARE(fixture.messages.messages.size(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(fixture.messages.messages.size(), 1);
        QCOMPARE(fixture.messages.messages[0].text, QString("Missing Street Name."));
        QCOMPARE(QApplication::focusWidget(), fixture.form().txtStreetName);
    }

    // "Pb Result:" chosen while leaving a bad analysis date: the date message, then the option's
    // rule, whose move of the focus into txtPb is not a second departure of the date box.
    void optionClickedWhileLeavingABadDate_data() {
        QTest::addColumn<bool>("real");
        QTest::newRow("scripted") << false;
        QTest::newRow("real box") << true;
    }
    void optionClickedWhileLeavingABadDate() {
        QFETCH(bool, real);
        MainWindowFixture fixture;
        ResultRecord low = MainWindowFixture::completeRecord();
        low.set(ResultRecord::PbResult, "");
        low.set(ResultRecord::BelowDetection, "1");
        fixture.writeRecords({low});
        fixture.setProviderFile("123456");
        SeenMessages seen(fixture, real);
        QVERIFY(fixture.start());
        Ui::frmKorvanel& f = fixture.form();
        QVERIFY(f.optLowResult->isChecked());
        f.mskAnalysisDate->setRawValue("12312026");
        f.mskAnalysisDate->setFocus();

        QTest::mouseClick(f.optPbResult, Qt::LeftButton);

        QTRY_VERIFY(f.optPbResult->isChecked());
        QCOMPARE(seen.texts(),
                 QStringList{"Analysis Date must be earlier than or equal to today."});
        QVERIFY(f.txtPb->isEnabled());
        QCOMPARE(f.txtPb->text(), QString());
        QVERIFY(!fixture.state().LowResultFlag);
        QVERIFY(seen.windowBack());
        QTRY_COMPARE(QApplication::focusWidget(), f.txtPb);
        QCoreApplication::processEvents();
        QCOMPARE(seen.texts().size(), 1);
        QCOMPARE(f.mskAnalysisDate->rawValue(), QString("12312026"));
    }

    // Every command that saves the record shown leaves the field that has the focus first, as a
    // click on a form button does: the field's rule runs with its messages and beeps before the
    // save, and the record is stored with what the rule left. A move from the Records menu (by
    // its key or with the mouse, which takes no focus) stores what Update stores, then shows the
    // record chosen; a date rule sending the focus back to its box stops neither.
    void everySavingCommandLeavesTheField_data() {
        QTest::addColumn<int>("rule");
        QTest::addColumn<QString>("route");
        QTest::addColumn<bool>("real");
        for (const char* route :
             {"Update button", "Ctrl+F", "Ctrl+K", "Records menu with the mouse"}) {
            for (int rule = 0; rule < leaveRules().size(); ++rule) {
                QTest::addRow("%s, %s", route, leaveRules()[rule].name) << rule << route << false;
                if (!leaveRules()[rule].messages.isEmpty()) {
                    QTest::addRow("%s, %s, real box", route, leaveRules()[rule].name)
                        << rule << route << true;
                }
            }
        }
    }
    void everySavingCommandLeavesTheField() {
        QFETCH(int, rule);
        QFETCH(QString, route);
        QFETCH(bool, real);
        const LeaveRule& leave = leaveRules()[rule];
        MainWindowFixture fixture;
        ResultRecord first = MainWindowFixture::completeRecord("Smith");
        leave.storedBefore(first);
        ResultRecord second = MainWindowFixture::completeRecord("Jones");
        second.set(ResultRecord::Zip, "");
        fixture.writeRecords({first, second});
        fixture.setProviderFile("123456");
        SeenMessages seen(fixture, real);
        QList<QPair<QByteArray, int>> whileBoxOpen; // the data file and the record shown
        seen.onOpen([&] {
            whileBoxOpen << qMakePair(fixture.readFile("AppData/Korvanel.dat"),
                                      fixture.state().CurrentRecord);
        });
        QVERIFY(fixture.start());
        const QByteArray before = fixture.readFile("AppData/Korvanel.dat");
        Ui::frmKorvanel& f = fixture.form();
        leave.enter(fixture);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(seen.texts(), QStringList()); // the field is not left yet

        QVERIFY(runCommand(fixture, route));

        const int shownAfter = route == "Update button" ? 1 : 2;
        QTRY_COMPARE(fixture.state().CurrentRecord, shownAfter);
        QTRY_COMPARE(seen.texts(), leave.messages);
        if (!real)
            QCOMPARE(fixture.messages.beeps, leave.beeps);
        // Each message came before the save, on the record being left.
        QCOMPARE(whileBoxOpen.size(), leave.messages.size());
        for (const auto& [file, shown] : whileBoxOpen) {
            QCOMPARE(file, before);
            QCOMPARE(shown, 1);
        }
        const QList<ResultRecord> stored = fixture.storedRecords();
        QCOMPARE(stored.size(), 2);
        for (const auto& [field, value] : leave.saved)
            QCOMPARE(stored[0].trimmed(field), value);
        QVERIFY(stored[1] == second);
        QVERIFY(seen.windowBack());
        QTRY_COMPARE(QApplication::focusWidget(), f.mskDateTaken);
        QCoreApplication::processEvents();
        QCOMPARE(seen.texts().size(), leave.messages.size());
    }

    // A good date left for a command: no message, the command runs once.
    void goodDateThenCommand() {
        MainWindowFixture fixture;
        fixture.writeRecords({MainWindowFixture::completeRecord()});
        fixture.setProviderFile("123456");
        QVERIFY(fixture.start());
        Ui::frmKorvanel& f = fixture.form();
        f.mskAnalysisDate->setRawValue("12062026");
        f.mskAnalysisDate->setFocus();
        QTest::mouseClick(f.cmdUpdate, Qt::LeftButton);
        QVERIFY(fixture.messages.messages.isEmpty());
        QCOMPARE(fixture.storedRecords().at(0).get(ResultRecord::AnalysisDate),
                 QString("12062026"));
        QCOMPARE(QApplication::focusWidget(), f.mskDateTaken);
    }
};

QTEST_MAIN(tst_ClickOrder)
#include "tst_ClickOrder.moc"
