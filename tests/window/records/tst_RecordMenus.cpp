#include "storage/SafeFile.h"
#include "submission/DuplicateIndex.h"
#include "submission/FollowUpList.h"
#include "submission/RecordsCheck.h"
#include "submission/SubmissionFolder.h"
#include "window/MenuWindowTests.h"
#include "window/records/ImportRecordsCommand.h"
#include "window/records/ImportRecordsDialog.h"
#include "window/services/OpenFilePrompt.h"

#include <QDialogButtonBox>
#include <QSignalSpy>
#include <QTreeWidget>

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

// While set, every read of a file without a name (the Follow-Up list's temporary file) fails.
std::atomic<bool> unnamedReadsFail{false};

bool isUnnamed(int fd) {
    char path[4096];
    const ssize_t length =
        readlink(("/proc/self/fd/" + QByteArray::number(fd)).constData(), path, sizeof path);
    return length > 0 && QByteArray(path, int(length)).contains("/#");
}

} // namespace

extern "C" ssize_t pread(int fd, void* buffer, size_t count, off_t offset) {
    using Pread = ssize_t (*)(int, void*, size_t, off_t);
    static const auto real = reinterpret_cast<Pread>(dlsym(RTLD_NEXT, "pread"));
    if (unnamedReadsFail && isUnnamed(fd)) {
        errno = EIO;
        return -1;
    }
    return real(fd, buffer, count, offset);
}

// Answers the file chooser with a path and keeps what it was asked.
class ScriptedOpenPrompt : public OpenFilePrompt {
public:
    QString ask(const QString& title, const QString& startFolder) override {
        asked << title + " " + startFolder;
        return answer;
    }
    QString answer;
    QStringList asked;
};
#include "window/records/FollowUpDueDialog.h"

