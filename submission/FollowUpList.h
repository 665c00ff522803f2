#pragma once

#include "storage/FileStatus.h"
#include "storage/RecordFile.h"
#include "storage/ResultRecord.h"
#include "storage/SafeFile.h"
#include "validation/EntryRules.h"

#include <QByteArrayView>
#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <iterator>
#include <memory>
#include <vector>

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

// Memory for the list's large arrays, taken from the system and given back to it as a whole
// (mmap), so that what the records of a large Submit took is returned once they go, rather
// than kept by the allocator of the thread that read them.
namespace FollowUpPages {
constexpr size_t kMapAtLeast = size_t(1) << 20; // smaller arrays come from the heap
void* take(size_t bytes);
void giveBack(void* pages, size_t bytes);

template <typename T> struct Allocator {
    using value_type = T;
    Allocator() = default;
    template <typename U> Allocator(const Allocator<U>&) {}
    T* allocate(size_t count) { return static_cast<T*>(take(count * sizeof(T))); }
    void deallocate(T* pages, size_t count) { giveBack(pages, count * sizeof(T)); }
    template <typename U> bool operator==(const Allocator<U>&) const { return true; }
    template <typename U> bool operator!=(const Allocator<U>&) const { return false; }
};
} // namespace FollowUpPages

// The rows of the Follow-Up Due list as FollowUpList::takeRows() makes them, in the list's order.
// A row is kept as the bytes of the fields it shows of its deciding record and that record's
// place, 72 bytes in one flat array; its texts are made when asked for (at()), so that a list of
// millions of rows holds no text and goes in one free. Rows beyond the list's memory budget are
// kept instead in a file without a name (gone when the last copy of the rows is), 72 bytes a
// row, read one row at a time; a row that cannot be read back shows as a row to check whose
// problem says so. Copies share the file; reading from any thread is safe.
class FollowUpRows {
public:
    int size() const { return file_ ? file_->count : int(entries_.size()); }
    bool isEmpty() const { return size() == 0; }
    // Row i, from 0.
    FollowUpRow at(int i) const;
    // "3 children due, 1 overdue", as FollowUpList::summary() words the same rows.
    QString summary() const;
    QList<FollowUpRow> toList() const;

    // The rows one after the other, each made as it is reached.
    class const_iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = FollowUpRow;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = FollowUpRow;
        const_iterator(const FollowUpRows* rows, int i) : rows_(rows), i_(i) {}
        FollowUpRow operator*() const { return rows_->at(i_); }
        const_iterator& operator++() {
            ++i_;
            return *this;
        }
        bool operator==(const const_iterator& other) const { return i_ == other.i_; }
        bool operator!=(const const_iterator& other) const { return i_ != other.i_; }

    private:
        const FollowUpRows* rows_;
        int i_;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

private:
    friend class FollowUpList;

    // The fields of FollowUpFields as their Windows-1252 bytes, one after the other (bytes past
    // the end of a torn record as blanks).
    static constexpr int kFieldBytes = 54;

    // A record as the list keeps it. While the records are read, key is the hash of the child's
    // key (DuplicateRule::childKey); in a row, the due date as a Julian day, 0 for a row to check.
    struct Entry {
        quint64 key = 0;
        quint32 ordinal = 0; // the record's place among all records added, from 0
        quint32 dayRank = 0; // the date taken as a Julian day (0: not a valid date) << 2,
                             // | 2 for a venous result, | 1 for a record that names no child
        std::array<char, kFieldBytes> fields{};
        quint16 unused = 0; // the last 2 of the 72 bytes: none undefined when written to a file

        int day() const { return int(dayRank >> 2); }
        bool venous() const { return dayRank & 2; }
        bool unnamed() const { return dayRank & 1; }
    };
    using Entries = std::vector<Entry, FollowUpPages::Allocator<Entry>>;
    // Where the records of one source begin: the data file (file -1) or a submission file
    // (fileNames_), its record 1 at ordinal firstOrdinal.
    struct Source {
        quint32 firstOrdinal = 0;
        int file = -1;
    };

