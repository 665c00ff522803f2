// The longest time the event loop is away, command by command, through the real main window built
// with scripted services (offscreen). While a command runs, and until the window is idle again,
// a 1 ms timer and an application-wide event filter stamp every wake-up of the event loop (a timer
// event, or an event from the window system); the figure is the longest interval between two
// stamps: how long the operator's next key or click would have waited. Each figure is printed
// against 100 ms, the longest the window may stay still.
//
// Three runs, each in a fresh process on folders made once in the build folder (direct writes,
// not through the program), with a 32,767-line city file and 200 physicians in AppData:
//   a         25,000 records in the data file, 5,000 submission files of 100 records in Submit;
//   a, slow   the same with every file call on Submit delayed by 2 ms (libslowshare.so preloaded,
//             a share on a slow network);
//   b         25,000 records, one submission file of 2,650,000 records (500 MB) among 3,000 small
//             ones; also the peak resident memory (VmHWM) of each command against the program at
//             rest just before it (/proc/self/clear_refs resets the peak between commands).
// KORVANEL_BENCH_SCALE (default 1) scales the records and files (0.1 runs in about a minute).
// Prints; asserts nothing. `bench_gaps run LABEL FOLDER` is one run (what the parent starts).
#include "BenchServices.h"
#include "BenchSupport.h"
#include "storage/ResultRecord.h"
#include "submission/RecordsCsv.h"
#include "tests/support/MainWindowTestAccess.h"
#include "ui_frmKorvanel.h"
#include "window/history/SubmissionHistoryDialog.h"
#include "window/main/MainMenu.h"
#include "window/main/MainWindowController.h"
#include "window/main/RecordPresenter.h"
#include "window/main/SubmissionCommand.h"
#include "window/main/frmKorvanel.h"
#include "window/records/CheckAllRecordsDialog.h"
#include "window/records/FindRecordDialog.h"
#include "window/records/FollowUpDueDialog.h"
#include "window/records/ImportRecordsCommand.h"
#include "window/records/ImportRecordsDialog.h"
#include "window/services/Clock.h"
#include "window/services/OpenFilePrompt.h"
#include "window/widgets/MaskedEdit.h"
#include "window/widgets/SteppedTableModel.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMap>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTime>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <vector>

namespace {

constexpr double kGoalMs = 100;
constexpr int kImportRows = 10000;
constexpr int kSettleMs = 100;

[[noreturn]] void fail(const QString& what) {
    std::fprintf(stderr, "bench_gaps: %s\n", qPrintable(what));
    std::exit(1);
}

double scale() {
    bool ok = false;
    const double given = qEnvironmentVariable("KORVANEL_BENCH_SCALE").toDouble(&ok);
    return ok && given > 0 ? given : 1.0;
}

int scaled(double count) {
    return std::max(1, int(std::lround(count * scale())));
}

// What a run's folder holds.
struct Sizes {
    int stored = 0;
    int smallFiles = 0;
    int bigRecords = 0; // 0: no big file
};

Sizes sizesOf(const QString& label) {
    if (label.startsWith(QLatin1Char('b')))
        return {scaled(25000), scaled(3000), scaled(2650000)};
    return {scaled(25000), scaled(5000), 0};
}

constexpr int kRecordsPerFile = 100;

// ---- making the folders -------------------------------------------------------------------

void writeAll(const QString& path, const char* data, qint64 size) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        fail(QStringLiteral("cannot write %1").arg(path));
    for (qint64 done = 0; done < size;) {
        const ssize_t written = ::write(fd, data + done, size_t(size - done));
        if (written <= 0)
            fail(QStringLiteral("cannot write %1").arg(path));
        done += written;
    }
    ::close(fd);
}

