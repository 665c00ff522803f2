#include "support/MainWindowTestAccess.h"
#include "support/ModalBoxAnswerer.h"
#include "support/ScriptedMessageService.h"
#include "ui_dlgProviderCode.h"
#include "ui_frmKorvanel.h"
#include "window/main/frmKorvanel.h"
#include "window/provider/dlgProviderCode.h"
#include "window/widgets/OptionGroup.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// The main window shown and active, with a log of its events in the order they ran.
struct Fixture {
    ScriptedMessageService scripted;
    QtMessageService real;
    MessageService* messages = nullptr;
    std::unique_ptr<frmKorvanel> window;
    Ui::frmKorvanel* f = nullptr;
    QStringList log;

    explicit Fixture(bool realBoxes = false) {
        messages = realBoxes ? static_cast<MessageService*>(&real) : &scripted;
        window = std::make_unique<frmKorvanel>();
        real.setWindow(window.get());
        f = &MainWindowTestAccess::controls(*window);
        QObject::connect(window.get(), &frmKorvanel::lostFocus, window.get(),
                         [this](QWidget* w) { log << "lost " + w->objectName(); });
        QObject::connect(window.get(), &frmKorvanel::optionClicked, window.get(),
                         [this](QAbstractButton* b) { log << "option " + b->objectName(); });
        QObject::connect(window.get(), &frmKorvanel::comboClicked, window.get(),
                         [this](QComboBox* c) { log << "combo " + c->objectName(); });
        for (QPushButton* button : window->findChildren<QPushButton*>()) {
            QObject::connect(button, &QPushButton::clicked, window.get(),
                             [this, button] { log << "click " + button->objectName(); });
        }
    }
    bool showActive() {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }
    // A lostFocus handler of field that shows a message, as the field rules do.
    void messageOnLostFocus(QWidget* field, const QString& title) {
        QObject::connect(
            window.get(), &frmKorvanel::lostFocus, window.get(), [this, field, title](QWidget* w) {
                if (w != field)
                    return;
                messages->show("Text", title, MessageButtons::Ok, MessageIcon::Warning);
                log << "closed " + title;
            });
    }
};

QPoint centreInWindow(QWidget* w) {
    return w->mapTo(w->window(), w->rect().center());
}

} // namespace

class tst_FieldEvents : public QObject {
    Q_OBJECT
private slots:
    // Any warning fails a test, except the offscreen platform noting what it cannot do.
    void init() { QTest::failOnWarning(QRegularExpression("^(?!This plugin does not support).*")); }

    void lostFocusOfEveryFieldWhenFocusMovesInWindow() {
        Fixture t;
        QVERIFY(t.showActive());
        const QList<QWidget*> fields{
            t.f->mskDateTaken,     t.f->txtLastName,     t.f->txtFirstName,
            t.f->txtMiddleInitial, t.f->mskDateOfBirth,  t.f->txtStreetNumber,
            t.f->txtStreetName,    t.f->txtAptNumber,    t.f->cboCity,
            t.f->cboZip,           t.f->txtParentsLast,  t.f->txtParentsFirst,
            t.f->mskPhone,         t.f->mskAnalysisDate, t.f->txtPb,
            t.f->cboPhysician,     t.f->txtProviderCode, t.f->txtAnalysisMethod,
            t.f->cboRaceCode,      t.f->cboAncestry};
        for (QWidget* field : fields) {
            field->setFocus();
            t.log.clear();
            t.f->cmdNew->setFocus(); // by the program
            QCOMPARE(t.log, QStringList{"lost " + field->objectName()});
        }
        // By the operator: Tab, and a click into another field.
        t.f->txtLastName->setFocus();
        t.log.clear();
        QTest::keyClick(t.f->txtLastName, Qt::Key_Tab);
        QTest::mouseClick(t.f->txtStreetName, Qt::LeftButton);
        QCOMPARE(t.log, QStringList({"lost txtLastName", "lost txtFirstName"}));
        // Leaving a button raises nothing.
        t.f->cmdNew->setFocus();
        t.log.clear();
        t.f->txtLastName->setFocus();
        QVERIFY(t.log.isEmpty());
    }

    void noLostFocusWhenMessageBoxOrDialogOpens() {
        Fixture t(true);
        QVERIFY(t.showActive());
        t.f->txtLastName->setFocus();
        t.log.clear();
        ModalBoxAnswerer answerer;
        t.messages->show("Line one\r\nLine two", "Korvanel CM", MessageButtons::Ok,
                         MessageIcon::None);
        QCOMPARE(answerer.titles, QStringList{"Korvanel CM"});
        t.window->activateWindow(); // the window manager's part
        QTRY_COMPARE(QApplication::focusWidget(), t.f->txtLastName);

        dlgProviderCode dialog(t.window.get());
        QTimer::singleShot(0, &dialog, [&dialog] {
            QTRY_VERIFY(dialog.isActiveWindow());
            MainWindowTestAccess::controls(dialog).mskProviderCode->setFocus();
            QTest::keyClick(MainWindowTestAccess::controls(dialog).mskProviderCode, Qt::Key_Tab);
            dialog.accept();
        });
        dialog.exec();
        t.window->activateWindow();
        QTRY_COMPARE(QApplication::focusWidget(), t.f->txtLastName);
        QVERIFY2(t.log.isEmpty(), qPrintable(t.log.join(", ")));
    }

