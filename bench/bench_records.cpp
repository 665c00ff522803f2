// The Records menu on a 10,000-record file, through the real main window (offscreen), as ratios
// against baselines measured in the same run:
//   Find Record opening (action to the dialog drawn) against reading and decoding every record;
//   one keystroke in its filter box (filter and redraw), in milliseconds;
//   Update of a new record with 500 submission files of 100 records in Submit against the same
//   Update with Submit empty (the first Update of a run, which reads Submit, apart).
// Prints; asserts nothing.
#include "BenchServices.h"
#include "BenchSupport.h"
#include "storage/RecordStore.h"
#include "storage/StoredRecords.h"
#include "tests/support/MainWindowTestAccess.h"
#include "ui_frmKorvanel.h"
#include "window/main/MainMenu.h"
#include "window/main/MainWindowController.h"
#include "window/main/frmKorvanel.h"
#include "window/provider/ProviderCodeCheck.h"
#include "window/records/FindRecordDialog.h"
#include "window/services/Clock.h"
#include "window/services/MessageService.h"
#include "window/widgets/MaskedEdit.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTime>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRecords = 10000;
constexpr int kSubmissionFiles = 500;
constexpr int kRecordsPerFile = 100;
constexpr int kRuns = 9;

[[noreturn]] void fail(const QString& what) {
    std::fprintf(stderr, "bench_records: %s\n", qPrintable(what));
    std::exit(1);
}

void writeRecords(const QString& path, int first, int count) {
    QByteArray bytes;
    bytes.reserve(count * ResultRecord::Size);
    for (int n = first; n < first + count; ++n)
        bytes += sampleRecord(n).encode();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        fail(QStringLiteral("cannot write %1").arg(path));
}

// A program folder of kRecords records, with submissionFiles files in Submit.
void prepareFolder(const QString& appPath, int submissionFiles) {
    QDir(appPath).mkpath(QStringLiteral("AppData"));
    QDir(appPath).mkpath(QStringLiteral("Submit"));
    writeRecords(appPath + QStringLiteral("/AppData/Korvanel.dat"), 0, kRecords);
    QFile code(appPath + QStringLiteral("/AppData/provider.txt"));
    if (!code.open(QIODevice::WriteOnly) || code.write("123456") != 6)
        fail(QStringLiteral("cannot write the provider code"));
    for (int i = 0; i < submissionFiles; ++i)
        writeRecords(appPath + QStringLiteral("/Submit/Lead_123456_20240101_%1_%2.txt")
                                   .arg(QTime(0, 0).addSecs(i).toString(QStringLiteral("HHmmss")))
                                   .arg(i + 1, 4, 10, QLatin1Char('0')),
                     100000 + i * kRecordsPerFile, kRecordsPerFile);
}

struct Program {
    QuietMessages messages;
    SystemClock clock;
    NoPrinter printer;
    KeepCode prompt;
    frmKorvanel window;
    MainWindowController* controller;

    explicit Program(const QString& appPath)
        : controller(
              window.makeController(appPath, MainWindowServices{messages, clock, printer, prompt})
                  .release()) {
        if (!controller->StartUp())
            fail(QStringLiteral("start-up failed in %1").arg(appPath));
        QCoreApplication::processEvents();
    }
};

// Milliseconds of one Update of a new, unique record.
double timedUpdate(Program& program, int n) {
    Ui::frmKorvanel& c = MainWindowTestAccess::controls(program.window);
    c.cmdNew->click();
    c.txtLastName->setText(QStringLiteral("Newpatient%1").arg(n));
    c.txtFirstName->setText(QStringLiteral("Ann"));
    c.mskDateOfBirth->setRawValue(QStringLiteral("07042019"));
    c.mskDateTaken->setRawValue(QStringLiteral("11302025"));
    settle();
    QElapsedTimer timer;
    timer.start();
    c.cmdUpdate->click();
    const double ms = msSince(timer);
    settle();
    return ms;
}

} // namespace

int main(int argc, char* argv[]) {
    silenceOffscreenNotes();
    QApplication app(argc, argv);
    QTemporaryDir plain;
    QTemporaryDir withSubmit;
    if (!plain.isValid() || !withSubmit.isValid())
        fail(QStringLiteral("no temporary folder"));
    prepareFolder(plain.path(), 0);
    prepareFolder(withSubmit.path(), kSubmissionFiles);

    // Find Record against reading the data file.
    std::vector<double> reads;
    for (int run = 0; run < kRuns; ++run) {
        RecordStore store(plain.path() + QStringLiteral("/AppData"));
        if (!store.open())
            fail(QStringLiteral("cannot open the store"));
        QList<ResultRecord> records;
        QElapsedTimer timer;
        timer.start();
        if (!StoredRecords::readAll(store, records) || records.size() != kRecords)
            fail(QStringLiteral("cannot read the records"));
        reads.push_back(msSince(timer));
    }
    std::vector<double> opens;
    std::vector<double> keystrokes;
    {
        Program program(plain.path());
        QAction* find = MainWindowTestAccess(*program.controller).menu().findRecord();
        for (int run = 0; run < kRuns; ++run) {
            QElapsedTimer timer;
            timer.start();
            find->trigger();
            QCoreApplication::processEvents();
            auto* dialog = program.window.findChild<FindRecordDialog*>();
            if (!dialog)
                fail(QStringLiteral("Find Record did not open"));
            dialog->grab();
            opens.push_back(msSince(timer));
            // Typing a name letter by letter, then taking it back.
            const QString name = QStringLiteral("novak12");
            auto keystroke = [&](const QString& text) {
                QElapsedTimer key;
                key.start();
                dialog->filterBox()->setText(text);
                dialog->grab();
                keystrokes.push_back(msSince(key));
            };
            for (int i = 1; i <= name.size(); ++i)
                keystroke(name.left(i));
            for (int i = name.size() - 1; i >= 0; --i)
                keystroke(name.left(i));
            dialog->reject();
            settle();
        }
    }
    const double read = median(reads);
    std::printf("records: %d; submission files: %d of %d records; %d runs, medians\n", kRecords,
                kSubmissionFiles, kRecordsPerFile, kRuns);
    report("Find Record opens, 10,000 records", median(opens), "read + decode the data file", read,
           "goal <= 2x");
    std::printf("%-48s %9.2f ms   (slowest %.2f ms)%38s goal < 20 ms\n",
                "Find Record, one keystroke in the filter", median(keystrokes),
                *std::max_element(keystrokes.begin(), keystrokes.end()), "");

    // Update of a new record, with and without a full Submit.
    double firstPlain = 0;
    double firstFull = 0;
    std::vector<double> updatesPlain;
    std::vector<double> updatesFull;
    {
        Program program(plain.path());
        firstPlain = timedUpdate(program, 0);
        for (int run = 1; run <= kRuns; ++run)
            updatesPlain.push_back(timedUpdate(program, run));
    }
    {
        Program program(withSubmit.path());
        firstFull = timedUpdate(program, 0);
        for (int run = 1; run <= kRuns; ++run)
            updatesFull.push_back(timedUpdate(program, run));
    }
    report("Update of a new record, 500 files in Submit", median(updatesFull),
           "the same, Submit empty", median(updatesPlain), "goal <= 1.5x");
    report("first Update of the run (reads Submit once)", firstFull, "the same, Submit empty",
           firstPlain, "");
    return 0;
}
