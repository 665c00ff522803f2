#include "support/MainWindowFixture.h"
#include "window/main/MainWindowController.h"
#include "window/main/frmKorvanel.h"
#include "window/widgets/CheckingProgress.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

// "Create Electronic File" through its button on a real program folder.
class tst_SubmissionCommand : public QObject {
    Q_OBJECT

    // 6 December 2026, 10:52:55.
    static QDateTime moment() { return QDateTime(QDate(2026, 12, 6), QTime(10, 52, 55)); }

    static bool startWith(MainWindowFixture& fixture, const QList<ResultRecord>& records) {
        fixture.setProviderFile("123456");
        fixture.writeRecords(records);
        fixture.clock.set(moment());
        return fixture.start();
    }

    static void submit(MainWindowFixture& fixture) {
        QVERIFY(fixture.form().cmdWriteEFile->isEnabled());
        QTest::mouseClick(fixture.form().cmdWriteEFile, Qt::LeftButton);
    }

    static QStringList submitted(const MainWindowFixture& fixture) {
        return QDir(fixture.path("Submit"))
            .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    static QByteArray bytesOf(const QList<ResultRecord>& records) {
        QByteArray bytes;
        for (const ResultRecord& record : records)
            bytes += record.encode();
        return bytes;
    }

    static QList<ResultRecord> numberedRecords(int count) {
        QList<ResultRecord> records;
        for (int i = 1; i <= count; ++i)
            records += MainWindowFixture::completeRecord(QStringLiteral("Record%1").arg(i));
        return records;
    }

    static QWidget* visibleProgressWindow() {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->isVisible() && top->windowTitle() == QLatin1String("Create Electronic File"))
                return top;
        }
        return nullptr;
    }

    // What an operator's input could change: the window's state, every text box, and which
    // windows are open.
    static QString snapshot(MainWindowFixture& fixture) {
        QString seen = fixture.describeWindowState();
        for (QLineEdit* box : fixture.window().findChildren<QLineEdit*>())
            seen += QLatin1Char('|') + box->text();
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->isVisible())
                seen += QLatin1Char('|') + QString::fromLatin1(top->metaObject()->className());
        }
        return seen;
    }

    // One attempt of the operator's: "click:BUTTON" presses a button as the program would,
    // "mouse:BUTTON" clicks it and "key:..." types through the window system, as input arrives.
    static void tryInput(MainWindowFixture& fixture, const QString& what) {
        QWindow* window = fixture.window().windowHandle();
        const QString target = what.section(QLatin1Char(':'), 1);
        auto* button = fixture.window().findChild<QAbstractButton*>(target);
        if (what.startsWith(QLatin1String("click:"))) {
            button->click();
        } else if (what.startsWith(QLatin1String("mouse:"))) {
            QTest::mouseClick(window, Qt::LeftButton, {},
                              button->mapTo(&fixture.window(), button->rect().center()));
        } else if (what == QLatin1String("key:1")) {
            QTest::keyClick(window, Qt::Key_1);
        } else if (what == QLatin1String("key:Ctrl+F")) {
            QTest::keyClick(window, Qt::Key_F, Qt::ControlModifier);
        }
    }

