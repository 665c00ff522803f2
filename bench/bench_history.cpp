// Submission History on 500 submission files of 100 records, through the real main window
// (offscreen), as ratios against baselines measured in the same run:
//   the history opening (menu action to both lists drawn) against reading those files once, and
//   against reading them and decoding every record (as Find Record's baseline reads the data file);
//   what the files add to the opening (the same opening over an empty Submit taken off) against
//   the same reading: the window's own cost does not depend on the files;
//   the first search of all files (a name typed, the list drawn) and a later one, in ms.
// Prints; asserts nothing.
#include "BenchServices.h"
#include "BenchSupport.h"
#include "storage/SafeFile.h"
#include "tests/support/MainWindowTestAccess.h"
#include "window/history/SubmissionHistoryDialog.h"
#include "window/main/MainMenu.h"
#include "window/main/MainWindowController.h"
#include "window/main/frmKorvanel.h"
#include "window/provider/ProviderCodeCheck.h"
#include "window/services/Clock.h"
#include "window/services/MessageService.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTime>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kFiles = 500;
constexpr int kRecordsPerFile = 100;
constexpr int kRuns = 9;

[[noreturn]] void fail(const QString& what) {
    std::fprintf(stderr, "bench_history: %s\n", qPrintable(what));
    std::exit(1);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        fail(QStringLiteral("cannot write %1").arg(path));
}

QStringList prepareFolder(const QString& appPath, int submissionFiles) {
    QDir(appPath).mkpath(QStringLiteral("AppData"));
    QDir(appPath).mkpath(QStringLiteral("Submit"));
    writeFile(appPath + QStringLiteral("/AppData/Korvanel.dat"), sampleRecord(0).encode());
    writeFile(appPath + QStringLiteral("/AppData/provider.txt"), "123456");
    QStringList paths;
    for (int i = 0; i < submissionFiles; ++i) {
        QByteArray bytes;
        for (int n = 0; n < kRecordsPerFile; ++n)
            bytes += sampleRecord(i * kRecordsPerFile + n).encode();
        paths << appPath + QStringLiteral("/Submit/Lead_123456_20240101_%1_%2.txt")
                               .arg(QTime(0, 0).addSecs(i).toString(QStringLiteral("HHmmss")))
                               .arg(i + 1, 4, 10, QLatin1Char('0'));
        writeFile(paths.last(), bytes);
    }
    return paths;
}

// Notes the first paint of each widget given.
class PaintsSeen : public QObject {
public:
    explicit PaintsSeen(QList<QWidget*> widgets) : waiting_(std::move(widgets)) {
        for (QWidget* widget : waiting_)
            widget->installEventFilter(this);
    }
    bool all() const { return waiting_.isEmpty(); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            waiting_.removeIf([watched](const QWidget* widget) { return widget == watched; });
        return false;
    }

private:
    QList<QWidget*> waiting_;
};

} // namespace

int main(int argc, char* argv[]) {
    silenceOffscreenNotes();
    QApplication app(argc, argv);
    QTemporaryDir folder;
    QTemporaryDir emptyFolder;
    if (!folder.isValid() || !emptyFolder.isValid())
        fail(QStringLiteral("no temporary folder"));
    const QStringList files = prepareFolder(folder.path(), kFiles);
    prepareFolder(emptyFolder.path(), 0);

    // Milliseconds to read every file, handing each one's bytes to use.
    auto readEach = [&files](auto use) {
        QElapsedTimer timer;
        timer.start();
        for (const QString& path : files) {
            QByteArray bytes;
            if (!SafeFile::readPrefix(path, bytes))
                fail(QStringLiteral("cannot read %1").arg(path));
            use(bytes);
        }
        return msSince(timer);
    };
    std::vector<double> reads;
    std::vector<double> decodes;
    for (int run = 0; run < kRuns; ++run) {
        int decoded = 0;
        decodes.push_back(readEach([&decoded](const QByteArray& bytes) {
            for (qsizetype at = 0; at + ResultRecord::Size <= bytes.size();
                 at += ResultRecord::Size)
                decoded += !ResultRecord::decode(bytes.mid(at, ResultRecord::Size))
                                .get(ResultRecord::LastName)
                                .isEmpty();
        }));
        if (decoded != kFiles * kRecordsPerFile)
            fail(QStringLiteral("short decode"));

        qint64 total = 0;
        reads.push_back(readEach([&total](const QByteArray& bytes) { total += bytes.size(); }));
        if (total != qint64(kFiles) * kRecordsPerFile * ResultRecord::Size)
            fail(QStringLiteral("short read"));
    }

    std::vector<double> opens;
    std::vector<double> emptyOpens;
    std::vector<double> firstSearches;
    std::vector<double> laterSearches;
    auto measure = [&](const QString& appPath, int records, std::vector<double>& openTimes,
                       bool search) {
        QuietMessages messages;
        SystemClock clock;
        NoPrinter printer;
        KeepCode prompt;
        frmKorvanel window;
        const std::unique_ptr<MainWindowController> controllerOwned =
            window.makeController(appPath, MainWindowServices{messages, clock, printer, prompt});
        MainWindowController& controller = *controllerOwned;
        if (!controller.StartUp())
            fail(QStringLiteral("start-up failed"));
        settle();
        for (int run = 0; run < kRuns; ++run) {
            QElapsedTimer timer;
            timer.start();
            MainWindowTestAccess(controller).menu().submissionHistory()->trigger();
            auto* dialog = window.findChild<SubmissionHistoryDialog*>();
            if (dialog)
                waitUntil([&] { return !dialog->isReading(); });
            if (!dialog || !dialog->isListed() || dialog->history().recordCount() != records)
                fail(QStringLiteral("the history did not open whole"));
            // Opened when both lists have been drawn: the paint that is seen last ends before
            // processEvents returns.
            PaintsSeen painted(
                QList<QWidget*>{dialog->files()->viewport(), dialog->records()->viewport()});
            while (!painted.all())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            openTimes.push_back(msSince(timer));
            auto typed = [&](const QString& text, std::vector<double>& times) {
                QElapsedTimer key;
                key.start();
                dialog->filterBox()->setText(text);
                waitUntil([&] { return !dialog->isReading(); });
                dialog->records()->viewport()->repaint();
                times.push_back(msSince(key));
            };
            if (search) {
                typed(QStringLiteral("novak4"), firstSearches);
                typed(QStringLiteral("novak41"), laterSearches);
            }
            dialog->reject();
            settle();
        }
    };
    measure(emptyFolder.path(), 0, emptyOpens, false);
    measure(folder.path(), kFiles * kRecordsPerFile, opens, true);
    std::printf("submission files: %d of %d records; %d runs, medians\n", kFiles, kRecordsPerFile,
                kRuns);
    report("Submission History opens", median(opens), "read those files once", median(reads),
           "goal <= 2x");
    report("Submission History opens", median(opens), "read + decode every record", median(decodes),
           "goal <= 2x");
    const double added = median(opens) - median(emptyOpens);
    const QByteArray addedLabel = "what the files add (empty Submit " +
                                  QByteArray::number(median(emptyOpens), 'f', 1) + " ms)";
    report(addedLabel.constData(), added, "read those files once", median(reads), "goal <= 2x");
    std::printf("%-48s %9.2f ms\n", "first search of all files (keys made)", median(firstSearches));
    std::printf("%-48s %9.2f ms%48s goal < 20 ms\n", "a later keystroke in the search",
                median(laterSearches), "");
    return 0;
}