// The menu bar over the main window, the dialogs of the Records menu (Find Record, Check All
// Records) and the warning after a new record that repeats another result, on a real program
// folder.
class tst_RecordMenus : public QObject, MenuWindowTests {
    Q_OBJECT

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
        QCOMPARE(items, (QStringList{
                            "&Records", "  &Find Record... Ctrl+F on",
                            "  &Check All Records... Ctrl+K on", "  Follow-Up &Due Ctrl+Shift+D on",
                            "-", "  &New Result for This Child Ctrl+Shift+N on", "-",
                            "  &Import Records... Ctrl+I on", "  &Export Records to CSV...  on",
                            "&Submissions", "  Submission &History...  on", "&Help",
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
        QVERIFY(!menu.importRecords()->isEnabled());
        QVERIFY(!menu.followUpDue()->isEnabled());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(!fixture.window().findChild<FindRecordDialog*>());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_D,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(!fixture.window().findChild<FollowUpDueDialog*>());
        fixture.form().cmdDelete->click(); // Cancel
        QVERIFY(menu.findRecord()->isEnabled());
        QVERIFY(menu.checkAllRecords()->isEnabled());
        QVERIFY(menu.followUpDue()->isEnabled());

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

    // Follow-Up Due over the data file and Submit, as of the clock's day: the rows and their
    // order, a file that cannot be read named, the reason of a row to check, Enter on a stored
    // record's row going there as Find Record goes, on a sent one naming its file; Print List
    // and Export to CSV the history's way, with the window's columns.
    void followUpDue() {
        using F = ResultRecord;
        auto result = [](const char* last, const char* first, const char* taken, const char* pb,
                         const char* type) {
            ResultRecord record = patient(last, first, "07042019", taken);
            record.set(F::AnalysisDate, taken);
            record.set(F::PbResult, pb);
            record.set(F::TestType, type);
            return record;
        };
        MainWindowFixture fixture;
        fixture.clock.set(QDateTime(QDate(2026, 3, 10), QTime(9, 30)));
        const QString sent = "Lead_123456_20260306_090000_0001.txt";
        const QString locked = "Lead_123456_20260307_090000_0002.txt";
        QDir(fixture.appPath()).mkdir("Submit");
        QByteArray sentBytes = result("Okafor", "Chidi", "03052026", "50", "V").encode() +
                               result("Smith", "Anna", "01052026", "2.0", "V").encode();
        fixture.writeFile("Submit/" + sent, sentBytes);
        fixture.writeFile("Submit/" + locked,
                          result("Novak", "Eva", "03062026", "30", "C").encode());
        QVERIFY(PermissionBits::lockOut(fixture.path("Submit/" + locked)));
        QVERIFY(startWith(fixture, {result("Smith", "Anna", "03022026", "12.0", "C"),
                                    result("Novak", "Eva", "03012026", "1.0", "V"),
                                    result("Jones", "Al", "02302026", "12.0", "C")}));
        const PermissionBits bits;
        fixture.form().cmdNext->click();
        fixture.form().txtStreetName->setText("Edited Street"); // record 2, not yet saved

        FollowUpDueDialog* dialog = openDialog<FollowUpDueDialog>(
            fixture, Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_D);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Follow-Up Due"));
        QTRY_VERIFY(dialog->isFilled());
        QCOMPARE(dialog->summary()->text(), QString("2 children due, 1 overdue"));
        QAbstractItemModel* model = dialog->table()->model();
        QStringList headers;
        for (int column = 0; column < model->columnCount(); ++column)
            headers << model->headerData(column, Qt::Horizontal).toString();
        QCOMPARE(headers, (QStringList{"Last Name", "First Name", "Date of Birth", "Latest Result",
                                       "Next Test", "Due By", "Status"}));
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(rowTexts(model, 0),
                 (QStringList{"Jones", "Al", "07/04/2019", "12.0 capillary, 02/30/2026", "", "",
                              "Check the record"}));
        QCOMPARE(model->index(0, 6).data(Qt::ToolTipRole).toString(),
                 QString("The date taken is not a valid date."));
        QCOMPARE(rowTexts(model, 1),
                 (QStringList{"Okafor", "Chidi", "07/04/2019", "50 venous, 03/05/2026",
                              "Follow-up test", "03/07/2026", "Overdue 3 days"}));
        QCOMPARE(rowTexts(model, 2),
                 (QStringList{"Smith", "Anna", "07/04/2019", "12.0 capillary, 03/02/2026",
                              "Venous confirmation", "04/02/2026", "Due in 23 days"}));
        if (bits.applies()) {
            QVERIFY(dialog->files()->isVisibleTo(dialog));
            QVERIFY2(dialog->files()->text().contains(locked), qPrintable(dialog->files()->text()));
        }
        QCOMPARE(QApplication::focusWidget(), dialog->table());

        // Print List and Export to CSV.
        dialog->printListButton()->click();
        QVERIFY(fixture.printer.pages.last().contains("          Follow-Up Due, page 1 of 1"));
        QVERIFY(fixture.printer.lastPdfPath.endsWith("Printed/FollowUp_20260310_093000.pdf"));
        ScriptedSavePrompt savePrompt;
        fixture.controller().historyCommands().setSaveFilePrompt(savePrompt);
        QTemporaryDir out;
        savePrompt.answer = out.filePath("due.csv");
        dialog->exportButton()->click();
        QCOMPARE(savePrompt.asked,
                 QStringList{"Export to CSV " + SubmissionHistoryCommands::documentsFolder() +
                             "/Korvanel_FollowUp_20260310.csv"});
        QFile csv(savePrompt.answer);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = csv.readAll().split('\n');
        QCOMPARE(lines.value(0), QByteArray("\xEF\xBB\xBFLast Name,First Name,Date of Birth,"
                                            "Latest Result,Next Test,Due By,Status\r"));
        QCOMPARE(lines.value(2), QByteArray("Okafor,Chidi,07/04/2019,\"50 venous, 03/05/2026\","
                                            "Follow-up test,03/07/2026,Overdue 3 days\r"));
        QCOMPARE(lines.size(), 5);

        // A sent record's row names its file; the window stays.
        dialog->table()->setCurrentIndex(model->index(1, 0));
        QTest::keyClick(dialog->table(), Qt::Key_Return);
        QCOMPARE(fixture.messages.messages.size(), 1);
        QCOMPARE(fixture.messages.messages.at(0).title, QString("Record Already Sent"));
        QVERIFY(fixture.messages.messages.at(0).text.contains(sent));
        QVERIFY(dialog->isVisible());
        QCOMPARE(titlePosition(fixture), QString("(Record 2 of 3)"));
        // A double-click on a row chooses it as Enter does.
        const QPoint onRow = dialog->table()->visualRect(model->index(1, 1)).center();
        QTest::mousePress(dialog->table()->viewport(), Qt::LeftButton, {}, onRow);
        QTest::mouseDClick(dialog->table()->viewport(), Qt::LeftButton, {}, onRow);
        QCOMPARE(fixture.messages.messages.size(), 2);
        QCOMPARE(fixture.messages.messages.at(1).text, fixture.messages.messages.at(0).text);

        // A stored record's row: the record shown is saved, the chosen one shown.
        dialog->table()->setCurrentIndex(model->index(2, 0));
        QPointer<FollowUpDueDialog> open(dialog);
        QTest::keyClick(dialog->table(), Qt::Key_Return);
        QTRY_VERIFY(!open || !open->isVisible());
        QCOMPARE(titlePosition(fixture), QString("(Record 1 of 3)"));
        QCOMPARE(fixture.storedRecords().at(1).trimmed(F::StreetName), QString("Edited Street"));
        QCOMPARE(fixture.messages.messages.size(), 2);
    }

    // A row of a long list kept in a temporary file that cannot be read back names no record:
    // Enter on it leaves the window open, its Status saying to check the record.
    void followUpDueRowNotReadBackIsNotChosen() {
        QByteArray bytes;
        for (int n = 0; n < 200; ++n) {
            ResultRecord record =
                patient(qPrintable(QStringLiteral("Child%1").arg(n)), "Al", "07042019", "03012026");
            record.set(ResultRecord::PbResult, "12.0");
            record.set(ResultRecord::TestType, "V");
            bytes += record.encode();
        }
        FollowUpList list(QDate(2026, 3, 10), &FollowUpList::keyHash, 50, 64 * 72);
        list.addSubmissionFile("Lead_123456_20260306_090000_0001.txt", RecordFile(bytes));
        FollowUpRows rows = list.takeRows();
        QCOMPARE(rows.size(), 200);

        FollowUpDueDialog dialog;
        dialog.setList(std::move(rows), "", {});
        dialog.show();
        QSignalSpy chosen(&dialog, &FollowUpDueDialog::recordChosen);
        QSignalSpy sentChosen(&dialog, &FollowUpDueDialog::sentRecordChosen);
        QTableView* table = dialog.table();
        table->setCurrentIndex(table->model()->index(0, 0));
        unnamedReadsFail = true;
        QTest::keyClick(table, Qt::Key_Return);
        unnamedReadsFail = false;
        QVERIFY(dialog.isVisible());
        QCOMPARE(chosen.count() + sentChosen.count(), 0);
    }

    // A list longer than the table takes at once: scrolled to its end, the table reaches every
    // row, the last one the list's last.
    void followUpDueTableReachesEveryRow() {
        ResultRecord record = patient("Child", "Al", "07042019", "03012026");
        record.set(ResultRecord::PbResult, "12.0");
        record.set(ResultRecord::TestType, "C");
        const QByteArray one = record.encode();
        const int count = 120001;
        QByteArray bytes;
        bytes.reserve(qsizetype(count) * ResultRecord::Size);
        for (int n = 0; n < count; ++n) {
            const qsizetype at = bytes.size();
            bytes += one;
            const QByteArray name = "Child" + QByteArray::number(n);
            bytes.replace(at + ResultRecord::offset(ResultRecord::LastName), name.size(), name);
        }
        FollowUpList list(QDate(2026, 3, 10));
        list.addSubmissionFile("Lead_123456_20260306_090000_0001.txt", RecordFile(bytes));
        FollowUpRows rows = list.takeRows();
        QCOMPARE(rows.size(), count);
        const QString last = rows.at(count - 1).lastName;

        FollowUpDueDialog dialog;
        dialog.setList(std::move(rows), "", {});
        dialog.show();
        QTableView* table = dialog.table();
        for (int i = 0; i < 20 && table->model()->rowCount() < count; ++i) {
            table->scrollToBottom();
            QCoreApplication::processEvents();
        }
        QCOMPARE(table->model()->rowCount(), count);
        QCOMPARE(table->model()->index(count - 1, 0).data().toString(), last);
    }

    // Follow-Up Due opens at once, reading Submit in a worker: it fills with the list that
    // reading every file whole gives, again after files were added, removed and changed, and a
    // window closed while it reads stops the reading.
    void followUpDueReadsSubmitInTheBackground() {
        MainWindowFixture fixture;
        fixture.clock.set(QDateTime(QDate(2026, 3, 10), QTime(9, 30)));
        const QString submit = fixture.path("Submit");
        QDir(fixture.appPath()).mkdir("Submit");
        auto fileOf = [](int first, int count) {
            QByteArray bytes;
            for (int n = first; n < first + count; ++n) {
                ResultRecord record =
                    patient("Child", "Al", "07042019",
                            qPrintable(QDate(2025, 9, 1).addDays(n % 150).toString("MMddyyyy")));
                record.set(ResultRecord::LastName, QStringLiteral("Child%1").arg(n % 700));
                record.set(ResultRecord::PbResult, QString::number(n % 17));
                record.set(ResultRecord::TestType, n % 4 ? "C" : "V");
                bytes += record.encode();
            }
            return bytes;
        };
        const QString name = "Submit/Lead_123456_202601%1_090000_00%1.txt";
        for (int i = 10; i < 20; ++i)
            fixture.writeFile(name.arg(i), fileOf(i * 300, 2500));
        QVERIFY(startWith(fixture, {patient("Child5", "Al", "07042019", "03012026")}));
        const QList<ResultRecord> stored = fixture.storedRecords();
        auto wholeRead = [&] {
            FollowUpList list(QDate(2026, 3, 10));
            QList<SubmissionFolder::ListedFile> listed;
            SubmissionFolder::list(submit, listed);
            QStringList names;
            for (const SubmissionFolder::ListedFile& file : listed)
                names << file.fileName;
            names.sort();
            QStringList damaged;
            for (const QString& file : names) {
                RecordFile read;
                if (RecordFile::read(QDir(submit).filePath(file), read) && !read.isWhole())
                    damaged << QDir(submit).filePath(file) + " (" + read.damage() + ")";
                list.addSubmissionFile(file, read);
            }
            list.addStoredRecords(stored);
            QStringList lines = DuplicateIndex::notCheckedLines({}, damaged);
            for (const FollowUpRow& row : list.rows())
                lines << row.values().join('|') + "|" + row.submissionFile + "|" +
                             QString::number(row.recordNumber);
            return lines;
        };
        auto shown = [](FollowUpDueDialog* dialog) {
            QStringList lines = dialog->fileLines();
            for (const FollowUpRow& row : dialog->rows())
                lines << row.values().join('|') + "|" + row.submissionFile + "|" +
                             QString::number(row.recordNumber);
            return lines;
        };
        auto open = [&] {
            fixture.controller().menu().followUpDue()->trigger();
            return fixture.window().findChild<FollowUpDueDialog*>();
        };

        FollowUpDueDialog* dialog = open();
        QVERIFY(dialog);
        QVERIFY(!dialog->isFilled());
        QVERIFY(dialog->summary()->text().startsWith("Reading submission files"));
        QVERIFY(!dialog->printListButton()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isFilled(), 20000);
        QVERIFY(dialog->printListButton()->isEnabled());
        const QStringList first = wholeRead();
        QVERIFY(first.size() > 100);
        QCOMPARE(shown(dialog), first);
        QCOMPARE(dialog->table()->model()->rowCount(), int(dialog->rows().size()));
        QPointer<FollowUpDueDialog> closing(dialog);
        dialog->reject();
        QTRY_VERIFY(!closing);

        QVERIFY(QFile::remove(fixture.path(name.arg(12))));
        fixture.writeFile(name.arg(21), fileOf(9000, 40));
        fixture.writeFile(name.arg(15), fileOf(100, 3000) + "torn");
        dialog = open();
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isFilled(), 20000);
        const QStringList second = wholeRead();
        QVERIFY(second != first);
        QVERIFY(second.join('\n').contains("4 bytes left over"));
        QCOMPARE(shown(dialog), second);
        closing = dialog;
        dialog->reject();
        QTRY_VERIFY(!closing);

        // Closed while it reads: the window goes at once and the worker stops.
        dialog = open();
        QVERIFY(dialog && !dialog->isFilled());
        closing = dialog;
        dialog->reject();
        QTRY_VERIFY(!closing);
    }

    // Check All Records over many records runs in slices between the window's events, saying how
    // far it is, and lists what the check at once lists.
    void checkAllRecordsInSlices() {
        QList<ResultRecord> records;
        for (int n = 0; n < 10000; ++n) {
            ResultRecord record = patient("Patient", "Al", "07042019", "11302026");
            record.set(ResultRecord::LastName, QStringLiteral("Patient%1").arg(n % 9000));
            if (n % 13 == 0)
                record.set(ResultRecord::Zip, "");
            records << record;
        }
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, records));
        // Slices of 1 ms: many of them on any machine.
        CheckAllRecordsDialog::setSliceMs(1);
        const auto restore = qScopeGuard([] { CheckAllRecordsDialog::setSliceMs(20); });
        fixture.controller().menu().checkAllRecords()->trigger();
        auto* dialog = fixture.window().findChild<CheckAllRecordsDialog*>();
        QVERIFY(dialog);
        QVERIFY(!dialog->isComplete());
        QVERIFY2(dialog->summary()->text().startsWith("Checking record "),
                 qPrintable(dialog->summary()->text()));
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isComplete(), 30000);
        DuplicateIndex none;
        const RecordsCheckReport atOnce = RecordsCheck::checkAllRecords(records, "123456", none);
        QCOMPARE(dialog->summary()->text(), atOnce.summary());
        QAbstractItemModel* rows = dialog->table()->model();
        QCOMPARE(rows->rowCount(), int(atOnce.problems.size()));
        QVERIFY(atOnce.duplicates > 0 && atOnce.withGaps > 0);
        for (int row = 0; row < rows->rowCount(); row += 97)
            QCOMPARE(
                rowTexts(rows, row),
                (QStringList{QString::number(atOnce.problems.at(row).number),
                             atOnce.problems.at(row).patient, atOnce.problems.at(row).problem}));
        dialog->reject();
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
        // Locked before the start: Submit is read once the window is drawn.
        QVERIFY(PermissionBits::lockOut(fixture.path(locked)));
        const PermissionBits bits;
        if (!bits.applies())
            QSKIP("This test cannot set aside root's override of the permission bits.");
        QVERIFY(startWith(fixture, fourRecords()));
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
        QTRY_VERIFY(history->isListed());
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

