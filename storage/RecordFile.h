#pragma once

#include "storage/FileStatus.h"
#include "storage/ResultRecord.h"

#include <QByteArray>
#include <QString>

// A file of result records read whole, such as a submission file: the one reading of such a
// file for the history, the duplicate check and every list made from them, so that all of them
// see the same records in it.
//
// Records are counted as the record store counts the data file: the length / 198, a trailing
// piece of more than half a record (exactly half: when that makes the count even) counting as a
// record padded with blanks. A file that is not whole 198-byte records each ending in CR LF is
// damaged, and says how.
class RecordFile {
public:
    RecordFile() = default;
    explicit RecordFile(QByteArray bytes);

    // Reads the file through the one file layer (never through a link). On failure the file
    // holds no records.
    static FileStatus read(const QString& path, RecordFile& file);

    const QByteArray& bytes() const { return bytes_; }
    int recordCount() const { return recordCount_; }
    // Record n, from 1 to recordCount(); a torn last record is padded with blanks, a record past
    // the bytes is blank.
    ResultRecord record(int n) const;
    // A field of record n without its leading and trailing blanks, as the window shows it.
    QString field(int n, ResultRecord::Field field) const;

    // A file of this length holds wholeRecordsIn(length) whole records and then
    // leftOverIn(length) bytes of one more, cut short: the one split of a length into records.
    static qint64 wholeRecordsIn(qint64 length) { return length / ResultRecord::Size; }
    static int leftOverIn(qint64 length) { return int(length % ResultRecord::Size); }

    bool isWhole() const { return leftOver() == 0 && withoutLineEnd_ == 0; }
    int wholeRecords() const { return int(wholeRecordsIn(bytes_.size())); }
    int leftOver() const { return leftOverIn(bytes_.size()); }
    // Whole records whose last two bytes are not CR LF (a copy with other line ends, say).
    int withoutLineEnd() const { return withoutLineEnd_; }
    // Empty for a whole file; else "damaged: 1 whole record, 197 bytes left over", with
    // ", 2 not ended by CR LF" when records lack their line end.
    QString damage() const;
    // The damage text of a file of that many whole records, bytes left over and whole records
    // without their line end; empty when there is no damage.
    static QString damageText(int wholeRecords, int leftOver, int withoutLineEnd);

private:
    QByteArray bytes_;
    int recordCount_ = 0;
    int withoutLineEnd_ = 0;
};
