#include "support/MainWindowFixture.h"
#include "window/main/MainWindowController.h"
#include "window/main/RecordPresenter.h"
#include "window/main/frmKorvanel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>

#include <memory>

namespace {

using F = ResultRecord;

QStringList entries(const QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

// Chooses entry index from the open list as the operator does: open it, move to the entry, Enter.
bool chooseFromList(QComboBox* box, int index) {
    box->setFocus();
    box->showPopup();
    if (!QTest::qWaitFor([box] { return box->view()->isVisible(); }))
        return false;
    box->view()->setCurrentIndex(box->model()->index(index, 0));
    QTest::keyClick(box->view(), Qt::Key_Return);
    return QTest::qWaitFor([box] { return !box->view()->isVisible(); });
}

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform says for every opened list that it cannot raise nor grab: noise.
void withoutPopupNoise(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith(QLatin1String("This plugin does not support")))
        return;
    defaultHandler(type, context, text);
}

} // namespace

// The city list, the physician list and the choice of a city in the running window.
class tst_CityLookup : public QObject {
    Q_OBJECT

    static bool start(MainWindowFixture& fixture, const QByteArray& cityFile,
                      const QList<ResultRecord>& records = {}) {
        fixture.setProviderFile("123456");
        fixture.writeFile("AppData/cmcityzip.txt", cityFile);
        if (!records.isEmpty())
            fixture.writeRecords(records);
        return fixture.start();
    }

private slots:
    void initTestCase() { defaultHandler = qInstallMessageHandler(withoutPopupNoise); }

