#include "printing/PrintedPage.h"
#include "support/MainWindowFixture.h"
#include "window/main/MainWindowController.h"
#include "window/main/frmKorvanel.h"
#include "window/services/QtPrinter.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinterInfo>
#include <QTest>

// "Print Record" through its button: the record is saved first, then its page goes to the
// printer; when it cannot be printed the operator is told once and the window carries on.
class tst_PrintCommand : public QObject {
    Q_OBJECT

    static QList<ResultRecord> threeRecords() {
        return {MainWindowFixture::completeRecord("Adams"),
                MainWindowFixture::completeRecord("Baker"),
                MainWindowFixture::completeRecord("Clark")};
    }

    // On record 2 of 3 with its first name changed but not saved.
    static bool startOnAnEditedSecondRecord(MainWindowFixture& fixture) {
        fixture.setProviderFile("123456");
        fixture.writeRecords(threeRecords());
        fixture.clock.set(QDateTime(QDate(2026, 12, 6), QTime(14, 5, 9)));
        if (!fixture.start())
            return false;
        QTest::mouseClick(fixture.form().cmdNext, Qt::LeftButton);
        fixture.form().txtFirstName->setFocus();
        fixture.form().txtFirstName->selectAll();
        QTest::keyClicks(fixture.form().txtFirstName, "Edited");
        return true;
    }

    static ResultRecord editedSecondRecord() {
        ResultRecord record = threeRecords()[1];
        record.set(ResultRecord::FirstName, "Edited");
        return record;
    }

    static void print(MainWindowFixture& fixture) {
        QVERIFY(fixture.form().cmdPrint->isEnabled());
        QTest::mouseClick(fixture.form().cmdPrint, Qt::LeftButton);
    }

    static QString expectedPdfPath(const MainWindowFixture& fixture) {
        return fixture.path("Printed/Record_2_20261206_140509.pdf");
    }

    static void verifyWindowUnchanged(MainWindowFixture& fixture) {
        QCOMPARE(fixture.state().CurrentRecord, 2);
        QCOMPARE(fixture.state().RecordCount, 3);
        QVERIFY(fixture.state().EditMode != Editing::NewRecord);
        QCOMPARE(fixture.form().txtFirstName->text(), QString("Edited"));
        QVERIFY(fixture.form().cmdPrint->isEnabled());
        QVERIFY(!fixture.exitCode);
    }

private slots:
    void theRecordIsSavedAndItsPageGoesToThePrinter() {
        MainWindowFixture fixture;
        QVERIFY(startOnAnEditedSecondRecord(fixture));
        print(fixture);

        QCOMPARE(fixture.storedRecords()[1], editedSecondRecord());
        QCOMPARE(fixture.printer.pages.size(), 1);
        const QStringList expected =
            PrintedPage::lines(editedSecondRecord(), "White (3)", "Non-Hispanic (00)", 2, 3,
                               QDateTime(QDate(2026, 12, 6), QTime(14, 5, 9)));
        QCOMPARE(fixture.printer.pages[0], expected);
        QVERIFY(fixture.printer.pages[0].contains("          Record:  2 of  3"));
        QVERIFY(fixture.printer.pages[0][2].endsWith("12/06/2026 02:05:09 PM"));
        QCOMPARE(fixture.printer.lastPdfPath, expectedPdfPath(fixture));
        QVERIFY(fixture.messages.messages.isEmpty());
        verifyWindowUnchanged(fixture);
    }

    // The page shows the list texts the window shows, also for a code the lists lack.
    void theRaceAndAncestryTextsAreThoseShown() {
        MainWindowFixture fixture;
        QVERIFY(startOnAnEditedSecondRecord(fixture));
        fixture.form().cboRaceCode->setCurrentText("Unknown (7)");
        print(fixture);
        QCOMPARE(fixture.printer.pages.size(), 1);
        QVERIFY(fixture.printer.pages[0].contains(QString(10, ' ') + "Race:" + QString(13, ' ') +
                                                  "[7]    Unknown (7)"));
    }