private slots:
    // A pass long enough to be seen shows which record it checks and takes no input meanwhile:
    // no command runs in its middle and the pass is not started again inside itself.
    void noCommandRunsWhileTheRecordsAreChecked_data() {
        QTest::addColumn<int>("recordCount");
        QTest::addColumn<QString>("attempt");
        QTest::addColumn<bool>("progressShown");
        QTest::newRow("a short pass shows no progress") << 1 << QString() << false;
        QTest::newRow("a long pass shows its progress") << 40 << QString() << true;
        for (const char* button :
             {"cmdNew", "cmdDelete", "cmdUpdate", "cmdPrevious", "cmdNext", "cmdPrint",
              "cmdWriteEFile", "cmdExit", "cmdChangeProviderCode"}) {
            QTest::addRow("%s pressed", button)
                << 40 << QStringLiteral("click:%1").arg(QLatin1String(button)) << true;
        }
        QTest::newRow("mouse on Delete") << 40 << QString("mouse:cmdDelete") << true;
        QTest::newRow("mouse on a Today button")
            << 40 << QString("mouse:cmdDateTakenToday") << true;
        QTest::newRow("a digit typed") << 40 << QString("key:1") << true;
        QTest::newRow("the Find Record shortcut") << 40 << QString("key:Ctrl+F") << true;
    }
    void noCommandRunsWhileTheRecordsAreChecked() {
        QFETCH(int, recordCount);
        QFETCH(QString, attempt);
        QFETCH(bool, progressShown);
        QCOMPARE(CheckingProgress::text(5000, 10000), QString("Checking record 5,000 of 10,000"));
        MainWindowFixture fixture;
        const QList<ResultRecord> records = numberedRecords(recordCount);
        QVERIFY(startWith(fixture, records));

        // 30 ms pass at every reading of the clock; the window is watched at every reading.
        const qint64 stepMs = 30;
        int readings = 0, lastChange = 0, longestGap = 0;
        bool attempted = false, everShown = false;
        QString lastText, failure;
        const QRegularExpression shownText(
            QStringLiteral("^Checking record \\d+ of %1$").arg(recordCount));
        fixture.clock.advanceOnEveryReading(stepMs);
        fixture.clock.onReading = [&] {
            ++readings;
            QWidget* progress = visibleProgressWindow();
            if (!progress)
                return;
            everShown = true;
            const QString text = progress->findChild<QLabel*>()->text();
            if (!shownText.match(text).hasMatch())
                failure = "shown: " + text;
            if (text != lastText) {
                if (!lastText.isEmpty())
                    longestGap = std::max(longestGap, readings - lastChange);
                lastText = text;
                lastChange = readings;
            }
            if (attempted || attempt.isEmpty())
                return;
            attempted = true;
            if (!progress->isModal())
                failure = "the progress window lets input through to the main window";
            const QString before = snapshot(fixture);
            tryInput(fixture, attempt);
            if (snapshot(fixture) != before)
                failure = "changed: " + snapshot(fixture) + " / was: " + before;
        };
        submit(fixture);
        fixture.clock.onReading = nullptr;

        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(everShown, progressShown);
        QCOMPARE(attempted, !attempt.isEmpty());
        QVERIFY2(longestGap * stepMs <= 100, qPrintable(QString::number(longestGap * stepMs)));
        QVERIFY(!visibleProgressWindow());
        // The pass went through as if nothing had been tried: every record once, one report.
        QCOMPARE(fixture.messages.messages.size(), 1);
        QCOMPARE(fixture.messages.messages[0].title, QString("Electronic Submission File Created"));
        QCOMPARE(submitted(fixture).size(), 1);
        QCOMPARE(fixture.readFile("Submit/" + submitted(fixture).first()), bytesOf(records));
        QCOMPARE(fixture.exitCode, std::optional<int>(0));
    }

    // The progress window goes before the message of an incomplete record, and the operator is
    // left in the missing field of the main window.
    void aLongPassStopsAtAnIncompleteRecordWithoutItsProgress() {
        MainWindowFixture fixture;
        QList<ResultRecord> records = numberedRecords(40);
        records[29].set(ResultRecord::StreetName, QString());
        QVERIFY(startWith(fixture, records));
        fixture.clock.advanceOnEveryReading(30);
        bool shownBefore = false;
        fixture.clock.onReading = [&] { shownBefore = shownBefore || visibleProgressWindow(); };
        bool shownWithMessage = true;
        fixture.messages.whileOpen = [&](const ScriptedMessageService::Message&) {
            shownWithMessage = visibleProgressWindow() != nullptr;
        };
        submit(fixture);
        fixture.clock.onReading = nullptr;

        QVERIFY(shownBefore);
        QVERIFY(!shownWithMessage);
        QCOMPARE(fixture.messages.messages.size(), 1);
        QCOMPARE(fixture.messages.messages[0].text, QString("Missing Street Name."));
        QCOMPARE(fixture.state().CurrentRecord, 30);
        QTRY_COMPARE(QApplication::focusWidget(), fixture.form().txtStreetName);
        QVERIFY(submitted(fixture).isEmpty());
        QCOMPARE(fixture.readFile("AppData/Korvanel.dat"), bytesOf(records));
        // The commands work again.
        QTest::mouseClick(fixture.form().cmdNext, Qt::LeftButton);
        QCOMPARE(fixture.state().CurrentRecord, 31);
    }

    void oneCompleteRecordBecomesTheSubmissionFile() {
        MainWindowFixture fixture;
        const ResultRecord record = MainWindowFixture::completeRecord();
        QVERIFY(startWith(fixture, {record}));
        QVERIFY(!fixture.exists("AppData/nextfile.txt"));
        submit(fixture);

        const QString name = "Lead_123456_20261206_105255_0001.txt";
        QCOMPARE(submitted(fixture), QStringList{name});
        const QByteArray copy = fixture.readFile("Submit/" + name);
        QCOMPARE(copy.size(), 198);
        QCOMPARE(copy, record.encode());
        QCOMPARE(QFileInfo(fixture.path("Submit/" + name)).permissions() & 0x0077, 0);
        QCOMPARE(fixture.readFile("AppData/nextfile.txt"), QByteArray("2     "));
        QVERIFY(!fixture.exists("AppData/Korvanel.dat"));

        QCOMPARE(fixture.messages.messages.size(), 1);
        const ScriptedMessageService::Message report = fixture.messages.messages[0];
        const QChar separator = QDir::separator();
        const QString expected =
            QStringList{
                "Electronic Submission File:",
                "Path: " + fixture.appPath(),
                "File: " + (separator + QString("Submit") + separator + name),
                "has been created.",
                "",
                "Application will now exit.",
            }
                .join("\r\n");
        QCOMPARE(report.text, expected);
        QCOMPARE(report.title, QString("Electronic Submission File Created"));
        QCOMPARE(report.buttons, MessageButtons::Ok);
        QCOMPARE(report.icon, MessageIcon::None);
        QCOMPARE(fixture.exitCode, std::optional<int>(0));

        // The next start begins with an empty data file and a new first record.
        MainWindowFixture next(fixture.appPath());
        QVERIFY(next.start());
        QCOMPARE(next.state().EditMode, Editing::NewRecord);
        QCOMPARE(next.state().FirstRecord, true);
        QVERIFY(next.window().windowTitle().endsWith("(Record 1 of 1)"));
        QCOMPARE(next.form().txtLastName->text(), QString());
        QCOMPARE(next.readFile("AppData/Korvanel.dat"), QByteArray());
        QVERIFY(!next.form().cmdWriteEFile->isEnabled());
    }

    // The counter runs on past four digits; every name is new.
    void theCounterRunsOnPastFourDigits() {
        MainWindowFixture fixture;
        fixture.writeFile("AppData/nextfile.txt", "9999  ");
        QVERIFY(startWith(fixture, {MainWindowFixture::completeRecord()}));
        submit(fixture);
        QCOMPARE(submitted(fixture), QStringList{"Lead_123456_20261206_105255_9999.txt"});
        QCOMPARE(fixture.readFile("AppData/nextfile.txt"), QByteArray("10000 "));

        MainWindowFixture next(fixture.appPath());
        next.writeRecords({MainWindowFixture::completeRecord("Second")});
        next.clock.set(moment().addSecs(60));
        QVERIFY(next.start());
        submit(next);
        QCOMPARE(submitted(next), (QStringList{"Lead_123456_20261206_105255_9999.txt",
                                               "Lead_123456_20261206_105355_10000.txt"}));
        QCOMPARE(next.readFile("AppData/nextfile.txt"), QByteArray("10001 "));
        QCOMPARE(next.exitCode, std::optional<int>(0));
    }

    // The counter never wraps: when the next number would not fit its six characters the
    // command is refused and nothing changes.
    void aCounterThatCannotGoOnRefusesTheSubmission() {
        MainWindowFixture fixture;
        fixture.writeFile("AppData/nextfile.txt", "999999");
        const QList<ResultRecord> records = {MainWindowFixture::completeRecord("Adams"),
                                             MainWindowFixture::completeRecord("Baker")};
        QVERIFY(startWith(fixture, records));
        submit(fixture);
        QCOMPARE(fixture.messages.messages.size(), 1);
        QCOMPARE(fixture.messages.messages[0].title, QString("File Error"));
        QVERIFY(fixture.messages.messages[0].text.contains("999999"));
        QVERIFY(!fixture.exitCode);
        QVERIFY(submitted(fixture).isEmpty());
        QCOMPARE(fixture.readFile("AppData/nextfile.txt"), QByteArray("999999"));
        QCOMPARE(fixture.readFile("AppData/Korvanel.dat"), bytesOf(records));
        QCOMPARE(fixture.state().CurrentRecord, 1);
        QCOMPARE(fixture.form().txtLastName->text(), QString("Adams"));
        // The data file is open again: the window carries on.
        QTest::mouseClick(fixture.form().cmdNext, Qt::LeftButton);
        QCOMPARE(fixture.form().txtLastName->text(), QString("Baker"));
        QCOMPARE(fixture.messages.messages.size(), 1);
    }

    void theCommandStopsAtTheFirstIncompleteRecord() {
        MainWindowFixture fixture;
        ResultRecord third = MainWindowFixture::completeRecord("Clark");
        third.set(ResultRecord::StreetName, QString());
        const QList<ResultRecord> records = {MainWindowFixture::completeRecord("Adams"),
                                             MainWindowFixture::completeRecord("Baker"), third};
        fixture.writeFile("AppData/nextfile.txt", "7     ");
        QVERIFY(startWith(fixture, records));
        QTest::mouseClick(fixture.form().cmdNext, Qt::LeftButton);

        QSignalSpy titles(&fixture.window(), &QWidget::windowTitleChanged);
        submit(fixture);

        QStringList positions;
        for (const QList<QVariant>& title : titles)
            positions += title[0].toString().section('(', -1);
        QCOMPARE(positions, (QStringList{"Record 1 of 3)", "Record 2 of 3)", "Record 3 of 3)"}));
        QCOMPARE(fixture.messages.messages.size(), 1);
        QCOMPARE(fixture.messages.messages[0].text, QString("Missing Street Name."));
        QCOMPARE(fixture.messages.messages[0].title, QString("Record Incomplete Error"));
        QCOMPARE(QApplication::focusWidget(), fixture.form().txtStreetName);
        QCOMPARE(fixture.state().CurrentRecord, 3);
        QCOMPARE(fixture.form().txtLastName->text(), QString("Clark"));
        QVERIFY(submitted(fixture).isEmpty());
        QCOMPARE(fixture.readFile("AppData/nextfile.txt"), QByteArray("7     "));
        QCOMPARE(fixture.readFile("AppData/Korvanel.dat"), bytesOf(records));
        QVERIFY(!fixture.exitCode);
        QVERIFY(fixture.form().cmdWriteEFile->isEnabled());

        // Corrected, the command goes through.
        fixture.form().txtStreetName->setText("Elm Street");
        submit(fixture);
        QCOMPARE(submitted(fixture).size(), 1);
        QCOMPARE(fixture.exitCode, std::optional<int>(0));
    }

    void everyRecordCarriesTheProviderCodeInForce() {
        MainWindowFixture fixture;
        ResultRecord older = MainWindowFixture::completeRecord("Older");
        older.set(ResultRecord::ProviderCode, "654321");
        const ResultRecord current = MainWindowFixture::completeRecord("Current");
        QVERIFY(startWith(fixture, {older, current}));
        submit(fixture);

        ResultRecord rewritten = older;
        rewritten.set(ResultRecord::ProviderCode, "123456");
        QCOMPARE(submitted(fixture).size(), 1);
        QCOMPARE(fixture.readFile("Submit/" + submitted(fixture)[0]),
                 bytesOf({rewritten, current}));
    }

    void anUnsavedEditIsSubmitted() {
        MainWindowFixture fixture;
        const QList<ResultRecord> records = {MainWindowFixture::completeRecord("Adams"),
                                             MainWindowFixture::completeRecord("Baker")};
        QVERIFY(startWith(fixture, records));
        QTest::mouseClick(fixture.form().cmdNext, Qt::LeftButton);
        fixture.form().txtFirstName->setFocus();
        fixture.form().txtFirstName->selectAll();
        QTest::keyClicks(fixture.form().txtFirstName, "Edited");
        submit(fixture);

        ResultRecord edited = records[1];
        edited.set(ResultRecord::FirstName, "Edited");
        QCOMPARE(submitted(fixture).size(), 1);
        QCOMPARE(fixture.readFile("Submit/" + submitted(fixture)[0]),
                 bytesOf({records[0], edited}));
    }

    // A data file whose last record is cut short (a crash, a copy cut off) is not sent to the
    // state: before the pass the operator is told which record it is and how to make it whole;
    // no number is taken and no file is made. Shown and saved, the record is whole again.
    void aRecordCutShortIsNotSent_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("cut");   // bytes missing from the last record
        QTest::addColumn<int>("shown"); // the record on display when the command starts
        QTest::addColumn<QString>("told");
        QTest::newRow("the last line feed missing")
            << 2 << 1 << 1
            << QString("Record 2 in the data file is cut short: only 197 of its 198 characters "
                       "are there. A record cut short cannot be sent to the state, so no "
                       "electronic file was made.\r\n\r\nShow record 2 and click Update "
                       "Record: that saves it whole and changes nothing else. Then click "
                       "Create Electronic File again.");
        QTest::newRow("a piece too short to show")
            << 4 << 146 << 2
            << QString("The data file ends with a record 4 that is cut short: only 52 of its "
                       "198 characters are there, too few to show it. A record cut short "
                       "cannot be sent to the state, so no electronic file was made.\r\n\r\n"
                       "The next record saved with New Record and Update Record takes its "
                       "place; check whether the last record typed before the program stopped "
                       "is missing. Then click Create Electronic File again.");
        // The command saves the record on display first: that makes it whole.
        QTest::newRow("the record cut short on display") << 2 << 1 << 2 << QString();
    }
    void aRecordCutShortIsNotSent() {
        QFETCH(int, stored);
        QFETCH(int, cut);
        QFETCH(int, shown);
        QFETCH(QString, told);
        MainWindowFixture fixture;
        const QList<ResultRecord> records = numberedRecords(stored);
        const QByteArray torn = bytesOf(records).chopped(cut);
        fixture.setProviderFile("123456");
        fixture.writeFile("AppData/Korvanel.dat", torn);
        fixture.clock.set(moment());
        QVERIFY(fixture.start());
        for (int record = 1; record < shown; ++record)
            QTest::mouseClick(fixture.form().cmdNext, Qt::LeftButton);
        const QByteArray whole = fixture.readFile("AppData/Korvanel.dat");
        submit(fixture);
        if (told.isEmpty()) {
            QCOMPARE(fixture.exitCode, std::optional<int>(0));
            QCOMPARE(fixture.readFile("Submit/" + submitted(fixture).value(0)), bytesOf(records));
            return;
        }
        QCOMPARE(fixture.messages.messages.size(), 1);
        const ScriptedMessageService::Message message = fixture.messages.messages[0];
        QCOMPARE(message.title, QString("Record Cut Short Error"));
        QCOMPARE(message.text, told);
        QCOMPARE(message.buttons, MessageButtons::Ok);
        QCOMPARE(message.icon, MessageIcon::Warning);
        QVERIFY(!fixture.exitCode);
        QVERIFY(submitted(fixture).isEmpty());
        QVERIFY(!fixture.exists("AppData/nextfile.txt"));
        QCOMPARE(fixture.readFile("AppData/Korvanel.dat"), whole);
        QCOMPARE(fixture.state().CurrentRecord, shown);
        if (cut > ResultRecord::Size / 2)
            return;
        // As the message says: the record shown and saved is whole, and the command goes on.
        while (fixture.state().CurrentRecord < stored)
            QTest::mouseClick(fixture.form().cmdNext, Qt::LeftButton);
        QTest::mouseClick(fixture.form().cmdUpdate, Qt::LeftButton);
        QCOMPARE(fixture.readFile("AppData/Korvanel.dat"), bytesOf(records));
        fixture.messages.messages.clear();
        submit(fixture);
        QCOMPARE(fixture.exitCode, std::optional<int>(0));
        QCOMPARE(fixture.readFile("Submit/" + submitted(fixture).value(0)), bytesOf(records));
    }

    // After the only record was deleted the window browses a blank record 1 of an empty file;
    // the command saves it and then reports it incomplete.
    void theBlankRecordAfterDeletingTheOnlyOneIsChecked() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, {MainWindowFixture::completeRecord()}));
        QTest::mouseClick(fixture.form().cmdDelete, Qt::LeftButton);
        fixture.messages.messages.clear();
        submit(fixture);
        QCOMPARE(fixture.messages.messages.size(), 1);
        QCOMPARE(fixture.messages.messages[0].text, QString("Missing Date Taken."));
        QCOMPARE(fixture.storedRecords().size(), 1);
        QVERIFY(submitted(fixture).isEmpty());
    }
};

QTEST_MAIN(tst_SubmissionCommand)
#include "tst_SubmissionCommand.moc"