    // Import Records: a file with a bad date imports nothing and names it; the mended file
    // appends every row, and the window saves the record shown, then shows the first imported.
    void importRecords() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fourRecords()));
        ScriptedOpenPrompt prompt;
        fixture.controller().importRecords().setOpenFilePrompt(prompt);
        QTemporaryDir in;
        prompt.answer = in.filePath("from the fair.csv");
        QList<ResultRecord> rows = {patient("Adams", "Bo", "01022020", "11302026"),
                                    patient("Baker", "Cy", "02302020", "11302026")};
        QVERIFY(SafeFile::writeNewFile(prompt.answer, RecordsCsv::document(rows)));
        const QByteArray before = fixture.readFile("AppData/Korvanel.dat");

        fixture.controller().menu().importRecords()->trigger();
        QCOMPARE(prompt.asked, QStringList{"Choose a File to Import " +
                                           SubmissionHistoryCommands::documentsFolder()});
        auto* dialog = fixture.window().findChild<ImportRecordsDialog*>();
        QVERIFY(dialog);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QCOMPARE(dialog->windowTitle(), QString("Import Records"));
        QTRY_VERIFY(dialog->isChecked());
        QVERIFY(dialog->summary()->text().contains("1 problem: nothing can be imported"));
        QCOMPARE(dialog->list()->topLevelItemCount(), 1);
        QStringList texts;
        for (int column = 0; column < 4; ++column)
            texts << dialog->list()->topLevelItem(0)->text(column);
        QCOMPARE(texts, (QStringList{"3", "Date of Birth", "02/30/2020",
                                     "Date of Birth Taken is not valid or is incomplete. Enter "
                                     "MM/DD/YYYY (4 digit year required)."}));
        QVERIFY(!dialog->importButton());
        QCOMPARE(dialog->buttons()->buttons().size(), 1);
        dialog->buttons()->button(QDialogButtonBox::Close)->click();
        QTRY_VERIFY(!fixture.window().findChild<ImportRecordsDialog*>());
        QCOMPARE(fixture.readFile("AppData/Korvanel.dat"), before);

        rows[1].set(ResultRecord::DateOfBirth, QStringLiteral("02202020"));
        QVERIFY(SafeFile::replaceContent(prompt.answer, RecordsCsv::document(rows)));
        fixture.form().txtFirstName->setText("Changed");
        fixture.controller().menu().importRecords()->trigger();
        dialog = fixture.window().findChild<ImportRecordsDialog*>();
        QVERIFY(dialog);
        QTRY_VERIFY(dialog->isChecked());
        QVERIFY(dialog->importButton());
        QVERIFY2(dialog->summary()->text().contains("2 records: 0 incomplete, 0 possible "
                                                    "duplicates."),
                 qPrintable(dialog->summary()->text()));
        dialog->importButton()->click();
        QTRY_VERIFY(!fixture.window().findChild<ImportRecordsDialog*>());
        QCOMPARE(titlePosition(fixture), QString("(Record 5 of 6)"));
        QCOMPARE(fixture.form().txtLastName->text(), QString("Adams"));
        const QList<ResultRecord> stored = fixture.storedRecords();
        QCOMPARE(stored.size(), 6);
        QCOMPARE(stored.at(0).trimmed(ResultRecord::FirstName), QString("Changed"));
        QCOMPARE(stored.at(4).encode(), rows.at(0).encode());
        QCOMPARE(stored.at(5).encode(), rows.at(1).encode());
        QVERIFY(fixture.messages.messages.isEmpty());
    }

    // The check of a file to import runs in a worker while the window says how far it is, with
    // the problems and records of the check at once; Cancel while it checks imports nothing.
    void importCheckRunsInTheBackground() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fourRecords()));
        ScriptedOpenPrompt prompt;
        fixture.controller().importRecords().setOpenFilePrompt(prompt);
        QTemporaryDir in;
        prompt.answer = in.filePath("rows.csv");
        QList<ResultRecord> rows;
        for (int n = 0; n < 3000; ++n) {
            rows << patient("Row", "Al", "01022020", "11302026");
            rows.last().set(ResultRecord::LastName, QStringLiteral("Row%1").arg(n % 2900));
        }
        rows[7].set(ResultRecord::Zip, "");
        QVERIFY(SafeFile::writeNewFile(prompt.answer, RecordsCsv::document(rows)));
        const QByteArray before = fixture.readFile("AppData/Korvanel.dat");

        fixture.controller().menu().importRecords()->trigger();
        auto* dialog = fixture.window().findChild<ImportRecordsDialog*>();
        QVERIFY(dialog);
        QVERIFY(!dialog->isChecked());
        QVERIFY2(dialog->summary()->text().contains("Checking the file: "),
                 qPrintable(dialog->summary()->text()));
        QVERIFY(!dialog->importButton());
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isChecked(), 30000);
        ImportContext context;
        context.providerCode = "123456";
        context.today = fixture.clock.now().date();
        context.storedKeys = ImportContext::keysOf(fixture.storedRecords());
        const ImportReport atOnce = RecordsImport::checkFile(prompt.answer, context);
        QCOMPARE(dialog->report().summary(), atOnce.summary());
        QCOMPARE(dialog->report().digest, atOnce.digest);
        QCOMPARE(dialog->report().gaps.size(), 1);
        QCOMPARE(dialog->report().duplicateNotes.size(), atOnce.duplicateNotes.size());
        QVERIFY(atOnce.duplicates > 0);
        QCOMPARE(dialog->list()->topLevelItemCount(), 1 + int(atOnce.duplicateNotes.size()));
        QVERIFY(dialog->importButton());
        dialog->reject();
        QTRY_VERIFY(!fixture.window().findChild<ImportRecordsDialog*>());

        fixture.controller().menu().importRecords()->trigger();
        dialog = fixture.window().findChild<ImportRecordsDialog*>();
        QVERIFY(dialog && !dialog->isChecked());
        dialog->reject();
        QTRY_VERIFY(!fixture.window().findChild<ImportRecordsDialog*>());
        QCOMPARE(fixture.readFile("AppData/Korvanel.dat"), before);
    }
};

QTEST_MAIN(tst_RecordMenus)
#include "tst_RecordMenus.moc"
