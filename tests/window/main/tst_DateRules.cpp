#include "support/MainWindowFixture.h"
#include "support/ModalBoxAnswerer.h"
#include "window/main/MainWindowController.h"
#include "window/main/frmKorvanel.h"
#include "window/widgets/MaskedEdit.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

// The date boxes of the main window as the operator leaves them; today is 6 December 2026.
namespace {

const QColor kHighlight(255, 255, 192);
const QColor kSentinel(1, 2, 3);
const QString kTitle = QStringLiteral("Date Entry Error");
const QString kAdvice = QStringLiteral("\r\nEnter MM/DD/YYYY (4 digit year required).");

enum class Departure { Tab, SetFocus, MouseClick };

// The first record of an empty data file: every date box empty, the focus in mskDateTaken.
bool startBlank(MainWindowFixture& fixture) {
    fixture.setProviderFile("123456");
    return fixture.start();
}

MaskedEdit* dateBox(Ui::frmKorvanel& f, int code) {
    return code == 1 ? f.mskDateTaken : code == 2 ? f.mskDateOfBirth : f.mskAnalysisDate;
}

QColor base(QWidget* control) {
    return control->palette().color(QPalette::Base);
}

void paint(QWidget* control, const QColor& colour) {
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, colour);
    control->setPalette(palette);
}

void depart(Ui::frmKorvanel& f, QWidget* box, Departure how) {
    switch (how) {
    case Departure::Tab:
        QTest::keyClick(box, Qt::Key_Tab);
        break;
    case Departure::SetFocus:
        f.txtFirstName->setFocus(Qt::OtherFocusReason);
        break;
    case Departure::MouseClick:
        QTest::mouseClick(f.txtStreetName, Qt::LeftButton);
        break;
    }
}

const char* departureName(Departure how) {
    return how == Departure::Tab ? "Tab" : how == Departure::SetFocus ? "setFocus" : "mouse";
}

} // namespace

class tst_DateRules : public QObject {
    Q_OBJECT
private slots:
    // Any warning fails a test, except the offscreen platform noting what it cannot do.
    void init() { QTest::failOnWarning(QRegularExpression("^(?!This plugin does not support).*")); }

    // Leaving one date box (code 1 date taken, 2 date of birth, 3 analysis date) holding
    // `entered` while the other boxes hold the given raw values, by Tab, by the program moving
    // the focus and by a mouse click into another field.
    void leavingADateBox_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("entered");
        QTest::addColumn<QString>("dateTaken");
        QTest::addColumn<QString>("dateOfBirth");
        QTest::addColumn<QString>("analysisDate");
        QTest::addColumn<QString>("message"); // empty: none
        QTest::addColumn<QString>("left");    // the box's raw value afterwards

        const QString takenInvalid = "Date Taken is not valid or is incomplete." + kAdvice;
        const QString birthInvalid = "Date of Birth Taken is not valid or is incomplete." + kAdvice;
        const QString analysisInvalid = "Analysis Date is not valid or is incomplete." + kAdvice;

        QTest::newRow("taken good") << 1 << "11302026"
                                    << ""
                                    << ""
                                    << ""
                                    << ""
                                    << "11302026";
        QTest::newRow("taken today") << 1 << "12062026"
                                     << ""
                                     << ""
                                     << ""
                                     << ""
                                     << "12062026";
        QTest::newRow("taken empty") << 1 << ""
                                     << ""
                                     << ""
                                     << ""
                                     << ""
                                     << "";
        QTest::newRow("taken no such day") << 1 << "02292025"
                                           << ""
                                           << ""
                                           << "" << takenInvalid << "02292025";
        QTest::newRow("taken 1899") << 1 << "12311899"
                                    << ""
                                    << ""
                                    << "" << takenInvalid << "12311899";
        QTest::newRow("taken day first") << 1 << "13012020"
                                         << ""
                                         << ""
                                         << "" << takenInvalid << "13012020";
        QTest::newRow("taken partly typed") << 1 << "1206"
                                            << ""
                                            << ""
                                            << "" << takenInvalid << "1206";
        QTest::newRow("taken tomorrow") << 1 << "12072026"
                                        << ""
                                        << ""
                                        << ""
                                        << "Date Taken must be earlier than or equal to today."
                                        << "12072026";
        QTest::newRow("taken after analysis")
            << 1 << "03022025"
            << ""
            << ""
            << "03012025"
            << "Date Taken must be before or equal to Analysis Date"
            << "";
        QTest::newRow("taken before birth") << 1 << "07031950"
                                            << ""
                                            << "07041950"
                                            << ""
                                            << "Date Taken must be equal to or after Date of Birth"
                                            << "";
        QTest::newRow("taken breaks both rules: the first is reported")
            << 1 << "03032025"
            << ""
            << "03052025"
            << "03012025"
            << "Date Taken must be before or equal to Analysis Date"
            << "";
        QTest::newRow("taken between others") << 1 << "03022025"
                                              << ""
                                              << "03012025"
                                              << "03032025"
                                              << ""
                                              << "03022025";
        QTest::newRow("taken equal to both") << 1 << "03012025"
                                             << ""
                                             << "03012025"
                                             << "03012025"
                                             << ""
                                             << "03012025";
        // Leaving date taken compares it with the other two only, never them with each other.
        QTest::newRow("taken leaves birth after analysis alone") << 1 << ""
                                                                 << ""
                                                                 << "12052026"
                                                                 << "12012026"
                                                                 << ""
                                                                 << "";