    void pageSavedAsPdfIsReportedOnce_data() {
        QTest::addColumn<bool>("asPdf");
        QTest::newRow("written as PDF") << true;
        QTest::newRow("neither printed nor written") << false;
    }
    void pageSavedAsPdfIsReportedOnce() {
        QFETCH(bool, asPdf);
        MainWindowFixture fixture;
        QVERIFY(startOnAnEditedSecondRecord(fixture));
        const QString pdf = expectedPdfPath(fixture);
        fixture.printer.nextOutcome =
            asPdf ? PrintOutcome::savedAsPdf(pdf, "No default printer is installed.")
                  : PrintOutcome::failed("The printer PDF did not take the page.");
        print(fixture);

        QCOMPARE(fixture.storedRecords()[1], editedSecondRecord());
        QCOMPARE(fixture.messages.messages.size(), 1);
        const ScriptedMessageService::Message told = fixture.messages.messages[0];
        QCOMPARE(told.title, QString("Print Record"));
        QCOMPARE(told.buttons, MessageButtons::Ok);
        QCOMPARE(told.text.contains(QDir::toNativeSeparators(pdf)), asPdf);
        QVERIFY(told.text.contains(asPdf ? "No default printer" : "did not take the page"));
        verifyWindowUnchanged(fixture);
    }

    // The program's own printer with no default printer installed: the page is written as a
    // PDF, owner-only, and its path named.
    void withoutAPrinterThePageIsWrittenAsPdf() {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("a default printer is installed here; the fallback is not reached");
        MainWindowFixture fixture;
        QtPrinter realPrinter;
        fixture.printer.passTo = &realPrinter;
        QVERIFY(startOnAnEditedSecondRecord(fixture));
        print(fixture);

        const QString pdf = expectedPdfPath(fixture);
        QVERIFY(QFileInfo(pdf).size() > 0);
        QCOMPARE(QFileInfo(pdf).permissions() & 0x0077, 0);
        QCOMPARE(QFileInfo(fixture.path("Printed")).permissions() & 0x0077, 0);
        QCOMPARE(fixture.messages.messages.size(), 1);
        QVERIFY(fixture.messages.messages[0].text.contains(QDir::toNativeSeparators(pdf)));
        QCOMPARE(fixture.storedRecords()[1], editedSecondRecord());
        verifyWindowUnchanged(fixture);
    }

    // A Printed folder that leads into Submit or AppData (a link) gets no PDF: the page is not
    // written among the program's own files, and the operator is told so.
    void noPdfIsWrittenAmongTheProgramsFiles_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("Submit") << "Submit";
        QTest::newRow("AppData") << "AppData";
    }
    void noPdfIsWrittenAmongTheProgramsFiles() {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("a default printer is installed here; the fallback is not reached");
        QFETCH(QString, folder);
        MainWindowFixture fixture;
        QtPrinter realPrinter;
        realPrinter.keepOutOf({fixture.path("AppData"), fixture.path("Submit")});
        fixture.printer.passTo = &realPrinter;
        QVERIFY(startOnAnEditedSecondRecord(fixture));
        QVERIFY(QFile::link(fixture.path(folder), fixture.path("Printed")));
        const QStringList before =
            QDir(fixture.path(folder)).entryList(QDir::AllEntries | QDir::Hidden);
        print(fixture);

        QCOMPARE(QDir(fixture.path(folder)).entryList(QDir::AllEntries | QDir::Hidden), before);
        QCOMPARE(fixture.messages.messages.size(), 1);
        QVERIFY2(fixture.messages.messages[0].text.contains("the program's own files"),
                 qPrintable(fixture.messages.messages[0].text));
        QCOMPARE(fixture.storedRecords()[1], editedSecondRecord());
        verifyWindowUnchanged(fixture);
    }
};

QTEST_MAIN(tst_PrintCommand)
#include "tst_PrintCommand.moc"
