#include "storage/RecordStore.h"
#include "submission/RecordsCsv.h"
#include "support/MainWindowFixture.h"
#include "support/PermissionBits.h"
#include "window/CheckAllRecordsDialog.h"
#include "window/DesignTables.h"
#include "window/FindRecordDialog.h"
#include "window/HelpCommands.h"
#include "window/MainMenu.h"
#include "window/MainWindowController.h"
#include "window/MainWindowState.h"
#include "window/MaskedEdit.h"
#include "window/OperatorsGuideWindow.h"
#include "window/RecordPresenter.h"
#include "window/RecordTableModel.h"
#include "window/SaveFilePrompt.h"
#include "window/SubmissionHistoryCommands.h"
#include "window/SubmissionHistoryDialog.h"
#include "window/SubmissionHistoryModels.h"
#include "window/frmKorvanel.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeView>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Answers the save dialog with a chosen path and keeps what it was offered.
class ScriptedSavePrompt : public SaveFilePrompt {
public:
    QString ask(const QString& title, const QString& suggestedPath) override {
        asked << title + " " + suggestedPath;
        return answer;
    }
    QString answer;
    QStringList asked;
};

// The menu bar over the main window, the dialogs it opens (Find Record, Check All Records,
// Submission History), the CSV exports, and the warning after a new record that repeats another
// result, on a real program folder.
class tst_RecordMenus : public QObject {
    Q_OBJECT

    static QStringList rowTexts(QAbstractItemModel* model, int row) {
        QStringList texts;
        for (int column = 0; column < model->columnCount(); ++column)
            texts << model->index(row, column).data().toString();
        return texts;
    }

    static ResultRecord patient(const char* last, const char* first, const char* born,
                                const char* taken) {
        ResultRecord record = MainWindowFixture::completeRecord(QLatin1String(last));
        record.set(ResultRecord::FirstName, QLatin1String(first));
        record.set(ResultRecord::DateOfBirth, QLatin1String(born));
        record.set(ResultRecord::DateTaken, QLatin1String(taken));
        return record;
    }

    static QList<ResultRecord> fourRecords() {
        return {patient("Smith", "Anna", "07042019", "11302026"),
                patient("Smithson", "Carl", "12062015", "01022026"),
                patient("Novak", "Eva", "07302018", "07042019"),
                patient("Jones", "Smithers", "02112020", "10012025")};
    }

    static bool startWith(MainWindowFixture& fixture, const QList<ResultRecord>& records) {
        fixture.setProviderFile("123456");
        if (!records.isEmpty())
            fixture.writeRecords(records);
        return fixture.start();
    }

    static QString titlePosition(MainWindowFixture& fixture) {
        const QString title = fixture.window().windowTitle();
        return title.mid(title.lastIndexOf(QLatin1Char('(')));
    }

    template <typename Dialog>
    static Dialog* openDialog(MainWindowFixture& fixture, QKeyCombination keys) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &fixture.window(), keys.key(), keys.keyboardModifiers());
        Dialog* dialog = nullptr;
        const bool open = QTest::qWaitFor(
            [&] {
                return (dialog = fixture.window().findChild<Dialog*>()) && dialog->isActiveWindow();
            },
            5000);
        return open ? dialog : nullptr;
    }

    // Writes a file under a name given as bytes, which need not be UTF-8.
    static bool writeNative(const QString& folder, const QByteArray& name,
                            const QByteArray& bytes) {
        const QByteArray path = QFile::encodeName(folder) + '/' + name;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0)
            return false;
        const bool written = ::write(fd, bytes.constData(), bytes.size()) == bytes.size();
        return ::close(fd) == 0 && written;
    }

    static QString recordsLabel(SubmissionHistoryDialog& dialog) {
        for (QLabel* label : dialog.findChildren<QLabel*>())
            if (label->buddy() == dialog.records())
                return label->text();
        return QString();
    }

    static QList<int> shownRecordNumbers(FindRecordDialog& dialog) {
        QList<int> numbers;
        for (int row = 0; row < dialog.rows().rowCount(); ++row)
            numbers << dialog.rows().recordNumber(row);
        return numbers;
    }

