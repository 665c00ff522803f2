#pragma once

#include "storage/FileStatus.h"

#include <QDateTime>
#include <QString>

// Turns the data file into a submission file, once the window has saved and checked every record
// and closed the data file. The records are never without a complete copy on the disk:
//   1. the counter is advanced and on the disk before anything else (a failed copy skips it);
//   2. the data file is copied to a temporary name in Submit (0600) and flushed;
//   3. the copy is read back and compared byte for byte with the data file;
//   4. it is renamed to its final name, which is never taken over from an older file, and the
//      folder is flushed;
//   5. only then is the data file removed and AppData flushed.
// A failure at any step names the file and the system's reason and leaves the data file in place,
// no file under the final name and no temporary file. The one exception is a failure to flush
// AppData after the data file was removed: the submission file is then the only copy of the
// records and stays, and the outcome names it beside the failure.
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

    Outcome write(const QString& providerCode, const QDateTime& moment) const;

    // The last steps, once a complete copy of the data file stands under its final name in
    // Submit: Submit is flushed, so that the name survives a crash, then the data file is
    // removed and AppData flushed. dataFileRemoved tells whether the data file is gone (it is
    // when only the last flush failed).
    FileStatus removeDataFile(bool& dataFileRemoved) const;

private:
    QString appPath_;
};
