#include "window/main/StoredRecordsWait.h"

#include "storage/StoredRecords.h"
#include "submission/DuplicateIndex.h"
#include "window/main/SentRecordsReading.h"
#include "window/widgets/LiveWait.h"

FileStatus
StoredRecordsWait::readAll(QWidget& window, const QString& title, const RecordStore& store,
                           QList<ResultRecord>* records,
                           const std::function<void(const QList<ResultRecord>&)>& inWorker) {
    FileStatus status;
    LiveWait::run(window, title, &ReadingProgressWindow::recordsText,
                  [&](const std::function<void(int, int)>& progress) {
                      QList<ResultRecord> read;
                      status = StoredRecords::readAll(store, read, progress);
                      if (status && inWorker)
                          inWorker(read);
                      if (records)
                          *records = std::move(read);
                  });
    return status;
}

FileStatus StoredRecordsWait::bringIndexUpToDate(QWidget& window, const QString& title,
                                                 const RecordStore& store, DuplicateIndex& index) {
    return index.bringStoredUpToDate(store, [&](DuplicateIndex::StoredEntries& entries) {
        return readAll(window, title, store, nullptr, [&entries](const QList<ResultRecord>& read) {
            entries = DuplicateIndex::entriesOf(read);
        });
    });
}

bool StoredRecordsWait::readForComparing(
    QWidget& window, const QString& title, const RecordStore& store, DuplicateIndex& index,
    SentRecordsReading& sent, QList<ResultRecord>* records,
    const std::function<void(const QList<ResultRecord>&)>& inWorker, FileStatus& failure) {
    DuplicateIndex::StoredEntries entries;
    failure = readAll(window, title, store, records, [&](const QList<ResultRecord>& read) {
        entries = DuplicateIndex::entriesOf(read);
        if (inWorker)
            inWorker(read);
    });
    if (!failure)
        return false;
    index.setStoredEntries(std::move(entries));
    return sent.waitUntilRead(title);
}
