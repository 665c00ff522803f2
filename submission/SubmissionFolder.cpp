#include "submission/SubmissionFolder.h"

#include "storage/SafeFile.h"

FileStatus SubmissionFolder::list(const QString& folder, QList<ListedFile>& submissionFiles,
                                  QStringList* otherFiles) {
    submissionFiles.clear();
    if (otherFiles)
        otherFiles->clear();
    QList<SafeFile::FolderEntry> entries;
    if (FileStatus status = SafeFile::listFolder(folder, entries); !status)
        return status;
    submissionFiles.reserve(entries.size());
    for (const SafeFile::FolderEntry& found : entries) {
        if (!found.entry.regular)
            continue;
        if (const std::optional<SubmissionName::ParsedName> parsed =
                SubmissionName::parse(found.name))
            submissionFiles.append({found.name, *parsed, found.entry.length});
        else if (otherFiles)
            otherFiles->append(found.name);
    }
    return FileStatus::success();
}
