#include "submission/InterruptedSubmission.h"

#include "storage/AppPaths.h"
#include "storage/SafeFile.h"
#include "submission/SubmissionFolder.h"
#include "submission/SubmissionName.h"
#include "submission/SubmissionWriter.h"

#include <QFileInfo>

#include <algorithm>
#include <cerrno>

namespace {

// A submission file's name is far shorter; a longer note is no note of the program's.
constexpr qint64 kLongestNote = 256;

} // namespace

QString InterruptedSubmission::notedFileName(const QString& appPath) {
    QByteArray note;
    // An unreadable note tells nothing: the bytes of the files still decide.
    if (!SafeFile::readPrefix(AppPaths{appPath}.submissionNote(), note, kLongestNote))
        return QString();
    const QString name = QString::fromLatin1(note);
    return SubmissionName::parse(name) ? name : QString();
}

FileStatus InterruptedSubmission::find(const QString& appPath, QString& fileName,
                                       QList<FileStatus>* notRead) {
    fileName.clear();
    if (notRead)
        notRead->clear();
    const AppPaths paths{appPath};
    const QFileInfo dataFile(paths.dataFile());
    if (!dataFile.isFile() || dataFile.size() == 0)
        return FileStatus::success();
    QList<FileStatus> unread;
    QList<SubmissionFolder::ListedFile> listed;
    // A Submit that is no folder holds no submission file (the submission reports it); a link to
    // a folder that is not there (a disk not plugged in) may well hold one.
    if (FileStatus status = SubmissionFolder::list(paths.submit(), listed); !status) {
        if (status.error() != ENOTDIR)
            unread.append(status);
    } else if (SafeFile::Entry submit; SafeFile::inspect(paths.submit(), submit) && submit.exists &&
                                       !QFileInfo::exists(paths.submit())) {
        unread.append(FileStatus::fromErrno(paths.submit(), ENOENT));
    }
    // Files of another length differ: only those of the data file's length are read. Any of
    // them may hold the records, not only the newest: Submit may have come from another
    // computer, or the counter file from a backup.
    QList<SubmissionFolder::ListedFile> sameLength;
    for (const SubmissionFolder::ListedFile& file : listed) {
        if (file.length == dataFile.size())
            sameLength.append(file);
    }
    if (sameLength.isEmpty()) {
        if (notRead)
            *notRead = unread;
        return FileStatus::success();
    }
    // The file the submission named in its note is compared first, then the newest first.
    const QString noted = notedFileName(appPath);
    std::sort(sameLength.begin(), sameLength.end(), [&](const auto& a, const auto& b) {
        if ((a.fileName == noted) != (b.fileName == noted))
            return a.fileName == noted;
        return SubmissionName::isNewer(a.name, b.name);
    });
    QByteArray records;
    if (FileStatus status = SafeFile::readPrefix(paths.dataFile(), records); !status)
        return status;
    if (records.isEmpty())
        return FileStatus::success();
    for (const SubmissionFolder::ListedFile& file : sameLength) {
        QByteArray submitted;
        if (FileStatus status =
                SafeFile::readPrefix(paths.submissionFile(file.fileName), submitted);
            !status) {
            unread.append(status);
            continue;
        }
        if (submitted == records) {
            fileName = file.fileName;
            return FileStatus::success();
        }
    }
    if (notRead)
        *notRead = unread;
    return FileStatus::success();
}

QString InterruptedSubmission::questionTitle() {
    return QStringLiteral("Unfinished Electronic File");
}

QString InterruptedSubmission::questionText(const QString& fileName, int records) {
    const QString shownName = SafeFile::displayName(fileName);
    if (records == 1)
        return QStringLiteral("The record in the data file is already in the electronic file "
                              "%1; the program stopped before it could remove it. Remove it "
                              "from the data file now?")
            .arg(shownName);
    return QStringLiteral("The %1 records in the data file are already in the electronic file "
                          "%2; the program stopped before it could remove them. Remove them "
                          "from the data file now?")
        .arg(QString::number(records), shownName);
}

FileStatus InterruptedSubmission::finish(const QString& appPath, bool& dataFileRemoved) {
    return SubmissionWriter(appPath).removeDataFile(dataFileRemoved);
}
