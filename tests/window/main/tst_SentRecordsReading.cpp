#include "submission/DuplicateIndex.h"
#include "support/MainWindowFixture.h"
#include "support/TestRecords.h"
#include "window/main/MainMenu.h"
#include "window/main/SentRecordsReading.h"
#include "window/records/CheckAllRecordsDialog.h"
#include "window/widgets/BackgroundJob.h"
#include "window/widgets/LiveWait.h"
#include "window/widgets/MaskedEdit.h"
#include "window/widgets/ReadingProgressWindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <memory>

namespace {

const QString kSent = QStringLiteral("Lead_123456_20250105_093000_0007.txt");

ResultRecord okafor() {
    ResultRecord record = TestRecords::completeRecord(QStringLiteral("Okafor"));
    record.set(ResultRecord::FirstName, QStringLiteral("Chidi"));
    record.set(ResultRecord::DateOfBirth, QStringLiteral("02112020"));
    record.set(ResultRecord::DateTaken, QStringLiteral("10012025"));
    return record;
}

// A reading of Submit that the test holds back: it tells one file of two done, then waits until
// released (or told to stop), then reads the folder as the program does.
struct HeldReading {
    QSemaphore release;
    std::atomic<bool> sawStop{false};
    std::atomic<int> readings{0};

    SentRecordsReading::Reader reader() {
        return [this](const QString& folder, const SentRecords::Progress& progress) {
            ++readings;
            progress(0, 2);
            while (!release.tryAcquire(1, 5)) {
                if (!progress(1, 2)) {
                    sawStop = true;
                    return SentRecords();
                }
            }
            return SentRecords::read(folder, progress);
        };
    }
};

// The progress window shown now, if any.
ReadingProgressWindow* shownProgress() {
    return qobject_cast<ReadingProgressWindow*>(QApplication::activeModalWidget())
               ? static_cast<ReadingProgressWindow*>(QApplication::activeModalWidget())
               : nullptr;
}

} // namespace

// The files of Submit are read in a worker once the window is drawn; a command that compares
// with them while the reading runs waits with "Reading submission files: n of N" and goes on
// as it always does; closing stops the reading and waits for it.
class tst_SentRecordsReading : public QObject {
    Q_OBJECT

    static bool startHeld(MainWindowFixture& fixture, HeldReading& held,
                          const QList<ResultRecord>& records = {
                              TestRecords::completeRecord("Adams")}) {
        fixture.setProviderFile("123456");
        fixture.writeRecords(records);
        fixture.writeFile("Submit/" + kSent, okafor().encode());
        fixture.beforeStartUp = [&held](MainWindowTestAccess parts) {
            parts.sentReading().setReader(held.reader());
        };
        return fixture.start();
    }

    // While the progress window is up: what it says, the records stored, then the reading let go.
    struct Seen {
        QString title;
        QString text;
        int stored = -1;
    };
    static void releaseWhenShown(MainWindowFixture& fixture, HeldReading& held, Seen& seen) {
        auto* poll = new QTimer(&fixture.window());
        QObject::connect(poll, &QTimer::timeout, poll, [poll, &fixture, &held, &seen] {
            ReadingProgressWindow* progress = shownProgress();
            if (!progress)
                return;
            const QLabel* label = progress->findChild<QLabel*>();
            if (!label || !label->text().contains(" 1 of 2"))
                return;
            seen.title = progress->windowTitle();
            seen.text = label->text();
            seen.stored = int(fixture.storedRecords().size());
            held.release.release();
            poll->deleteLater();
        });
        poll->start(10);
    }

    // New Record, then the names and dates of record typed in.
    static void typeNewRecordOf(MainWindowFixture& fixture, const ResultRecord& record) {
        Ui::frmKorvanel& c = fixture.form();
        c.cmdNew->click();
        c.txtLastName->setText(record.trimmed(ResultRecord::LastName));
        c.txtFirstName->setText(record.trimmed(ResultRecord::FirstName));
        c.mskDateOfBirth->setRawValue(record.trimmed(ResultRecord::DateOfBirth));
        c.mskDateTaken->setRawValue(record.trimmed(ResultRecord::DateTaken));
    }

    // Gives the wait up once the progress window is shown, by its Cancel button or by Esc, and
    // keeps the window's title.
    enum class GiveUp { Button, Escape };
    static void cancelWhenShown(MainWindowFixture& fixture, QString& title, GiveUp how) {
        auto* poll = new QTimer(&fixture.window());
        QObject::connect(poll, &QTimer::timeout, poll, [poll, &title, how] {
            ReadingProgressWindow* progress = shownProgress();
            if (!progress || !progress->cancelButton())
                return;
            title = progress->windowTitle();
            if (how == GiveUp::Button)
                progress->cancelButton()->click();
            else
                QTest::keyClick(progress, Qt::Key_Escape);
            poll->deleteLater();
        });
        poll->start(10);
    }

private slots:
    void init() { QTest::failOnWarning(QRegularExpression("^(?!This plugin does not support).*")); }

