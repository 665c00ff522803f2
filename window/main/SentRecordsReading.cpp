#include "window/main/SentRecordsReading.h"

#include "window/widgets/ReadingProgressWindow.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// How often the progress window takes the worker's count.
constexpr int kProgressEveryMs = 50;
// How long a command waits for the reading before the progress window is shown.
constexpr int kWaitWithoutWindowMs = 40;

} // namespace

SentRecordsReading::SentRecordsReading(QWidget& window, DuplicateIndex& index, QString submitFolder,
                                       QObject* parent)
    : QObject(parent), window_(window),
      reader_([](const QString& folder, const SentRecords::Progress& progress) {
          return SentRecords::read(folder, progress);
      }),
      index_(index), submitFolder_(std::move(submitFolder)) {
    pool_.setMaxThreadCount(1);
    connect(&watcher_, &QFutureWatcherBase::finished, this, &SentRecordsReading::finished);
}

SentRecordsReading::~SentRecordsReading() {
    stop();
}

void SentRecordsReading::stop() {
    if (!reading_)
        return;
    shared_->stop = true;
    watcher_.waitForFinished();
    reading_ = false;
}

void SentRecordsReading::start() {
    if (reading_)
        return;
    reading_ = true;
    shared_ = std::make_shared<Shared>();
    watcher_.setFuture(
        QtConcurrent::run(&pool_, [reader = reader_, folder = submitFolder_, shared = shared_] {
            return reader(folder, [&shared](int done, int total) {
                shared->done = done;
                shared->total = total;
                return !shared->stop;
            });
        }));
}

void SentRecordsReading::finished() {
    // The signal of a reading already taken (waitUntilRead takes one that is done at once).
    if (!reading_ || !watcher_.future().isFinished())
        return;
    reading_ = false;
    QFuture<SentRecords> future = watcher_.future();
    if (future.resultCount() > 0)
        index_.setSentRecords(future.takeResult());
}

void SentRecordsReading::waitUntilRead(const QString& title) {
    if (!index_.sentKnown() && !reading_)
        start();
    if (!reading_)
        return;
    // A reading that is done, or about to be, is taken without a window coming and going.
    QElapsedTimer waited;
    waited.start();
    while (!watcher_.future().isFinished() && waited.elapsed() < kWaitWithoutWindowMs)
        QThread::msleep(1);
    if (watcher_.future().isFinished()) {
        finished();
        return;
    }
    ReadingProgressWindow progress(window_, title);
    const auto show = [&] { progress.setProgress(shared_->done, shared_->total); };
    show();
    progress.open();
    QEventLoop loop;
    // Connected after finished(): the records are in the index when the loop ends.
    connect(&watcher_, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    QTimer timer;
    connect(&timer, &QTimer::timeout, &progress, show);
    timer.start(kProgressEveryMs);
    while (reading_)
        loop.exec();
    progress.finish();
}
