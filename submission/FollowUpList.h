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
class FollowUpList {
public:
    explicit FollowUpList(const QDate& today);

    // The records of the data file, record 1 first.
    void addStoredRecords(const QList<ResultRecord>& records);
    // Every submission file in folder whose name has the program's form, in name order, each
    // read through RecordFile (never through a link; other entries passed over). A file that
    // cannot be read is kept in unreadableFiles(), a damaged one in damagedFiles() and read as
    // far as it goes; a folder that cannot be listed is returned and kept in unreadableFiles().
    FileStatus addSubmissionFolder(const QString& folder);
    // One submission file's records, as read.
    void addSubmissionFile(const QString& fileName, const RecordFile& file);

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
    // A record by its place: source -1 is the data file, else a file of files_.
    struct Candidate {
        int source = -1;
        int number = 0;
        int day = 0;  // the date taken as a Julian day; 0 when it is not a real date
        int rank = 0; // 1 for a venous result, which wins a tie of the same day
    };
    struct Child {
        Candidate latest;
        bool hasLatest = false;
        Candidate undated; // the last record that could not be placed in time
        bool hasUndated = false;
    };

    void add(int source, int number, const QString& lastName, const QString& firstName,
             const QString& dateOfBirth, const QString& dateTaken, const QString& testType);
    // The candidate's record, as far as a row needs it.
    FollowUpFields fieldsOf(const Candidate& candidate) const;
    FollowUpRow rowFor(const Candidate& candidate, const FollowUpFields& record,
                       const FollowUpDecision& decision) const;

    QDate today_;
    QList<ResultRecord> stored_;
    QStringList fileNames_;
    QVector<RecordFile> files_;
    QHash<QString, Child> children_;
    QHash<QString, int> days_;   // a date taken as its day; 0 when it is not a valid date
    QVector<Candidate> unnamed_; // records naming no child
    QList<FileStatus> unreadable_;
    QStringList damaged_;
};
