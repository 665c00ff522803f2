#include "submission/InterruptedSubmission.h"

#include "storage/AppPaths.h"
#include "storage/SafeFile.h"
#include "submission/SubmissionFolder.h"
#include "submission/SubmissionName.h"
#include "submission/SubmissionWriter.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

// The newest by SubmissionName::isNewer: the counter first, then the moment of naming.
QString InterruptedSubmission::newestFileName(const QStringList& names) {
    QString newest;
    std::optional<SubmissionName::ParsedName> newestName;
    for (const QString& name : names) {
        const std::optional<SubmissionName::ParsedName> parsed = SubmissionName::parse(name);
        if (parsed && (!newestName || SubmissionName::isNewer(*parsed, *newestName))) {
            newest = name;
            newestName = parsed;
        }
    }
    return newest;
}

FileStatus InterruptedSubmission::find(const QString& appPath, QString& fileName) {
    fileName.clear();
    const AppPaths paths{appPath};
    const QFileInfo dataFile(paths.dataFile());
    if (!dataFile.isFile() || dataFile.size() == 0)
        return FileStatus::success();
    // A Submit that cannot be listed holds nothing to finish; the submission will report it.
    QList<SubmissionFolder::ListedFile> listed;
    SubmissionFolder::list(paths.submit(), listed);
    QStringList names;
    for (const SubmissionFolder::ListedFile& file : listed)
        names.append(file.fileName);
    const QString newest = newestFileName(names);
    if (newest.isEmpty())
        return FileStatus::success();
    const QString newestPath = paths.submit() + QDir::separator() + newest;
    // Different lengths differ: neither file needs reading.
    const auto newestFile = std::find_if(listed.cbegin(), listed.cend(),
                                         [&](const auto& file) { return file.fileName == newest; });
    if (newestFile->length != dataFile.size())
        return FileStatus::success();
    QByteArray records;
    QByteArray submitted;
    if (FileStatus status = SafeFile::readPrefix(paths.dataFile(), records); !status)
        return status;
    if (FileStatus status = SafeFile::readPrefix(newestPath, submitted); !status)
        return status;
    if (!records.isEmpty() && records == submitted)
        fileName = newest;
    return FileStatus::success();
}

QString InterruptedSubmission::questionTitle() {
    return QStringLiteral("Unfinished Electronic File");
}

QString InterruptedSubmission::questionText(const QString& fileName, int records) {
    if (records == 1)
        return QStringLiteral("The record in the data file is already in the electronic file "
                              "%1; the program stopped before it could remove it. Remove it "
                              "from the data file now?")
            .arg(fileName);
    return QStringLiteral("The %1 records in the data file are already in the electronic file "
                          "%2; the program stopped before it could remove them. Remove them "
                          "from the data file now?")
        .arg(QString::number(records), fileName);
}

FileStatus InterruptedSubmission::finish(const QString& appPath, bool& dataFileRemoved) {
    return SubmissionWriter(appPath).removeDataFile(dataFileRemoved);
}