    void noLostFocusWhenComboOpensItsList() {
        Fixture t;
        QVERIFY(t.showActive());
        for (QComboBox* combo : {t.f->cboCity, t.f->cboRaceCode}) {
            combo->addItems({"Alpha", "Beta", "Gamma"});
            combo->setFocus();
            t.log.clear();
            combo->showPopup();
            QTRY_VERIFY(combo->view()->isVisible());
            QTRY_VERIFY(QApplication::focusWidget() != combo);
            combo->hidePopup();
            QTRY_VERIFY(!combo->view()->isVisible());
            QVERIFY2(t.log.isEmpty(), qPrintable(t.log.join(", ")));
        }
    }

    // The field's lost focus runs before the click of the button that took the focus, also
    // for buttons skipped by Tab and for option buttons.
    void lostFocusBeforeClick_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("raised");
        QTest::newRow("command button") << "cmdUpdate"
                                        << "click cmdUpdate";
        QTest::newRow("not a tab stop") << "cmdDateTakenToday"
                                        << "click cmdDateTakenToday";
        QTest::newRow("option button") << "optFemale"
                                       << "option optFemale";
    }
    void lostFocusBeforeClick() {
        QFETCH(QString, target);
        QFETCH(QString, raised);
        Fixture t;
        QVERIFY(t.showActive());
        t.messageOnLostFocus(t.f->txtPb, "Date Entry Error");
        t.scripted.whileOpen = [&t](const ScriptedMessageService::Message&) {
            t.log << "box open";
        };
        t.f->txtPb->setFocus();
        t.log.clear();
        QTest::mouseClick(t.window->findChild<QWidget*>(target), Qt::LeftButton);
        QCOMPARE(t.log, QStringList({"lost txtPb", "box open", "closed Date Entry Error", raised}));
    }

    // A real modal box opened by the lost-focus handler: the click still runs once after the
    // operator closed the box.
    void clickRunsOnceAfterRealMessageBox_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("raised");
        QTest::newRow("command button") << "cmdNew"
                                        << "click cmdNew";
        QTest::newRow("not a tab stop") << "cmdAnalysisDateToday"
                                        << "click cmdAnalysisDateToday";
        QTest::newRow("option button") << "optVenous"
                                       << "option optVenous";
    }
    void clickRunsOnceAfterRealMessageBox() {
        QFETCH(QString, target);
        QFETCH(QString, raised);
        Fixture t(true);
        QVERIFY(t.showActive());
        t.messageOnLostFocus(t.f->mskAnalysisDate, "Date Entry Error");
        ModalBoxAnswerer answerer;
        answerer.onBox = [&t](QMessageBox&) { t.log << "box open"; };
        t.f->mskAnalysisDate->setFocus();
        t.log.clear();
        QTest::mouseClick(t.window->findChild<QWidget*>(target), Qt::LeftButton);
        QTRY_COMPARE(t.log, QStringList({"lost mskAnalysisDate", "box open",
                                         "closed Date Entry Error", raised}));
        QTest::qWait(50); // nothing else may follow
        QCOMPARE(t.log.size(), 4);
    }

    // The operator lets go of the mouse while the box is open: the release lands on the
    // blocked window and is lost; the click must run anyway.
    void clickRunsWhenModalBoxAteTheRelease() {
        Fixture t(true);
        QVERIFY(t.showActive());
        t.messageOnLostFocus(t.f->txtLastName, "Date Entry Error");
        QWindow* handle = t.window->windowHandle();
        const QPoint at = centreInWindow(t.f->cmdDelete);
        ModalBoxAnswerer answerer;
        answerer.onBox = [&t, handle, at](QMessageBox&) {
            t.log << "box open";
            QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, at);
        };
        t.f->txtLastName->setFocus();
        t.log.clear();
        QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, at);
        QTRY_COMPARE(t.log, QStringList({"lost txtLastName", "box open", "closed Date Entry Error",
                                         "click cmdDelete"}));
        QVERIFY(!t.f->cmdDelete->isDown());
        // The next ordinary click works as usual.
        t.log.clear();
        QTest::mouseClick(handle, Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(t.log, QStringList{"click cmdDelete"});
    }

    // A handler that sends the focus back to its own field (a failed date check) does not
    // raise the lost focus of the control that had just received it.
    void focusSentBackRaisesNoSecondLostFocus() {
        Fixture t;
        QVERIFY(t.showActive());
        connect(t.window.get(), &frmKorvanel::lostFocus, t.window.get(), [&t](QWidget* w) {
            if (w == t.f->mskDateTaken)
                t.f->mskDateTaken->setFocus();
        });
        t.f->mskDateTaken->setFocus();
        t.log.clear();
        QTest::keyClick(t.f->mskDateTaken, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), t.f->mskDateTaken);
        QCOMPARE(t.log, QStringList{"lost mskDateTaken"});
    }

    void optionClickRules() {
        Fixture t;
        t.window->show();
        t.f->optVenous->setChecked(true);      // by the program
        t.f->optVenous->setChecked(true);      // already selected: nothing
        t.f->optCapillary->setChecked(true);   // the cleared optVenous raises nothing
        clearOptionGroup(*t.f->testTypeGroup); // cleared: nothing
        QCOMPARE(t.f->testTypeGroup->checkedButton(), nullptr);
        t.f->optCapillary->setChecked(true);
        QTest::mouseClick(t.f->optHighResult, Qt::LeftButton); // by the operator
        QTest::mouseClick(t.f->optHighResult, Qt::LeftButton); // already selected
        QTest::mouseClick(t.f->optMale, Qt::LeftButton);       // selected when the form opens
        QCOMPARE(t.log, QStringList({"option optVenous", "option optCapillary",
                                     "option optCapillary", "option optHighResult"}));
    }

    void comboClickRules() {
        Fixture t;
        QVERIFY(t.showActive());
        t.f->cboRaceCode->addItems({"Black (1)", "White (3)", "Unknown (7)"});
        t.f->cboCity->addItems({"Alpha", "Beta"});
        t.window->selectEntry(t.f->cboRaceCode, 2); // by the program, by position
        QCOMPARE(t.f->cboRaceCode->currentText(), QString("Unknown (7)"));
        t.window->selectEntry(t.f->cboRaceCode, 2); // again: still a click
        t.window->selectEntry(t.f->cboCity, -1);    // no entry: no click
        QCOMPARE(t.f->cboCity->currentIndex(), -1);
        t.f->cboCity->setCurrentIndex(1); // a bare index change is no click
        t.f->cboRaceCode->setFocus();
        t.log.removeAll("lost mskDateTaken");
        QTest::keyClick(t.f->cboRaceCode, Qt::Key_Up); // the operator chooses
        QCOMPARE(t.f->cboRaceCode->currentText(), QString("White (3)"));
        QCOMPARE(t.log,
                 QStringList({"combo cboRaceCode", "combo cboRaceCode", "combo cboRaceCode"}));
    }

    // Text typed into an editable list box that equals one of its entries is no choice, however
    // the box is left; choosing that entry from the open list is.
    void typedEntryIsNoChoice_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ending");
        for (const char* name : {"cboCity", "cboZip", "cboPhysician"}) {
            for (const char* ending : {"Enter", "Tab", "mouse", "open list"})
                QTest::addRow("%s, %s", name, ending) << name << ending;
        }
    }
    void typedEntryIsNoChoice() {
        QFETCH(QString, name);
        QFETCH(QString, ending);
        Fixture t;
        QVERIFY(t.showActive());
        auto combo = t.window->findChild<QComboBox*>(name);
        QVERIFY(combo->isEditable());
        combo->addItems({"Alpha", "Beta", "Gamma"});
        combo->setCurrentIndex(0);
        combo->setFocus();
        combo->lineEdit()->clear();
        QTest::keyClicks(combo, "Beta");
        t.log.clear();
        if (ending == "Enter") {
            QTest::keyClick(combo, Qt::Key_Return);
        } else if (ending == "Tab") {
            QTest::keyClick(combo, Qt::Key_Tab);
        } else if (ending == "mouse") {
            QTest::mouseClick(t.f->txtLastName, Qt::LeftButton);
        } else {
            combo->showPopup();
            QTRY_VERIFY(combo->view()->isVisible());
        }
        QVERIFY2(!t.log.contains("combo " + name), qPrintable(t.log.join(", ")));
        QCOMPARE(combo->currentText(), QString("Beta"));

        // The same entry chosen from the open list is a choice.
        if (!combo->view()->isVisible()) {
            combo->setFocus();
            combo->showPopup();
            QTRY_VERIFY(combo->view()->isVisible());
        }
        t.log.clear();
        combo->view()->setCurrentIndex(combo->model()->index(1, 0));
        QTest::keyClick(combo->view(), Qt::Key_Return);
        QTRY_VERIFY(!combo->view()->isVisible());
        QCOMPARE(t.log, QStringList{"combo " + name});
        QCOMPARE(combo->currentText(), QString("Beta"));
    }
};

QTEST_MAIN(tst_FieldEvents)
#include "tst_FieldEvents.moc"