    // The first Update of a new record: the record is saved before the wait, and the warning
    // that follows names the record already sent.
    void updateWaitsForTheReading() {
        MainWindowFixture fixture;
        HeldReading held;
        QVERIFY(startHeld(fixture, held));
        QTRY_COMPARE(held.readings.load(), 1);
        Ui::frmKorvanel& c = fixture.form();
        typeNewRecordOf(fixture, okafor());
        Seen seen;
        releaseWhenShown(fixture, held, seen);
        c.cmdUpdate->click();
        QCOMPARE(seen.title, QString("Update Record"));
        QCOMPARE(seen.text, QString("Reading submission files: 1 of 2"));
        QCOMPARE(seen.stored, 2);
        QVERIFY(!shownProgress());
        QCOMPARE(fixture.messages.messages.size(), 1);
        QCOMPARE(fixture.messages.messages.at(0).title, QString("Possible Duplicate"));
        QVERIFY(
            fixture.messages.messages.at(0).text.startsWith("A record already sent in " + kSent));
        QCOMPARE(held.readings.load(), 1);
    }

    // Check All Records waits too and finds the record already sent.
    void checkAllRecordsWaitsForTheReading() {
        MainWindowFixture fixture;
        HeldReading held;
        QVERIFY(startHeld(fixture, held, {TestRecords::completeRecord("Adams"), okafor()}));
        QTRY_COMPARE(held.readings.load(), 1);
        Seen seen;
        releaseWhenShown(fixture, held, seen);
        fixture.controller().menu().checkAllRecords()->trigger();
        QCOMPARE(seen.title, QString("Check All Records"));
        auto* dialog = fixture.window().findChild<CheckAllRecordsDialog*>();
        QVERIFY(dialog);
        QVERIFY(dialog->summary()->text().contains("1 possible duplicate"));
        dialog->reject();
    }

    // A wait for Submit can be given up (a share that no longer answers): Check All Records then
    // opens nothing; the first Update keeps the record, compares it with the stored records and
    // says that the records already sent were not checked; the next command reads Submit again.
    void aWaitForSubmitCanBeCancelled() {
        MainWindowFixture fixture;
        HeldReading held;
        QVERIFY(startHeld(fixture, held, {TestRecords::completeRecord("Adams"), okafor()}));
        QTRY_COMPARE(held.readings.load(), 1);
        QString title;
        cancelWhenShown(fixture, title, GiveUp::Button);
        fixture.controller().menu().checkAllRecords()->trigger();
        QCOMPARE(title, QString("Check All Records"));
        QVERIFY(!fixture.window().findChild<CheckAllRecordsDialog*>());
        QVERIFY(!shownProgress());
        QTRY_VERIFY(held.sawStop);

        Ui::frmKorvanel& c = fixture.form();
        typeNewRecordOf(fixture, okafor());
        title.clear();
        cancelWhenShown(fixture, title, GiveUp::Escape);
        c.cmdUpdate->click();
        QCOMPARE(title, QString("Update Record"));
        QCOMPARE(held.readings.load(), 2);
        QCOMPARE(fixture.storedRecords().size(), 3);
        QCOMPARE(fixture.messages.messages.size(), 2);
        QCOMPARE(fixture.messages.messages.at(0).title, QString("File Error"));
        QVERIFY2(fixture.messages.messages.at(0).text.contains(
                     "The records already sent (the files in Submit) were not checked: their "
                     "reading was cancelled."),
                 qPrintable(fixture.messages.messages.at(0).text));
        QCOMPARE(fixture.messages.messages.at(1).title, QString("Possible Duplicate"));
        QVERIFY(fixture.messages.messages.at(1).text.startsWith("Record 2 of the data file"));

        Seen seen;
        releaseWhenShown(fixture, held, seen);
        fixture.controller().menu().checkAllRecords()->trigger();
        QCOMPARE(held.readings.load(), 3);
        auto* dialog = fixture.window().findChild<CheckAllRecordsDialog*>();
        QVERIFY(dialog);
        QVERIFY2(dialog->summary()->text().contains("possible duplicate"),
                 qPrintable(dialog->summary()->text()));
        dialog->reject();
    }

    // Closing while Submit is read stops the worker and waits for it.
    void closingStopsTheReading() {
        HeldReading held;
        {
            MainWindowFixture fixture;
            QVERIFY(startHeld(fixture, held));
            QTRY_COMPARE(held.readings.load(), 1);
        }
        QVERIFY(held.sawStop);
    }

    // A Submit that cannot be listed is listed again by the next command that needs it.
    // At the program's end a reading that stops is waited for, and one stuck in a file call
    // that does not return is left behind rather than waited for without end.
    void endOfTheProgramWaitsOnlyForReadingsThatStop() {
        BackgroundJob<int> stops;
        stops.start([](JobControl& control) {
            while (!control.stopRequested())
                QThread::msleep(1);
            return 1;
        });
        const auto stuck = std::make_shared<QSemaphore>();
        auto* held = new BackgroundJob<int>;
        held->start([stuck](JobControl&) {
            stuck->acquire();
            return 2;
        });
        QElapsedTimer waited;
        waited.start();
        QVERIFY(!BackgroundJobBase::endAll(100));
        QVERIFY(waited.elapsed() < 10000);
        QVERIFY(!stops.isRunning());
        QVERIFY(!held->isRunning());
        delete held; // let go: its owner does not wait for it either
        stuck->release();
        QVERIFY(BackgroundJobBase::endAll(100));
    }

