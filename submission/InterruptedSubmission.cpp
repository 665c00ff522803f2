#include "submission/InterruptedSubmission.h"

#include "storage/AppPaths.h"
#include "storage/SafeFile.h"
#include "submission/SubmissionName.h"
#include "submission/SubmissionWriter.h"

#include <QDir>
#include <QFileInfo>

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
    const QString newest =
        newestFileName(QDir(paths.submit()).entryList({QStringLiteral("Lead_*.txt")}, QDir::Files));
    if (newest.isEmpty())
        return FileStatus::success();
    const QString newestPath = paths.submit() + QDir::separator() + newest;
    // Different lengths differ: neither file needs reading.
    if (QFileInfo(newestPath).size() != dataFile.size())
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
