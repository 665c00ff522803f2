#include "submission/SubmissionWriter.h"

#include "storage/AppPaths.h"
#include "storage/SafeFile.h"
#include "submission/SubmissionCounter.h"
#include "submission/SubmissionName.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using SafeFile::nativePath;
using SafeFile::retryInterrupted;

// Creates the file, which must not exist yet, with mode 0600, writes the bytes and returns once
// they are on the disk. Whatever it created is removed again when a step fails.
FileStatus writeNewFile(const QString& path, const QByteArray& bytes) {
    const int fd = retryInterrupted([&] {
        return ::open(nativePath(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    });
    if (fd < 0)
        return FileStatus::fromErrno(path, errno);
    int error = 0;
    if (::fchmod(fd, 0600) != 0)
        error = errno;
    qint64 done = 0;
    while (error == 0 && done < bytes.size()) {
        const ssize_t written = retryInterrupted([&] {
            return ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        });
        if (written < 0)
            error = errno;
        else if (written == 0)
            error = EIO;
        else
            done += written;
    }
    if (error == 0 && retryInterrupted([&] { return ::fsync(fd); }) != 0)
        error = errno;
    // close is not retried: on Linux the descriptor is gone even when it reports EINTR.
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        ::unlink(nativePath(path).constData());
        return FileStatus::fromErrno(path, error);
    }
    return FileStatus::success();
}

// Renames without ever replacing an existing file: an older submission of the same name stays.
FileStatus renameToNewName(const QString& from, const QString& to) {
    if (::renameat2(AT_FDCWD, nativePath(from).constData(), AT_FDCWD, nativePath(to).constData(),
                    RENAME_NOREPLACE) == 0)
        return FileStatus::success();
    if (errno != EINVAL && errno != ENOSYS)
        return FileStatus::fromErrno(to, errno);
    // A file system without the no-replace rename: a hard link fails on an existing name too.
    if (::link(nativePath(from).constData(), nativePath(to).constData()) != 0)
        return FileStatus::fromErrno(to, errno);
    if (::unlink(nativePath(from).constData()) != 0) {
        const int error = errno;
        ::unlink(nativePath(to).constData());
        return FileStatus::fromErrno(from, error);
    }
    return FileStatus::success();
}

// Takes back a published submission file after a later step failed, so that the records are
// not handed on twice: once from this file and once more from the data file that stays.
void withdraw(const QString& path, const QString& folder) {
    ::unlink(nativePath(path).constData());
    SafeFile::syncFolder(folder);
}

} // namespace

SubmissionWriter::SubmissionWriter(const QString& appPath) : appPath_(appPath) {}

QString SubmissionWriter::dataFilePath() const {
    return AppPaths{appPath_}.dataFile();
}

QString SubmissionWriter::submitFolder() const {
    return AppPaths{appPath_}.submit();
}

SubmissionWriter::Outcome SubmissionWriter::write(const QString& providerCode,
                                                  const QDateTime& moment) const {
    Outcome outcome;
    const QString dataFile = dataFilePath();
    const QString folder = submitFolder();

    // The number is taken and on the disk before the copy starts: a copy that fails later
    // leaves it skipped, never used twice.
    int counter = 0;
    outcome.status = SubmissionCounter::advance(AppPaths{appPath_}.counterFile(), counter);
    if (!outcome.status)
        return outcome;
    outcome.counter = counter;

    const QString fileName = SubmissionName::fileName(providerCode, moment, counter);
    const QString finalPath = folder + QLatin1Char('/') + fileName;
    // Hidden, so that nothing collecting Submit/Lead_*.txt takes a copy still being written.
    const QString temporaryPath =
        folder + QStringLiteral("/.") + fileName + QStringLiteral(".part");

    outcome.status = SafeFile::makePrivateFolder(folder);
    if (!outcome.status)
        return outcome;

    QByteArray records;
    outcome.status = SafeFile::readPrefix(dataFile, records);
    if (!outcome.status)
        return outcome;
    outcome.status = writeNewFile(temporaryPath, records);
    if (!outcome.status)
        return outcome;

    // Read both back from the file system: the copy must equal the data file as it now stands.
    QByteArray copied;
    QByteArray original;
    outcome.status = SafeFile::readPrefix(temporaryPath, copied);
    if (outcome.status)
        outcome.status = SafeFile::readPrefix(dataFile, original);
    if (outcome.status && copied != original)
        outcome.status = FileStatus::failure(
            temporaryPath, QStringLiteral("The copy differs from the data file %1.").arg(dataFile));
    if (outcome.status)
        outcome.status = renameToNewName(temporaryPath, finalPath);
    if (!outcome.status) {
        ::unlink(nativePath(temporaryPath).constData());
        return outcome;
    }

    bool dataFileRemoved = false;
    outcome.status = removeDataFile(dataFileRemoved);
    if (!dataFileRemoved) {
        withdraw(finalPath, folder);
        return outcome;
    }
    outcome.filePath = finalPath;
    outcome.relativeName = SubmissionName::relativeName(fileName);
    return outcome;
}

FileStatus SubmissionWriter::removeDataFile(bool& dataFileRemoved) const {
    dataFileRemoved = false;
    if (FileStatus status = SafeFile::syncFolder(submitFolder()); !status)
        return status;
    // Only now, with the copy complete under its name on the disk, may the data file go.
    const QString dataFile = dataFilePath();
    if (::unlink(nativePath(dataFile).constData()) != 0)
        return FileStatus::fromErrno(dataFile, errno);
    dataFileRemoved = true;
    return SafeFile::syncFolder(AppPaths{appPath_}.appData());
}
