// Builds the real main window with scripted services on a given program folder, runs start-up
// and then one command, the way an operator would trigger it. Used by the reliability sweep
// (faults and crashes injected with strace, full and read-only disks, bad input files) and by the
// whole-program benchmarks.
//
// Usage: tool_operate APP_PATH OPERATION [COUNT]
// Operations:
//   none            start-up only
//   save-in-place   change the last name of record 1 and Update
//   append          New (saves record 1), type a last name, Update (appends)
//   delete          Delete record 1, answering Yes
//   provider-write  the "..." button, answering OK with 654321
//   submit          Create Electronic File
//   import          Records > Import Records on import.csv beside APP_PATH (3 new records, or
//                   COUNT), answering Import (saves the record shown, appends, shows the first)
//   export-history  Submission History open on the newest file, then its Export to CSV...,
//                   answered with APP_PATH/Documents/records.csv
//   print-list      Submission History open on the newest file, then its Print List (written as
//                   a PDF under Printed when no printer is installed)
//   export-follow-up
//                   Records > Follow-Up Due open, then its Export to CSV..., answered with
//                   APP_PATH/Documents/records.csv
//   finish-at-start start-up itself is the operation (its question about an unfinished
//                   submission answered Yes)
//   exit            Exit (saves the record shown)
//   next-all        Next through COUNT records (timed)
//   print           Print the record shown through the real printer (PDF without a printer; timed)
//   delete-timed    delete, timed
//   submit-timed    submit, timed; the clock runs from the fixed moment, so that a long pass
//                   shows its progress window as it does for the operator
//
// Prints, on stdout, one line each:
//   STARTED ok|failed                     after StartUp() returned
//   MESSAGE <title>|<text>                every message the window showed (CR LF shown as " / ")
//   FINISHED <code>                       the window asked the program to end
//   ALIVE                                 the event loop still ran after the operation
//   STARTUP-NS <n>                        from KORVANEL_BENCH_T0 (ns, CLOCK_REALTIME) to the first
//                                         idle event loop after start-up, when the variable is set
//   OPERATION-NS <n>                      the timed operation
//   WINDOW-SIZE <width> <height>          of the main window
//   TITLE <title>                         of the main window after start-up
//   IMPORT <summary>|<buttons>            what the Import Records window showed
//   PROVIDER [<code shown>] DIALOG <n>    the provider code shown; times the dialog was opened
//   CITIES <n> PHYSICIANS <n>             entries of cboCity and cboPhysician
//   VMHWM-KB <n>                          peak resident memory at the end
// With KORVANEL_OPERATE_THEN=submit|exit|update one more command follows (a retry).
// With KORVANEL_OPERATE_GATE set it prints READY after start-up and waits for a line on stdin.
// With KORVANEL_OPERATE_ANSWER=no the first message box is answered No (start-up's question
// about an unfinished submission); Yes/No boxes are otherwise answered Yes.
// The operation is framed for strace by writes of KORVANEL-OPERATION-BEGIN and -END to stderr.
#include "submission/RecordsCsv.h"
#include "support/MainWindowFixture.h"
#include "support/ProcessFigures.h"
#include "window/history/SubmissionHistoryCommands.h"
#include "window/history/SubmissionHistoryDialog.h"
#include "window/main/MainWindowController.h"
#include "window/main/RecordCommands.h"
#include "window/main/frmKorvanel.h"
#include "window/records/FollowUpCommands.h"
#include "window/records/FollowUpDueDialog.h"
#include "window/records/ImportRecordsCommand.h"
#include "window/records/ImportRecordsDialog.h"
#include "window/services/OpenFilePrompt.h"
#include "window/services/QtPrinter.h"
#include "window/services/SaveFilePrompt.h"
#include "window/widgets/LiveWait.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace {

void marker(const char* text) {
    const ssize_t written = ::write(STDERR_FILENO, text, std::strlen(text));
    (void)written;
}

void printMessages(ScriptedMessageService& messages, qsizetype& printed) {
    for (; printed < messages.messages.size(); ++printed) {
        const ScriptedMessageService::Message& message = messages.messages.at(printed);
        QString text = message.text;
        text.replace(QLatin1String("\r\n"), QLatin1String(" / "));
        text.replace(QLatin1Char('\n'), QLatin1String(" / "));
        std::printf("MESSAGE %s|%s\n", qPrintable(message.title), qPrintable(text));
    }
    std::fflush(stdout);
}

// Answers the file chooser with one path.
class FixedOpenPrompt : public OpenFilePrompt {
public:
    QString ask(const QString&, const QString&) override { return path; }
    QString path;
};

// The file to import: rows of new patients in the columns Export to CSV writes.
QByteArray importFile(int rows) {
    QList<ResultRecord> records;
    for (int i = 0; i < rows; ++i) {
        ResultRecord record = MainWindowFixture::completeRecord(
            QStringLiteral("Imported%1").arg(i + 1, 5, 10, QLatin1Char('0')));
        records.append(record);
    }
    return RecordsCsv::document(records);
}