        QTest::newRow("birth good") << 2 << "07041950"
                                    << ""
                                    << ""
                                    << ""
                                    << ""
                                    << "07041950";
        QTest::newRow("birth today") << 2 << "12062026"
                                     << ""
                                     << ""
                                     << ""
                                     << ""
                                     << "12062026";
        QTest::newRow("birth leap day") << 2 << "02292024"
                                        << ""
                                        << ""
                                        << ""
                                        << ""
                                        << "02292024";
        QTest::newRow("birth april 31") << 2 << "04312024"
                                        << ""
                                        << ""
                                        << "" << birthInvalid << "04312024";
        QTest::newRow("birth 1900") << 2 << "01011900"
                                    << ""
                                    << ""
                                    << ""
                                    << ""
                                    << "01011900";
        QTest::newRow("birth tomorrow") << 2 << "12072026"
                                        << ""
                                        << ""
                                        << ""
                                        << "Date of Birth must be earlier than today."
                                        << "12072026";
        QTest::newRow("birth after taken") << 2 << "03022025"
                                           << "03012025"
                                           << ""
                                           << ""
                                           << "Date of Birth must be equal to or before Date Taken"
                                           << "";
        QTest::newRow("birth after analysis")
            << 2 << "03022025"
            << ""
            << ""
            << "03012025"
            << "Date of Birth must be equal to or before Analysis Date"
            << "";
        QTest::newRow("birth breaks both rules: the first is reported")
            << 2 << "03052025"
            << "03012025"
            << ""
            << "03032025"
            << "Date of Birth must be equal to or before Date Taken"
            << "";

