#pragma once

#include "storage/ResultRecord.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class DuplicateIndex;

// One problem of one stored record, as the check of all records lists it.
struct RecordProblem {
    int number = 0;
    QString patient; // "Last, First"
    QString problem; // a gap as the completeness check words it, or a possible duplicate
};

// Every gap of every stored record and every possible duplicate, within the stored records and
// against the records already sent.
struct RecordsCheckReport {
    int records = 0;
    int complete = 0;              // neither a gap nor a possible duplicate
    int withGaps = 0;              // at least one gap
    int duplicates = 0;            // a possible duplicate of another record, stored or sent
    QList<RecordProblem> problems; // by record number; a record's gaps first, in the check's order
    // The files in Submit whose records could not all be compared, as
    // DuplicateIndex::notCheckedLines words them; empty when every one was.
    QStringList notChecked;

    // "214 records: 209 complete, 3 with gaps, 2 possible duplicates", or, with nothing to
    // report, "All 214 records are complete; no possible duplicates."; then the lines of
    // notChecked, one a line.
    QString summary() const;
};

namespace RecordsCheck {

RecordsCheckReport checkAllRecords(const QList<ResultRecord>& records,
                                   const QString& currentProviderCode, const DuplicateIndex& sent);

} // namespace RecordsCheck

// The same check a few records at a time, so that a window can run it between its events: the
// duplicate keys of every record first, then each record's gaps and duplicates. The index of the
// records already sent is read at each step and must outlive the pass.
class RecordsCheckPass {
public:
    RecordsCheckPass(QList<ResultRecord> records, QString currentProviderCode,
                     const DuplicateIndex& sent);

    // Goes through at most count more records; true once the check is complete.
    bool step(int count);
    bool isComplete() const { return checked_ == records_.size(); }
    // Steps done of steps to do: a record's key, then its check.
    int done() const { return int(keys_.size()) + checked_; }
    int total() const { return 2 * int(records_.size()); }
    int records() const { return int(records_.size()); }
    // Complete once isComplete().
    const RecordsCheckReport& report() const { return report_; }

    // What the pass read and made on its way (the records, their keys), taken out of it once it
    // is complete, so that the caller can free it elsewhere: tens of thousands of small pieces.
    // Nothing of it is shared with the report.
    struct WorkingSet {
        QList<ResultRecord> records;
        QStringList keys;
        QHash<QString, QList<int>> numbersByKey;
    };
    WorkingSet takeWorkingSet();

private:
    QList<ResultRecord> records_;
    QString providerCode_;
    const DuplicateIndex* sent_;
    QStringList keys_;
    QHash<QString, QList<int>> numbersByKey_;
    int checked_ = 0;
    RecordsCheckReport report_;
};
