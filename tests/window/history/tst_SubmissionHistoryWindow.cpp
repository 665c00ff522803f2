#include "submission/tst_SubmissionHistoryReference.h"
#include "window/MenuWindowTests.h"

#include "window/services/QtPrinter.h"
#include "window/widgets/ReadingProgressWindow.h"
#include "window/widgets/SteppedTableModel.h"

#include <QFile>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QTimer>

#include <climits>
#include <functional>

#include <sys/inotify.h>
#include <unistd.h>

// Submission History and the CSV exports, opened from the menu bar on a real program folder.
class tst_SubmissionHistoryWindow : public QObject, MenuWindowTests {
    Q_OBJECT

    // Submit is listed and read by workers while the window stays live.
    static bool readingDone(SubmissionHistoryDialog& dialog) {
        return QTest::qWaitFor([&] { return dialog.isListed() && !dialog.isReading(); }, 20000);
    }
    static inline const QString kOneFile = "Submit/Lead_123456_20250105_093000_0001.txt";

    // Four records stored, one submission file of these bytes, and the history opened on it:
    // the window, or null when it could not be done.
    static SubmissionHistoryDialog* historyOfOneFile(MainWindowFixture& fixture,
                                                     const QByteArray& bytes) {
        if (!startWith(fixture, fourRecords()) ||
            !HistoryReference::write(fixture.path(kOneFile), bytes))
            return nullptr;
        fixture.controller().menu().submissionHistory()->trigger();
        auto* dialog = fixture.window().findChild<SubmissionHistoryDialog*>();
        if (!dialog || !readingDone(*dialog))
            return nullptr;
        dialog->files()->setCurrentIndex(dialog->files()->model()->index(0, 0));
        return readingDone(*dialog) ? dialog : nullptr;
    }

    // How many times the file was opened while work ran; INT_MAX when too many to count.
    static int opensDuring(const QString& path, const std::function<void()>& work) {
        const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        // Closes are watched too: identical events in a row would be counted as one.
        if (fd < 0 ||
            inotify_add_watch(fd, QFile::encodeName(path).constData(), IN_OPEN | IN_CLOSE) < 0)
            return -1;
        work();
        int opens = 0;
        alignas(inotify_event) char buffer[65536];
        for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) {
            for (const char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (event->mask & IN_Q_OVERFLOW)
                    opens = INT_MAX;
                else if ((event->mask & IN_OPEN) && opens < INT_MAX)
                    ++opens;
                at += sizeof(inotify_event) + event->len;
            }
        }
        ::close(fd);
        return opens;
    }

