#include "support/MainWindowFixture.h"
#include "validation/Highlight.h"
#include "window/main/MainWindowController.h"
#include "window/main/RecordCommands.h"
#include "window/main/RecordPresenter.h"
#include "window/main/frmKorvanel.h"
#include "window/widgets/MaskedEdit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QTest>

// The entry rules of the main window: the result group, the parents' name and the rules that
// only re-colour a mandatory field.
namespace {

const QColor kHighlight(255, 255, 192);
const QColor kSentinel(1, 2, 3);

QColor base(QWidget* control) {
    return control->palette().color(QPalette::Base);
}

bool highlighted(QWidget* control) {
    return base(control) == kHighlight;
}

void paint(QWidget* control, const QColor& colour) {
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, colour);
    control->setPalette(palette);
}

// Shows a stored record whose result is pbResult with BelowDetection belowDetection, after a
// record with a measured result (so that a measured display keeps the flag it took from
// BelowDetection: the already selected "Pb Result:" runs no click rule).
bool startWithResult(MainWindowFixture& fixture, const QString& pbResult,
                     const QString& belowDetection) {
    ResultRecord record = MainWindowFixture::completeRecord();
    record.set(ResultRecord::PbResult, pbResult);
    record.set(ResultRecord::BelowDetection, belowDetection);
    fixture.writeRecords({MainWindowFixture::completeRecord(), record});
    fixture.setProviderFile("123456");
    if (!fixture.start())
        return false;
    fixture.controller().commands().cmdNext_Click();
    return fixture.state().CurrentRecord == 2;
}

void typeInto(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// Every control the highlight may colour, painted with a colour no rule uses.
QList<QWidget*> paintAllEditable(frmKorvanel& window) {
    QList<QWidget*> controls;
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (qobject_cast<QLineEdit*>(control) || qobject_cast<QComboBox*>(control)) {
            if (qobject_cast<QComboBox*>(control->parentWidget()))
                continue;
            paint(control, kSentinel);
            controls << control;
        }
    }
    return controls;
}

} // namespace

class tst_EntryRulesWindow : public QObject {
    Q_OBJECT
private slots:
    // Any warning fails a test, except the offscreen platform noting what it cannot do.
    void init() { QTest::failOnWarning(QRegularExpression("^(?!This plugin does not support).*")); }

    // Typing into txtPb and leaving it with Tab.
    void leavingTheResultBox_data() {
        QTest::addColumn<QString>("storedResult"); // the record shown first
        QTest::addColumn<QString>("storedBelow");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("beeps");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("lowResultFlag");
        QTest::addColumn<bool>("isHighlighted");
        QTest::newRow("70 is high") << "12.5"
                                    << "0"
                                    << "70" << 1 << "optHighResult"
                                    << "66.0" << false << false << false;
        QTest::newRow("65.0 stays measured") << "12.5"
                                             << "0"
                                             << "65.0" << 1 << "optPbResult"
                                             << "65.0" << true << false << false;
        QTest::newRow("65.1 is high") << "12.5"
                                      << "0"
                                      << "65.1" << 1 << "optHighResult"
                                      << "66.0" << false << false << false;
        QTest::newRow("15 no beep") << "12.5"
                                    << "0"
                                    << "15" << 0 << "optPbResult"
                                    << "15" << true << false << false;
        QTest::newRow("15.1 beeps") << "12.5"
                                    << "0"
                                    << "15.1" << 1 << "optPbResult"
                                    << "15.1" << true << false << false;
        QTest::newRow("2.0 measured") << "12.5"
                                      << "0"
                                      << "2.0" << 0 << "optPbResult"
                                      << "2.0" << true << false << false;
        // A record stored with BelowDetection "1" but a measured value sets LowResultFlag.
        QTest::newRow("2.0 after a low result shown") << "5.0"
                                                      << "1"
                                                      << "2.0" << 0 << "optLowResult"
                                                      << "    " << false << true << false;
        QTest::newRow("3.3 after a low result shown stays measured")
            << "5.0"
            << "1"
            << "3.3" << 0 << "optPbResult"
            << "3.3" << true << true << false;
        QTest::newRow("lone dot") << "12.5"
                                  << "0"
                                  << "." << 0 << "optPbResult"
                                  << "." << true << false << false;
        QTest::newRow("emptied") << "12.5"
                                 << "0"
                                 << "" << 0 << "optPbResult"
                                 << "" << true << false << true;
    }
    void leavingTheResultBox() {
        QFETCH(QString, storedResult);
        QFETCH(QString, storedBelow);
        QFETCH(QString, typed);
        QFETCH(int, beeps);
        QFETCH(QString, option);
        QFETCH(QString, text);
        QFETCH(bool, enabled);
        QFETCH(bool, lowResultFlag);
        QFETCH(bool, isHighlighted);
        MainWindowFixture fixture;
        QVERIFY(startWithResult(fixture, storedResult, storedBelow));
        Ui::frmKorvanel& f = fixture.form();
        QVERIFY(f.optPbResult->isChecked());
        QCOMPARE(fixture.state().LowResultFlag, storedBelow == "1");
        typeInto(f.txtPb, typed);
        QCOMPARE(f.txtPb->text(), typed);
        QCOMPARE(fixture.messages.beeps, 0);

        QTest::keyClick(f.txtPb, Qt::Key_Tab);

        QCOMPARE(fixture.messages.beeps, beeps);
        QCOMPARE(f.resultGroup->checkedButton()->objectName(), option);
        QCOMPARE(f.txtPb->text(), text);
        QCOMPARE(f.txtPb->isEnabled(), enabled);
        QCOMPARE(fixture.state().LowResultFlag, lowResultFlag);
        QCOMPARE(highlighted(f.txtPb), isHighlighted);
        QVERIFY(fixture.messages.messages.isEmpty());
    }

