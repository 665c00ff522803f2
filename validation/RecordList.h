#pragma once

#include "storage/ResultRecord.h"

#include <QString>
#include <QStringList>

// What the filter compares of a record, prepared once.
struct RecordSearchKeys {
    QString foldedLastName; // trimmed, case-folded
    QString foldedFirstName;
    QString dateOfBirthDigits; // as stored, MMDDYYYY, trimmed
    QString dateTakenDigits;
};

// One line of a list of stored records, as the operator reads it: the record's number, the
// patient, the dates as MM/DD/YYYY, the result and whether the record is ready to be sent.
struct RecordListRow {
    int number = 0;
    QString lastName;
    QString firstName;
    QString dateOfBirth; // MM/DD/YYYY
    QString dateTaken;   // MM/DD/YYYY
    QString result;      // as stored, or "Low" / "High"
    QString status;      // "Complete", or the first gap's message on one line

    // What the filter and the sorting compare.
    RecordSearchKeys keys;
    QString dateOfBirthOrder; // YYYYMMDD, so that dates sort by time
    QString dateTakenOrder;
    double resultOrder = 0; // Low below every value, High above
};

// What the operator types into a list's filter box. A row stays when its last or first name
// contains the text (case and surrounding blanks ignored), or, when the text is a date or part
// of one (digits with "/", "-", "." or blanks), when its digits appear in the date of birth or
// the date taken. An empty text keeps every row.
class RecordFilter {
public:
    RecordFilter() = default;
    explicit RecordFilter(const QString& typed);

    bool isEmpty() const { return text_.isEmpty(); }
    bool accepts(const RecordSearchKeys& keys) const;

private:
    QString text_;   // trimmed and case-folded
    QString digits_; // empty unless the text is a date or part of one
};

namespace RecordList {

// The titles of the columns every list of records starts with, in this order: No., Last Name,
// First Name, Date of Birth, Date Taken, Result.
const QStringList& columnTitles();

// The filter's keys of a record.
RecordSearchKeys recordSearchKeys(const ResultRecord& record);

// The row of stored record number; the status judges it under the provider code in force.
RecordListRow recordListRow(int number, const ResultRecord& record,
                            const QString& currentProviderCode);

// A stored date MMDDYYYY as MM/DD/YYYY; a partly typed one shows the separators it reaches
// ("1206" gives "12/06"), a blank one nothing.
QString displayDate(const QString& storedDate);

// "Low" and "High" for results beyond the analyzer's range, otherwise PbResult as stored, trimmed.
QString displayResult(const ResultRecord& record);

// "Complete", or the first gap's message with its line breaks turned into blanks.
QString recordStatus(const ResultRecord& record, const QString& currentProviderCode);

} // namespace RecordList