// The fixed moment, moving on with the real time since the start of the process.
class RunningClock : public Clock {
public:
    explicit RunningClock(const QDateTime& start) : start_(start) { elapsed_.start(); }
    QDateTime now() const override { return start_.addMSecs(elapsed_.elapsed()); }

private:
    QDateTime start_;
    QElapsedTimer elapsed_;
};

// Answers the save dialog with one path.
class FixedSavePrompt : public SaveFilePrompt {
public:
    explicit FixedSavePrompt(const QString& path) : path_(path) {}
    QString ask(const QString&, const QString&) override { return path_; }

private:
    QString path_;
};

} // namespace

int main(int argc, char** argv) {
    const qint64 processStart = qEnvironmentVariableIsSet("KORVANEL_BENCH_T0")
                                    ? qEnvironmentVariable("KORVANEL_BENCH_T0").toLongLong()
                                    : 0;
    if (argc < 3) {
        std::fprintf(stderr, "usage: tool_operate APP_PATH OPERATION [COUNT]\n");
        return 2;
    }
    QApplication app(argc, argv);
    // The sweep finds each file call of a command by its number among the main thread's calls:
    // the stored records are read there too.
    LiveWait::runOnCallingThread();
    const QString appPath = QString::fromLocal8Bit(argv[1]);
    const QString operation = QString::fromLatin1(argv[2]);
    const int count = argc > 3 ? QString::fromLatin1(argv[3]).toInt() : 0;

    ScriptedMessageService messages;
    if (qEnvironmentVariable("KORVANEL_OPERATE_ANSWER") == QLatin1String("no"))
        messages.queueAnswer(MessageAnswer::No);
    FixedClock fixedClock;
    RunningClock runningClock(fixedClock.now());
    Clock& clock = operation == QLatin1String("submit-timed") ? static_cast<Clock&>(runningClock)
                                                              : static_cast<Clock&>(fixedClock);
    FakePrinter fakePrinter;
    QtPrinter realPrinter;
    ScriptedProviderCodePrompt prompt;
    if (operation == QLatin1String("provider-write"))
        prompt.answerOk(QStringLiteral("654321"));
    // Start-up with no code set opens the dialog: the sweep's folders give one, but a bad
    // provider file must not stop the run either, so the answer is Cancel then.
    const bool realPrinting =
        operation == QLatin1String("print") || operation == QLatin1String("print-list");
    Printer& printer =
        realPrinting ? static_cast<Printer&>(realPrinter) : static_cast<Printer&>(fakePrinter);

    frmKorvanel window;
    const std::unique_ptr<MainWindowController> controller =
        window.makeController(appPath, MainWindowServices{messages, clock, printer, prompt});
    std::optional<int> finishedCode;
    QObject::connect(controller.get(), &MainWindowController::finished,
                     [&finishedCode](int code) { finishedCode = code; });
    qsizetype printed = 0;

    // Start-up counts as done at the first moment the event loop would wait for input.
    StartUpProbe probe(app, window, processStart);
    const bool startUpIsTheOperation = operation == QLatin1String("finish-at-start");
    if (startUpIsTheOperation)
        marker("KORVANEL-OPERATION-BEGIN\n");
    const bool started = controller->StartUp();
    if (startUpIsTheOperation)
        marker("KORVANEL-OPERATION-END\n");
    std::printf("STARTED %s\n", started ? "ok" : "failed");
    printMessages(messages, printed);
    if (!started)
        return 3;
    app.exec();
    probe.print();
    std::printf("WINDOW-SIZE %d %d\n", window.width(), window.height());
    std::printf("TITLE %s\n", qPrintable(window.windowTitle()));
    std::printf("PROVIDER [%s] DIALOG %d\n",
                qPrintable(MainWindowTestAccess::controls(window).txtProviderCode->text()),
                prompt.asked);
    std::printf("CITIES %d PHYSICIANS %d\n",
                MainWindowTestAccess::controls(window).cboCity->count(),
                MainWindowTestAccess::controls(window).cboPhysician->count());

    // Lets a test change the disk under the running program (fill it, ...) before the command.
    if (qEnvironmentVariableIsSet("KORVANEL_OPERATE_GATE")) {
        std::printf("READY\n");
        std::fflush(stdout);
        char line[16];
        if (!std::fgets(line, sizeof line, stdin))
            return 4;
    }

    RecordCommands& commands = MainWindowTestAccess(*controller).commands();
    Ui::frmKorvanel& form = MainWindowTestAccess::controls(window);
    if (operation == QLatin1String("append"))
        commands.cmdNew_Click();
    FixedOpenPrompt openPrompt;
    if (operation.startsWith(QLatin1String("import"))) {
        // Beside the program folder, so that its reads are not among the program files' calls.
        openPrompt.path = QFileInfo(appPath).absolutePath() + QStringLiteral("/import.csv");
        QFile source(openPrompt.path);
        if (!source.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            source.write(importFile(count > 0 ? count : 3)) < 0)
            return 2;
        source.close();
        MainWindowTestAccess(*controller).importRecords().setOpenFilePrompt(openPrompt);
    }
    // The history opens on the newest file, read before the dialog shows.
    FixedSavePrompt savePrompt(appPath + QStringLiteral("/Documents/records.csv"));
    SubmissionHistoryDialog* history = nullptr;
    if (operation == QLatin1String("export-history") || operation == QLatin1String("print-list")) {
        MainWindowTestAccess(*controller).historyCommands().setSaveFilePrompt(savePrompt);
        MainWindowTestAccess(*controller).historyCommands().openSubmissionHistory();
        history = window.findChild<SubmissionHistoryDialog*>();
        // Submit is listed, and the newest file read, by workers.
        QDeadlineTimer deadline(30000);
        while (history && (!history->isListed() || history->isReading()) && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (!history || history->selectedFile() != 0) {
            std::fprintf(stderr, "the history did not open on its newest file\n");
            return 5;
        }
    }
    // Follow-Up Due reads the records and Submit as it opens; its export goes the history's way.
    FollowUpDueDialog* followUp = nullptr;
    if (operation == QLatin1String("export-follow-up")) {
        MainWindowTestAccess(*controller).historyCommands().setSaveFilePrompt(savePrompt);
        MainWindowTestAccess(*controller).followUp().openFollowUpDue();
        followUp = window.findChild<FollowUpDueDialog*>();
        // The list is made by a worker; Export waits for it.
        QDeadlineTimer deadline(30000);
        while (followUp && !followUp->isFilled() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (!followUp || !followUp->isFilled()) {
            std::fprintf(stderr, "Follow-Up Due did not open\n");
            return 5;
        }
    }
    printMessages(messages, printed);

    QElapsedTimer timer;
    if (!startUpIsTheOperation)
        marker("KORVANEL-OPERATION-BEGIN\n");
    timer.start();
    if (operation == QLatin1String("save-in-place")) {
        form.txtLastName->setText(QStringLiteral("Changed"));
        commands.cmdUpdate_Click();
    } else if (operation == QLatin1String("append")) {
        form.txtLastName->setText(QStringLiteral("Appended"));
        commands.cmdUpdate_Click();
    } else if (operation.startsWith(QLatin1String("delete"))) {
        commands.cmdDelete_Click();
    } else if (operation == QLatin1String("provider-write")) {
        form.cmdChangeProviderCode->click();
    } else if (operation.startsWith(QLatin1String("submit"))) {
        commands.cmdWriteEFile_Click();
    } else if (operation.startsWith(QLatin1String("import"))) {
        MainWindowTestAccess(*controller).importRecords().openImportRecords();
        if (auto* dialog = window.findChild<ImportRecordsDialog*>()) {
            // The check runs in a worker; the window shows its outcome when it is done.
            while (!dialog->isChecked())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            QString summary = dialog->summary()->text();
            summary.replace(QLatin1Char('\n'), QLatin1String(" / "));
            std::printf("IMPORT %s|%s\n", qPrintable(summary),
                        dialog->importButton() ? "Import Cancel" : "Close");
            if (dialog->importButton())
                dialog->importButton()->click();
            else
                dialog->reject();
        }
    } else if (operation == QLatin1String("exit")) {
        commands.cmdExit_Click();
    } else if (operation == QLatin1String("next-all")) {
        for (int i = 1; i < count; ++i)
            commands.cmdNext_Click();
    } else if (operation == QLatin1String("print")) {
        commands.cmdPrint_Click();
    } else if (operation == QLatin1String("export-history")) {
        history->exportButton()->click();
    } else if (operation == QLatin1String("print-list")) {
        history->printListButton()->click();
    } else if (operation == QLatin1String("export-follow-up")) {
        followUp->exportButton()->click();
    } else if (operation != QLatin1String("none") && !startUpIsTheOperation) {
        std::fprintf(stderr, "unknown operation %s\n", argv[2]);
        return 2;
    }
    const qint64 operationNs = timer.nsecsElapsed();
    if (!startUpIsTheOperation)
        marker("KORVANEL-OPERATION-END\n");
    if (operation.endsWith(QLatin1String("-timed")) || operation == QLatin1String("next-all") ||
        operation == QLatin1String("print"))
        std::printf("OPERATION-NS %lld\n", static_cast<long long>(operationNs));
    printMessages(messages, printed);
    // What the operator meets when trying again after the command: one more command.
    const QString then = qEnvironmentVariable("KORVANEL_OPERATE_THEN");
    if (!then.isEmpty() && !finishedCode) {
        std::printf("THEN %s after %s\n", qPrintable(then), qPrintable(window.windowTitle()));
        if (then == QLatin1String("submit"))
            commands.cmdWriteEFile_Click();
        else if (then == QLatin1String("exit"))
            commands.cmdExit_Click();
        else if (then == QLatin1String("update"))
            commands.cmdUpdate_Click();
        printMessages(messages, printed);
    }
    if (finishedCode) {
        std::printf("FINISHED %d\n", *finishedCode);
    } else {
        // The program still runs when its event loop takes events after the command.
        QTimer::singleShot(0, &app, [] { std::printf("ALIVE\n"); });
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
        app.exec();
    }
    std::printf("VMHWM-KB %ld\n", peakResidentKb());
    std::fflush(stdout);
    return 0;
}
