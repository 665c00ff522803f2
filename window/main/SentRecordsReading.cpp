#include "window/main/SentRecordsReading.h"

#include "window/widgets/LiveWait.h"

#include <QtConcurrent/QtConcurrentRun>

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
    if (reading_ || index_.sentKnown())
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
    LiveWait::until(
        window_, title, &ReadingProgressWindow::text,
        [this] {
            // The records go into the index as soon as the worker is done, signal or not.
            if (reading_ && watcher_.future().isFinished())
                finished();
            return !reading_;
        },
        [this] { return LiveWait::Progress(shared_->done, shared_->total); });
}
