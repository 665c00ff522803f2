#pragma once

#include "storage/FileStatus.h"
#include "storage/ResultRecord.h"

#include <QString>

#include <functional>

// Told of every change to the stored records once it is on the disk, e.g. to keep an index.
class RecordStoreObserver {
public:
    virtual ~RecordStoreObserver() = default;
    virtual void recordWritten(int n, const ResultRecord& record) = 0;
    virtual void recordRemoved(int k) = 0;
    // Records from to to (inclusive) were appended at once.
    virtual void recordsAppended(int from, int to) = 0;
};

// The data file Korvanel.dat: result records of 198 bytes, numbered from 1, read and written by
// number. The file is opened once and its descriptor kept until close(); every write is on the
// disk before it reports success, and a delete replaces the file by a complete copy without the
// record, so a crash at any moment leaves either the old or the new set of records.
class RecordStore {
public:
    explicit RecordStore(const QString& appDataFolder);
    ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    QString dataPath() const;

    // Removes a left-over Korvanel.imp (an append of many records that did not finish), recovers
    // a left-over Korvanel.tmp, then opens the data file read/write, creating it empty
    // (0600) when missing, never truncating it. The tmp becomes Korvanel.dat when the data file
    // is missing or holds fewer whole records than the tmp holds records ending in CR LF (the
    // data file emptied or cut short). Otherwise it is the rest of an unfinished delete and is
    // removed.
    FileStatus open();
    bool isOpen() const;

    // The file's length / 198, rounded to the nearest whole number, a half to the even one. A
    // failed size read is a failure, never 0 records.
    FileStatus count(int& records) const;

    // Record n (from 1). Beyond the end: a blank record. A partial last record is padded with
    // blanks.
    FileStatus read(int n, ResultRecord& buffer) const;
    // The stored bytes of records first to first + count - 1 in one read: fewer at the end of
    // the file (a partial last record as far as it goes).
    FileStatus readBytes(int first, int count, QByteArray& bytes) const;

    // Record n in place, or appended (a gap before it is filled with blank records). On the
    // disk before it reports success; a failed append leaves the file at its previous length.
    // Nothing is written, and the failure says so, when the file under the data file's name is
    // no longer the one opened (replaced or removed by another program); remove() does the same.
    FileStatus write(int n, const ResultRecord& record);

    // Removes record k: the other count() - 1 records go in order into a new Korvanel.tmp, which
    // is flushed and renamed over Korvanel.dat; the store then holds the new file open. A
    // failure before the rename leaves Korvanel.dat as it was and no Korvanel.tmp.
    FileStatus remove(int k);

    // Takes each record to append; a failure stops the append.
    using RecordSink = std::function<FileStatus(const ResultRecord&)>;
    // Appends every record that produce hands to its sink, or none: the stored records and the
    // new ones go into a new Korvanel.imp, which is flushed and renamed over Korvanel.dat only
    // when produce succeeds; the store then holds the new file open. The records follow the
    // last stored record as write(count() + 1) would put them. A failure before the rename
    // leaves Korvanel.dat as it was and no Korvanel.imp; a crash leaves at most a Korvanel.imp
    // beside the old Korvanel.dat, which open() removes. appended tells how many records the
    // data file gained (all of them once the rename took place, even when a later step failed).
    FileStatus appendAll(const std::function<FileStatus(const RecordSink&)>& produce,
                         int& appended);

    // At most one observer; nullptr stops telling.
    void setObserver(RecordStoreObserver* observer) { observer_ = observer; }

    // Every write is already on the disk, so closing cannot lose a record.
    void close();

    // count() for a file of this length. A trailing piece of more than half a record (exactly
    // half: when that makes the count even) counts as a record, read and copied padded with
    // blanks; a shorter one is not a record and a delete drops it.
    static int countForLength(qint64 length);

private:
    FileStatus lengthOf(qint64& length) const;
    FileStatus notOpen() const;
    // A failure when the file open is no longer the one under the data file's name.
    FileStatus stillUnderItsName() const;
    FileStatus recoverLeftOverTemp();
    FileStatus writeTemp(int k, qint64 length);
    FileStatus writeRecord(int n, const ResultRecord& record);
    FileStatus removeRecord(int k);
    // After Korvanel.dat was replaced by a rename that reported status: holds the file now under
    // the name open.
    FileStatus followReplacement(FileStatus status);
    FileStatus writeImport(const std::function<FileStatus(const RecordSink&)>& produce,
                           qint64 length, int& records);

    QString dataPath_;
    QString tempPath_;
    QString importPath_;
    int fd_ = -1;
    RecordStoreObserver* observer_ = nullptr;
};