        QTest::newRow("analysis good") << 3 << "03012025"
                                       << ""
                                       << ""
                                       << ""
                                       << ""
                                       << "03012025";
        QTest::newRow("analysis 2100") << 3 << "01012100"
                                       << ""
                                       << ""
                                       << "" << analysisInvalid << "01012100";
        QTest::newRow("analysis tomorrow")
            << 3 << "12072026"
            << ""
            << ""
            << ""
            << "Analysis Date must be earlier than or equal to today."
            << "12072026";
        QTest::newRow("analysis before taken")
            << 3 << "02282025"
            << "03012025"
            << ""
            << ""
            << "Analysis Date must be equal to or after Date Taken"
            << "";
        QTest::newRow("analysis before birth")
            << 3 << "02282025"
            << ""
            << "03012025"
            << ""
            << "Analysis Date must be equal to or after Date of Birth"
            << "";
        QTest::newRow("analysis breaks both rules: the first is reported")
            << 3 << "02272025"
            << "03012025"
            << "02282025"
            << ""
            << "Analysis Date must be equal to or after Date Taken"
            << "";
        QTest::newRow("analysis empty") << 3 << ""
                                        << "03012025"
                                        << ""
                                        << ""
                                        << ""
                                        << "";
    }
    void leavingADateBox() {
        QFETCH(int, code);
        QFETCH(QString, entered);
        QFETCH(QString, dateTaken);
        QFETCH(QString, dateOfBirth);
        QFETCH(QString, analysisDate);
        QFETCH(QString, message);
        QFETCH(QString, left);

        MainWindowFixture fixture;
        QVERIFY(startBlank(fixture));
        Ui::frmKorvanel& f = fixture.form();
        MaskedEdit* box = dateBox(f, code);
        for (Departure how : {Departure::Tab, Departure::SetFocus, Departure::MouseClick}) {
            const QByteArray context = departureName(how);
            // Leaving the box reported in the round before reports it once more.
            fixture.messages.expectBoxes(1);
            f.txtMiddleInitial->setFocus(); // a field without a rule
            f.mskDateTaken->setRawValue(dateTaken);
            f.mskDateOfBirth->setRawValue(dateOfBirth);
            f.mskAnalysisDate->setRawValue(analysisDate);
            box->setRawValue(entered);
            box->setFocus(Qt::OtherFocusReason);
            QCOMPARE(QApplication::focusWidget(), box);
            for (int other = 1; other <= 3; ++other)
                paint(dateBox(f, other), kSentinel);
            fixture.messages.messages.clear();
            fixture.messages.expectBoxes(message.isEmpty() ? 0 : 1);

            depart(f, box, how);

            if (message.isEmpty()) {
                QVERIFY2(fixture.messages.messages.isEmpty(), context);
                QVERIFY2(QApplication::focusWidget() != box, context);
            } else {
                QCOMPARE(fixture.messages.messages.size(), 1);
                const ScriptedMessageService::Message& shown = fixture.messages.messages.first();
                QCOMPARE(shown.text, message);
                QCOMPARE(shown.title, kTitle);
                QCOMPARE(shown.buttons, MessageButtons::Ok);
                QCOMPARE(shown.icon, MessageIcon::Warning);
                QVERIFY2(QApplication::focusWidget() == box, context);
            }
            QCOMPARE(box->rawValue(), left);
            // The highlight follows what the check left in the box, an emptied box included.
            QCOMPARE(base(box), left.isEmpty() ? kHighlight
                                               : QApplication::palette(box).color(QPalette::Base));
            // The other boxes are neither checked, changed nor re-coloured.
            for (int other = 1; other <= 3; ++other) {
                if (other == code)
                    continue;
                QCOMPARE(dateBox(f, other)->rawValue(), other == 1   ? dateTaken
                                                        : other == 2 ? dateOfBirth
                                                                     : analysisDate);
                QCOMPARE(base(dateBox(f, other)), kSentinel);
            }
        }
    }

    // A reported box keeps the focus; the control it was left for never held it, so its own
    // rule does not run (txtLastName would fill txtParentsLast). Every new departure checks again.
    void oneMessagePerDepartureWithScriptedBoxes() {
        MainWindowFixture fixture;
        QVERIFY(startBlank(fixture));
        Ui::frmKorvanel& f = fixture.form();
        f.txtLastName->setText("Smith");
        f.mskDateTaken->setRawValue("13012026");
        f.mskDateTaken->setFocus();
        fixture.messages.expectBoxes(2);
        QTest::keyClick(f.mskDateTaken, Qt::Key_Tab);
        QCOMPARE(fixture.messages.messages.size(), 1);
        QCOMPARE(QApplication::focusWidget(), f.mskDateTaken);
        QCoreApplication::processEvents();
        QCOMPARE(fixture.messages.messages.size(), 1);
        QCOMPARE(f.txtParentsLast->text(), QString());

        QTest::keyClick(f.mskDateTaken, Qt::Key_Tab);
        QCOMPARE(fixture.messages.messages.size(), 2);
        QCOMPARE(QApplication::focusWidget(), f.mskDateTaken);

        // Corrected: the next departure passes and the focus goes on.
        fixture.messages.expectNoBox();
        f.mskDateTaken->setRawValue("12012026");
        QTest::keyClick(f.mskDateTaken, Qt::Key_Tab);
        QCOMPARE(fixture.messages.messages.size(), 2);
        QCOMPARE(QApplication::focusWidget(), f.txtLastName);
    }

    // The same with real modal boxes: the box deactivates the window and its closing gives the
    // focus back; neither is a departure of the date box.
    void oneMessagePerDepartureWithRealBoxes_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("entered");
        QTest::addColumn<QString>("message");
        QTest::newRow("taken invalid") << 1 << "02302024"
                                       << "Date Taken is not valid or is incomplete.\nEnter "
                                          "MM/DD/YYYY (4 digit year required).";
        QTest::newRow("birth in the future") << 2 << "01012027"
                                             << "Date of Birth must be earlier than today.";
        QTest::newRow("analysis before taken")
            << 3 << "11012026"
            << "Analysis Date must be equal to or after Date Taken";
    }
    void oneMessagePerDepartureWithRealBoxes() {
        QFETCH(int, code);
        QFETCH(QString, entered);
        QFETCH(QString, message);
        MainWindowFixture fixture;
        fixture.realMessageBoxes = true;
        QVERIFY(startBlank(fixture));
        Ui::frmKorvanel& f = fixture.form();
        MaskedEdit* box = dateBox(f, code);
        f.txtMiddleInitial->setFocus();
        if (code == 3)
            f.mskDateTaken->setRawValue("11302026");
        box->setRawValue(entered);
        box->setFocus();
        ModalBoxAnswerer answerer;
        QStringList seen;
        answerer.onBox = [&seen](QMessageBox& shown) {
            seen << QString("%1 %2")
                        .arg(shown.icon() == QMessageBox::Warning ? "warning" : "other")
                        .arg(shown.standardButtons() == QMessageBox::Ok ? "ok" : "other");
        };

        for (Departure how : {Departure::Tab, Departure::SetFocus, Departure::MouseClick}) {
            const int before = int(answerer.texts.size());
            answerer.expectBoxes(1);
            box->setRawValue(entered);
            box->setFocus();
            depart(f, box, how);
            QTRY_COMPARE(answerer.texts.size(), before + 1);
            QCOMPARE(answerer.texts.last(), message);
            QCOMPARE(answerer.titles.last(), kTitle);
            QCOMPARE(seen.last(), QString("warning ok"));
            // The window comes back (the window manager's part) with the focus in the box.
            fixture.window().activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&fixture.window()));
            QTRY_COMPARE(QApplication::focusWidget(), box);
            QCOMPARE(box->rawValue(), code == 3 ? QString() : entered);
            QCoreApplication::processEvents();
            QCOMPARE(answerer.texts.size(), before + 1);
        }
    }

    // The "..." buttons put today into their box and check nothing; leaving the box later does.
    void todayButtonsFillTodayUnchecked_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("otherRaw");
        QTest::addColumn<QString>("laterMessage");
        QTest::newRow("date taken after the analysis date")
            << "cmdDateTakenToday" << 1 << "12012026"
            << "Date Taken must be before or equal to Analysis Date";
        QTest::newRow("analysis date, no other date") << "cmdAnalysisDateToday" << 3 << ""
                                                      << "";
    }
    void todayButtonsFillTodayUnchecked() {
        QFETCH(QString, button);
        QFETCH(int, code);
        QFETCH(QString, otherRaw);
        QFETCH(QString, laterMessage);
        MainWindowFixture fixture;
        QVERIFY(startBlank(fixture));
        fixture.clock.set(QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59)));
        Ui::frmKorvanel& f = fixture.form();
        MaskedEdit* box = dateBox(f, code);
        f.txtLastName->setFocus();
        dateBox(f, code == 1 ? 3 : 1)->setRawValue(otherRaw);
        box->setRawValue("0101");
        paint(box, kSentinel);
        fixture.messages.expectNoBox();

        QTest::mouseClick(fixture.window().findChild<QPushButton*>(button), Qt::LeftButton);
        QCOMPARE(box->rawValue(), QString("12062026"));
        QCOMPARE(box->text(), QString("12/06/2026"));
        QVERIFY(fixture.messages.messages.isEmpty());
        QCOMPARE(base(box), kSentinel);

        // Another day: the clock is read afresh.
        fixture.clock.set(QDateTime(QDate(2027, 1, 2), QTime(0, 0, 0)));
        QTest::mouseClick(fixture.window().findChild<QPushButton*>(button), Qt::LeftButton);
        QCOMPARE(box->rawValue(), QString("01022027"));
        fixture.clock.set(QDateTime(QDate(2026, 12, 6), QTime(12, 0, 0)));
        box->setRawValue("12062026");

        box->setFocus();
        fixture.messages.expectBoxes(laterMessage.isEmpty() ? 0 : 1);
        f.txtLastName->setFocus();
        if (laterMessage.isEmpty()) {
            QVERIFY(fixture.messages.messages.isEmpty());
            QCOMPARE(box->rawValue(), QString("12062026"));
        } else {
            QCOMPARE(fixture.messages.messages.size(), 1);
            QCOMPARE(fixture.messages.messages.first().text, laterMessage);
            QCOMPARE(box->rawValue(), QString());
            QCOMPARE(QApplication::focusWidget(), box);
        }
    }

    // Clicking "..." while leaving a bad date: the departure is reported first, then the button
    // fills its box.
    void todayButtonAfterLeavingABadDate() {
        MainWindowFixture fixture;
        QVERIFY(startBlank(fixture));
        Ui::frmKorvanel& f = fixture.form();
        QStringList order;
        fixture.messages.whileOpen = [&](const ScriptedMessageService::Message& shown) {
            order << shown.text + " with " + f.mskDateTaken->rawValue();
        };
        f.mskDateTaken->setRawValue("99");
        f.mskDateTaken->setFocus();
        fixture.messages.expectBoxes(1);
        QTest::mouseClick(f.cmdDateTakenToday, Qt::LeftButton);
        QCOMPARE(order,
                 QStringList{"Date Taken is not valid or is incomplete." + kAdvice + " with 99"});
        QCOMPARE(f.mskDateTaken->rawValue(), QString("12062026"));
        QCOMPARE(QApplication::focusWidget(), f.mskDateTaken);
    }
};

QTEST_MAIN(tst_DateRules)
#include "tst_DateRules.moc"