private slots:
    void init() { QTest::failOnWarning(QRegularExpression("^(?!This plugin does not support).*")); }

    // The form keeps its size and every control its place below the bar; the bar takes no Tab.
    void menuBarAboveTheForm() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fourRecords()));
        QMenuBar* bar = fixture.controller().menu().bar();
        const int height = bar->height();
        QVERIFY(height > 10);
        QCOMPARE(bar->geometry(), QRect(0, 0, 607, height));
        QCOMPARE(fixture.window().size(), QSize(607, 438 + height));
        for (const DesignRow& row : kMainWindowDesign) {
            if (QLatin1String(row.parent) != QLatin1String("frmKorvanel"))
                continue;
            QWidget* control = fixture.window().findChild<QWidget*>(row.name);
            QCOMPARE(control->pos(),
                     QPoint(qRound(row.left / 15.0), qRound(row.top / 15.0) + height));
        }
        QCOMPARE(bar->focusPolicy(), Qt::NoFocus);

        QStringList items;
        for (QAction* menu : bar->actions()) {
            items << menu->text();
            for (QAction* item : menu->menu()->actions()) {
                items << (item->isSeparator() ? QString("-")
                                              : QString("  %1 %2 %3")
                                                    .arg(item->text(), item->shortcut().toString(),
                                                         item->isEnabled() ? "on" : "off"));
            }
        }
        QCOMPARE(items, (QStringList{"&Records", "  &Find Record... Ctrl+F on",
                                     "  &Check All Records... Ctrl+K on", "-",
                                     "  &Export Records to CSV...  on", "&Submissions",
                                     "  Submission &History...  on", "&Help",
                                     "  &Operator's Guide F1 on", "  &About Korvanel  on"}));
    }

    // While a new record is entered (Previous and Next off) nothing may move to another record.
    void recordItemsFollowNewRecordMode() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fourRecords()));
        MainMenu& menu = fixture.controller().menu();
        fixture.form().cmdNew->click();
        QVERIFY(!menu.findRecord()->isEnabled());
        QVERIFY(!menu.checkAllRecords()->isEnabled());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(!fixture.window().findChild<FindRecordDialog*>());
        fixture.form().cmdDelete->click(); // Cancel
        QVERIFY(menu.findRecord()->isEnabled());
        QVERIFY(menu.checkAllRecords()->isEnabled());

        MainWindowFixture empty;
        QVERIFY(startWith(empty, {}));
        QVERIFY(!empty.controller().menu().findRecord()->isEnabled());
    }

    // Ctrl+K in a text box opens the check instead of deleting to the end of the line.
    void menuKeysWinInTextBoxes() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fourRecords()));
        QLineEdit* lastName = fixture.form().txtLastName;
        lastName->setFocus(Qt::OtherFocusReason);
        lastName->setCursorPosition(0);
        CheckAllRecordsDialog* dialog =
            openDialog<CheckAllRecordsDialog>(fixture, Qt::ControlModifier | Qt::Key_K);
        QVERIFY(dialog);
        QCOMPARE(lastName->text(), QString("Smith"));
        dialog->reject();
    }

    void findRecordFilter_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QList<int>>("records");
        QTest::newRow("nothing typed") << "" << QList<int>{1, 2, 3, 4};
        QTest::newRow("last or first name") << "smith" << QList<int>{1, 2, 4};
        QTest::newRow("case and blanks ignored") << "  SMITH  " << QList<int>{1, 2, 4};
        QTest::newRow("inside a name") << "vak" << QList<int>{3};
        QTest::newRow("digits of a birth or sample date") << "0704" << QList<int>{1, 3};
        QTest::newRow("a date as shown") << "07/04/2019" << QList<int>{1, 3};
        QTest::newRow("a year") << "2026" << QList<int>{1, 2};
        QTest::newRow("name and digits together match nothing") << "Smith 2019" << QList<int>{};
        QTest::newRow("no such name") << "zzz" << QList<int>{};
    }
    void findRecordFilter() {
        QFETCH(QString, typed);
        QFETCH(QList<int>, records);
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fourRecords()));
        FindRecordDialog* dialog =
            openDialog<FindRecordDialog>(fixture, Qt::ControlModifier | Qt::Key_F);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Find Record"));
        QCOMPARE(QApplication::focusWidget(), dialog->filterBox());
        QTest::keyClicks(dialog->filterBox(), typed);
        QCOMPARE(shownRecordNumbers(*dialog), records);
        // The top row is the one Enter takes.
        QCOMPARE(dialog->table()->currentIndex().row(), records.isEmpty() ? -1 : 0);
        dialog->reject();
    }

    // Columns sort on a click: dates by time, results by value with Low first.
    void findRecordSorts() {
        QList<ResultRecord> records = fourRecords();
        records[0].set(ResultRecord::PbResult, "");
        records[0].set(ResultRecord::BelowDetection, "1");
        records[1].set(ResultRecord::PbResult, "9.5");
        records[3].set(ResultRecord::PbResult, "66.0");
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, records));
        FindRecordDialog* dialog =
            openDialog<FindRecordDialog>(fixture, Qt::ControlModifier | Qt::Key_F);
        QVERIFY(dialog);
        dialog->table()->sortByColumn(RecordTableModel::DateOfBirth, Qt::AscendingOrder);
        QCOMPARE(shownRecordNumbers(*dialog), (QList<int>{2, 3, 1, 4}));
        dialog->table()->sortByColumn(RecordTableModel::Result, Qt::AscendingOrder);
        QCOMPARE(shownRecordNumbers(*dialog), (QList<int>{1, 2, 3, 4}));
        QCOMPARE(dialog->rows().index(0, RecordTableModel::Result).data().toString(),
                 QString("Low"));
        dialog->reject();
    }

    // Up and Down move the row with the focus in the box; Enter saves the record shown and then
    // shows the chosen one as Next would.
    void findRecordGoesToTheChosenRecord() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fourRecords()));
        fixture.form().txtLastName->setText("Smyth");
        FindRecordDialog* dialog =
            openDialog<FindRecordDialog>(fixture, Qt::ControlModifier | Qt::Key_F);
        QVERIFY(dialog);
        QTest::keyClicks(dialog->filterBox(), "smith");
        QTest::keyClick(dialog->filterBox(), Qt::Key_Down);
        QTest::keyClick(dialog->filterBox(), Qt::Key_Down);
        QTest::keyClick(dialog->filterBox(), Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), dialog->filterBox());
        QCOMPARE(dialog->rows().recordNumber(dialog->table()->currentIndex().row()), 2);
        QPointer<FindRecordDialog> open(dialog);
        QTest::keyClick(dialog->filterBox(), Qt::Key_Return);
        QTRY_VERIFY(!open || !open->isVisible());
        QCOMPARE(titlePosition(fixture), QString("(Record 2 of 4)"));
        QCOMPARE(fixture.form().txtLastName->text(), QString("Smithson"));
        QCOMPARE(fixture.storedRecords().at(0).trimmed(ResultRecord::LastName), QString("Smyth"));
        QTRY_COMPARE(QApplication::focusWidget(), fixture.form().mskDateTaken);
        QVERIFY(fixture.messages.messages.isEmpty());

        // Esc closes without a move and without a save, and the box the operator is in is not
        // left: its rule (here the parents' name) runs when the operator leaves it.
        fixture.form().txtParentsLast->clear();
        fixture.form().txtLastName->setFocus();
        fixture.form().txtLastName->setText("Unsaved");
        dialog = openDialog<FindRecordDialog>(fixture, Qt::ControlModifier | Qt::Key_F);
        QVERIFY(dialog);
        QTest::keyClicks(dialog->filterBox(), "eva");
        open = dialog;
        QTest::keyClick(dialog->filterBox(), Qt::Key_Escape);
        QTRY_VERIFY(!open || !open->isVisible());
        QCOMPARE(titlePosition(fixture), QString("(Record 2 of 4)"));
        QCOMPARE(fixture.form().txtLastName->text(), QString("Unsaved"));
        QCOMPARE(fixture.form().txtParentsLast->text(), QString());
        QTRY_COMPARE(QApplication::focusWidget(), fixture.form().txtLastName);
        QCOMPARE(fixture.storedRecords().at(1).trimmed(ResultRecord::LastName),
                 QString("Smithson"));

        // Record 1 is now "Smyth": the second row of the filtered list is record 4. The record
        // shown is the row's own, not the one at the row's place in the file.
        fixture.form().txtLastName->setText("Smithson");
        dialog = openDialog<FindRecordDialog>(fixture, Qt::ControlModifier | Qt::Key_F);
        QVERIFY(dialog);
        QTest::keyClicks(dialog->filterBox(), "smith");
        QTest::keyClick(dialog->filterBox(), Qt::Key_Down);
        QCOMPARE(shownRecordNumbers(*dialog), (QList<int>{2, 4}));
        QCOMPARE(dialog->table()->currentIndex().row(), 1);
        open = dialog;
        QTest::keyClick(dialog->filterBox(), Qt::Key_Return);
        QTRY_VERIFY(!open || !open->isVisible());
        QCOMPARE(titlePosition(fixture), QString("(Record 4 of 4)"));
        QCOMPARE(fixture.form().txtLastName->text(), QString("Jones"));
    }

    void checkAllRecordsGoesToTheProblem() {
        QList<ResultRecord> records = fourRecords();
        records[2].set(ResultRecord::Zip, "");
        records[2].set(ResultRecord::City, "");
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, records));
        fixture.form().txtFirstName->setText("Annie");
        CheckAllRecordsDialog* dialog =
            openDialog<CheckAllRecordsDialog>(fixture, Qt::ControlModifier | Qt::Key_K);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Check All Records"));
        QCOMPARE(dialog->summary()->text(),
                 QString("4 records: 3 complete, 1 with gaps, 0 possible duplicates"));
        QAbstractItemModel* rows = dialog->table()->model();
        QCOMPARE(rows->rowCount(), 2);
        QCOMPARE(rows->index(1, 0).data().toInt(), 3);
        QCOMPARE(rows->index(1, 1).data().toString(), QString("Novak, Eva"));
        QCOMPARE(rows->index(1, 2).data().toString(), QString("Missing Zip Code."));
        QPointer<CheckAllRecordsDialog> open(dialog);
        QTest::keyClick(dialog->table(), Qt::Key_Down);
        QTest::keyClick(dialog->table(), Qt::Key_Return);
        QTRY_VERIFY(!open || !open->isVisible());
        QCOMPARE(titlePosition(fixture), QString("(Record 3 of 4)"));
        QCOMPARE(fixture.storedRecords().at(0).trimmed(ResultRecord::FirstName), QString("Annie"));
        QVERIFY(fixture.messages.messages.isEmpty());
    }

    void checkAllRecordsWithNothingToReport() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fourRecords()));
        CheckAllRecordsDialog* dialog =
            openDialog<CheckAllRecordsDialog>(fixture, Qt::ControlModifier | Qt::Key_K);
        QVERIFY(dialog);
        QCOMPARE(dialog->summary()->text(),
                 QString("All 4 records are complete; no possible duplicates."));
        dialog->reject();
    }

    // A file in Submit that cannot be read is named in the summary and every other file is
    // still compared, one whose name is not UTF-8 included.
    void checkAllRecordsWithFilesInSubmitThatCannotBeRead() {
        MainWindowFixture fixture;
        const QString locked = "Submit/Lead_123456_20250105_093000_0001.txt";
        fixture.writeFile(locked, patient("Okafor", "Chidi", "02112020", "10012025").encode());
        const QByteArray notUtf8 = "Lead_12\xe9"
                                   "456_20250301_120000_0002.txt";
        QVERIFY(writeNative(fixture.path("Submit"), notUtf8,
                            patient("Smith", "Anna", "07042019", "11302026").encode()));
        // QTemporaryDir cannot remove a name that is not UTF-8.
        const auto removeFile = qScopeGuard([&] {
            ::unlink((QFile::encodeName(fixture.path("Submit")) + '/' + notUtf8).constData());
        });
        QVERIFY(startWith(fixture, fourRecords()));
        QVERIFY(PermissionBits::lockOut(fixture.path(locked)));
        const PermissionBits bits;
        if (!bits.applies())
            QSKIP("This test cannot set aside root's override of the permission bits.");
        CheckAllRecordsDialog* dialog =
            openDialog<CheckAllRecordsDialog>(fixture, Qt::ControlModifier | Qt::Key_K);
        QVERIFY(dialog);
        QCOMPARE(dialog->summary()->text(),
                 QString("4 records: 3 complete, 0 with gaps, 1 possible duplicate\n"
                         "1 file could not be read and was not checked:\n%1 (Permission denied)")
                     .arg(fixture.path(locked)));
        QAbstractItemModel* rows = dialog->table()->model();
        QCOMPARE(rows->rowCount(), 1);
        QCOMPARE(rowTexts(rows, 0), (QStringList{"1", "Smith, Anna",
                                                 "Possible duplicate: already sent in "
                                                 "Lead_12\uFFFD456_20250301_120000_0002.txt"}));
        QVERIFY(fixture.messages.messages.isEmpty());
        dialog->reject();

        // The history shows the name as the messages do, never a half character.
        fixture.controller().menu().submissionHistory()->trigger();
        auto* history = fixture.window().findChild<SubmissionHistoryDialog*>();
        QVERIFY(history);
        QVERIFY(QTest::qWaitForWindowExposed(history));
        QStringList shownNames;
        for (int row = 0; row < history->files()->model()->rowCount(); ++row)
            shownNames += rowTexts(history->files()->model(), row).last();
        QVERIFY(shownNames.contains("Lead_12\uFFFD456_20250301_120000_0002.txt"));
        history->reject();
    }

    // Only the first save of a new record by Update warns; the bytes stored are the same.
    void possibleDuplicateAfterUpdate() {
        MainWindowFixture fixture;
        const QString sentName = "Lead_123456_20250105_093000_0007.txt";
        fixture.writeFile("Submit/" + sentName,
                          patient("Okafor", "Chidi", "02112020", "10012025").encode());
        QVERIFY(startWith(fixture, fourRecords()));
        Ui::frmKorvanel& c = fixture.form();
        auto enterNew = [&](const char* last, const char* first, const char* born,
                            const char* taken) {
            c.cmdNew->click();
            c.txtLastName->setText(QLatin1String(last));
            c.txtFirstName->setText(QLatin1String(first));
            c.mskDateOfBirth->setRawValue(QLatin1String(born));
            c.mskDateTaken->setRawValue(QLatin1String(taken));
        };
        // What the operator was told since the last look: title, icon and first line.
        auto warnings = [&] {
            QStringList found;
            for (const auto& message : fixture.messages.messages) {
                found << QString("%1 (%2): %3")
                             .arg(message.title,
                                  message.icon == MessageIcon::Warning &&
                                          message.buttons == MessageButtons::Ok
                                      ? "OK, warning"
                                      : "other",
                                  message.text.section("\r\n", 0, 0));
            }
            fixture.messages.messages.clear();
            return found;
        };
        const QString box = "Possible Duplicate (OK, warning): ";

        enterNew(" NOVAK ", "eva", "07302018", "07042019");
        const ResultRecord captured = fixture.controller().presenter().capture();
        c.cmdUpdate->click();
        QCOMPARE(warnings(), QStringList{box + "Record 3 of the data file has the same patient and "
                                               "dates as the record just saved:"});
        QVERIFY(fixture.storedRecords().at(4) == captured);
        QCOMPARE(titlePosition(fixture), QString("(Record 5 of 5)"));

        c.cmdUpdate->click(); // browsing: no check
        enterNew("Okafor", "Chidi", "02112020", "10012025");
        c.cmdUpdate->click();
        QCOMPARE(warnings(), QStringList{box + "A record already sent in " + sentName +
                                         " has the same patient and dates as the record just "
                                         "saved:"});
        enterNew("Novak", "Eva", "", "07042019"); // no date of birth: never a match
        c.cmdUpdate->click();
        QCOMPARE(warnings(), QStringList{});

        // Deleting record 3 moves the later records down; the index follows.
        c.cmdPrevious->click();
        c.cmdPrevious->click();
        c.cmdPrevious->click();
        QCOMPARE(titlePosition(fixture), QString("(Record 4 of 7)"));
        c.cmdPrevious->click();
        c.cmdDelete->click(); // answered Yes
        fixture.messages.messages.clear();
        enterNew("Novak", "Eva", "07302018", "07042019");
        c.cmdUpdate->click();
        QCOMPARE(warnings(), QStringList{box + "Record 4 of the data file has the same patient and "
                                               "dates as the record just saved:"});

        // Exit stores a new record without the check.
        enterNew("Novak", "Eva", "07302018", "07042019");
        c.cmdExit->click();
        QCOMPARE(warnings(), QStringList{});
        QCOMPARE(fixture.exitCode, std::optional<int>(0));
    }

    // The history opens while a new record is entered, lists Submit newest first, searches every
    // file, prints and exports the file selected, and changes no file in Submit.
    void submissionHistory() {
        MainWindowFixture fixture;
        const QString older = "Lead_123456_20250105_093000_0001.txt";
        const QString newer = "Lead_123456_20250301_120000_0002.txt";
        const QList<ResultRecord> olderRecords = {patient("Novak", "Eva", "07302018", "01032025")};
        const QList<ResultRecord> newerRecords = {patient("Smith", "Anna", "07042019", "02282025"),
                                                  patient("Jones", "Li", "02112020", "03012025")};
        auto bytesOf = [](const QList<ResultRecord>& records) {
            QByteArray bytes;
            for (const ResultRecord& record : records)
                bytes += record.encode();
            return bytes;
        };
        fixture.writeFile("Submit/" + older, bytesOf(olderRecords));
        fixture.writeFile("Submit/" + newer, bytesOf(newerRecords));
        fixture.writeFile("Submit/notes.txt", "kept by the office");
        QVERIFY(startWith(fixture, fourRecords()));
        ScriptedSavePrompt savePrompt;
        fixture.controller().historyCommands().setSaveFilePrompt(savePrompt);
        fixture.form().cmdNew->click();
        QCOMPARE(fixture.state().EditMode, Editing::NewRecord);

        fixture.controller().menu().submissionHistory()->trigger();
        auto* dialog = fixture.window().findChild<SubmissionHistoryDialog*>();
        QVERIFY(dialog);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QCOMPARE(dialog->windowTitle(), QString("Submission History"));
        QCOMPARE(dialog->files()->model()->rowCount(), 2);
        QCOMPARE(rowTexts(dialog->files()->model(), 0),
                 (QStringList{"03/01/2025 12:00", "2", "123456", "2", newer}));
        QCOMPARE(rowTexts(dialog->files()->model(), 1),
                 (QStringList{"01/05/2025 09:30", "1", "123456", "1", older}));
        QVERIFY(dialog->otherFiles()->isVisible());
        QCOMPARE(dialog->otherFiles()->model()->index(0, 0).data().toString(),
                 QString("notes.txt"));
        // The newest file's records, in Find Record's columns.
        QCOMPARE(dialog->records()->model()->rowCount(), 2);
        QCOMPARE(rowTexts(dialog->records()->model(), 1).mid(0, 6),
                 (QStringList{"2", "Jones", "Li", "02/11/2020", "03/01/2025", "12.5"}));
        QVERIFY(dialog->records()->isColumnHidden(SubmittedRecordModel::File));

        // Every control can be named by a screen reader.
        for (QWidget* control : dialog->findChildren<QWidget*>()) {
            if (control->focusPolicy() == Qt::NoFocus || !control->isVisible())
                continue;
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            QVERIFY(accessible);
            QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(),
                     control->metaObject()->className());
        }

        // A name finds the record in whichever file holds it, and selects that file.
        QVERIFY(dialog->filterBox()->hasFocus());
        QTest::keyClicks(dialog->filterBox(), "novak");
        QCOMPARE(dialog->records()->model()->rowCount(), 1);
        QCOMPARE(rowTexts(dialog->records()->model(), 0),
                 (QStringList{"1", "Novak", "Eva", "07/30/2018", "01/03/2025", "12.5",
                              "01/05/2025 09:30", older}));
        QVERIFY(!dialog->records()->isColumnHidden(SubmittedRecordModel::File));
        QCOMPARE(dialog->selectedFile(), 1);
        QTest::keyClick(dialog->filterBox(), Qt::Key_Return);
        QVERIFY(dialog->isVisible());

        // Print List: the selected file's receipt, one line per record.
        dialog->printListButton()->click();
        QCOMPARE(fixture.printer.pages.size(), 1);
        QVERIFY(fixture.printer.pages.last().contains("          File:     " + older));
        QVERIFY(fixture.printer.pages.last().contains(
            "          1    Novak                Eva          07/30/2018 01/03/2025 12.5"));
        QCOMPARE(fixture.printer.lastPdfPath,
                 fixture.path("Printed/List_Lead_123456_20250105_093000_0001_20261206_093000.pdf"));

        // Export to CSV: the Documents folder and the file's name are offered; the file is
        // owner-only and holds the file's records.
        QTemporaryDir out;
        savePrompt.answer = out.filePath("novak.csv");
        dialog->exportButton()->click();
        QCOMPARE(savePrompt.asked,
                 QStringList{"Export to CSV " + SubmissionHistoryCommands::documentsFolder() +
                             "/Lead_123456_20250105_093000_0001.csv"});
        QFile csv(savePrompt.answer);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll(), RecordsCsv::document(olderRecords));
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(savePrompt.answer).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"novak.csv"});

        // A file that cannot be written is one File Error; cancelling writes nothing.
        savePrompt.answer = out.filePath("missing/novak.csv");
        dialog->exportButton()->click();
        QCOMPARE(fixture.messages.messages.size(), 1);
        QCOMPARE(fixture.messages.messages.last().title, QString("File Error"));
        QVERIFY(fixture.messages.messages.last().text.contains("missing"));
        savePrompt.answer.clear();
        dialog->exportButton()->click();
        QCOMPARE(fixture.messages.messages.size(), 1);

        dialog->reject();
        QTRY_VERIFY(!fixture.window().findChild<SubmissionHistoryDialog*>());
        QCOMPARE(QDir(fixture.path("Submit"))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{older, newer, "notes.txt"}));
        QCOMPARE(fixture.readFile("Submit/" + older), bytesOf(olderRecords));
        QCOMPARE(fixture.readFile("Submit/" + newer), bytesOf(newerRecords));
    }

    // A submission file is read when it is first selected or searched: one that has gone by then
    // is one File Error, shows no records and can be neither printed nor exported; selecting it
    // again or searching reports nothing more, and the search still finds what the others hold.
    void submissionHistoryFileThatCannotBeRead() {
        MainWindowFixture fixture;
        const QString older = "Lead_123456_20250105_093000_0001.txt";
        const QString newer = "Lead_123456_20250301_120000_0002.txt";
        fixture.writeFile("Submit/" + older,
                          patient("Novak", "Eva", "07302018", "01032025").encode());
        fixture.writeFile("Submit/" + newer,
                          patient("Novak", "Ivo", "07042019", "02282025").encode());
        QVERIFY(startWith(fixture, fourRecords()));
        fixture.controller().menu().submissionHistory()->trigger();
        auto* dialog = fixture.window().findChild<SubmissionHistoryDialog*>();
        QVERIFY(dialog);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QVERIFY(QFile::remove(fixture.path("Submit/" + older)));

        for (int pass = 0; pass < 2; ++pass) {
            dialog->files()->setCurrentIndex(dialog->files()->model()->index(1, 0));
            QCOMPARE(fixture.messages.messages.size(), 1);
            QCOMPARE(fixture.messages.messages.last().title, QString("File Error"));
            QVERIFY(fixture.messages.messages.last().text.contains(older));
            QCOMPARE(dialog->records()->model()->rowCount(), 0);
            QVERIFY(recordsLabel(*dialog).contains("could not be read"));
            QVERIFY(!dialog->printListButton()->isEnabled());
            QVERIFY(!dialog->exportButton()->isEnabled());
            dialog->files()->setCurrentIndex(dialog->files()->model()->index(0, 0));
            QCOMPARE(dialog->records()->model()->rowCount(), 1);
            QVERIFY(dialog->printListButton()->isEnabled());
        }

        QTest::keyClicks(dialog->filterBox(), "novak");
        QCOMPARE(fixture.messages.messages.size(), 1);
        QCOMPARE(dialog->records()->model()->rowCount(), 1);
        QCOMPARE(rowTexts(dialog->records()->model(), 0).value(SubmittedRecordModel::File), newer);
        QVERIFY(recordsLabel(*dialog).contains("1 of the files could not be read"));
        dialog->reject();
    }

    // A damaged submission file shows the records the data file would count and says how it is
    // damaged; a search that reads it says so.
    void submissionHistoryDamagedFile() {
        MainWindowFixture fixture;
        const QString torn = "Lead_123456_20250105_093000_0001.txt";
        fixture.writeFile("Submit/" + torn,
                          patient("Novak", "Eva", "07302018", "01032025").encode() +
                              patient("Novak", "Ivo", "07042019", "02282025").encode().left(197));
        QVERIFY(startWith(fixture, fourRecords()));
        fixture.controller().menu().submissionHistory()->trigger();
        auto* dialog = fixture.window().findChild<SubmissionHistoryDialog*>();
        QVERIFY(dialog);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QCOMPARE(rowTexts(dialog->files()->model(), 0).value(3), QString("2"));
        QCOMPARE(dialog->records()->model()->rowCount(), 2);
        QCOMPARE(recordsLabel(*dialog),
                 "&Records in " + torn + " (damaged: 1 whole record, 197 bytes left over):");
        QTest::keyClicks(dialog->filterBox(), "ivo");
        QCOMPARE(dialog->records()->model()->rowCount(), 1);
        QCOMPARE(recordsLabel(*dialog),
                 QString("&Records found: 1 (1 of the files is damaged and searched only as far "
                         "as its records could be read)"));
        QVERIFY(fixture.messages.messages.isEmpty());
        dialog->reject();
    }

    // Export Records to CSV writes what the data file holds, under the day's name.
    void exportRecords() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fourRecords()));
        ScriptedSavePrompt savePrompt;
        fixture.controller().historyCommands().setSaveFilePrompt(savePrompt);
        QTemporaryDir out;
        savePrompt.answer = out.filePath("records.csv");
        fixture.controller().menu().exportRecords()->trigger();
        QCOMPARE(savePrompt.asked,
                 QStringList{"Export to CSV " + SubmissionHistoryCommands::documentsFolder() +
                             "/Korvanel_Records_20261206.csv"});
        QFile csv(savePrompt.answer);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll(), RecordsCsv::document(fixture.storedRecords()));
        QVERIFY(fixture.messages.messages.isEmpty());
    }

    // The export's temporary file is the program's own: a file of the operator's under any name
    // beside the one chosen is left alone, and nothing else is left in the folder.
    void exportLeavesOtherFilesAlone() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fourRecords()));
        ScriptedSavePrompt savePrompt;
        fixture.controller().historyCommands().setSaveFilePrompt(savePrompt);
        QTemporaryDir out;
        for (const QString name : {"records.csv", "records.csv.new", "records.csv.tmp"}) {
            QFile mine(out.filePath(name));
            QVERIFY(mine.open(QIODevice::WriteOnly));
            mine.write("mine: " + name.toUtf8());
        }
        savePrompt.answer = out.filePath("records.csv");
        fixture.controller().menu().exportRecords()->trigger();
        QVERIFY(fixture.messages.messages.isEmpty());
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"records.csv", "records.csv.new", "records.csv.tmp"}));
        auto contentOf = [&](const QString& name) {
            QFile file(out.filePath(name));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
        };
        QCOMPARE(contentOf("records.csv"), RecordsCsv::document(fixture.storedRecords()));
        QCOMPARE(contentOf("records.csv.new"), QByteArray("mine: records.csv.new"));
        QCOMPARE(contentOf("records.csv.tmp"), QByteArray("mine: records.csv.tmp"));

        // A failure names the file chosen, not a temporary one.
        savePrompt.answer = out.filePath("missing/records.csv");
        fixture.controller().menu().exportRecords()->trigger();
        QCOMPARE(fixture.messages.messages.size(), 1);
        QCOMPARE(fixture.messages.messages[0].title, QString("File Error"));
        QCOMPARE(fixture.messages.messages[0].text.split("\r\n").value(1),
                 QDir::toNativeSeparators(savePrompt.answer));
    }

    // No export lands among the program's own files, under any name or link that leads there:
    // the operator is told, and nothing is written.
    void exportIntoTheProgramsFoldersIsRefused_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("over the data file") << "AppData/Korvanel.dat";
        QTest::newRow("a new file in AppData") << "AppData/records.csv";
        QTest::newRow("a new file in Submit") << "Submit/records.csv";
        QTest::newRow("through a link to AppData") << "link/Korvanel.dat";
        QTest::newRow("through a link to Submit") << "link-submit/records.csv";
        QTest::newRow("a folder below Submit") << "Submit/sub/records.csv";
    }
    void exportIntoTheProgramsFoldersIsRefused() {
        QFETCH(QString, target);
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fourRecords()));
        QVERIFY(QFile::link(fixture.path("AppData"), fixture.path("link")));
        QVERIFY(QFile::link(fixture.path("Submit"), fixture.path("link-submit")));
        QVERIFY(QDir(fixture.path("Submit")).mkdir("sub"));
        const QByteArray data = fixture.readFile("AppData/Korvanel.dat");
        auto names = [&] {
            return QDir(fixture.path("AppData")).entryList(QDir::AllEntries | QDir::Hidden) +
                   QDir(fixture.path("Submit")).entryList(QDir::AllEntries | QDir::Hidden) +
                   QDir(fixture.path("Submit/sub")).entryList(QDir::AllEntries | QDir::Hidden);
        };
        const QStringList before = names();
        ScriptedSavePrompt savePrompt;
        fixture.controller().historyCommands().setSaveFilePrompt(savePrompt);
        savePrompt.answer = fixture.path(target);
        fixture.controller().menu().exportRecords()->trigger();

        QCOMPARE(fixture.messages.messages.size(), 1);
        QCOMPARE(fixture.messages.messages[0].title, QString("Export to CSV"));
        QVERIFY(fixture.messages.messages[0].text.contains(
            QDir::toNativeSeparators(savePrompt.answer)));
        QCOMPARE(fixture.readFile("AppData/Korvanel.dat"), data);
        QCOMPARE(names(), before);
    }

    // F1 opens the guide compiled into the program, in any edit mode, with its headings and
    // every picture it shows; F1 again brings the same window forward. "About Korvanel" names
    // the program folder and the data file with the records it holds.
    void helpMenu() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fourRecords()));
        fixture.form().cmdNew->click(); // the unsaved new record is not in the file
        for (int press = 0; press < 2; ++press)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        const QList<OperatorsGuideWindow*> guides =
            fixture.window().findChildren<OperatorsGuideWindow*>();
        QCOMPARE(guides.size(), 1);
        OperatorsGuideWindow* guide = guides.first();
        QTRY_VERIFY(guide->isVisible());
        QCOMPARE(guide->windowTitle(), QString("Operator's Guide"));

        QStringList headings;
        QStringList pictures;
        const QTextDocument* document = guide->browser()->document();
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            if (block.blockFormat().headingLevel() > 0)
                headings << block.text();
            for (auto part = block.begin(); !part.atEnd(); ++part) {
                const QTextImageFormat image = part.fragment().charFormat().toImageFormat();
                if (image.isValid())
                    pictures << image.name();
            }
        }
        QCOMPARE(headings.value(0), QString("Operator's Guide"));
        QVERIFY(headings.contains("After a \"File Error\""));
        QVERIFY(pictures.size() >= 5);
        for (const QString& picture : pictures) {
            const QVariant bytes =
                guide->browser()->loadResource(QTextDocument::ImageResource, QUrl(picture));
            QVERIFY2(!QImage::fromData(bytes.toByteArray()).isNull(), qPrintable(picture));
        }

        fixture.messages.messages.clear();
        fixture.controller().menu().about()->trigger();
        QCOMPARE(fixture.messages.messages.size(), 1);
        const auto& about = fixture.messages.messages.first();
        QCOMPARE(about.title, QString("About Korvanel"));
        for (const QString& line :
             {QString("Korvanel Blood Lead Result Reporting"),
              "Program folder: " + QDir::toNativeSeparators(fixture.appPath()),
              "Data file: " + QDir::toNativeSeparators(fixture.path("AppData/Korvanel.dat")),
              QString("Records in the data file: 4"), "Qt version: " + QString(qVersion())})
            QVERIFY2(about.text.split("\r\n").contains(line), qPrintable(about.text));
        QVERIFY(about.text.contains("Operator's Guide"));
    }
};

QTEST_MAIN(tst_RecordMenus)
#include "tst_RecordMenus.moc"