// Record n: a complete record of its own patient (the last name carries n).
class RecordMaker {
public:
    explicit RecordMaker(const char* prefix) : prefix_(prefix) {
        for (int i = 0; i < 96; ++i) {
            ResultRecord record = TestRecords::completeRecord();
            record.set(ResultRecord::FirstName, QLatin1String(kFirstNames[i % 8]));
            record.set(ResultRecord::DateOfBirth, QStringLiteral("%1%2%3")
                                                      .arg(1 + i % 11, 2, 10, QLatin1Char('0'))
                                                      .arg(1 + i % 27, 2, 10, QLatin1Char('0'))
                                                      .arg(2012 + i % 10));
            templates_.append(record.encode());
        }
    }
    void append(QByteArray& bytes, qint64 n) const {
        const QByteArray& base = templates_.at(int(n % templates_.size()));
        const qsizetype at = bytes.size();
        bytes.append(base);
        char name[64];
        const int length = std::snprintf(name, sizeof name, "%s%s%lld", kLastNames[n % 12], prefix_,
                                         static_cast<long long>(n));
        std::memcpy(bytes.data() + at + ResultRecord::offset(ResultRecord::LastName), name,
                    size_t(std::min(length, ResultRecord::width(ResultRecord::LastName))));
    }

private:
    const char* prefix_;
    QList<QByteArray> templates_;
};

QString submissionName(int number, const QString& date) {
    return QStringLiteral("Lead_123456_%1_%2_%3.txt")
        .arg(date)
        .arg(QTime(0, 0).addSecs(number % 86400).toString(QStringLiteral("HHmmss")))
        .arg(number, 4, 10, QLatin1Char('0'));
}

// Submit of a run: the small files, and the big one as the second newest.
void makeSubmit(const QString& folder, const Sizes& sizes) {
    QDir().mkpath(folder);
    const RecordMaker sent("Sent");
    qint64 n = 0;
    for (int i = 1; i <= sizes.smallFiles; ++i) {
        QByteArray bytes;
        bytes.reserve(kRecordsPerFile * ResultRecord::Size);
        for (int r = 0; r < kRecordsPerFile; ++r)
            sent.append(bytes, n++);
        writeAll(folder + QLatin1Char('/') + submissionName(i, QStringLiteral("20240101")),
                 bytes.constData(), bytes.size());
    }
    if (sizes.bigRecords > 0) {
        const RecordMaker big("Big");
        const QString path = folder + QLatin1Char('/') +
                             submissionName(sizes.smallFiles + 1, QStringLiteral("20240102"));
        const int fd =
            ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0)
            fail(QStringLiteral("cannot write %1").arg(path));
        QByteArray chunk;
        for (qint64 r = 0; r < sizes.bigRecords;) {
            chunk.clear();
            for (int i = 0; i < 40000 && r < sizes.bigRecords; ++i)
                big.append(chunk, r++);
            if (::write(fd, chunk.constData(), size_t(chunk.size())) != chunk.size())
                fail(QStringLiteral("cannot write %1").arg(path));
        }
        ::close(fd);
        // The newest file, so that the big one is not read as the history opens.
        QByteArray last;
        sent.append(last, n++);
        writeAll(folder + QLatin1Char('/') +
                     submissionName(sizes.smallFiles + 2, QStringLiteral("20240103")),
                 last.constData(), last.size());
    }
}

QString bigFileName(const Sizes& sizes) {
    return submissionName(sizes.smallFiles + 1, QStringLiteral("20240102"));
}

// AppData of a run, written afresh before each run: the data file, the provider code, the city
// and physician lists, and the next file number.
void makeAppData(const QString& folder, const Sizes& sizes) {
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const RecordMaker stored("");
    QByteArray records;
    records.reserve(qsizetype(sizes.stored) * ResultRecord::Size);
    for (int n = 0; n < sizes.stored; ++n)
        stored.append(records, n);
    writeAll(folder + QStringLiteral("/Korvanel.dat"), records.constData(), records.size());
    writeAll(folder + QStringLiteral("/provider.txt"), "123456", 6);
    QByteArray physicians;
    for (int n = 1; n <= 200; ++n)
        physicians += QStringLiteral("Dr. Physician%1\r\n").arg(n).toLatin1();
    writeAll(folder + QStringLiteral("/physician.txt"), physicians.constData(), physicians.size());
    QByteArray cities;
    for (int n = 1; n <= 32767; ++n)
        cities += QStringLiteral("City%1,X,%2,%3\r\n")
                      .arg(n)
                      .arg(10000 + n % 89999, 5, 10, QLatin1Char('0'))
                      .arg(10001 + n % 89998, 5, 10, QLatin1Char('0'))
                      .toLatin1();
    writeAll(folder + QStringLiteral("/cmcityzip.txt"), cities.constData(), cities.size());
}

