#include "support/MainWindowFixture.h"
#include "window/main/MainWindowController.h"
#include "window/main/RecordCommands.h"
#include "window/main/frmKorvanel.h"
#include "window/widgets/MaskedEdit.h"

#include <QTest>

// The whole window on a real program folder: start, type, save, read the file back.
class tst_MainWindowSmoke : public QObject {
    Q_OBJECT
private slots:
    void firstStartAsksForTheCodeAndSavesTheFirstRecord() {
        MainWindowFixture fixture;
        fixture.prompt.answerOk(QStringLiteral("123456"));
        QVERIFY(fixture.start());
        QCOMPARE(fixture.prompt.asked, 1);
        QCOMPARE(fixture.readFile("AppData/provider.txt"), QByteArray("123456"));
        QVERIFY(fixture.window().windowTitle().endsWith("(Record 1 of 1)"));
        QVERIFY(!fixture.form().cmdNew->isEnabled());
        QCOMPARE(fixture.form().cmdDelete->text(), QString("Cancel"));

        fixture.form().txtLastName->setText("Smith");
        fixture.controller().commands().cmdUpdate_Click();
        const QList<ResultRecord> stored = fixture.storedRecords();
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0].get(ResultRecord::LastName), QString("Smith").leftJustified(20));
        QCOMPARE(stored[0].get(ResultRecord::ProviderCode), QString("123456"));
        QCOMPARE(stored[0].get(ResultRecord::RaceCode), QString("7"));
        QVERIFY(fixture.form().cmdNew->isEnabled());
        QCOMPARE(fixture.form().cmdDelete->text(), QString("Delete"));
        QVERIFY(fixture.messages.messages.isEmpty());
    }

    void storedRecordShowsAndSavesBackUnchanged() {
        MainWindowFixture fixture;
        const ResultRecord record = MainWindowFixture::completeRecord();
        fixture.writeRecords({record});
        fixture.setProviderFile("123456");
        QVERIFY(fixture.start());
        QCOMPARE(fixture.prompt.asked, 0);
        QCOMPARE(fixture.form().mskDateTaken->rawValue(), QString("11302026"));
        QVERIFY(fixture.form().optVenous->isChecked());
        QCOMPARE(fixture.form().cboRaceCode->currentText(), QString("White (3)"));
        fixture.controller().commands().cmdUpdate_Click();
        QCOMPARE(fixture.readFile("AppData/Korvanel.dat"), record.encode());
    }
};

QTEST_MAIN(tst_MainWindowSmoke)
#include "tst_MainWindowSmoke.moc"
