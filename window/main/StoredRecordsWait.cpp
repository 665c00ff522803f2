#include "window/main/StoredRecordsWait.h"

#include "storage/StoredRecords.h"
#include "submission/DuplicateIndex.h"
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
