#include "support/MainWindowFixture.h"
#include "ui_dlgProviderCode.h"
#include "window/main/MainWindowController.h"
#include "window/main/RecordPresenter.h"
#include "window/main/frmKorvanel.h"
#include "window/provider/dlgProviderCode.h"
#include "window/widgets/MaskedEdit.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

const QString kAdvice =
    QStringLiteral("Please use the Provider Code assigned to the you by the State of Calmoria.");
const QString kNotSet = QStringLiteral("Provider Code has not been set.\r\n") + kAdvice;
const QString kLength = QStringLiteral("Provider Code must be 6 digits.\r\n") + kAdvice;

// Runs action on the provider-code dialog once it is open and modal.
void whenDialogOpens(const std::function<void(dlgProviderCode&)>& action) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto* dialog = qobject_cast<dlgProviderCode*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(*dialog);
    });
    timer->start();
}

} // namespace

// The provider-code check with the operator's answers, and the dialog itself.
class tst_ProviderCodeDialog : public QObject {
    Q_OBJECT

private slots:
    // Each answer given in the dialog (at start-up when no code is set, otherwise through the
    // "..." button): the code in force, the file's bytes and the message afterwards.
    void decisionTable_data() {
        QTest::addColumn<QByteArray>("fileBefore");
        QTest::addColumn<QString>("answer"); // "cancel" or the raw value given with OK
        QTest::addColumn<QByteArray>("fileAfter");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("message");
        QTest::newRow("6 digits, no code")
            << QByteArray() << "123456" << QByteArray("123456") << "123456"
            << "";
        QTest::newRow("6 digits replace a code")
            << QByteArray("654321") << "123456" << QByteArray("123456") << "123456"
            << "";
        QTest::newRow("000123 is a code")
            << QByteArray("654321") << "000123" << QByteArray("000123") << "000123"
            << "";
        QTest::newRow("5 digits, a code")
            << QByteArray("654321") << "12345" << QByteArray("654321") << "654321" << kLength;
        QTest::newRow("1 digit, no code")
            << QByteArray() << "7" << QByteArray("      ") << "" << kLength;
        QTest::newRow("nothing, no code")
            << QByteArray() << "" << QByteArray("      ") << "" << kNotSet;
        QTest::newRow("zeros, no code")
            << QByteArray() << "000000" << QByteArray("      ") << "" << kNotSet;
        QTest::newRow("nothing, a code")
            << QByteArray("654321") << "" << QByteArray("654321") << "654321"
            << "";
        QTest::newRow("zeros, a code")
            << QByteArray("654321") << "000000" << QByteArray("654321") << "654321"
            << "";
        QTest::newRow("cancel, a code")
            << QByteArray("654321") << "cancel" << QByteArray("654321") << "654321"
            << "";
        QTest::newRow("cancel, no code")
            << QByteArray() << "cancel" << QByteArray("      ") << "" << kNotSet;
        QTest::newRow("cancel, zeros stored")
            << QByteArray("000000") << "cancel" << QByteArray("      ") << "" << kNotSet;
        QTest::newRow("line break kept")
            << QByteArray("123456\r\n") << "654321" << QByteArray("654321\r\n") << "654321"
            << "";
        QTest::newRow("bytes after the sixth kept, no code")
            << QByteArray("      \r\nnote") << "111222" << QByteArray("111222\r\nnote") << "111222"
            << "";
    }
    void decisionTable() {
        QFETCH(QByteArray, fileBefore);
        QFETCH(QString, answer);
        QFETCH(QByteArray, fileAfter);
        QFETCH(QString, shown);
        QFETCH(QString, message);
        MainWindowFixture fixture;
        fixture.setProviderFile(fileBefore);
        if (answer == "cancel")
            fixture.prompt.answerCancel();
        else
            fixture.prompt.answerOk(answer);
        QVERIFY(fixture.start());
        const bool codeWasSet = QString::fromLatin1(fileBefore.left(6)).toInt() != 0;
        if (codeWasSet) {
            QCOMPARE(fixture.prompt.asked, 0);
            fixture.form().cmdChangeProviderCode->click();
        }
        QCOMPARE(fixture.prompt.asked, 1);
        QCOMPARE(fixture.prompt.lastShown,
                 QString::fromLatin1(fileBefore.left(6)).leftJustified(6));
        QCOMPARE(fixture.readFile("AppData/provider.txt"), fileAfter);
        QCOMPARE(fixture.form().txtProviderCode->text(), shown);
        QCOMPARE(fixture.state().CurrentProviderCode, QString::fromLatin1(fileAfter.left(6)));
        if (message.isEmpty()) {
            QVERIFY(fixture.messages.messages.isEmpty());
        } else {
            QCOMPARE(fixture.messages.messages.size(), 1);
            QCOMPARE(fixture.messages.messages[0].text, message);
            QCOMPARE(fixture.messages.messages[0].title, QString("Provider Code Error"));
            QCOMPARE(fixture.messages.messages[0].buttons, MessageButtons::Ok);
            QCOMPARE(fixture.messages.messages[0].icon, MessageIcon::None);
        }
        const QColor base = fixture.form().txtProviderCode->palette().color(QPalette::Base);
        QCOMPARE(base == QColor(255, 255, 192), shown.isEmpty());
    }

