// Follow-Up Due over 500 submission files of 100 records and 250 records in the data file, as
// ratios against reading those records and decoding every one of them once in the same run:
//   the list made by the library (every file read, every child's latest result found, the rows
//   made and sorted);
//   the window opening, through the real main window (offscreen): menu action to the list drawn.
// Prints; asserts nothing.
#include "BenchServices.h"
#include "BenchSupport.h"
#include "storage/AppPaths.h"
#include "storage/SafeFile.h"
#include "storage/StoredRecords.h"
#include "submission/FollowUpList.h"
#include "tests/support/MainWindowTestAccess.h"
#include "window/main/MainMenu.h"
#include "window/main/MainWindowController.h"
#include "window/main/frmKorvanel.h"
#include "window/provider/ProviderCodeCheck.h"
#include "window/records/FollowUpDueDialog.h"
#include "window/services/Clock.h"
#include "window/services/MessageService.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <QTime>

#include <cstdio>
#include <vector>

namespace {

constexpr int kFiles = 500;
constexpr int kRecordsPerFile = 100;
constexpr int kStored = 250;
constexpr int kChildren = 12000; // about four results a child
constexpr int kRuns = 9;

[[noreturn]] void fail(const QString& what) {
    std::fprintf(stderr, "bench_followup: %s\n", qPrintable(what));
    std::exit(1);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        fail(QStringLiteral("cannot write %1").arg(path));
}

// Result n of child n % kChildren: capillary and venous, raised and not, over 2024 and 2025.
ResultRecord followUpRecord(int n) {
    ResultRecord record = sampleRecord(n % kChildren);
    const QDate taken = QDate(2024, 1, 1).addDays(n % 700);
    record.set(ResultRecord::DateTaken, taken.toString(QStringLiteral("MMddyyyy")));
    record.set(ResultRecord::TestType, QLatin1String(n % 3 ? "C" : "V"));
    record.set(ResultRecord::PbResult, QStringLiteral("%1.%2").arg(n % 25).arg(n % 10));
    return record;
}

QStringList prepareFolder(const QString& appPath) {
    QDir(appPath).mkpath(QStringLiteral("AppData"));
    QDir(appPath).mkpath(QStringLiteral("Submit"));
    QByteArray stored;
    for (int n = 0; n < kStored; ++n)
        stored += followUpRecord(kFiles * kRecordsPerFile + n).encode();
    writeFile(appPath + QStringLiteral("/AppData/Korvanel.dat"), stored);
    writeFile(appPath + QStringLiteral("/AppData/provider.txt"), "123456");
    QStringList paths;
    for (int i = 0; i < kFiles; ++i) {
        QByteArray bytes;
        for (int n = 0; n < kRecordsPerFile; ++n)
            bytes += followUpRecord(i * kRecordsPerFile + n).encode();
        paths << appPath + QStringLiteral("/Submit/Lead_123456_20240101_%1_%2.txt")
                               .arg(QTime(0, 0).addSecs(i).toString(QStringLiteral("HHmmss")))
                               .arg(i + 1, 4, 10, QLatin1Char('0'));
        writeFile(paths.last(), bytes);
    }
    paths << appPath + QStringLiteral("/AppData/Korvanel.dat");
    return paths;
}

// Notes the first paint of a widget.
class PaintSeen : public QObject {
public:
    explicit PaintSeen(QWidget* widget) { widget->installEventFilter(this); }
    bool seen = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            seen = true;
        return false;
    }
};

// A clock that stands on one day, so that the window lists what the library lists.
class DayClock : public Clock {
public:
    explicit DayClock(const QDate& day) : day_(day) {}
    QDateTime now() const override { return QDateTime(day_, QTime(9, 0)); }

private:
    QDate day_;
};

} // namespace

int main(int argc, char* argv[]) {
    silenceOffscreenNotes();
    QApplication app(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid())
        fail(QStringLiteral("no temporary folder"));
    const QStringList files = prepareFolder(folder.path());
    const AppPaths paths{folder.path()};
    const QDate today(2026, 1, 15);

    QuietMessages messages;
    DayClock clock(today);
    NoPrinter printer;
    KeepCode prompt;
    frmKorvanel window;
    const std::unique_ptr<MainWindowController> program =
        window.makeController(folder.path(), MainWindowServices{messages, clock, printer, prompt});
    MainWindowTestAccess controller(*program);
    if (!program->StartUp())
        fail(QStringLiteral("start-up failed"));
    settle();

    // Each run measures the baseline, the library and the window one after the other, so that
    // a machine shared with other work loads all three alike.
    std::vector<double> decodes;
    std::vector<double> lists;
    std::vector<double> opens;
    int rows = 0;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        int decoded = 0;
        for (const QString& path : files) {
            QByteArray bytes;
            if (!SafeFile::readPrefix(path, bytes))
                fail(QStringLiteral("cannot read %1").arg(path));
            for (qsizetype at = 0; at + ResultRecord::Size <= bytes.size();
                 at += ResultRecord::Size)
                decoded += !ResultRecord::decode(bytes.mid(at, ResultRecord::Size))
                                .get(ResultRecord::LastName)
                                .isEmpty();
        }
        decodes.push_back(msSince(timer));
        if (decoded != kFiles * kRecordsPerFile + kStored)
            fail(QStringLiteral("short decode"));

        timer.start();
        {
            QList<ResultRecord> stored;
            if (!StoredRecords::readAll(controller.store(), stored))
                fail(QStringLiteral("cannot read the data file"));
            FollowUpList list(today);
            if (!list.addSubmissionFolder(paths.submit()))
                fail(QStringLiteral("cannot list Submit"));
            list.addStoredRecords(stored);
            rows = int(list.rows().size());
        }
        lists.push_back(msSince(timer));

        timer.start();
        controller.menu().followUpDue()->trigger();
        auto* dialog = window.findChild<FollowUpDueDialog*>();
        if (dialog)
            waitUntil([&] { return dialog->isFilled(); });
        if (!dialog || dialog->rows().size() != rows)
            fail(QStringLiteral("the list did not open whole"));
        // Opened when the list has been drawn.
        PaintSeen painted(dialog->table()->viewport());
        while (!painted.seen)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        opens.push_back(msSince(timer));
        dialog->reject();
        settle();
    }
    std::printf("submission files: %d of %d records, %d records in the data file, %d children; "
                "%d rows; %d runs, medians\n",
                kFiles, kRecordsPerFile, kStored, kChildren, rows, kRuns);
    report("Follow-Up Due list made (library)", median(lists), "read + decode every record",
           median(decodes), "goal <= 2x");
    report("Follow-Up Due opens (menu to list drawn)", median(opens), "read + decode every record",
           median(decodes), "goal <= 2x");
    return 0;
}