// The spreadsheet to import, beside the program folder (its reads are not the share's).
void makeImportFile(const QString& path) {
    QList<ResultRecord> records;
    for (int n = 0; n < kImportRows; ++n)
        records.append(TestRecords::completeRecord(QStringLiteral("Imported%1").arg(n)));
    const QByteArray bytes = RecordsCsv::document(records);
    writeAll(path, bytes.constData(), bytes.size());
}

// Takes out of Submit what a run added (the file Create Electronic File wrote, dated today).
void restoreSubmit(const QString& folder) {
    const QDir submit(folder);
    for (const QString& name : submit.entryList(QDir::Files))
        if (!name.contains(QLatin1String("_2024010")))
            QFile::remove(submit.filePath(name));
}

// ---- one run -----------------------------------------------------------------------------

long statusKb(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(std::strlen(key))).trimmed().split(' ').first().toLong();
    return -1;
}

// Starts the peak resident memory (VmHWM) again from what is resident now.
bool resetPeak() {
    const int fd = ::open("/proc/self/clear_refs", O_WRONLY);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, "5", 1) == 1;
    ::close(fd);
    return ok;
}

// Stamps every wake-up of the event loop while it runs: its own 1 ms timer, any timer event, and
// any event the window system sends. Events sent synchronously from inside a command do not
// count: while they are handled the loop still takes no input.
class GapMeter : public QObject {
public:
    GapMeter() {
        qApp->installEventFilter(this);
        tick_.setTimerType(Qt::PreciseTimer);
        tick_.setInterval(1);
        connect(&tick_, &QTimer::timeout, this, [this] {
            stamp();
            if (onTick_)
                onTick_();
        });
    }
    void begin(std::function<void()> onTick) {
        onTick_ = std::move(onTick);
        clock_.start();
        last_ = 0;
        longest_ = 0;
        running_ = true;
        tick_.start();
    }
    void end() {
        stamp();
        running_ = false;
        tick_.stop();
        onTick_ = nullptr;
    }
    bool running() const { return running_; }
    double longestMs() const { return double(longest_) / 1e6; }
    qint64 elapsedMs() const { return clock_.elapsed(); }

    bool eventFilter(QObject*, QEvent* event) override {
        if (running_ && (event->type() == QEvent::Timer || event->spontaneous()))
            stamp();
        return false;
    }

private:
    void stamp() {
        if (!running_)
            return;
        const qint64 now = clock_.nsecsElapsed();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
    }

    QTimer tick_;
    QElapsedTimer clock_;
    std::function<void()> onTick_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
    bool running_ = false;
};

class FixedOpenPrompt : public OpenFilePrompt {
public:
    QString ask(const QString&, const QString&) override { return path; }
    QString path;
};

template <typename T> T* shown(QWidget& window) {
    T* dialog = window.findChild<T*>();
    return dialog && dialog->isVisible() ? dialog : nullptr;
}

class Run {
public:
    Run(const QString& label, const QString& folder)
        : label_(label), folder_(folder), sizes_(sizesOf(label)) {}

