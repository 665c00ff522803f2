#pragma once

#include "storage/FileStatus.h"
#include "storage/ResultRecord.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>

class DuplicateIndex;
class RecordStore;

// Records brought in from a file instead of typed: a spreadsheet file in the columns that Export
// to CSV writes (RecordColumns, matched by header name), or a file of 198-byte records (another
// workstation's data file, a submission file). Every row becomes a record exactly as the window
// would save it when typed, by the window's own rules (the entry filter's characters, the field
// widths, the date checks, the lists' codes, the result rules, the provider code); a value that
// the window would not take is a problem, never changed or cut silently. Nothing is written
// unless every row is clean, and then every record is appended, or none.

// One thing wrong with the file, where it stands: the line of the file (the record's number in a
// file of records; 0 for the file as a whole), the column's header, the value as read.
struct ImportProblem {
    qint64 line = 0;
    QString column;
    QString value;
    QString message;
};

// A record that may be imported but deserves a look: its gaps, or a possible duplicate.
struct ImportNote {
    qint64 line = 0;
    QString patient; // "Last, First"
    QString text;
};

// What the records are checked against.
struct ImportContext {
    QString providerCode; // the office's code in force, six characters
    QDate today;          // for the date checks
    // The duplicate keys of the stored records, each with its record number (the first one).
    QHash<QString, int> storedKeys;
    // The records already sent; none when null.
    const DuplicateIndex* sent = nullptr;

    static QHash<QString, int> keysOf(const QList<ResultRecord>& stored);
};

struct ImportReport {
    enum class Format { Csv, Records };
    Format format = Format::Csv;
    int records = 0;
    int problemCount = 0;          // every problem found
    QList<ImportProblem> problems; // the first RecordsImport::MaxListed of them
    int incomplete = 0;
    QList<ImportNote> gaps; // the incomplete records and what they lack
    int duplicates = 0;
    QList<ImportNote> duplicateNotes;
    // What the records' bytes add up to (SHA-256), so that the import writes what was checked.
    QByteArray digest;
    // The records of a clean file of at most MaxHeldBytes, as checked; empty for a larger file,
    // which the import reads and checks again.
    QByteArray heldRecords;

    bool clean() const { return problemCount == 0 && records > 0; }
    // "3 problems: nothing can be imported until the file is corrected." or
    // "120 records: 2 incomplete, 1 possible duplicate."
    QString summary() const;
};

namespace RecordsImport {

inline constexpr int MaxRecords = 100000;
inline constexpr qint64 MaxBytes = qint64(64) << 20;
// A clean file's records up to this size are kept from the check for the import.
inline constexpr qint64 MaxHeldBytes = qint64(4) << 20;
// Problems and notes listed beyond these are counted only.
inline constexpr int MaxListed = 1000;
// A problem's value (or column) longer than this is listed as its first characters and "…": a value
// of millions of characters would hold the window for minutes each time the list is drawn.
inline constexpr int MaxShownValue = 100;

// Receives each record of a clean file, in order.
using RecordSink = std::function<FileStatus(const ResultRecord&)>;

// The checks of a spreadsheet file's or a records file's bytes, as checkFile() runs them; for a
// fuzzer and the tests, with no file and no window. A sink, when given, receives every record
// of a row that passed (whatever the rest of the file holds); the gaps and the duplicates are
// then not looked for (the import's second reading).
ImportReport checkCsv(const QByteArray& bytes, const ImportContext& context,
                      const RecordSink& sink = {});
ImportReport checkRecords(const QByteArray& bytes, const ImportContext& context,
                          const RecordSink& sink = {});

// Reads the file through the one file layer, a piece at a time, and checks it: a file of
// 198-byte records when its first line ends as a record does, otherwise a spreadsheet file. A
// file over MaxBytes, or over MaxRecords records, is refused before it is read through; a file
// that cannot be opened (missing, a link, a folder, a pipe), that changes while it is read,
// that holds a NUL byte or is empty is one problem of the file as a whole.
//
// progress, when given, is told the bytes checked of the file's length as the check goes; when it
// answers false the check stops, and its report (one problem, "The check was stopped.") is of no
// use.
using Progress = std::function<bool(qint64 done, qint64 total)>;
ImportReport checkFile(const QString& path, const ImportContext& context,
                       const RecordSink& sink = {}, const Progress& progress = {});

// Appends the records of the file that checkFile() found clean (checked), all or none: the
// records kept from the check, or, for a larger file, the file read and checked again while the
// records are written, nothing being appended when it no longer holds exactly the records
// checked. first is the number of the first record appended.
FileStatus importFile(const QString& path, const ImportReport& checked,
                      const ImportContext& context, RecordStore& store, int& first, int& appended);

} // namespace RecordsImport