    // The rows in a file: count entries from its start, and the rows due and overdue among them.
    struct RowsFile {
        SafeFile::Descriptor fd;
        int count = 0;
        int due = 0;
        int overdue = 0;
    };

    const Source& sourceOf(const Entry& entry) const;
    // Whether a row comes before another one: Check the record rows first, then by due date,
    // then by last and first name (case ignored), date of birth and record number, then in the
    // order the records were added.
    bool before(const Entry& a, const Entry& b) const;

    QDate today_;
    QStringList fileNames_;
    std::vector<Source> sources_;
    Entries entries_;
    std::shared_ptr<const RowsFile> file_; // when set, the rows, and entries_ is empty
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
// Each record added is kept as 72 bytes in one flat array (the hash of its child's key, its
// place, its day, and the 54 bytes of the fields a row shows), appended as it is read; a file is
// read a piece at a time. Once as many records have come as were kept before them (and at least
// ReduceAtLeast), they are sorted by child and each child's records reduced to the two that can
// still decide (the latest dated one, the last undated one), so that the array grows with the
// children rather than with the records. Within a file only its own records are reduced, so that
// a file that fails part way is taken back by cutting the array where the file began. The hash
// only brings a child's records side by side: records under one hash whose names differ are
// told apart by their keys, so that two children whose keys share a hash are never merged.
//
// The array is held to a memory budget. When it reaches the budget and putting the records
// together leaves it more than half full, it is written out, each record to one of P parts by
// the top bits of its child's hash (a record naming no child by its place), into a file without
// a name in the temporary folder (0600, gone once closed or after a crash), and emptied. A file
// that fails part way after some of its records went out is then taken back by its places: the
// records of that range are passed over when the parts are read back. At the end each part is
// read back alone (all records of a child lie in one part), put together, and its rows sorted:
// the rows of all parts are then merged in the list's order, into memory when they fit the
// budget, else into a file of rows that FollowUpRows reads by position. When the temporary file
// cannot be made or written, the records stay in memory beyond the budget: the list is the same,
// only larger. A part or run that cannot be read back is named among the files not read, so
// that an incomplete list never passes for a whole one.
class FollowUpList {
public:
    // Files read of the files listed; false stops the reading.
    using Progress = std::function<bool(int done, int total)>;
    // The hash of a child's key; a test may give one that makes every key collide.
    using KeyHash = quint64 (*)(QStringView key);
    static quint64 keyHash(QStringView key);

    // Records are put together once at least reduceAtLeast have come since last time (a test
    // may make it small).
    static constexpr size_t ReduceAtLeast = 32768;
    // The bytes of records the list holds in memory before it writes them out (a test may make it
    // small).
    static constexpr size_t MemoryBudget = size_t(24) << 20;
    explicit FollowUpList(const QDate& today, KeyHash hash = &FollowUpList::keyHash,
                          size_t reduceAtLeast = ReduceAtLeast, size_t memoryBudget = MemoryBudget);

    // Records still to come beyond the submission folder's (the data file's, added after it):
    // the array is then taken once for all of them, never grown by a second copy.
    void expectRecords(qsizetype records) { expected_ += size_t(std::max<qsizetype>(records, 0)); }
    // The records of the data file, record 1 first.
    void addStoredRecords(const QList<ResultRecord>& records);
    // Every submission file in folder whose name has the program's form, in name order, each
    // read a piece at a time through RecordStream, which sees the records RecordFile sees (never
    // through a link; other entries passed over). A file that cannot be read, even part way, is
    // kept in unreadableFiles() and adds no record, a damaged one in damagedFiles() and read as
    // far as it goes; a folder that cannot be listed is returned and kept in unreadableFiles().
    // progress is told of each file read (0 of N once the folder is listed); when it answers
    // false the reading stops, stopped() tells so, and the list is incomplete. It is kept, and
    // asked again (N of N) while takeRows() reads back records written out: answering false
    // there stops it too, with no rows. It must therefore live as long as the list.
    FileStatus addSubmissionFolder(const QString& folder, const Progress& progress = {});
    // One submission file's records, as read whole.
    void addSubmissionFile(const QString& fileName, const RecordFile& file);
    bool stopped() const { return stopped_; }

