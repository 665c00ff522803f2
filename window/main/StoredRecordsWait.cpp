#include "window/main/StoredRecordsWait.h"

#include "storage/StoredRecords.h"
#include "submission/DuplicateIndex.h"
#include "window/widgets/LiveWait.h"

FileStatus
StoredRecordsWait::readAll(QWidget& window, const QString& title, const RecordStore& store,
                           QList<ResultRecord>& records,
                           const std::function<void(const QList<ResultRecord>&)>& alsoInWorker) {
    FileStatus status;
    LiveWait::run(window, title, &ReadingProgressWindow::recordsText,
                  [&](const std::function<void(int, int)>& progress) {
                      status = StoredRecords::readAll(store, records, progress);
                      if (status && alsoInWorker)
                          alsoInWorker(records);
                  });
    return status;
}

FileStatus StoredRecordsWait::bringIndexUpToDate(QWidget& window, const QString& title,
                                                 const RecordStore& store, DuplicateIndex& index) {
    bool needed = true;
    FileStatus status = index.storedNeedReading(store, needed);
    if (status && !needed)
        return status;
    DuplicateIndex::StoredEntries entries;
    QList<ResultRecord> records;
    if (status)
        status =
            readAll(window, title, store, records, [&entries](const QList<ResultRecord>& read) {
                entries = DuplicateIndex::entriesOf(read);
            });
    if (!status) {
        index.forgetStoredRecords();
        return status;
    }
    index.setStoredEntries(std::move(entries));
    return status;
}
