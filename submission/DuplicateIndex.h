#pragma once

#include "storage/FileStatus.h"
#include "storage/RecordStore.h"
#include "storage/ResultRecord.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

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

// The records that a new record may duplicate: the stored records, kept current as records are
// written and removed, and the records of the submission files in Submit, read once.
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
    // The submission files in folder whose names have the program's form
    // (Lead_<code>_<YYYYMMDD>_<HHMMSS>_<counter>.txt), each read as RecordFile reads it, in
    // place of those read before. A missing folder holds none; anything but a plain file under
    // such a name is passed over. A folder that cannot be listed is the failure returned (and
    // the one entry of unreadableFiles()); a file that cannot be read is passed over.
    FileStatus loadSubmissionFolder(const QString& folder);

    // What the last reading of Submit could not compare: the folder or the files that could not
    // be read, and the damaged files, "<path> (damaged: ...)", read as far as they go.
    const QList<FileStatus>& unreadableFiles() const { return unreadable_; }
    const QStringList& damagedFiles() const { return damaged_; }
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

private:
    friend struct DuplicateIndexProbe; // tests count the records read from Submit

    struct Entry {
        QString key;
        DuplicateMatch match;
    };
    static Entry entryFor(const ResultRecord& record);

    bool storedKnown_ = false;
    bool sentKnown_ = false;
    QVector<Entry> stored_; // index n - 1 holds record n
    QHash<QString, DuplicateMatch> sent_;
    int sentCount_ = 0;
    QList<FileStatus> unreadable_;
    QStringList damaged_;
};

inline constexpr char PossibleDuplicateTitle[] = "Possible Duplicate";
