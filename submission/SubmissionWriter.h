#pragma once

#include "storage/FileStatus.h"

#include <QDateTime>
#include <QString>

// Turns the data file into a submission file, once the window has saved and checked every record
// and closed the data file. The records are never without a complete copy on the disk:
//   1. a data file whose last record is cut short is refused before anything changes;
//   2. the counter is advanced and on the disk before anything else (a failed copy skips it); it
//      never hands out a number that a submission file of the same provider code in Submit
//      already carries;
//   3. the note AppData/submitting.txt names the file about to be made, so that the next start
//      knows which file to compare with the data file should the submission stop half-way;
//   4. the data file is copied to a temporary name in Submit (0600) and flushed;
//   5. the copy is read back and compared byte for byte with the data file;
//   6. it is renamed to its final name, which is never taken over from an older file, and the
//      folder is flushed;
//   7. only then is the data file removed and AppData flushed; then the note goes.
// A failure at any step names the file and the system's reason and leaves the data file in place,
// no file under the final name and no temporary file. The one exception is a failure to flush
// AppData after the data file was removed, or to remove the note: the submission file is then the
// only copy of the records and stays, and the outcome names it beside the failure.
class SubmissionWriter {
public:
    enum class Result {
        Done,                // the records are in the submission file, the data file is gone
        Failed,              // nothing changed but the counter; the data file keeps every record
        HandedOnFlushFailed, // as Done, but the removal of the data file may not survive a crash
    };
    struct Outcome {
        Result result = Result::Failed;
        FileStatus status;    // the failure of Failed and HandedOnFlushFailed
        int counter = 0;      // the number in the name (0 when the counter was not taken)
        QString filePath;     // the submission file, absolute (not for Failed)
        QString relativeName; // "/Submit/Lead_...txt", as the report shows it (not for Failed)
    };

    explicit SubmissionWriter(const QString& appPath);

    // The last record of a data file whose length is no whole number of records: its number
    // and how many of its bytes are there. record is 0 for a file of whole records (or none).
    struct CutShortRecord {
        qint64 record = 0;
        qint64 bytes = 0;
    };
    static FileStatus findCutShortRecord(const QString& appPath, CutShortRecord& found);
    // The refusal the operator reads, saying how the record is made whole.
    static QString cutShortTitle();
    static QString cutShortText(const CutShortRecord& found);

    Outcome write(const QString& providerCode, const QDateTime& moment) const;

    // The last steps, once a complete copy of the data file stands under its final name in
    // Submit: Submit is flushed, so that the name survives a crash, then the data file is
    // removed and AppData flushed, and the note naming the file being made is removed.
    // dataFileRemoved tells whether the data file is gone (it is when only a later step failed).
    FileStatus removeDataFile(bool& dataFileRemoved) const;

private:
    QString appPath_;
};
