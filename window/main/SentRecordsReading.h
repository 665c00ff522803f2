#pragma once

#include "submission/DuplicateIndex.h"

#include "window/widgets/BackgroundJob.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QWidget;

// Reads the records already sent (the files of Submit) in a worker thread, so that the window
// stays live however many files Submit holds and however slowly its disk answers, and hands
// them to the duplicate index on the window's thread when the reading is done. The worker
// builds its result from the folder's path alone and never touches the index.
class SentRecordsReading : public QObject {
public:
    SentRecordsReading(QWidget& window, DuplicateIndex& index, QString submitFolder,
                       QObject* parent = nullptr);
    // Stops the worker and waits for it: it never outlives the index it reads for.
    ~SentRecordsReading() override;

    // Starts a reading unless one runs or the records already sent are known: a reading that
    // ended hands its records to the index, which a command's worker may be reading from.
    void start();
    bool isReading() const { return reading_; }
    // Makes sure the index holds the records already sent before a command compares with them:
    // starts a reading when the index lacks them (the folder could not be listed last time) and
    // none runs, and while one runs shows "Reading submission files: n of N" in a small modal
    // window titled after the command, until the records are in the index. The window offers
    // Cancel: false when the operator gave the wait up, the reading then stopped without waiting
    // for it (a share that no longer answers may hold it in a file call), the next wait reading
    // the folder again.
    bool waitUntilRead(const QString& title);

    // What the worker runs: SentRecords::read. Tests give one that holds the reading back.
    using Reader =
        std::function<SentRecords(const QString& folder, const SentRecords::Progress& progress)>;
    void setReader(Reader reader) { reader_ = std::move(reader); }

private:
    // What the worker and the window share: plain atomics, nothing else.
    struct Shared {
        std::atomic<int> done{0};
        std::atomic<int> total{0};
        std::atomic<bool> stop{false};
    };
    void finished();
    void stop();

    QWidget& window_;
    Reader reader_;
    DuplicateIndex& index_;
    QString submitFolder_;
    std::shared_ptr<Shared> shared_;
    // A thread of its own, so that closing waits for this reading alone.
    BackgroundJob<SentRecords> job_;
    bool reading_ = false;
};