    int exec() {
        // The folder as it was made: what an earlier run changed or added is put back.
        makeAppData(folder_ + QStringLiteral("/AppData"), sizes_);
        restoreSubmit(folder_ + QStringLiteral("/Submit"));
        memory_ = label_.startsWith(QLatin1Char('b')) && resetPeak();
        QuietMessages messages;
        SystemClock clock;
        NoPrinter printer;
        KeepCode prompt;
        frmKorvanel window;
        const std::unique_ptr<MainWindowController> program =
            window.makeController(folder_, MainWindowServices{messages, clock, printer, prompt});
        MainWindowTestAccess access(*program);
        Ui::frmKorvanel& c = MainWindowTestAccess::controls(window);
        window_ = &window;

        // Start-up: from the first paint of the window until the city list is in and the window
        // idle.
        class FirstPaint : public QObject {
        public:
            explicit FirstPaint(GapMeter& meter) : meter_(meter) {}
            bool eventFilter(QObject*, QEvent* event) override {
                if (event->type() == QEvent::Paint && !seen) {
                    seen = true;
                    meter_.begin(nullptr);
                }
                return false;
            }
            bool seen = false;

        private:
            GapMeter& meter_;
        } firstPaint(meter_);
        window.installEventFilter(&firstPaint);
        const long restBefore = statusKb("VmRSS:");
        if (!program->StartUp())
            fail(QStringLiteral("start-up failed in %1").arg(folder_));
        measureLoop(
            QStringLiteral("startup"), nullptr,
            [&] { return firstPaint.seen && !access.cityListPending(); }, restBefore);
        window.removeEventFilter(&firstPaint);

        auto click = [](QAbstractButton* button) { return [button] { button->click(); }; };
        const int first = access.presenter().CurrentRecord();
        measure(QStringLiteral("next"), click(c.cmdNext),
                [&] { return access.presenter().CurrentRecord() == first + 1; });
        measure(QStringLiteral("previous"), click(c.cmdPrevious),
                [&] { return access.presenter().CurrentRecord() == first; });

        // The first Update of a new record reads every submission file for the duplicate index.
        c.cmdNew->click();
        c.txtLastName->setText(QStringLiteral("Newpatient"));
        c.txtFirstName->setText(QStringLiteral("Ann"));
        c.mskDateOfBirth->setRawValue(QStringLiteral("07042019"));
        c.mskDateTaken->setRawValue(QStringLiteral("11302025"));
        settle();
        if (access.commands().EditMode() != Editing::NewRecord)
            fail(QStringLiteral("New did not start a new record"));
        measure(QStringLiteral("update"), click(c.cmdUpdate),
                [&] { return access.commands().EditMode() != Editing::NewRecord; });
        // Taken out again (it is incomplete, and would stop Create Electronic File).
        if (access.presenter().CurrentRecord() != access.presenter().RecordCount())
            fail(QStringLiteral("the new record is not the last"));
        measure(QString(), click(c.cmdDelete),
                [&] { return access.presenter().RecordCount() == sizes_.stored; });

        // Find Record: opening, then each keystroke in its filter.
        MainMenu& menu = access.menu();
        measure(
            QStringLiteral("find-open"), [&] { menu.findRecord()->trigger(); },
            [&] { return shown<FindRecordDialog>(window) != nullptr; });
        if (auto* find = shown<FindRecordDialog>(window)) {
            double longest = 0;
            const QString typed = QStringLiteral("novak1");
            for (int i = 1; i <= typed.size(); ++i) {
                const QString expected = typed.left(i);
                longest = std::max(
                    longest, measure(
                                 QString(), [&] { typeKey(find->filterBox(), typed.at(i - 1)); },
                                 [&] { return find->filterBox()->text() == expected; }));
            }
            print(QStringLiteral("find-key"), longest, -1, -1);
            closeDialog(find);
        }

        measure(
            QStringLiteral("check-all"), [&] { menu.checkAllRecords()->trigger(); },
            [&] {
                auto* dialog = shown<CheckAllRecordsDialog>(window);
                return dialog && dialog->isComplete();
            });
        closeDialog(shown<CheckAllRecordsDialog>(window));

        // Submission History: opening, a file selected (the big one where there is one), the
        // first search.
        const int files = sizes_.smallFiles + (sizes_.bigRecords > 0 ? 2 : 0);
        measure(
            QStringLiteral("history-open"), [&] { menu.submissionHistory()->trigger(); },
            [&] {
                auto* dialog = shown<SubmissionHistoryDialog>(window);
                return dialog && dialog->files()->model() &&
                       dialog->files()->model()->rowCount() == files;
            });
        if (auto* history = shown<SubmissionHistoryDialog>(window)) {
            QAbstractItemModel* model = history->files()->model();
            int row = 1;
            int expected = kRecordsPerFile;
            if (sizes_.bigRecords > 0) {
                row = findRow(*model, bigFileName(sizes_));
                expected = sizes_.bigRecords;
            }
            measure(
                QStringLiteral("history-select"),
                [&] {
                    history->files()->selectionModel()->setCurrentIndex(
                        model->index(row, 0),
                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                },
                [&] {
                    // A long file's rows are given to the table in steps.
                    QAbstractItemModel* records = history->records()->model();
                    return records &&
                           records->rowCount() == std::min(expected, SteppedTableModel::RowsAtOnce);
                });
            measure(
                QStringLiteral("history-search"),
                [&] { typeKey(history->filterBox(), QLatin1Char('z')); },
                [&] { return history->filterBox()->text() == QLatin1String("z"); }, 300);
            closeDialog(history);
        }

        measure(
            QStringLiteral("follow-up"), [&] { menu.followUpDue()->trigger(); },
            [&] {
                auto* dialog = shown<FollowUpDueDialog>(window);
                return dialog && dialog->isFilled();
            });
        // Closing it: the gap, and what stays resident once the window has gone.
        if (auto* dialog = shown<FollowUpDueDialog>(window)) {
            const QPointer<FollowUpDueDialog> closing(dialog);
            measure(
                QStringLiteral("follow-up-close"), [dialog] { dialog->reject(); },
                [&] { return closing.isNull(); });
            if (memory_) {
                settle();
                print(QStringLiteral("follow-up-closed"), -1, statusKb("VmRSS:"), -1);
            }
        }

        // Import Records of 10,000 rows: the check, then the import.
        FixedOpenPrompt openPrompt;
        openPrompt.path = QDir(folder_).absoluteFilePath(QStringLiteral("../import.csv"));
        access.importRecords().setOpenFilePrompt(openPrompt);
        measure(
            QStringLiteral("import-check"), [&] { menu.importRecords()->trigger(); },
            [&] {
                auto* dialog = shown<ImportRecordsDialog>(window);
                return dialog && dialog->isChecked();
            });
        if (auto* import = shown<ImportRecordsDialog>(window)) {
            if (!import->importButton())
                fail(QStringLiteral("the import file did not check clean"));
            const int before = access.presenter().RecordCount();
            measure(QStringLiteral("import"), click(import->importButton()),
                    [&] { return access.presenter().RecordCount() == before + kImportRows; });
        }

        // Create Electronic File, last: it empties the data file.
        bool submitted = false;
        QObject::connect(&access.submission(), &SubmissionCommand::finished, &window,
                         [&submitted] { submitted = true; });
        QObject::connect(&access.submission(), &SubmissionCommand::fileFailed, &window,
                         [](const FileStatus& status) { fail(status.describe()); });
        const qsizetype told = messages.titles.size();
        measure(QStringLiteral("submit"), click(c.cmdWriteEFile), [&] { return submitted; });
        for (qsizetype i = told; i < messages.titles.size(); ++i)
            std::fprintf(stderr, "Create Electronic File said: %s\n",
                         qPrintable(messages.titles.at(i)));
        return 0;
    }

private:
    static void typeKey(QLineEdit* box, QChar key) {
        QCoreApplication::postEvent(box, new QKeyEvent(QEvent::KeyPress, key.toUpper().unicode(),
                                                       Qt::NoModifier, QString(key)));
        QCoreApplication::postEvent(box, new QKeyEvent(QEvent::KeyRelease, key.toUpper().unicode(),
                                                       Qt::NoModifier, QString(key)));
    }

    static int findRow(const QAbstractItemModel& model, const QString& fileName) {
        for (int row = 0; row < model.rowCount(); ++row)
            for (int column = 0; column < model.columnCount(); ++column)
                if (model.index(row, column).data().toString().contains(fileName))
                    return row;
        fail(QStringLiteral("%1 is not listed").arg(fileName));
    }

    void closeDialog(QDialog* dialog) {
        if (!dialog)
            return;
        dialog->reject();
        measureLoop(
            QString(), nullptr, [] { return true; }, -1);
    }

    // Runs action from the event loop and waits until done holds and the loop has been idle for
    // settleMs; returns the longest gap and prints it under key (unless key is empty).
    double measure(const QString& key, std::function<void()> action, std::function<bool()> done,
                   int settleMs = kSettleMs) {
        long rest = -1;
        if (memory_ && !key.isEmpty()) {
            settle();
            resetPeak();
            rest = statusKb("VmRSS:");
        }
        meter_.begin(nullptr);
        return measureLoop(key, std::move(action), std::move(done), rest, settleMs);
    }

    double measureLoop(const QString& key, std::function<void()> action, std::function<bool()> done,
                       long rest, int settleMs = kSettleMs) {
        QEventLoop loop;
        QElapsedTimer clock;
        clock.start();
        qint64 doneAt = -1;
        QTimer check;
        check.setInterval(1);
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (doneAt < 0 && (!meter_.running() ? false : done()))
                doneAt = clock.elapsed();
            if (doneAt >= 0 && clock.elapsed() - doneAt >= settleMs)
                loop.quit();
            if (clock.elapsed() > 30 * 60 * 1000)
                fail(QStringLiteral("%1 did not end within 30 minutes").arg(key));
        });
        check.start();
        if (!meter_.running())
            meter_.begin(nullptr);
        if (action)
            QTimer::singleShot(0, &loop, action);
        loop.exec();
        meter_.end();
        const double longest = meter_.longestMs();
        if (!key.isEmpty())
            print(key, longest, rest, rest >= 0 ? statusKb("VmHWM:") : -1);
        return longest;
    }

    void print(const QString& key, double longestMs, long restKb, long peakKb) {
        std::printf("GAP %s %.2f %ld %ld\n", qPrintable(key), longestMs, restKb, peakKb);
        std::fflush(stdout);
    }

    QString label_;
    QString folder_;
    Sizes sizes_;
    bool memory_ = false;
    GapMeter meter_;
    QWidget* window_ = nullptr;
};