    // The rows, once every record is added: Check the record rows first, then by due date,
    // earliest first; names break ties. The list keeps no record after it.
    FollowUpRows takeRows();
    // The same rows with their texts, all at once: for short lists.
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

    // Two names given as their Windows-1252 bytes, blanks trimmed, in the order in which
    // QString::compare(..., Qt::CaseInsensitive) puts the decoded texts: negative, 0 or
    // positive.
    static int compareNames(QByteArrayView a, QByteArrayView b);
    // DuplicateRule::childKey of the three fields given as their Windows-1252 bytes.
    static QString childKey(QByteArrayView lastName, QByteArrayView firstName,
                            QByteArrayView dateOfBirth);

private:
    using Entry = FollowUpRows::Entry;
    using Entries = FollowUpRows::Entries;

    // A record's bytes from record (available of them; the rest of a torn record is blanks), as
    // record number of the source begun last.
    void addRecord(const char* record, qsizetype available, int number);
    // Room for that many more records.
    void makeRoom(size_t records);
    void beginSource(int file);
    // The source read whole: every record put together when they have doubled since last time.
    void endSource();
    // The source begun last could not be read: its records are taken back.
    void takeBackSource();
    // Puts the records of entries from from on together by child: the two that can still decide
    // of each child, or the one that decides when final.
    void reduce(Entries& entries, size_t from, bool final) const;
    void reduce(size_t from, bool final) { reduce(made_.entries_, from, final); }
    // The array has reached the budget: put together, and written out when still large.
    void holdToBudget();
    // Writes every record of the array into the parts of the temporary file and empties it;
    // false (the array kept) when the file cannot be made or written.
    bool spill();
    int partOf(const Entry& entry) const;
    // The deciding records of entries as rows: those listed, in the list's order; due and
    // overdue counted.
    void makeRows(Entries& entries, int& due, int& overdue) const;
    // The rows of records written out: each part read back, put together and its rows sorted,
    // then all merged into made_.
    void takeSpilledRows();
    // Tells that a part of the list could not be read back (once).
    void readBackFailed(const FileStatus& status);
    Entry* keepDeciding(const Entry* begin, const Entry* end, Entry* out, bool final) const;

    // Reads one submission file into the list; false: goOn answered false.
    bool readSubmissionFile(const QString& path, const QString& name,
                            const std::function<bool()>& goOn);

    QDate today_;
    KeyHash hash_;
    size_t reduceAtLeast_;
    FollowUpRows made_;
    quint32 nextOrdinal_ = 0;
    size_t sourceStart_ = 0;    // where the records of the source begun last begin
    size_t reduceSourceAt_ = 0; // its records are put together when the array reaches this
    size_t reduceAllAt_ = 0;    // every record is, at the end of a source
    size_t expected_ = 0;       // records to come beyond the folder's
    QHash<quint64, int> days_;  // a date taken's 8 bytes as its day; 0 when it is not valid

    // A piece of the temporary file: count entries from offset.
    struct Piece {
        qint64 offset = 0;
        qint64 count = 0;
    };
    // The temporary file, shared by copies of the list, each appending at its end.
    struct SpillFile {
        SafeFile::Descriptor fd;
        qint64 end = 0;
    };
    size_t budgetEntries_;                               // the array is held to this many
    std::shared_ptr<SpillFile> spillFile_;               // once records were written out
    bool spillFailed_ = false;                           // the file could not be made or written
    int partBits_ = 0;                                   // P = 1 << partBits_
    std::vector<std::vector<Piece>> parts_;              // each part's pieces, in the order written
    int spills_ = 0;                                     // times the array was written out
    int sourceSpills_ = 0;                               // spills_ when the source begun last began
    std::vector<std::pair<quint32, quint32>> withdrawn_; // places [first, end) taken back
    size_t expectedRecords_ = 0; // records the folder and the data file may hold
    bool readBackFailed_ = false;
    QList<FileStatus> unreadable_;
    QStringList damaged_;
    bool stopped_ = false;
    Progress progress_; // addSubmissionFolder's
    int progressTotal_ = 0;
};
