#pragma once

#include "storage/FileStatus.h"
#include "storage/RecordStore.h"
#include "storage/ResultRecord.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <optional>
#include <vector>

// Another record that names the same patient with the same dates: a stored record by its number,
// or a record already sent, by the submission file that holds it.
struct DuplicateMatch {
    int recordNumber = 0;   // the stored record's number; 0 for a record already sent
    QString submissionFile; // the file name in Submit of a record already sent
    QString lastName;       // the other record's fields, trimmed
    QString firstName;
    QString dateOfBirth; // as stored, MMDDYYYY
    QString dateTaken;
};

// The records already sent, as the duplicate check needs them: the submission files in a folder
// whose names have the program's form (Lead_<code>_<YYYYMMDD>_<HHMMSS>_<counter>.txt), in the
// order of their names, each read a piece at a time (storage/RecordStream) as RecordFile reads
// it. What is kept of a record is only the 64-bit hash of its duplicate key and its place (file
// and record number), some twelve bytes a record; a record found under a key's hash is read
// again by position and its key compared, so that two keys with the same hash never give a
// false match nor hide a true one.
//
// read() builds it from the folder alone, so that it can run in a worker thread while the
// window goes on; the result is then handed over whole, by value.
class SentRecords {
public:
    // The hash of a duplicate key; a test may give one that makes every key collide.
    using KeyHash = quint64 (*)(const QString& key);
    static quint64 keyHash(const QString& key);
    // Called before the first file, after each piece read and after each file, with the files
    // done of those listed; false stops the reading.
    using Progress = std::function<bool(int done, int total)>;

    // The submission files of folder. A missing folder holds none; anything but a plain file
    // under such a name is passed over. A folder that cannot be listed is listingFailure() (and
    // the one entry of unreadableFiles()); a file that cannot be read is passed over and kept in
    // unreadableFiles(), the others still read.
    static SentRecords read(const QString& folder, const Progress& progress = {},
                            KeyHash hash = &SentRecords::keyHash);

    // Whether every file listed was read or passed over: false before any reading, when the
    // folder could not be listed and when the reading was stopped.
    bool isComplete() const { return complete_; }
    const FileStatus& listingFailure() const { return listing_; }
    const QList<FileStatus>& unreadableFiles() const { return unreadable_; }
    const QStringList& damagedFiles() const { return damaged_; }
    // Every record read, blank ones included.
    int recordCount() const { return recordCount_; }

    // The first record under this duplicate key, files in the order read and records in file
    // order; a record that can no longer be read or no longer has the key is passed over.
    std::optional<DuplicateMatch> find(const QString& key) const;

private:
    struct Place {
        quint32 hashHigh = 0;
        quint32 hashLow = 0;
        quint32 ordinal = 0; // the record's place among all records read, from 0
        bool operator<(const Place& other) const;
    };
    struct File {
        QString name;
        quint32 firstOrdinal = 0;
    };
    void readFile(const QString& name, const Progress& progress, int done, int total);
    std::optional<DuplicateMatch> matchAt(quint32 ordinal, const QString& key) const;

    QString folder_;
    KeyHash hash_ = &SentRecords::keyHash;
    QVector<File> files_;
    std::vector<Place> places_; // sorted by hash, then ordinal
    quint32 nextOrdinal_ = 0;
    int recordCount_ = 0;
    bool complete_ = false;
    bool stopped_ = false;
    FileStatus listing_;
    QList<FileStatus> unreadable_;
    QStringList damaged_;
};

// The records that a new record may duplicate: the stored records, kept current as records are
// written and removed, and the records already sent (SentRecords), read once.
class DuplicateIndex : public RecordStoreObserver {
public:
    // The "Possible Duplicate" message for a record just saved that matches another one.
    static QString possibleDuplicateMessage(const DuplicateMatch& match);

    // Reads the stored records whenever the index does not know them yet or their number no
    // longer matches the store (a delete that failed on its way may still have taken effect),
    // and the submission files once (the folder again while it cannot be listed). A submission
    // file that cannot be read is passed over and kept in unreadableFiles(); the others are
    // still read. Only a failure to read the stored records is returned: find() then compares
    // with the records already sent alone, and the stored records are read again next time.
    FileStatus bringUpToDate(const RecordStore& store, const QString& submitFolder);

    // The stored records, record 1 first, in place of those known.
    void setStoredRecords(const QList<ResultRecord>& records);

    // The stored part made from the records alone, so that a worker can make it; then handed
    // over whole by setStoredEntries().
    struct Entry {
        QString key;
        DuplicateMatch match;
    };
    using StoredEntries = QVector<Entry>;
    static StoredEntries entriesOf(const QList<ResultRecord>& records);
    void setStoredEntries(StoredEntries entries);
    // The stored part alone, as above; the records already sent are left as they are. read, when
    // given, makes the entries of every stored record in place of reading them here (a window
    // has them read on a thread of its own); on its failure the stored records are forgotten.
    using ReadStoredEntries = std::function<FileStatus(StoredEntries&)>;
    FileStatus bringStoredUpToDate(const RecordStore& store, const ReadStoredEntries& read = {});
    // The submission files in folder, read by SentRecords::read in place of those read before.
    // A folder that cannot be listed is the failure returned.
    FileStatus loadSubmissionFolder(const QString& folder);
    // Records already sent read elsewhere (in a worker thread), in place of those known.
    void setSentRecords(SentRecords sent);
    // Whether the records already sent are known: read once, the folder listed.
    bool sentKnown() const { return sent_.isComplete(); }

    // What the last reading of Submit could not compare: the folder or the files that could not
    // be read, and the damaged files, "<path> (damaged: ...)", read as far as they go.
    const QList<FileStatus>& unreadableFiles() const { return sent_.unreadableFiles(); }
    const QStringList& damagedFiles() const { return sent_.damagedFiles(); }
    // Lines that tell the operator of those: "2 files could not be read and were not checked:",
    // then one line a file (at most five, then "and n more"); the same for damaged files.
    static QStringList notCheckedLines(const QList<FileStatus>& unreadable,
                                       const QStringList& damaged);

    // The first other stored record (lowest number but ownNumber) that the record duplicates,
    // else the first record already sent that it duplicates; nothing for a blank name or date.
    // Stored records are compared only while the index knows them.
    std::optional<DuplicateMatch> find(const ResultRecord& record, int ownNumber) const;
    // The first record already sent under this duplicateKey.
    std::optional<DuplicateMatch> findSent(const QString& key) const;

    int storedCount() const { return int(stored_.size()); }

    void recordWritten(int n, const ResultRecord& record) override;
    void recordRemoved(int k) override;
    // Many records at once are read again by the next bringUpToDate().
    void recordsAppended(int from, int to) override;

private:
    friend struct DuplicateIndexProbe; // tests count the records read from Submit

    static Entry entryFor(const ResultRecord& record);

    bool storedKnown_ = false;
    QVector<Entry> stored_; // index n - 1 holds record n
    SentRecords sent_;
};

inline constexpr char PossibleDuplicateTitle[] = "Possible Duplicate";
