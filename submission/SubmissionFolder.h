#pragma once

#include "storage/FileStatus.h"
#include "submission/SubmissionName.h"

#include <QList>
#include <QString>
#include <QStringList>

// Submit as the program reads it: the submission files (regular files whose names have the
// submission form) and the other regular files. Links, folders and devices are passed over, so
// that nothing is ever read through a link.
namespace SubmissionFolder {

struct ListedFile {
    QString fileName;
    SubmissionName::ParsedName name;
    qint64 length = 0;
};

// In the folder's own order. A missing folder holds none; a folder or entry that cannot be looked
// at is the failure. otherFiles, when given, receives the other regular files' names.
FileStatus list(const QString& folder, QList<ListedFile>& submissionFiles,
                QStringList* otherFiles = nullptr);

} // namespace SubmissionFolder
