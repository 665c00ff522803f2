#include "storage/StoredRecords.h"

#include "storage/RecordStore.h"

FileStatus StoredRecords::readAll(const RecordStore& store, QList<ResultRecord>& records) {
    records.clear();
    int count = 0;
    if (FileStatus counted = store.count(count); !counted)
        return counted;
    records.reserve(count);
    ResultRecord record;
    for (int n = 1; n <= count; ++n) {
        FileStatus status = store.read(n, record);
        if (!status) {
            records.clear();
            return status;
        }
        records.append(record);
    }
    return FileStatus::success();
}
