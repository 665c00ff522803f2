#pragma once

#include "storage/FileStatus.h"
#include "storage/RecordFile.h"
#include "storage/ResultRecord.h"
#include "submission/SubmissionName.h"
#include "validation/RecordList.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// What one reading of a submission file from its start to its end tells: its records, counted as
// RecordFile counts them, and how it is damaged (RecordFile::damage; empty for a whole file).
struct FileReading {
    int recordCount = 0;
    QString damage;
};

// One submission file in Submit: listed by name and length, read through once when first wanted.
// Only what the reading told is kept, never the file's bytes.
struct SubmissionFile {
    enum class Reading { NotTried, Read, Failed };

    QString fileName;
    SubmissionName::ParsedName name;
    qint64 listedLength = 0;
    Reading reading = Reading::NotTried;
    FileReading content; // once read
    FileStatus failure;  // once failed

    bool isRead() const { return reading == Reading::Read; }
    // Counted as RecordFile counts, from the listed length until the file is read.
    int recordCount() const;
    // Read, and not whole 198-byte records ending in CR LF.
    bool isDamaged() const { return isRead() && !content.damage.isEmpty(); }
    const QString& damage() const { return content.damage; }
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
// and the names of the other files there. Reading never changes a file, and no file is ever
// held whole: a file is read a piece at a time, and a record shown is read by its position.
//
// A history is a plain value: a worker thread may work on a copy of it and hand the copy back,
// and takeReadings() brings what the copy read into the original.
class SubmissionHistory {
public:
    // Told the files done and the files to do; returns false to stop the work.
    using Progress = std::function<bool(int done, int total)>;
    // The search keys kept between two searches, so that a later keystroke reads no file again;
    // past the budget a file's keys are not kept and the file is read again by each search.
    static constexpr qint64 DefaultKeyBudget = 32 * 1024 * 1024;

    // Lists the folder: the submission files by name and length, the other regular files by
    // name (links, folders and devices are passed over). No file is read yet, so that a long
    // history opens at once. A missing folder holds nothing; a folder or entry that cannot be
    // looked at is returned as the failure and leaves the history empty.
    FileStatus load(const QString& submitFolder);
    const QString& folder() const { return folder_; }
    QString filePath(int file) const;

    // Reads the file through when no read was tried yet, and returns that read's failure. A
    // file is tried once: a failure is reported once, and the file stays without records.
    FileStatus read(int file);
    // Reads every file not tried yet; returns the first failure, after reading the others.
    // Stops, leaving the rest untried, when progress returns false.
    FileStatus readAll(const Progress& progress = {});
    // Reads the file at path from its start to its end, a piece at a time: what read() keeps.
    // Stops between two pieces when keepGoing returns false; then stopped is set and the
    // reading tells nothing.
    static FileStatus readFile(const QString& path, FileReading& reading,
                               const std::function<bool()>& keepGoing = {},
                               bool* stopped = nullptr);

    // Takes the outcome of readFile() for a file of this history. Returns whether it tells
    // something new: a file not tried before, or one read before that cannot be read any more.
    bool takeReading(int file, const FileStatus& status, const FileReading& reading);
    // Takes what a copy of this history (the same listing) read and this one has not, the
    // search keys it kept included. Returns the failures this history did not know of yet, in
    // the files' order.
    QList<FileStatus> takeReadings(const SubmissionHistory& copy);

    int unreadableCount() const;
    // Files read that are not whole records (RecordFile::damage says how).
    int damagedCount() const;

    const QVector<SubmissionFile>& files() const { return files_; }
    const QStringList& otherFiles() const { return otherFiles_; }
    int recordCount() const;

    // Records first to first + count - 1 of the file, read by their position in one read; fewer
    // where the file ends first. A torn last record is padded with blanks.
    FileStatus readRecords(int file, int first, int count, QList<ResultRecord>& records) const;
    // Every record of the file, in order, handed over a piece at a time (a RecordFile over the
    // piece's bytes, and the number of its first record); each returns false to stop.
    FileStatus
    forEachPiece(int file,
                 const std::function<bool(const RecordFile& piece, int first)>& each) const;
    // Every record of the file at once.
    FileStatus records(int file, QList<ResultRecord>& records) const;

    // Every record of every file that the filter accepts, newest file first, each file in record
    // order; nothing for an empty filter. Reads the files not tried yet (as read() does) and
    // those whose keys are not kept; a file that cannot be read is not searched, and the first
    // failure met is returned. Stops, returning what it found so far, when progress returns
    // false (then stopped is set).
    FileStatus search(const RecordFilter& filter, QList<SubmittedRecord>& found,
                      const Progress& progress = {}, bool* stopped = nullptr);
    QList<SubmittedRecord> search(const RecordFilter& filter);

    void setKeyBudget(qint64 bytes) { keyBudget_ = bytes; }
    // The bytes of search keys kept.
    qint64 keptKeyBytes() const { return keptKeyBytes_; }

private:
    void keepKeys(int file, QByteArray keys);

    QString folder_;
    QVector<SubmissionFile> files_;
    QStringList otherFiles_;
    // A file's keys: the first bytes of each record, those of the date taken, the names and the
    // date of birth, as stored; empty when not kept.
    QVector<QByteArray> keys_;
    qint64 keptKeyBytes_ = 0;
    qint64 keyBudget_ = DefaultKeyBudget;
};
