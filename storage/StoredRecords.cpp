#include "storage/StoredRecords.h"

#include "storage/RecordStore.h"

#include <algorithm>

namespace {

// Records a read: one system call a megabyte, not one a record.
constexpr int kPieceRecords = (1 << 20) / ResultRecord::Size;

} // namespace

FileStatus StoredRecords::readAll(const RecordStore& store, QList<ResultRecord>& records,
                                  const Progress& progress) {
    records.clear();
    int count = 0;
    if (FileStatus counted = store.count(count); !counted)
        return counted;
    records.reserve(count);
    if (progress)
        progress(0, count);
    QByteArray piece;
    for (int first = 1; first <= count; first += kPieceRecords) {
        const int wanted = std::min(kPieceRecords, count - first + 1);
        if (FileStatus status = store.readBytes(first, wanted, piece); !status) {
            records.clear();
            return status;
        }
        // As read() gives them: a partial last record padded, one beyond the end blank.
        for (int i = 0; i < wanted; ++i) {
            const qsizetype at = qsizetype(i) * ResultRecord::Size;
            const qsizetype size =
                std::clamp<qsizetype>(piece.size() - at, 0, qsizetype(ResultRecord::Size));
            records.append(ResultRecord::decode(
                size > 0 ? QByteArray::fromRawData(piece.constData() + at, size) : QByteArray()));
        }
        if (progress)
            progress(first + wanted - 1, count);
    }
    return FileStatus::success();
}
