#pragma once

#include "storage/FileStatus.h"
#include "storage/RecordFile.h"
#include "storage/ResultRecord.h"
#include "submission/SubmissionName.h"
#include "validation/RecordList.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

// One submission file in Submit: listed by name and length, its records read when first wanted.
struct SubmissionFile {
    enum class Reading { NotTried, Read, Failed };

    QString fileName;
    SubmissionName::ParsedName name;
    qint64 listedLength = 0;
    Reading reading = Reading::NotTried;
    RecordFile content; // once read

    bool isRead() const { return reading == Reading::Read; }
    // Counted as RecordFile counts, from the listed length until the file is read.
    int recordCount() const;
    // Record n of a file read, n from 1.
    ResultRecord record(int n) const { return content.record(n); }
    QList<ResultRecord> records() const;
    // Read, and not whole 198-byte records ending in CR LF.
    bool isDamaged() const { return isRead() && !content.isWhole(); }
};

// A record found in the submission files: the file's place in files() and the record's number.
struct SubmittedRecord {
    int file = 0;
    int number = 0;
    bool operator==(const SubmittedRecord& other) const {
        return file == other.file && number == other.number;
    }
};

// What has been sent: every file in Submit whose name has the submission form, newest first,
// and the names of the other files there. Reading never changes a file.
class SubmissionHistory {
public:
    // Lists the folder: the submission files by name and length, the other regular files by
    // name (links, folders and devices are passed over). No file is read yet, so that a long
    // history opens at once. A missing folder holds nothing; a folder or entry that cannot be
    // looked at is returned as the failure and leaves the history empty.
    FileStatus load(const QString& submitFolder);

    // Reads the file's records when no read was tried yet, and returns that read's failure.
    // A file is tried once: a failure is reported once, and the file stays without records.
    FileStatus read(int file);
    // Reads every file not tried yet; returns the first failure, after reading the others.
    FileStatus readAll();
    int unreadableCount() const;
    // Files read that are not whole records (RecordFile::damage says how).
    int damagedCount() const;

    const QVector<SubmissionFile>& files() const { return files_; }
    const QStringList& otherFiles() const { return otherFiles_; }
    int recordCount() const;

    // Every record of every file read that the filter accepts, newest file first, each file in
    // record order; nothing for an empty filter.
    QList<SubmittedRecord> search(const RecordFilter& filter) const;

private:
    const QVector<RecordSearchKeys>& searchKeys(int file) const;

    QString folder_;
    QVector<SubmissionFile> files_;
    QStringList otherFiles_;
    // A file's keys are made at the first search after it was read; empty until then.
    mutable QVector<QVector<RecordSearchKeys>> keys_;
};