    void lowThenPbResult() {
        MainWindowFixture fixture;
        QVERIFY(startWithResult(fixture, "12.5", "0"));
        Ui::frmKorvanel& f = fixture.form();
        QTest::mouseClick(f.optLowResult, Qt::LeftButton);
        QCOMPARE(f.txtPb->text(), QString("    "));
        QVERIFY(!f.txtPb->isEnabled());
        QVERIFY(!highlighted(f.txtPb));
        QVERIFY(fixture.state().LowResultFlag);
        QVERIFY(!f.optPbResult->isChecked());

        QTest::mouseClick(f.optPbResult, Qt::LeftButton);
        QCOMPARE(f.txtPb->text(), QString());
        QVERIFY(f.txtPb->isEnabled());
        QCOMPARE(QApplication::focusWidget(), f.txtPb);
        QVERIFY(highlighted(f.txtPb));
        QVERIFY(!fixture.state().LowResultFlag);
        QCOMPARE(fixture.messages.beeps, 0);

        // Saved as a measured result with what the box now holds.
        fixture.controller().commands().cmdUpdate_Click();
        QCOMPARE(fixture.storedRecords().at(1).get(ResultRecord::BelowDetection), QString("0"));
    }

    // The typed 12 is left first (a measured result, no beep), then High replaces it.
    void highAfterTyping12() {
        MainWindowFixture fixture;
        QVERIFY(startWithResult(fixture, "", "0"));
        Ui::frmKorvanel& f = fixture.form();
        typeInto(f.txtPb, "12");
        QTest::mouseClick(f.optHighResult, Qt::LeftButton);
        QCOMPARE(f.txtPb->text(), QString("66.0"));
        QVERIFY(!f.txtPb->isEnabled());
        QVERIFY(!highlighted(f.txtPb));
        QVERIFY(!fixture.state().LowResultFlag);
        QCOMPARE(fixture.messages.beeps, 0);
    }

    // An option's rule runs only when the option becomes selected.
    void optionRulesRunOnlyWhenSelected() {
        MainWindowFixture fixture;
        QVERIFY(startWithResult(fixture, "12.5", "0"));
        Ui::frmKorvanel& f = fixture.form();
        typeInto(f.txtPb, "12");
        QTest::mouseClick(f.optPbResult, Qt::LeftButton); // already selected
        QCOMPARE(f.txtPb->text(), QString("12"));
        QVERIFY(f.txtPb->isEnabled());

        QTest::mouseClick(f.optLowResult, Qt::LeftButton);
        f.txtPb->setText("x"); // anything the rule would overwrite
        QTest::mouseClick(f.optLowResult, Qt::LeftButton);
        QCOMPARE(f.txtPb->text(), QString("x"));
        // Selected by the program: the same rule as by the operator.
        f.optHighResult->setChecked(true);
        QCOMPARE(f.txtPb->text(), QString("66.0"));
        QVERIFY(!fixture.state().LowResultFlag);
        f.optLowResult->setChecked(true);
        QCOMPARE(f.txtPb->text(), QString("    "));
        QVERIFY(fixture.state().LowResultFlag);
    }

