#include "support/ModalBoxAnswerer.h"
#include "support/ScriptedMessageService.h"
#include "window/services/MessageService.h"

#include <QDir>
#include <QIcon>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(MessageButtons)
Q_DECLARE_METATYPE(MessageIcon)
Q_DECLARE_METATYPE(MessageAnswer)

class tst_MessageService : public QObject {
    Q_OBJECT
private slots:
    // Any warning fails a test, except the offscreen platform noting what it cannot do.
    void init() { QTest::failOnWarning(QRegularExpression("^(?!This plugin does not support).*")); }

    void realBoxShowsTheGivenForm_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<MessageButtons>("buttons");
        QTest::addColumn<MessageIcon>("icon");
        QTest::addColumn<int>("press");
        QTest::addColumn<MessageAnswer>("answer");
        QTest::newRow("ok, no icon")
            << "Record 3 of 7"
            << "Record 3 of 7" << MessageButtons::Ok << MessageIcon::None << 0 << MessageAnswer::Ok;
        QTest::newRow("crlf is one break")
            << "Line one\r\nLine two\r\n\r\nLine four"
            << "Line one\nLine two\n\nLine four" << MessageButtons::Ok << MessageIcon::Warning << 0
            << MessageAnswer::Ok;
        QTest::newRow("single lf kept") << "Nearly full\nSubmit soon"
                                        << "Nearly full\nSubmit soon" << MessageButtons::Ok
                                        << MessageIcon::Warning << 0 << MessageAnswer::Ok;
        QTest::newRow("markup shown as typed")
            << "<b>A & B</b>"
            << "<b>A & B</b>" << MessageButtons::Ok << MessageIcon::None << 0 << MessageAnswer::Ok;
        QTest::newRow("yes is the default")
            << "Delete?"
            << "Delete?" << MessageButtons::YesNo << MessageIcon::None << 0 << MessageAnswer::Yes;
        QTest::newRow("no") << "Delete?"
                            << "Delete?" << MessageButtons::YesNo << MessageIcon::None
                            << int(QMessageBox::No) << MessageAnswer::No;
    }
    void realBoxShowsTheGivenForm() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QFETCH(MessageButtons, buttons);
        QFETCH(MessageIcon, icon);
        QFETCH(int, press);
        QFETCH(MessageAnswer, answer);
        QWidget window;
        window.show();
        QtMessageService service(&window);
        ModalBoxAnswerer answerer(press);
        QMessageBox::Icon boxIcon = QMessageBox::Critical;
        QMessageBox::StandardButtons boxButtons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        Qt::TextFormat format = Qt::AutoText;
        bool modal = false;
        answerer.onBox = [&](QMessageBox& box) {
            boxIcon = box.icon();
            boxButtons = box.standardButtons();
            defaultButton = box.standardButton(box.defaultButton());
            format = box.textFormat();
            modal = box.isModal();
        };
        QCOMPARE(service.show(text, "Record Limit Notification", buttons, icon), answer);
        QCOMPARE(answerer.titles, QStringList{"Record Limit Notification"});
        QCOMPARE(answerer.texts, QStringList{shown});
        QCOMPARE(format, Qt::PlainText);
        QVERIFY(modal);
        QCOMPARE(boxIcon,
                 icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon);
        if (buttons == MessageButtons::YesNo) {
            QCOMPARE(boxButtons, QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(defaultButton, QMessageBox::Yes);
        } else {
            QCOMPARE(boxButtons, QMessageBox::StandardButtons(QMessageBox::Ok));
        }
    }

    // The box's pictures are never looked up in the desktop's icon theme (whose whole index would
    // be read at the first box, which can come before the main window): with a theme that holds
    // a warning and an OK picture, here magenta squares, the box shows the program's own warning
    // sign and a plain OK button.
    void theWarningSignIsNotTakenFromTheIconTheme() {
        QTemporaryDir themes;
        QVERIFY(themes.isValid());
        const QString theme = themes.path() + "/magenta";
        QVERIFY(QDir().mkpath(theme + "/32x32/status"));
        QFile index(theme + "/index.theme");
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=magenta\nDirectories=32x32/status\n\n"
                    "[32x32/status]\nSize=32\nType=Fixed\n");
        index.close();
        QImage magenta(32, 32, QImage::Format_ARGB32);
        magenta.fill(QColor(255, 0, 255));
        QVERIFY(magenta.save(theme + "/32x32/status/dialog-warning.png", "PNG"));
        QVERIFY(magenta.save(theme + "/32x32/status/dialog-ok.png", "PNG"));
        const QStringList searchPaths = QIcon::themeSearchPaths();
        const QString themeName = QIcon::themeName();
        QIcon::setThemeSearchPaths({themes.path()});
        QIcon::setThemeName("magenta");
        QVERIFY(!QIcon::fromTheme("dialog-warning").isNull());
        QVERIFY(!QIcon::fromTheme("dialog-ok").isNull());

        QWidget window;
        window.show();
        QtMessageService service(&window);
        ModalBoxAnswerer answerer(0);
        QImage picture;
        bool okButtonPicture = true;
        answerer.onBox = [&](QMessageBox& box) {
            picture = box.iconPixmap().toImage();
            okButtonPicture = !box.button(QMessageBox::Ok)->icon().isNull();
        };
        service.show("Nearly full", "Record Limit Notification", MessageButtons::Ok,
                     MessageIcon::Warning);
        QIcon::setThemeName(themeName);
        QIcon::setThemeSearchPaths(searchPaths);
        QVERIFY(!picture.isNull());
        int magentaPixels = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x)
                magentaPixels += picture.pixelColor(x, y) == QColor(255, 0, 255);
        }
        QCOMPARE(magentaPixels, 0);
        QVERIFY(!okButtonPicture);
    }

    void scriptedServiceRecordsAndAnswers() {
        ScriptedMessageService service;
        QStringList seenWhileOpen;
        service.whileOpen = [&](const ScriptedMessageService::Message& m) {
            seenWhileOpen << m.title;
        };
        QCOMPARE(service.show("a", "First Record", MessageButtons::Ok, MessageIcon::Warning),
                 MessageAnswer::Ok);
        QCOMPARE(service.show("b", "Delete Record Confirmation", MessageButtons::YesNo,
                              MessageIcon::None),
                 MessageAnswer::Yes);
        service.queueAnswer(MessageAnswer::No);
        QCOMPARE(service.show("c", "Delete Record Confirmation", MessageButtons::YesNo,
                              MessageIcon::None),
                 MessageAnswer::No);
        service.beep();
        QCOMPARE(service.messages.size(), 3);
        QCOMPARE(service.messages[0].text, QString("a"));
        QCOMPARE(service.messages[0].icon, MessageIcon::Warning);
        QCOMPARE(service.messages[2].buttons, MessageButtons::YesNo);
        QCOMPARE(seenWhileOpen, QStringList({"First Record", "Delete Record Confirmation",
                                             "Delete Record Confirmation"}));
        QCOMPARE(service.beeps, 1);
    }

    // A box beyond what the test expects fails the test at once (here expected to), instead of
    // letting a handler that opens boxes in a loop hang the run; a real box that opens with no
    // answerer there is closed and fails the test the same way.
    void unexpectedBoxesFailTheTest() {
        ScriptedMessageService scripted;
        scripted.expectBoxes(1);
        scripted.show("a", "Last Record", MessageButtons::Ok, MessageIcon::Warning);
        QEXPECT_FAIL("", "one box more than expected", Continue);
        scripted.show("b", "First Record", MessageButtons::Ok, MessageIcon::Warning);
        QCOMPARE(scripted.messages.size(), 2);

        QWidget window;
        window.show();
        QtMessageService real(&window);
        {
            ModalBoxAnswerer answerer;
            answerer.expectNoBox();
            QEXPECT_FAIL("", "a real box while none is expected", Continue);
            QCOMPARE(real.show("c", "Korvanel CM", MessageButtons::Ok, MessageIcon::None),
                     MessageAnswer::Ok);
        }
        QEXPECT_FAIL("", "a real box with no answerer", Continue);
        real.show("d", "Korvanel CM", MessageButtons::Ok, MessageIcon::None);
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(tst_MessageService)
#include "tst_MessageService.moc"
