#pragma once

#include "storage/FileStatus.h"
#include "storage/RecordFile.h"
#include "storage/ResultRecord.h"
#include "storage/SafeFile.h"

#include <QString>

// A file of result records read a piece at a time, so that a file of any size is read with a
// bounded amount of memory. It sees exactly the records RecordFile::read sees: the same count
// (a torn last record counted and padded the same way), the same records, the same damage.
//
// The file is opened once through the one file layer (never through a link) and its length is
// taken at opening; the pieces and single records are read at their offsets from that
// descriptor. A file that shrinks while it is read ends where its bytes end, and the count,
// wholeness and damage then describe the bytes actually read.
class RecordStream {
public:
    // Records a piece holds. Even, so that every piece before the last holds an even number of
    // whole records: a piece's own count of a torn tail then matches the whole file's count.
    static constexpr int ChunkRecords = 2048;

    // chunkRecords: an even number of at least 2 (a smaller piece for tests).
    explicit RecordStream(int chunkRecords = ChunkRecords);

    FileStatus open(const QString& path);
    const QString& path() const { return path_; }
    qint64 length() const { return length_; }
    // The records of the file, counted as the record store counts the data file.
    int recordCount() const;

    // The next piece of at most chunkRecords records, as a RecordFile over those bytes, and the
    // number (from 1) of its first record. False at the end, or after a failure: status() then
    // says which.
    bool next(RecordFile& piece, int& firstNumber);
    FileStatus status() const { return status_; }
    bool atEnd() const { return offset_ >= length_; }

    // Once the last piece was read: whether the file is whole, and the damage text, as
    // RecordFile says them.
    bool isWhole() const;
    QString damage() const;

    // Record n (1 to recordCount()) alone, by one positioned read; a torn last record is padded
    // with blanks.
    FileStatus readRecord(int n, ResultRecord& record);

private:
    int chunkRecords_;
    QString path_;
    SafeFile::Descriptor fd_;
    FileStatus status_;
    qint64 length_ = 0;
    qint64 offset_ = 0;
    int withoutLineEnd_ = 0;
};
