#include "storage/StoredRecords.h"

#include "storage/RecordFile.h"
#include "storage/RecordStore.h"

#include <algorithm>

namespace {

// Records a read: one system call a megabyte, not one a record.
constexpr int kPieceRecords = (1 << 20) / ResultRecord::Size;

} // namespace

FileStatus StoredRecords::readAll(const RecordStore& store, QList<ResultRecord>& all,
                                  const Progress& progress) {
    all.clear();
    int count = 0;
    if (FileStatus counted = store.count(count); !counted)
        return counted;
    all.reserve(count);
    if (progress)
        progress(0, count);
    QByteArray piece;
    for (int first = 1; first <= count; first += kPieceRecords) {
        const int wanted = std::min(kPieceRecords, count - first + 1);
        if (FileStatus status = store.readBytes(first, wanted, piece); !status) {
            all.clear();
            return status;
        }
        // As read() gives them: a partial last record padded, one beyond the end blank.
        const RecordFile records(std::move(piece));
        for (int n = 1; n <= wanted; ++n)
            all.append(records.record(n));
        if (progress)
            progress(first + wanted - 1, count);
    }
    return FileStatus::success();
}