    void unlistedSubmitIsReadAgain() {
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        fixture.writeRecords({TestRecords::completeRecord("Adams"), okafor()});
        fixture.writeFile("Submit", QByteArray("not a folder"));
        QVERIFY(fixture.start());
        fixture.controller().menu().checkAllRecords()->trigger();
        auto* dialog = fixture.window().findChild<CheckAllRecordsDialog*>();
        QVERIFY(dialog);
        QVERIFY(dialog->summary()->text().contains("1 file could not be read"));
        dialog->reject();
        delete dialog;
        QVERIFY(QFile::remove(fixture.path("Submit")));
        QVERIFY(QDir(fixture.appPath()).mkdir("Submit"));
        fixture.writeFile("Submit/" + kSent, okafor().encode());
        fixture.controller().menu().checkAllRecords()->trigger();
        dialog = fixture.window().findChild<CheckAllRecordsDialog*>();
        QVERIFY(dialog);
        QVERIFY2(dialog->summary()->text().contains("1 possible duplicate"),
                 qPrintable(dialog->summary()->text()));
        dialog->reject();
    }

    // Once the records already sent are in the index, the reading that the first paint starts
    // does not begin again: its records would replace those a command's worker may be reading.
    void aReadingDoneIsNotStartedAgain() {
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir("Submit"));
        QFile sent(folder.filePath("Submit/" + kSent));
        QVERIFY(sent.open(QIODevice::WriteOnly) && sent.write(okafor().encode()) > 0);
        sent.close();
        QWidget window;
        DuplicateIndex index;
        SentRecordsReading reading(window, index, folder.filePath("Submit"));
        std::atomic<int> readings{0};
        reading.setReader([&readings](const QString& path, const SentRecords::Progress& progress) {
            ++readings;
            return SentRecords::read(path, progress);
        });
        reading.waitUntilRead("Update Record");
        QVERIFY(index.sentKnown());
        reading.start();
        QVERIFY(!reading.isReading());
        QCOMPARE(readings.load(), 1);
    }

    // A reading of the stored records runs on its own thread: one done at once is waited for
    // without a window; a long one shows "Reading records: n of N" over the window, whose event
    // loop runs meanwhile, and what the work made is there when it returns.
    void readingOfTheRecordsKeepsTheWindowLive() {
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        QVERIFY(fixture.start());
        int windows = 0;
        auto* count = new QTimer(&fixture.window());
        QObject::connect(count, &QTimer::timeout, count, [&windows] {
            if (shownProgress())
                ++windows;
        });
        count->start(1);
        int made = 0;
        LiveWait::run(fixture.window(), "Find Record", &ReadingProgressWindow::recordsText,
                      [&made](const std::function<void(int, int)>& progress) {
                          progress(1, 1);
                          made = 1;
                      });
        QCOMPARE(made, 1);
        QCOMPARE(windows, 0);
        // A wait whose work writes into the caller's variables cannot be given up: its window
        // has no Cancel, and its close button does nothing.
        {
            ReadingProgressWindow waiting(fixture.window(), "Find Record",
                                          &ReadingProgressWindow::recordsText);
            QVERIFY(!waiting.cancelButton());
            waiting.open();
            QVERIFY(!waiting.close());
            QVERIFY(waiting.isVisible());
            ReadingProgressWindow cancellable(fixture.window(), "Update Record",
                                              &ReadingProgressWindow::text,
                                              ReadingProgressWindow::Cancel::Offered);
            QSignalSpy cancelled(&cancellable, &ReadingProgressWindow::cancelRequested);
            cancellable.open();
            QVERIFY(!cancellable.close());
            QCOMPARE(cancelled.size(), 1);
            waiting.finish();
            cancellable.finish();
        }

        QSemaphore release;
        QString title;
        QString text;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, &watch, [&] {
            ReadingProgressWindow* progress = shownProgress();
            const QLabel* label = progress ? progress->findChild<QLabel*>() : nullptr;
            if (label && label->text().endsWith(" of 25,000") && title.isEmpty()) {
                title = progress->windowTitle();
                text = label->text();
                release.release();
            }
        });
        watch.start(5);
        LiveWait::run(fixture.window(), "Find Record", &ReadingProgressWindow::recordsText,
                      [&](const std::function<void(int, int)>& progress) {
                          progress(5296, 25000);
                          release.acquire();
                          made = 2;
                      });
        QCOMPARE(made, 2);
        QCOMPARE(title, QString("Find Record"));
        QCOMPARE(text, QString("Reading records: 5,296 of 25,000"));
        QVERIFY(!shownProgress());
    }
};

QTEST_MAIN(tst_SentRecordsReading)
#include "tst_SentRecordsReading.moc"
