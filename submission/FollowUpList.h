#pragma once

#include "storage/FileStatus.h"
#include "storage/RecordFile.h"
#include "storage/ResultRecord.h"
#include "validation/EntryRules.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>
#include <functional>

// The fields of a record that a row shows and judges, trimmed.
struct FollowUpFields {
    QString lastName;
    QString firstName;
    QString dateOfBirth;
    QString dateTaken;
    QString pbResult;
    QString belowDetection;
    QString testType;

    static FollowUpFields of(const ResultRecord& record);
};

// What one record, taken as a child's latest result, calls for.
struct FollowUpDecision {
    enum class Kind { NotListed, Due, CheckRecord };
    Kind kind = Kind::NotListed;
    QString nextTest; // "Venous confirmation" or "Follow-up test" when due
    QDate dueBy;
    QString problem;                            // why the record must be checked
    ResultState result = ResultState::Measured; // as the window shows it
};

// One line of the Follow-Up Due list: a child and the record that decides for it.
struct FollowUpRow {
    bool checkRecord = false; // Status "Check the record": the record cannot be judged
    QString lastName;         // of the deciding record, trimmed
    QString firstName;
    QString dateOfBirth;  // MM/DD/YYYY
    QString latestResult; // "12.0 capillary, 03/02/2026"
    QString nextTest;
    QDate dueBy;
    QString dueByText; // MM/DD/YYYY
    int daysLeft = 0;  // from today to the due date; negative when overdue
    QString status;    // "Overdue 3 days", "Due today", "Due in 1 day", "Check the record"
    QString problem;   // why the record must be checked
    // Where the deciding record is: a submission file's name, or empty for the data file.
    QString submissionFile;
    int recordNumber = 0;

    bool overdue() const { return !checkRecord && daysLeft < 0; }
    // The columns as the window shows them and the CSV file holds them, under columnTitles().
    QStringList values() const;
    static QStringList columnTitles();
};

// The children whose latest result calls for another test, by the schedule of
// reference/FollowUpSchedule, over the records of the data file and of the submission files.
//
// Two records are of the same child when last name, first name and date of birth are equal,
// trimmed and case ignored (DuplicateRule::childKey). A child's latest result is the record with
// the latest date taken; on the same day a venous result wins over a capillary one, then the
// record added last. A record whose date taken is missing or not a real date cannot be placed in
// time and may be the latest: its child is listed as "Check the record", as is a latest record
// whose test type is neither capillary nor venous or whose result is not a number, and a record
// that names no child (a blank name or date of birth) unless its result calls for nothing.
//
// Memory grows with the children, never with the files: a child keeps the places of its
// deciding records and the few fields a row shows of them, and a file is read a piece at a time.
class FollowUpList {
public:
    // Files read of the files listed; false stops the reading.
    using Progress = std::function<bool(int done, int total)>;

    explicit FollowUpList(const QDate& today);

    // The records of the data file, record 1 first.
    void addStoredRecords(const QList<ResultRecord>& records);
    // Every submission file in folder whose name has the program's form, in name order, each
    // read a piece at a time through RecordStream, which sees the records RecordFile sees (never
    // through a link; other entries passed over). A file that cannot be read is kept in
    // unreadableFiles() and adds no record, a damaged one in damagedFiles() and read as far as it
    // goes; a folder that cannot be listed is returned and kept in unreadableFiles(). progress
    // is told of each file read (0 of N once the folder is listed); when it answers false the
    // reading stops, stopped() tells so, and the list is incomplete.
    FileStatus addSubmissionFolder(const QString& folder, const Progress& progress = {});
    // One submission file's records, as read whole.
    void addSubmissionFile(const QString& fileName, const RecordFile& file);
    bool stopped() const { return stopped_; }

    // Check the record rows first, then by due date, earliest first; names break ties.
    QList<FollowUpRow> rows() const;

    const QList<FileStatus>& unreadableFiles() const { return unreadable_; }
    const QStringList& damagedFiles() const { return damaged_; }
    // The lines that name the files not read, or read only in part; none when all were read.
    QStringList fileLines() const;

    // What one record calls for, judged alone; a date taken after today is not a valid one.
    static FollowUpDecision decide(const FollowUpFields& latest, const QDate& today);
    // "Overdue 2 days", "Overdue 1 day", "Due today", "Due in 1 day", "Due in 5 days".
    static QString statusText(int daysLeft);
    // "3 children due, 1 overdue"; "1 child due, 0 overdue". Check the record rows are not due.
    static QString summary(const QList<FollowUpRow>& rows);
    // "12.0 capillary, 03/02/2026", "High Result venous, 03/02/2026", "Low Result ...".
    static QString latestResultText(const FollowUpFields& record, ResultState result);

    static QString checkRecordStatus() { return QStringLiteral("Check the record"); }

private:
    // The fields of FollowUpFields as their bytes in a submission file, one after the other
    // (bytes past the end of a torn record as blanks): 54 bytes kept in place of the file.
    static constexpr int kFieldBytes = 54;
    using FieldBytes = std::array<char, kFieldBytes>;

    // A record by its place: source -1 is the data file, else a file of fileNames_.
    struct Candidate {
        int source = -1;
        int number = 0;
        int day = 0;         // the date taken as a Julian day; 0 when it is not a real date
        int rank = 0;        // 1 for a venous result, which wins a tie of the same day
        FieldBytes fields{}; // of a record of a submission file
    };
    struct Child {
        Candidate latest;
        bool hasLatest = false;
        int undated = -1; // in undated_: the last record that could not be placed in time
    };
    // The children and records of the folder, put aside while a file that fails part way is
    // read again without it.
    struct Found {
        QHash<QString, Child> children;
        QVector<Candidate> undated;
        QVector<Candidate> unnamed;
    };

    void addRecord(int source, int number, const RecordFile& piece, int n);
    void add(Candidate candidate, const QString& lastName, const QString& firstName,
             const QString& dateOfBirth, const QString& dateTaken);
    // Reads one submission file into the list. FailedPartWay: the records read from it must be
    // taken back; Stopped: goOn answered false.
    enum class Reading { Done, FailedPartWay, Stopped };
    Reading readSubmissionFile(const QString& path, const QString& name,
                               const std::function<bool()>& goOn, FileStatus& status);
    // The candidate's record, as far as a row needs it.
    FollowUpFields fieldsOf(const Candidate& candidate) const;
    FollowUpRow rowFor(const Candidate& candidate, const FollowUpFields& record,
                       const FollowUpDecision& decision) const;

    QDate today_;
    QList<ResultRecord> stored_;
    QStringList fileNames_;
    Found found_;
    QHash<QString, int> days_; // a date taken as its day; 0 when it is not a valid date
    QList<FileStatus> unreadable_;
    QStringList damaged_;
    bool stopped_ = false;
};