    void setCodeAtStartUpOpensNoDialogAndWritesNothing() {
        MainWindowFixture fixture;
        fixture.setProviderFile("123456\r\n");
        const QDateTime before = QFileInfo(fixture.path("AppData/provider.txt")).lastModified();
        QVERIFY(fixture.start());
        QCOMPARE(fixture.prompt.asked, 0);
        QCOMPARE(fixture.readFile("AppData/provider.txt"), QByteArray("123456\r\n"));
        QCOMPARE(QFileInfo(fixture.path("AppData/provider.txt")).lastModified(), before);
        QCOMPARE(fixture.form().txtProviderCode->text(), QString("123456"));
    }

    void newCodeIsUsedByTheNextSave() {
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        fixture.writeRecords({MainWindowFixture::completeRecord()});
        QVERIFY(fixture.start());
        QSignalSpy changed(&fixture.controller().providerCodeCheck(),
                           &ProviderCodeCheck::currentProviderCodeChanged);
        fixture.prompt.answerOk("777888");
        fixture.form().cmdChangeProviderCode->click();
        QCOMPARE(fixture.form().txtProviderCode->text(), QString("777888"));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].toString(), QString("777888"));
        // The stored record keeps its old code until it is saved again.
        QCOMPARE(fixture.storedRecords()[0].get(ResultRecord::ProviderCode), QString("123456"));
        QVERIFY(fixture.controller().presenter().SaveCurrentRecord());
        QCOMPARE(fixture.storedRecords()[0].get(ResultRecord::ProviderCode), QString("777888"));
    }

    void cancelHandsBackTheCodeInForce() {
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        QVERIFY(fixture.start());
        QSignalSpy changed(&fixture.controller().providerCodeCheck(),
                           &ProviderCodeCheck::currentProviderCodeChanged);
        fixture.prompt.answerCancel();
        fixture.form().cmdChangeProviderCode->click();
        QCOMPARE(fixture.prompt.lastCodeInForce, QString("123456"));
        QCOMPARE(fixture.prompt.lastShown, QString("123456"));
        QCOMPARE(changed.size(), 0);
    }

    void unreadableFileStopsTheCheckWithOneMessage() {
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        QVERIFY(fixture.start());
        QVERIFY(QFile::remove(fixture.path("AppData/provider.txt")));
        QVERIFY(QDir().mkdir(fixture.path("AppData/provider.txt")));
        fixture.form().cmdChangeProviderCode->click();
        QCOMPARE(fixture.prompt.asked, 0);
        QCOMPARE(fixture.messages.messages.size(), 1);
        QCOMPARE(fixture.messages.messages[0].title, QString("File Error"));
        QVERIFY(fixture.messages.messages[0].text.contains(
            QDir::toNativeSeparators(fixture.path("AppData/provider.txt"))));
        QCOMPARE(fixture.form().txtProviderCode->text(), QString("123456"));
        QCOMPARE(fixture.state().CurrentProviderCode, QString("123456"));
    }

    // The real dialog.
    void dialogIsCentredOverTheMainWindow() {
        QWidget main;
        main.setGeometry(100, 80, 600, 400);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        dlgProviderCode dialog(&main);
        QRect placed;
        whenDialogOpens([&](dlgProviderCode& open) {
            placed = open.frameGeometry();
            MainWindowTestAccess::controls(open).CancelButton->click();
        });
        dialog.ShowDialog();
        const QRect frame = main.frameGeometry();
        QCOMPARE(placed.left(), frame.left() + (frame.width() - placed.width()) / 2);
        QCOMPARE(placed.top(), frame.top() + (frame.height() - placed.height()) / 2);
    }

    void dialogShowsTheCodeUnderItsMask_data() {
        QTest::addColumn<QString>("entered");
        QTest::addColumn<QString>("raw");
        QTest::newRow("a code") << "123456"
                                << "123456";
        QTest::newRow("leading zeros") << "000123"
                                       << "000123";
        QTest::newRow("no code") << "      "
                                 << "";
    }
    void dialogShowsTheCodeUnderItsMask() {
        QFETCH(QString, entered);
        QFETCH(QString, raw);
        QWidget main;
        main.resize(600, 400);
        main.show();
        dlgProviderCode dialog(&main);
        dialog.setEnteredProviderCode(entered);
        QString mask;
        QString shown;
        whenDialogOpens([&](dlgProviderCode& open) {
            mask = MainWindowTestAccess::controls(open).mskProviderCode->maskPattern();
            shown = MainWindowTestAccess::controls(open).mskProviderCode->rawValue();
            MainWindowTestAccess::controls(open).CancelButton->click();
        });
        dialog.ShowDialog();
        QCOMPARE(mask, QString("######"));
        QCOMPARE(shown, raw);
    }

    void okHandsBackTheRawValue_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("entered");
        QTest::newRow("six digits") << "987654"
                                    << "987654";
        QTest::newRow("five digits") << "98765"
                                     << "98765";
        QTest::newRow("letters are not taken") << "12ab34"
                                               << "1234";
        QTest::newRow("nothing") << ""
                                 << "";
    }
    void okHandsBackTheRawValue() {
        QFETCH(QString, typed);
        QFETCH(QString, entered);
        QWidget main;
        main.resize(600, 400);
        main.show();
        dlgProviderCode dialog(&main);
        dialog.setEnteredProviderCode("111111");
        dialog.setCodeInForce("111111");
        whenDialogOpens([&](dlgProviderCode& open) {
            MaskedEdit* box = MainWindowTestAccess::controls(open).mskProviderCode;
            box->setFocus();
            box->selectAll();
            QTest::keyClick(box, Qt::Key_Delete);
            box->setCursorPosition(0);
            QTest::keyClicks(box, typed);
            QTest::mouseClick(MainWindowTestAccess::controls(open).OKButton, Qt::LeftButton);
        });
        QCOMPARE(dialog.ShowDialog(), true);
        QVERIFY(!dialog.cancelled());
        QCOMPARE(dialog.enteredProviderCode(), entered);
    }

    void cancelHandsBackTheCodeInForceNotTheTypedOne() {
        QWidget main;
        main.resize(600, 400);
        main.show();
        dlgProviderCode dialog(&main);
        dialog.setEnteredProviderCode("111111");
        dialog.setCodeInForce("222222");
        whenDialogOpens([&](dlgProviderCode& open) {
            MainWindowTestAccess::controls(open).mskProviderCode->setRawValue("333333");
            QTest::mouseClick(MainWindowTestAccess::controls(open).CancelButton, Qt::LeftButton);
        });
        QCOMPARE(dialog.ShowDialog(), false);
        QVERIFY(dialog.cancelled());
        QCOMPARE(dialog.enteredProviderCode(), QString("222222"));
    }

    void closingByTheTitleBarLeavesTheEntryUnchanged() {
        QWidget main;
        main.resize(600, 400);
        main.show();
        dlgProviderCode dialog(&main);
        dialog.setEnteredProviderCode("111111");
        dialog.setCodeInForce("222222");
        whenDialogOpens([&](dlgProviderCode& open) {
            MainWindowTestAccess::controls(open).mskProviderCode->setRawValue("333333");
            open.close();
        });
        QCOMPARE(dialog.ShowDialog(), false);
        QVERIFY(dialog.cancelled());
        QCOMPARE(dialog.enteredProviderCode(), QString("111111"));
    }

    void escapeDoesNotCloseTheDialog() {
        QWidget main;
        main.resize(600, 400);
        main.show();
        dlgProviderCode dialog(&main);
        bool stillOpen = false;
        whenDialogOpens([&](dlgProviderCode& open) {
            QTest::keyClick(MainWindowTestAccess::controls(open).mskProviderCode, Qt::Key_Escape);
            stillOpen = open.isVisible();
            MainWindowTestAccess::controls(open).CancelButton->click();
        });
        dialog.ShowDialog();
        QVERIFY(stillOpen);
    }

    // The check with the real dialog over the real main window.
    void realDialogThroughTheCheck() {
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        QVERIFY(fixture.start());
        DialogProviderCodePrompt prompt(&fixture.window());
        QString shownInBox;
        whenDialogOpens([&](dlgProviderCode& open) {
            shownInBox = MainWindowTestAccess::controls(open).mskProviderCode->rawValue();
            QVERIFY(open.parentWidget() == &fixture.window());
            QVERIFY(open.isModal());
            MainWindowTestAccess::controls(open).mskProviderCode->setRawValue("246810");
            MainWindowTestAccess::controls(open).OKButton->click();
        });
        const ProviderCodePrompt::Answer answer = prompt.ask("123456", "123456");
        QCOMPARE(shownInBox, QString("123456"));
        QCOMPARE(answer.enteredCode, QString("246810"));
        QVERIFY(!answer.cancelled);
        // The dialog is gone once the answer is in.
        QVERIFY(fixture.window().findChildren<dlgProviderCode*>().isEmpty());
    }
};

QTEST_MAIN(tst_ProviderCodeDialog)
#include "tst_ProviderCodeDialog.moc"
