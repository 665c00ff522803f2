#pragma once

#include "storage/FileStatus.h"

#include <QString>
#include <QStringList>

// A submission cut short after its file got its final name and before the data file was
// removed (a power cut, a kill): the data file still holds exactly the bytes of the newest
// submission file. Start-up finds it and, when the operator agrees, finishes the removal in the
// submission's own order, so that the records are handed on once.
namespace InterruptedSubmission {

// The newest submission file among the names: the highest counter, then the latest date and
// time. Names that are not "Lead_<code>_<yyyyMMdd>_<HHmmss>_<counter>.txt" are ignored; empty
// when none is left.
QString newestFileName(const QStringList& names);

// The name of the newest submission file in Submit when the data file is not empty and equals
// it byte for byte; empty otherwise (also when Submit or the data file is missing).
FileStatus find(const QString& appPath, QString& fileName);

// The question that asks the operator to finish it.
QString questionTitle();
QString questionText(const QString& fileName, int records);

// Removes the data file as the submission would have; see SubmissionWriter::removeDataFile.
FileStatus finish(const QString& appPath, bool& dataFileRemoved);

} // namespace InterruptedSubmission