// ---- the parent: folders, the three runs, the table -----------------------------------------

struct Figure {
    double ms = -1;
    long restKb = -1;
    long peakKb = -1;
};
using Figures = std::map<QString, Figure>;

QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readAll().split(' ').mid(0, 3).join(' '));
}

Figures runChild(const QString& label, const QString& folder,
                 const QProcessEnvironment& environment) {
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer timer;
    timer.start();
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("run"), label, folder});
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        std::printf("run %s failed: %s\n", qPrintable(label),
                    child.readAllStandardError().constData());
    Figures figures;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 5 && parts.at(0) == "GAP")
            figures[QString::fromLatin1(parts.at(1))] = {
                parts.at(2).toDouble(), parts.at(3).toLong(), parts.at(4).toLong()};
    }
    for (const QByteArray& line : child.readAllStandardError().split('\n'))
        if (line.startsWith("slowshare:"))
            std::printf("  %s\n", line.constData());
    std::printf("run %-8s done in %.0f s (load average now %s)\n", qPrintable(label),
                double(timer.elapsed()) / 1000, qPrintable(loadAverage()));
    std::fflush(stdout);
    return figures;
}

QString gapText(const Figures& figures, const QString& key) {
    const auto found = figures.find(key);
    if (found == figures.end() || found->second.ms < 0)
        return QStringLiteral("%1").arg(QStringLiteral("-"), 22);
    return QStringLiteral("%1 ms %2x")
        .arg(found->second.ms, 10, 'f', 1)
        .arg(found->second.ms / kGoalMs, 7, 'f', 2);
}

