#include "window/main/SentRecordsReading.h"

#include "window/widgets/LiveWait.h"

SentRecordsReading::SentRecordsReading(QWidget& window, DuplicateIndex& index, QString submitFolder,
                                       QObject* parent)
    : QObject(parent), window_(window),
      reader_([](const QString& folder, const SentRecords::Progress& progress) {
          return SentRecords::read(folder, progress);
      }),
      index_(index), submitFolder_(std::move(submitFolder)) {
    connect(&job_, &BackgroundJobBase::finished, this, &SentRecordsReading::finished);
}

SentRecordsReading::~SentRecordsReading() {
    stop();
}

void SentRecordsReading::stop() {
    if (!reading_)
        return;
    shared_->stop = true;
    job_.stop();
    reading_ = false;
}

void SentRecordsReading::start() {
    if (reading_ || index_.sentKnown())
        return;
    reading_ = true;
    shared_ = std::make_shared<Shared>();
    job_.start([reader = reader_, folder = submitFolder_, shared = shared_](JobControl&) {
        return reader(folder, [&shared](int done, int total) {
            shared->done = done;
            shared->total = total;
            return !shared->stop;
        });
    });
}

void SentRecordsReading::finished() {
    reading_ = false;
    index_.setSentRecords(job_.takeResult());
}

bool SentRecordsReading::waitUntilRead(const QString& title) {
    if (!index_.sentKnown() && !reading_)
        start();
    if (!reading_)
        return true;
    const bool read = LiveWait::until(
        window_, title, &ReadingProgressWindow::text,
        [this] {
            // The records go into the index as soon as the worker is done, looked at or not.
            if (reading_ && job_.hasEnded())
                job_.waitForFinished();
            return !reading_;
        },
        [this] { return LiveWait::Progress(shared_->done, shared_->total); },
        ReadingProgressWindow::Cancel::Offered);
    if (!read) {
        shared_->stop = true;
        job_.letGo();
        reading_ = false;
    }
    return read;
}