private slots:
    void init() { QTest::failOnWarning(QRegularExpression("^(?!This plugin does not support).*")); }

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
        QVERIFY(readingDone(*dialog));
        QVERIFY(!dialog->progressLine()->isVisible());
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
        QVERIFY(readingDone(*dialog));
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
        QVERIFY(readingDone(*dialog));
        QVERIFY(QFile::remove(fixture.path("Submit/" + older)));

        for (int pass = 0; pass < 2; ++pass) {
            dialog->files()->setCurrentIndex(dialog->files()->model()->index(1, 0));
            QVERIFY(readingDone(*dialog));
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
        QVERIFY(readingDone(*dialog));
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
        QVERIFY(readingDone(*dialog));
        QCOMPARE(rowTexts(dialog->files()->model(), 0).value(3), QString("2"));
        QCOMPARE(dialog->records()->model()->rowCount(), 2);
        QCOMPARE(recordsLabel(*dialog),
                 "&Records in " + torn + " (damaged: 1 whole record, 197 bytes left over):");
        QTest::keyClicks(dialog->filterBox(), "ivo");
        QVERIFY(readingDone(*dialog));
        QCOMPARE(dialog->records()->model()->rowCount(), 1);
        QCOMPARE(recordsLabel(*dialog),
                 QString("&Records found: 1 (1 of the files is damaged and searched only as far "
                         "as its records could be read)"));
        QVERIFY(fixture.messages.messages.isEmpty());
        dialog->reject();
    }

    // Listed, read and searched by workers, the window shows what reading every file whole at
    // once tells: the files and their counts, the records found in order, a large file's rows,
    // and its export; again after files were added, removed and changed between two openings.
    // The progress line tells what is being read, a new search text replaces the search under
    // way, and closing the window while a search runs stops it.
    void threadedHistoryAnswersAsReadingWhole() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fourRecords()));
        const QString submit = fixture.path("Submit");
        QVERIFY(HistoryReference::writeFolder(submit));
        ScriptedSavePrompt savePrompt;
        fixture.controller().historyCommands().setSaveFilePrompt(savePrompt);
        QTemporaryDir out;
        for (int opening = 0; opening < 2; ++opening) {
            if (opening == 1)
                QVERIFY(HistoryReference::changeFolder(submit));
            fixture.controller().menu().submissionHistory()->trigger();
            auto* dialog = fixture.window().findChild<SubmissionHistoryDialog*>();
            QVERIFY(dialog);
            QVERIFY(!dialog->progressLine()->isHidden());
            QCOMPARE(dialog->progressLine()->text(), QString("Listing submission files"));
            QVERIFY(readingDone(*dialog));
            QVERIFY(dialog->progressLine()->isHidden());
            const HistoryReference::Whole whole = HistoryReference::read(dialog->history());
            auto shownFiles = [&] {
                QStringList files;
                QAbstractItemModel* rows = dialog->files()->model();
                for (int row = 0; row < rows->rowCount(); ++row)
                    files << QString("%1 %2 %3")
                                 .arg(rows->index(row, SubmissionFileModel::File).data().toString())
                                 .arg(rows->index(row, SubmissionFileModel::Records).data().toInt())
                                 .arg(dialog->history().files().at(row).damage());
                return files;
            };

            // A new text replaces the search under way: only the last one's records show.
            int shown = 0;
            const QMetaObject::Connection counting = connect(
                dialog->records()->model(), &QAbstractItemModel::modelReset, [&] { ++shown; });
            dialog->filterBox()->setText("novak");
            QVERIFY(QRegularExpression("^Reading submission files: \\d+ of 6$")
                        .match(dialog->progressLine()->text())
                        .hasMatch());
            dialog->filterBox()->setText("eva");
            QVERIFY(readingDone(*dialog));
            QCOMPARE(shown, 1);
            QCOMPARE(dialog->records()->model()->rowCount(),
                     HistoryReference::found(whole, "eva").size());
            disconnect(counting);
            for (const QString& typed : HistoryReference::searches()) {
                dialog->filterBox()->setText(typed);
                QVERIFY(readingDone(*dialog));
                QStringList places;
                QAbstractItemModel* rows = dialog->records()->model();
                for (int row = 0; row < rows->rowCount(); ++row)
                    places << rows->index(row, SubmittedRecordModel::File).data().toString() + ":" +
                                  rows->index(row, SubmittedRecordModel::Number).data().toString();
                QCOMPARE(places, HistoryReference::found(whole, typed));
            }
            QCOMPARE(shownFiles(), whole.files);
            QVERIFY(fixture.messages.messages.isEmpty());

            // A large file's rows, read by position where the pieces meet, and its export.
            dialog->filterBox()->clear();
            const int large = int(whole.names.indexOf("Lead_123456_20250107_093000_0003.txt"));
            dialog->files()->setCurrentIndex(dialog->files()->model()->index(large, 0));
            QVERIFY(readingDone(*dialog));
            const RecordFile& content = whole.contents.at(large);
            QAbstractItemModel* rows = dialog->records()->model();
            QCOMPARE(rows->rowCount(), content.recordCount());
            for (int n : {1, 2047, 2048, 2049, 2050, 4097}) {
                const ResultRecord record = content.record(n);
                QCOMPARE(rowTexts(rows, n - 1).mid(0, 3),
                         (QStringList{QString::number(n), record.trimmed(ResultRecord::LastName),
                                      record.trimmed(ResultRecord::FirstName)}));
            }
            savePrompt.answer = out.filePath(QString("large%1.csv").arg(opening));
            dialog->exportButton()->click();
            QList<ResultRecord> all;
            for (int n = 1; n <= content.recordCount(); ++n)
                all << content.record(n);
            QFile csv(savePrompt.answer);
            QVERIFY(csv.open(QIODevice::ReadOnly));
            QVERIFY(csv.readAll() == RecordsCsv::document(all));

            // Closing the window while a search runs stops it and waits for it.
            dialog->filterBox()->setText("a");
            QVERIFY(dialog->isReading());
            dialog->reject();
            QTRY_VERIFY(!fixture.window().findChild<SubmissionHistoryDialog*>());
        }
        QVERIFY(fixture.messages.messages.isEmpty());
    }

    // A large file is exported on a thread of its own: the window is painted meanwhile and says
    // how far it is. Its printed list is drawn a page at a time, each page's records read then,
    // the window painted between pages and saying how far it is, into one PDF when there is no
    // printer.
    void exportOfALargeFileKeepsTheWindowLive() {
        MainWindowFixture fixture;
        SubmissionHistoryDialog* dialog =
            historyOfOneFile(fixture, HistoryReference::records(0, 100).repeated(200));
        QVERIFY(dialog);
        ScriptedSavePrompt savePrompt;
        fixture.controller().historyCommands().setSaveFilePrompt(savePrompt);
        QStringList shown;
        QTimer watch;
        connect(&watch, &QTimer::timeout, &watch, [&] {
            for (auto* progress : fixture.window().findChildren<ReadingProgressWindow*>())
                if (progress->isVisible())
                    shown << progress->windowTitle() + ": " +
                                 progress->findChild<QLabel*>()->text();
        });
        watch.start(5);
        QTemporaryDir out;
        savePrompt.answer = out.filePath("large.csv");
        dialog->exportButton()->click();
        watch.stop();
        QVERIFY2(!shown.isEmpty(), "no progress was shown while the export ran");
        QVERIFY2(QRegularExpression("^Export to CSV: Exporting records: [\\d,]+ of 20,000$")
                     .match(shown.last())
                     .hasMatch(),
                 qPrintable(shown.last()));
        QFile csv(savePrompt.answer);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll().count("\r\n"), 20001);

        shown.clear();
        QtPrinter realPrinter;
        if (QPrinterInfo::defaultPrinter().isNull())
            fixture.printer.passTo = &realPrinter;
        watch.start(5);
        dialog->printListButton()->click();
        watch.stop();
        QCOMPARE(fixture.printer.pages.size(), 1);
        if (!fixture.printer.passTo) {
            QVERIFY(fixture.messages.messages.isEmpty());
            dialog->reject();
            return;
        }
        QVERIFY2(QRegularExpression("^Print List: Printing page [\\d,]+ of 488$")
                     .match(shown.last())
                     .hasMatch(),
                 qPrintable(shown.last()));
        QCOMPARE(fixture.messages.messages.size(), 1);
        QFile pdf(fixture.printer.lastPdfPath);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QCOMPARE(pdf.readAll().count("/Type /Page\n"), 488);
        QCOMPARE(pdf.permissions() & 0x0077, 0);
        dialog->reject();
    }

    // A file of more records than a table is given at once shows its first ones at once, the
    // rest as the table is scrolled to its end, down to its last record.
    void aFileOfManyRecordsIsShownInSteps() {
        MainWindowFixture fixture;
        const int count = SteppedTableModel::RowsAtOnce + 1;
        SubmissionHistoryDialog* dialog =
            historyOfOneFile(fixture, HistoryReference::records(0, 100).repeated(count / 100) +
                                          HistoryReference::records(7, count % 100));
        QVERIFY(dialog);
        QAbstractItemModel* records = dialog->records()->model();
        QCOMPARE(records->rowCount(), SteppedTableModel::RowsAtOnce);
        const auto scrolledToTheEnd = [&] {
            dialog->records()->scrollToBottom();
            return records->rowCount() == count;
        };
        QTRY_VERIFY(scrolledToTheEnd());
        QCOMPARE(records->index(count - 1, 0).data().toString(), QString::number(count));
        QCOMPARE(records->index(count - 1, 1).data().toString(),
                 HistoryReference::patient(7).trimmed(ResultRecord::LastName));

        // Its printed list reads the records as it goes: a file grown shorter since it was
        // listed prints what it still holds and is named after the printing, reading the file
        // no more often than a whole one; one gone prints nothing.
        const QString path = fixture.path(kOneFile);
        QVERIFY(QFile::resize(path, qint64(count - 11) * ResultRecord::Size));
        dialog->printListButton()->click();
        QVERIFY(
            fixture.printer.pages.last().contains(QString::number(count - 10).rightJustified(14)));
        QCOMPARE(fixture.messages.messages.size(), 1);
        fixture.messages.messages.clear();
        fixture.printer.pages.clear();
        QVERIFY(QFile::resize(path, 1000 * ResultRecord::Size));
        const int opens = opensDuring(path, [&] { dialog->printListButton()->click(); });
        QVERIFY2(opens > 0 && opens <= count / 512 + 10, qPrintable(QString::number(opens)));
        QCOMPARE(fixture.printer.pages.size(), 1);
        const ResultRecord last = HistoryReference::patient(99);
        const QStringList& printed = fixture.printer.pages.last();
        QCOMPARE(
            printed
                .filter(QRegularExpression("^ {9}1000  " + last.trimmed(ResultRecord::LastName) +
                                           " +" + last.trimmed(ResultRecord::FirstName) + " "))
                .size(),
            1);
        QVERIFY(printed.contains("         1001"));
        QVERIFY(printed.contains("         50001"));
        QCOMPARE(fixture.messages.messages.size(), 1);
        QCOMPARE(fixture.messages.messages.at(0).title, QString("File Error"));
        QVERIFY2(fixture.messages.messages.at(0).text.contains(
                     "it holds fewer records than when it was listed"),
                 qPrintable(fixture.messages.messages.at(0).text));
        QVERIFY(QFile::remove(path));
        dialog->printListButton()->click();
        QCOMPARE(fixture.printer.pages.size(), 1);
        QCOMPARE(fixture.messages.messages.size(), 2);
        QCOMPARE(fixture.messages.messages.at(1).title, QString("File Error"));
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
};

QTEST_MAIN(tst_SubmissionHistoryWindow)
#include "tst_SubmissionHistoryWindow.moc"
