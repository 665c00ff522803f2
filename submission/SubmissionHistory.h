#pragma once

#include "storage/FileStatus.h"
#include "storage/ResultRecord.h"
#include "submission/SubmissionName.h"
#include "validation/RecordList.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

// One submission file in Submit, read whole.
struct SubmissionFile {
    QString fileName;
    SubmissionName::ParsedName name;
    QByteArray bytes;

    // Whole records only: a torn tail is no record.
    int recordCount() const { return int(bytes.size() / ResultRecord::Size); }
    // Record n of the file, n from 1.
    ResultRecord record(int n) const;
    QList<ResultRecord> records() const;
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
    // Reads the folder: each submission file whole, the other regular files by name only
    // (links, folders and devices are passed over). A missing folder holds nothing; a folder or
    // file that cannot be read is returned as the failure and leaves the history empty.
    FileStatus load(const QString& submitFolder);

    const QVector<SubmissionFile>& files() const { return files_; }
    const QStringList& otherFiles() const { return otherFiles_; }
    int recordCount() const;

    // Every record of every file that the filter accepts, newest file first, each file in
    // record order; nothing for an empty filter.
    QList<SubmittedRecord> search(const RecordFilter& filter) const;

private:
    void prepareSearch() const;

    QVector<SubmissionFile> files_;
    QStringList otherFiles_;
    mutable QVector<QVector<RecordSearchKeys>> keys_; // made at the first search
};