int parent() {
    const QString root =
        QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("gaps-data"));
    QDir(root).removeRecursively();
    const QString a = root + QStringLiteral("/a");
    const QString b = root + QStringLiteral("/b");
    const Sizes sizesA = sizesOf(QStringLiteral("a"));
    const Sizes sizesB = sizesOf(QStringLiteral("b"));
    std::printf("scale %.2f (KORVANEL_BENCH_SCALE): a = %d records, %d submission files of %d; "
                "b = %d records, %d small files + one of %d records (%.0f MB)\n",
                scale(), sizesA.stored, sizesA.smallFiles, kRecordsPerFile, sizesB.stored,
                sizesB.smallFiles, sizesB.bigRecords,
                double(sizesB.bigRecords) * ResultRecord::Size / 1e6);
    std::printf("machine: load average %s before the runs\n", qPrintable(loadAverage()));
    QElapsedTimer timer;
    timer.start();
    makeSubmit(a + QStringLiteral("/Submit"), sizesA);
    makeSubmit(b + QStringLiteral("/Submit"), sizesB);
    makeImportFile(root + QStringLiteral("/import.csv"));
    std::printf("folders made in %.1f s\n", double(timer.elapsed()) / 1000);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const Figures figuresA = runChild(QStringLiteral("a"), a, environment);
    QProcessEnvironment slow = environment;
    const QString shim = QDir(QCoreApplication::applicationDirPath())
                             .absoluteFilePath(QStringLiteral("libslowshare.so"));
    Figures figuresSlow;
    if (QFile::exists(shim)) {
        slow.insert(QStringLiteral("LD_PRELOAD"), shim);
        slow.insert(QStringLiteral("KORVANEL_SLOW_PREFIX"), a + QStringLiteral("/Submit"));
        slow.insert(QStringLiteral("KORVANEL_SLOW_MS"), QStringLiteral("2"));
        slow.insert(QStringLiteral("KORVANEL_SLOW_REPORT"), QStringLiteral("1"));
        figuresSlow = runChild(QStringLiteral("a-slow"), a, slow);
    } else {
        std::printf("no %s: the slow share is not measured\n", qPrintable(shim));
    }
    const Figures figuresB = runChild(QStringLiteral("b"), b, environment);
    if (!qEnvironmentVariableIsSet("KORVANEL_BENCH_KEEP"))
        QDir(root).removeRecursively();

    const std::vector<std::pair<QString, const char*>> rows = {
        {QStringLiteral("startup"), "start-up, first paint to idle"},
        {QStringLiteral("next"), "Next"},
        {QStringLiteral("previous"), "Previous"},
        {QStringLiteral("update"), "first Update of a new record"},
        {QStringLiteral("find-open"), "Find Record opens"},
        {QStringLiteral("find-key"), "Find Record, a keystroke (longest of 6)"},
        {QStringLiteral("check-all"), "Check All Records"},
        {QStringLiteral("history-open"), "Submission History opens"},
        {QStringLiteral("history-select"), "Submission History, a file selected"},
        {QStringLiteral("history-search"), "Submission History, first search"},
        {QStringLiteral("follow-up"), "Follow-Up Due"},
        {QStringLiteral("follow-up-close"), "Follow-Up Due closes"},
        {QStringLiteral("import-check"), "Import Records 10,000 rows, the check"},
        {QStringLiteral("import"), "Import Records 10,000 rows, the import"},
        {QStringLiteral("submit"), "Create Electronic File"},
    };
    std::printf("\nlongest event-loop gap, against 100 ms (ratio = gap / 100 ms); b: peak memory "
                "(VmHWM) against the program at rest before the command\n");
    std::printf("%-42s %22s %22s %22s   %s\n", "command", "a", "a, slow share (2 ms)", "b",
                "b: peak / at rest");
    for (const auto& [key, name] : rows) {
        QString memory = QStringLiteral("-");
        const auto found = figuresB.find(key);
        if (found != figuresB.end() && found->second.restKb > 0 && found->second.peakKb > 0)
            memory =
                QStringLiteral("%1 MiB / %2 MiB  %3x")
                    .arg(double(found->second.peakKb) / 1024, 0, 'f', 1)
                    .arg(double(found->second.restKb) / 1024, 0, 'f', 1)
                    .arg(double(found->second.peakKb) / double(found->second.restKb), 0, 'f', 2);
        std::printf("%-42s %22s %22s %22s   %s\n", name, qPrintable(gapText(figuresA, key)),
                    qPrintable(gapText(figuresSlow, key)), qPrintable(gapText(figuresB, key)),
                    qPrintable(memory));
    }
    if (const auto closed = figuresB.find(QStringLiteral("follow-up-closed"));
        closed != figuresB.end() && closed->second.restKb > 0)
        std::printf("b: resident after Follow-Up Due has closed: %.1f MiB\n",
                    double(closed->second.restKb) / 1024);
    std::printf("goal: every gap <= 100 ms (ratio <= 1.00x); load average after: %s\n",
                qPrintable(loadAverage()));
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && qstrcmp(argv[1], "run") == 0) {
        silenceOffscreenNotes();
        QApplication app(argc, argv);
        return Run(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3])).exec();
    }
    QCoreApplication app(argc, argv);
    return parent();
}