    void zipCodesFromTheThirdField_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("city");
        QTest::addColumn<QStringList>("zips");
        QTest::newRow("two zips") << QByteArray("CITYNAME,X,00011,00012") << "CITYNAME"
                                  << QStringList{"", "00011", "00012"};
        QTest::newRow("second field is never offered")
            << QByteArray("CITYNAME,00011") << "CITYNAME" << QStringList{""};
        QTest::newRow("nothing after the comma")
            << QByteArray("CITYNAME,") << "CITYNAME" << QStringList{""};
        QTest::newRow("blanks kept") << QByteArray(" Old Town ,X, 00013 ,") << " Old Town "
                                     << QStringList{"", " 00013 ", ""};
    }
    void zipCodesFromTheThirdField() {
        QFETCH(QByteArray, line);
        QFETCH(QString, city);
        QFETCH(QStringList, zips);
        MainWindowFixture fixture;
        QVERIFY(start(fixture, line + "\r\n"));
        QComboBox* cboCity = fixture.form().cboCity;
        QComboBox* cboZip = fixture.form().cboZip;
        QCOMPARE(entries(cboCity), QStringList{city});
        QCOMPARE(cboZip->count(), 0);
        QVERIFY(chooseFromList(cboCity, 0));
        QCOMPARE(entries(cboZip), zips);
        QCOMPARE(cboZip->currentIndex(), 0);
        QCOMPARE(cboZip->currentText(), QString());
        QCOMPARE(fixture.state().CurrentCity, city.trimmed());
        QCOMPARE(fixture.state().CityZipLines, QStringList{QString::fromLatin1(line)});
    }

    void choosingTheCurrentCityKeepsTheZip() {
        MainWindowFixture fixture;
        QVERIFY(start(fixture, "Alpha,X,00011,00012\r\nBeta,X,00021\r\n"));
        QComboBox* cboCity = fixture.form().cboCity;
        QComboBox* cboZip = fixture.form().cboZip;
        QVERIFY(chooseFromList(cboCity, 0));
        QVERIFY(chooseFromList(cboZip, 2));
        QCOMPARE(cboZip->currentText(), QString("00012"));
        QVERIFY(chooseFromList(cboCity, 0));
        QCOMPARE(cboZip->currentText(), QString("00012"));
        QCOMPARE(cboZip->currentIndex(), 2);
        QVERIFY(chooseFromList(cboCity, 1));
        QCOMPARE(entries(cboZip), (QStringList{"", "00021"}));
        QCOMPARE(cboZip->currentText(), QString());
    }

    void keyboardChoiceRebuildsTheZipList() {
        MainWindowFixture fixture;
        QVERIFY(start(fixture, "Alpha,X,00011\r\nBeta,X,00021\r\n"));
        QComboBox* cboCity = fixture.form().cboCity;
        cboCity->setFocus();
        QTest::keyClick(cboCity, Qt::Key_Down);
        QCOMPARE(cboCity->currentText(), QString("Alpha"));
        QCOMPARE(entries(fixture.form().cboZip), (QStringList{"", "00011"}));
        QTest::keyClick(cboCity, Qt::Key_Down);
        QCOMPARE(entries(fixture.form().cboZip), (QStringList{"", "00021"}));
        QCOMPARE(fixture.state().CurrentCity, QString("Beta"));
    }

    void sameCityTwiceKeepsEachLinesZips() {
        for (int index : {0, 1}) {
            MainWindowFixture fixture;
            QVERIFY(start(fixture, "Twin,X,11111\r\nOther,X,33333\r\nTwin,Y,22222\r\n"));
            QCOMPARE(entries(fixture.form().cboCity), (QStringList{"Twin", "Other", "Twin"}));
            QVERIFY(chooseFromList(fixture.form().cboCity, index * 2));
            QCOMPARE(entries(fixture.form().cboZip),
                     (QStringList{"", index == 0 ? "11111" : "22222"}));
        }
        // From one Twin to the other the name is the same: the list stays as it is.
        MainWindowFixture fixture;
        QVERIFY(start(fixture, "Twin,X,11111\r\nOther,X,33333\r\nTwin,Y,22222\r\n"));
        QVERIFY(chooseFromList(fixture.form().cboCity, 0));
        QVERIFY(chooseFromList(fixture.form().cboCity, 1));
        QVERIFY(chooseFromList(fixture.form().cboCity, 2));
        QCOMPARE(entries(fixture.form().cboZip), (QStringList{"", "22222"}));
    }

    void shownRecordsCityIsTheCurrentOne() {
        MainWindowFixture fixture;
        ResultRecord record = MainWindowFixture::completeRecord();
        record.set(F::City, "Alpha");
        record.set(F::Zip, "00012");
        QVERIFY(start(fixture, "Alpha,X,00011,00012\r\nBeta,X,00021\r\n", {record}));
        QComboBox* cboCity = fixture.form().cboCity;
        QComboBox* cboZip = fixture.form().cboZip;
        // Loading the list after the record was shown leaves the record's city in the box.
        QCOMPARE(cboCity->currentText(), QString("Alpha"));
        QCOMPARE(fixture.state().CurrentCity, QString("Alpha"));
        QCOMPARE(cboZip->currentText(), QString("00012"));
        QVERIFY(chooseFromList(cboCity, 0));
        QCOMPARE(cboZip->currentText(), QString("00012"));
        QCOMPARE(cboZip->count(), 0);
        QVERIFY(chooseFromList(cboCity, 1));
        QCOMPARE(entries(cboZip), (QStringList{"", "00021"}));
        QCOMPARE(cboZip->currentText(), QString());
        // The next record shown makes its city current again.
        QVERIFY(fixture.controller().presenter().ShowCurrentRecord());
        QCOMPARE(fixture.state().CurrentCity, QString("Alpha"));
        QVERIFY(chooseFromList(cboCity, 0));
        QCOMPARE(cboZip->currentText(), QString("00012"));
    }

    void malformedLinesAreSkippedAndEntriesStayTiedToTheirLines() {
        MainWindowFixture fixture;
        QVERIFY(start(fixture, "Alpha,X,00011\r\n\r\nNO COMMA\r\nBeta,X,00021\r\nGamma,X,00031"));
        QVERIFY(fixture.messages.messages.isEmpty());
        QCOMPARE(entries(fixture.form().cboCity), (QStringList{"Alpha", "Beta", "Gamma"}));
        QCOMPARE(fixture.state().CityZipLines,
                 (QStringList{"Alpha,X,00011", "Beta,X,00021", "Gamma,X,00031"}));
        QVERIFY(chooseFromList(fixture.form().cboCity, 1));
        QCOMPARE(entries(fixture.form().cboZip), (QStringList{"", "00021"}));
        QVERIFY(chooseFromList(fixture.form().cboCity, 2));
        QCOMPARE(entries(fixture.form().cboZip), (QStringList{"", "00031"}));
    }

    void filesAreWindows1252WithAnyLineEnd() {
        MainWindowFixture fixture;
        fixture.writeFile("AppData/physician.txt",
                          "  Dr. Leading\r\nDr. M\xFCller\rDr. \x80uro\nDr. Last");
        QVERIFY(start(fixture, "Ca\xF1on,X,00011\rBeta,X,00021\nGamma,X,00031\r\nDelta,X,1\r\n"));
        QCOMPARE(entries(fixture.form().cboPhysician),
                 (QStringList{"  Dr. Leading", "Dr. M\u00FCller", "Dr. \u20ACuro", "Dr. Last"}));
        QCOMPARE(entries(fixture.form().cboCity),
                 (QStringList{"Ca\u00F1on", "Beta", "Gamma", "Delta"}));
        // The lists are only offered: nothing is put into the boxes of the blank record.
        QCOMPARE(fixture.form().cboPhysician->currentText(), QString());
        QCOMPARE(fixture.form().cboCity->currentText(), QString());
    }

    // The city list goes into its box after the first record is on the screen, but it is
    // complete whenever the operator first reaches for the box.
    void theCityListIsCompleteWhenFirstReachedFor_data() {
        QTest::addColumn<QString>("reach");
        QTest::newRow("left alone until the window is drawn") << QString();
        QTest::newRow("a click on the box") << QString("click");
        QTest::newRow("a key in the box") << QString("key");
        QTest::newRow("letters typed into the box") << QString("letters");
        QTest::newRow("a turn of the wheel over the box") << QString("wheel");
    }
    void theCityListIsCompleteWhenFirstReachedFor() {
        QFETCH(QString, reach);
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        fixture.writeFile("AppData/cmcityzip.txt", "Alpha,X,00011\r\nBeta,X,00021\r\n");
        fixture.writeRecords({MainWindowFixture::completeRecord()});
        frmKorvanel window;
        const std::unique_ptr<MainWindowController> made = window.makeController(
            fixture.appPath(),
            MainWindowServices{fixture.messages, fixture.clock, fixture.printer, fixture.prompt});
        MainWindowController& controller = *made;
        QVERIFY(controller.StartUp());
        QComboBox* cboCity = MainWindowTestAccess::controls(window).cboCity;
        QVERIFY(window.windowTitle().endsWith("(Record 1 of 1)"));
        const QString city = cboCity->currentText();
        QVERIFY(!city.isEmpty());

        if (reach == "click") {
            QTest::mousePress(cboCity->lineEdit(), Qt::LeftButton);
        } else if (reach == "key") {
            QTest::keyClick(cboCity->lineEdit(), Qt::Key_Down);
        } else if (reach == "letters") {
            // Typed at once, before the window is drawn: every letter lands after the list is in.
            QTest::keyClicks(cboCity->lineEdit(), "Be");
        } else if (reach == "wheel") {
            QWheelEvent wheel(QPointF(5, 5), cboCity->mapToGlobal(QPointF(5, 5)), QPoint(),
                              QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                              false);
            QApplication::sendEvent(cboCity, &wheel);
        } else {
            QVERIFY(MainWindowTestAccess(controller).cityListPending());
            QTRY_VERIFY(!MainWindowTestAccess(controller).cityListPending());
        }
        QVERIFY(!MainWindowTestAccess(controller).cityListPending());
        QCOMPARE(entries(cboCity), (QStringList{"Alpha", "Beta"}));
        QCOMPARE(MainWindowTestAccess(controller).state().CityZipLines,
                 (QStringList{"Alpha,X,00011", "Beta,X,00021"}));
        // A key or the wheel chooses from the list; otherwise the record's city stays shown.
        if (reach.isEmpty() || reach == "click") {
            QCOMPARE(cboCity->currentText(), city);
            QCOMPARE(MainWindowTestAccess(controller).state().CurrentCity, city);
        }
        if (reach == "letters")
            QCOMPARE(cboCity->currentText(), city + "Be");
        QVERIFY(fixture.messages.messages.isEmpty());
    }

    // The window outlives its controller: a list still waiting to be filled is dropped with the
    // controller and never reaches back into it.
    void aListStillToBeFilledGoesWithItsController() {
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        fixture.writeFile("AppData/cmcityzip.txt", "Alpha,X,00011\r\n");
        frmKorvanel window;
        std::unique_ptr<MainWindowController> controller = window.makeController(
            fixture.appPath(),
            MainWindowServices{fixture.messages, fixture.clock, fixture.printer, fixture.prompt});
        QVERIFY(controller->StartUp());
        QVERIFY(MainWindowTestAccess(*controller).cityListPending());
        controller.reset();
        QTest::mousePress(MainWindowTestAccess::controls(window).cboCity->lineEdit(),
                          Qt::LeftButton);
        QCOMPARE(MainWindowTestAccess::controls(window).cboCity->count(), 0);
    }

    void missingFilesLeaveTheListsEmpty() {
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        QVERIFY(fixture.start());
        QCOMPARE(fixture.form().cboCity->count(), 0);
        QCOMPARE(fixture.form().cboPhysician->count(), 0);
        QVERIFY(fixture.state().CityZipLines.isEmpty());
        QVERIFY(fixture.messages.messages.isEmpty());
    }

    void listsAreLoadedOnceAtStartUp() {
        MainWindowFixture fixture;
        fixture.writeFile("AppData/physician.txt", "Dr. One\r\n");
        QVERIFY(start(fixture, "Alpha,X,00011\r\n", {MainWindowFixture::completeRecord()}));
        fixture.writeFile("AppData/physician.txt", "Dr. Two\r\nDr. Three\r\n");
        fixture.writeFile("AppData/cmcityzip.txt", "Beta,X,00021\r\n");
        QVERIFY(fixture.controller().presenter().ShowCurrentRecord());
        QVERIFY(chooseFromList(fixture.form().cboCity, 0));
        QCOMPARE(entries(fixture.form().cboPhysician), QStringList{"Dr. One"});
        QCOMPARE(entries(fixture.form().cboCity), QStringList{"Alpha"});
        QCOMPARE(entries(fixture.form().cboZip), (QStringList{"", "00011"}));
    }

    void typedTextIsKeptAsTyped() {
        MainWindowFixture fixture;
        fixture.writeFile("AppData/physician.txt", "Dr. Jones\r\n");
        QVERIFY(start(fixture, "Springfield,X,90210\r\n"));
        for (QComboBox* box : {fixture.form().cboCity, fixture.form().cboPhysician}) {
            const int entriesBefore = box->count();
            box->setFocus();
            box->lineEdit()->clear();
            const QString typed = box == fixture.form().cboCity ? "spring" : "Dr. J";
            QTest::keyClicks(box, typed);
            QCOMPARE(box->currentText(), typed);
            QTest::keyClick(box, Qt::Key_Return);
            fixture.form().txtAptNumber->setFocus();
            QCOMPARE(box->currentText(), typed);
            QCOMPARE(box->count(), entriesBefore);
        }
        QVERIFY(fixture.controller().presenter().SaveCurrentRecord());
        QCOMPARE(fixture.storedRecords()[0].trimmed(F::City), QString("spring"));
        QCOMPARE(fixture.storedRecords()[0].trimmed(F::Physician), QString("Dr. J"));
    }

    void choosingACityRecoloursTheCityBox() {
        MainWindowFixture fixture;
        QVERIFY(start(fixture, "Alpha,X,00011\r\n"));
        QComboBox* cboCity = fixture.form().cboCity;
        QComboBox* cboZip = fixture.form().cboZip;
        QCOMPARE(cboCity->palette().color(QPalette::Base), QColor(255, 255, 192));
        cboZip->setEditText("99999");
        fixture.controller().presenter().MandatoryFieldHighlight(cboZip);
        QCOMPARE(cboZip->palette().color(QPalette::Base),
                 QApplication::palette(cboZip).color(QPalette::Base));
        QVERIFY(chooseFromList(cboCity, 0));
        QCOMPARE(cboCity->palette().color(QPalette::Base),
                 QApplication::palette(cboCity).color(QPalette::Base));
        // The zip list's empty first entry is selected by position, which re-marks the zip box
        // at once.
        QCOMPARE(cboZip->currentText(), QString());
        QCOMPARE(cboZip->palette().color(QPalette::Base), QColor(255, 255, 192));
    }

    // Typing a city of the list over the record's city is no choice: the zip stays as it is
    // stored, however the box is left. Choosing that city from the open list offers its zips.
    void typedCityKeepsTheZip_data() {
        QTest::addColumn<int>("leaving"); // Qt::Key_Tab, Qt::Key_Return, or 0: a mouse click
        QTest::newRow("Tab") << int(Qt::Key_Tab);
        QTest::newRow("Enter, then Tab") << int(Qt::Key_Return);
        QTest::newRow("mouse into another field") << 0;
    }
    void typedCityKeepsTheZip() {
        QFETCH(int, leaving);
        MainWindowFixture fixture;
        ResultRecord record = MainWindowFixture::completeRecord();
        record.set(F::City, "Cedar Point");
        record.set(F::Zip, "48021");
        QVERIFY(start(fixture, "Ashford,X,48001,48002\r\nCedar Point,X,48021\r\n", {record}));
        const QByteArray zipBefore =
            fixture.readFile("AppData/Korvanel.dat").mid(F::offset(F::Zip), F::width(F::Zip));
        QComboBox* cboCity = fixture.form().cboCity;
        QComboBox* cboZip = fixture.form().cboZip;

        QTest::mouseClick(cboCity->lineEdit(), Qt::LeftButton);
        cboCity->lineEdit()->selectAll();
        QTest::keyClicks(cboCity, "Ashford");
        if (leaving == Qt::Key_Return)
            QTest::keyClick(cboCity, Qt::Key_Return);
        if (leaving)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        else
            QTest::mouseClick(fixture.form().txtParentsFirst, Qt::LeftButton);
        QVERIFY(!cboCity->hasFocus());
        QCOMPARE(cboZip->currentText(), QString("48021"));
        QTest::mouseClick(fixture.form().cmdUpdate, Qt::LeftButton);
        const QByteArray stored = fixture.readFile("AppData/Korvanel.dat");
        QCOMPARE(stored.mid(F::offset(F::City), F::width(F::City)).trimmed(),
                 QByteArray("Ashford"));
        QCOMPARE(stored.mid(F::offset(F::Zip), F::width(F::Zip)), zipBefore);

        QVERIFY(chooseFromList(cboCity, 0));
        QCOMPARE(entries(cboZip), (QStringList{"", "48001", "48002"}));
        QCOMPARE(cboZip->currentText(), QString());
        QCOMPARE(fixture.state().CurrentCity, QString("Ashford"));
    }
};

QTEST_MAIN(tst_CityLookup)
#include "tst_CityLookup.moc"