    void parentsName_data() {
        QTest::addColumn<QString>("lastName");
        QTest::addColumn<QString>("parentsLast");
        QTest::addColumn<QString>("parentsLastAfter");
        QTest::addColumn<bool>("lastNameHighlighted");
        QTest::newRow("filled in") << "Smith"
                                   << ""
                                   << "Smith" << false;
        QTest::newRow("taken as typed") << " smith jr "
                                        << ""
                                        << " smith jr " << false;
        QTest::newRow("other name kept") << "Smith"
                                         << "Jones"
                                         << "Jones" << false;
        QTest::newRow("a blank kept") << "Smith"
                                      << " "
                                      << " " << false;
        QTest::newRow("both empty") << ""
                                    << ""
                                    << "" << true;
        QTest::newRow("blank last name") << "  "
                                         << ""
                                         << "  " << true;
    }
    void parentsName() {
        QFETCH(QString, lastName);
        QFETCH(QString, parentsLast);
        QFETCH(QString, parentsLastAfter);
        QFETCH(bool, lastNameHighlighted);
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        QVERIFY(fixture.start());
        Ui::frmKorvanel& f = fixture.form();
        f.txtParentsLast->setText(parentsLast);
        typeInto(f.txtLastName, lastName);
        paint(f.txtParentsLast, kSentinel);
        QTest::keyClick(f.txtLastName, Qt::Key_Tab);
        QCOMPARE(f.txtParentsLast->text(), parentsLastAfter);
        QCOMPARE(f.txtLastName->text(), lastName);
        QCOMPARE(highlighted(f.txtLastName), lastNameHighlighted);
        QCOMPARE(base(f.txtParentsLast), kSentinel);
    }

    // Leaving one field re-colours that field and nothing else; fields without a rule keep
    // their colour.
    void leavingAFieldRecoloursOnlyIt_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("hasRule");
        for (const char* name : {"txtFirstName", "txtStreetNumber", "txtStreetName", "cboCity",
                                 "cboZip", "cboRaceCode", "cboAncestry", "mskPhone"})
            QTest::newRow(name) << name << true;
        for (const char* name : {"txtMiddleInitial", "txtAptNumber", "txtParentsLast",
                                 "txtParentsFirst", "cboPhysician"})
            QTest::newRow(name) << name << false;
    }
    void leavingAFieldRecoloursOnlyIt() {
        QFETCH(QString, name);
        QFETCH(bool, hasRule);
        MainWindowFixture fixture;
        fixture.writeRecords({MainWindowFixture::completeRecord()});
        fixture.setProviderFile("123456");
        QVERIFY(fixture.start());
        fixture.form().cboPhysician->addItem("Dr. Who");
        auto control = fixture.window().findChild<QWidget*>(name);
        QVERIFY(control);

        for (bool empty : {true, false}) {
            if (auto combo = qobject_cast<QComboBox*>(control)) {
                if (combo->isEditable())
                    combo->setEditText(empty ? QString() : QString("Springfield"));
                else
                    combo->setCurrentIndex(empty ? -1 : 0);
            } else if (auto masked = qobject_cast<MaskedEdit*>(control)) {
                masked->setRawValue(empty ? QString() : QString("5551234567"));
            } else {
                static_cast<QLineEdit*>(control)->setText(empty ? QString() : QString("7"));
            }
            control->setFocus();
            QVERIFY(control->hasFocus() || control->isAncestorOf(QApplication::focusWidget()));
            const QList<QWidget*> painted = paintAllEditable(fixture.window());
            fixture.form().cmdNew->setFocus(); // leaves the field without clicking

            for (QWidget* other : painted) {
                if (other == control && hasRule) {
                    QCOMPARE(highlighted(control), empty);
                    QVERIFY(base(control) != kSentinel);
                } else {
                    QVERIFY2(base(other) == kSentinel, qPrintable(other->objectName()));
                }
            }
        }
        QVERIFY(fixture.messages.messages.isEmpty());
        QCOMPARE(fixture.messages.beeps, 0);
    }

    // Choosing an entry of a list re-colours it at once, while the focus stays in the list.
    void choosingFromAListRecoloursAtOnce_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("byPopup");
        for (const char* name : {"cboRaceCode", "cboAncestry", "cboZip"}) {
            QTest::addRow("%s by key", name) << name << false;
            QTest::addRow("%s from its list", name) << name << true;
        }
    }
    void choosingFromAListRecoloursAtOnce() {
        QFETCH(QString, name);
        QFETCH(bool, byPopup);
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        QVERIFY(fixture.start());
        auto list = fixture.window().findChild<QComboBox*>(name);
        if (list == fixture.form().cboZip)
            list->addItems({"", "90210", "90211"});
        list->setCurrentIndex(-1);
        list->setFocus();
        fixture.controller().presenter().MandatoryFieldHighlight(list);
        QVERIFY(highlighted(list));

        if (byPopup) {
            list->showPopup();
            QAbstractItemView* view = list->view();
            QTRY_VERIFY(view->isVisible());
            const QRect entry = view->visualRect(view->model()->index(1, 0));
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, entry.center());
            QTRY_VERIFY(!view->isVisible());
        } else {
            QTest::keyClick(list, Qt::Key_Down);
        }
        QCOMPARE(list->currentIndex(), byPopup ? 1 : 0);
        if (list->currentText().isEmpty())
            QVERIFY(highlighted(list)); // the zip list's empty first entry
        else
            QVERIFY(!highlighted(list));
        QTRY_VERIFY(list->hasFocus() || list->isAncestorOf(QApplication::focusWidget()));
    }
};

QTEST_MAIN(tst_EntryRulesWindow)
#include "tst_EntryRulesWindow.moc"
