#pragma once

#include "storage/FileStatus.h"

#include <QList>
#include <QString>
#include <QStringList>

// A submission cut short after its file got its final name and before the data file was
// removed (a power cut, a kill): the data file still holds exactly the bytes of a submission
// file, the one the submission's note AppData/submitting.txt names. Start-up finds it and, when
// the operator agrees, finishes the removal in the submission's own order, so that the records
// are handed on once.
namespace InterruptedSubmission {

// The submission file name that the note of the last submission holds; empty when there is no
// note or it holds no such name. A hint only: it never says that a file holds the records.
QString notedFileName(const QString& appPath);

// The name of a submission file in Submit that equals the data file byte for byte, the data
// file not being empty: the noted file when it does, else the newest of those that do. Empty
// otherwise (also when Submit or the data file is missing, or Submit is no folder). Only files of
// the data file's length are read. Only a data file that cannot be read fails.
// A Submit that cannot be listed (a link to a folder that is not there included) and files of
// the data file's length that cannot be read are passed over, so that they never keep the
// program from starting; when nothing is found they go into notRead, each with its reason: any
// of them may hold the records, and the operator must hear of it before saving more.
FileStatus find(const QString& appPath, QString& fileName, QList<FileStatus>* notRead = nullptr);

// The question that asks the operator to finish it.
QString questionTitle();
QString questionText(const QString& fileName, int records);

// Removes the data file as the submission would have; see SubmissionWriter::removeDataFile.
FileStatus finish(const QString& appPath, bool& dataFileRemoved);

} // namespace InterruptedSubmission
