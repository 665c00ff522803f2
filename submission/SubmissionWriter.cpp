#include "submission/SubmissionWriter.h"

#include "reference/ProviderCode.h"
#include "storage/AppPaths.h"
#include "storage/SafeFile.h"
#include "storage/TextValue.h"
#include "submission/SubmissionCounter.h"
#include "submission/SubmissionName.h"

#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The copy and its check go through the files in pieces of this size, so that the memory they
// take does not grow with the number of records.
constexpr qsizetype kChunkBytes = 64 * 1024;

// Reads up to size bytes, fewer only at the end of the file; -1 (errno set) on failure.
qsizetype readUpTo(int fd, char* buffer, qsizetype size) {
    qsizetype done = 0;
    while (done < size) {
        const ssize_t got = SafeFile::retryInterrupted(
            [&] { return ::read(fd, buffer + done, static_cast<size_t>(size - done)); });
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

FileStatus writeAll(int fd, const QString& path, const char* bytes, qsizetype size) {
    qsizetype done = 0;
    while (done < size) {
        const ssize_t written = SafeFile::retryInterrupted(
            [&] { return ::write(fd, bytes + done, static_cast<size_t>(size - done)); });
        if (written < 0)
            return FileStatus::fromErrno(path, errno);
        if (written == 0)
            return FileStatus::fromErrno(path, EIO);
        done += written;
    }
    return FileStatus::success();
}

// Copies the file from into the new file to (0600) and flushes it; a failed copy is removed.
FileStatus copyToNewFile(const QString& from, const QString& to) {
    int in = -1;
    FileStatus status = SafeFile::openRegular(from, O_RDONLY, in);
    if (!status)
        return status;
    int out = -1;
    status = SafeFile::createExclusive(to, out);
    if (!status) {
        ::close(in);
        return status;
    }
    QByteArray chunk(kChunkBytes, Qt::Uninitialized);
    for (;;) {
        const qsizetype got = readUpTo(in, chunk.data(), kChunkBytes);
        if (got < 0) {
            status = FileStatus::fromErrno(from, errno);
            break;
        }
        status = writeAll(out, to, chunk.constData(), got);
        if (!status || got < kChunkBytes)
            break;
    }
    ::close(in);
    if (status)
        status = SafeFile::syncAll(out, to);
    FileStatus closed = SafeFile::closeDescriptor(out, to);
    if (status)
        status = closed;
    if (!status)
        SafeFile::discard(to);
    return status;
}

// Whether the two files hold the same bytes, read back from the file system piece by piece.
FileStatus compareFiles(const QString& copy, const QString& original, bool& same) {
    same = false;
    int copyFd = -1;
    FileStatus status = SafeFile::openRegular(copy, O_RDONLY, copyFd);
    if (!status)
        return status;
    int originalFd = -1;
    status = SafeFile::openRegular(original, O_RDONLY, originalFd);
    if (!status) {
        ::close(copyFd);
        return status;
    }
    QByteArray copyChunk(kChunkBytes, Qt::Uninitialized);
    QByteArray originalChunk(kChunkBytes, Qt::Uninitialized);
    for (;;) {
        const qsizetype copied = readUpTo(copyFd, copyChunk.data(), kChunkBytes);
        if (copied < 0) {
            status = FileStatus::fromErrno(copy, errno);
            break;
        }
        const qsizetype read = readUpTo(originalFd, originalChunk.data(), kChunkBytes);
        if (read < 0) {
            status = FileStatus::fromErrno(original, errno);
            break;
        }
        if (copied != read ||
            std::memcmp(copyChunk.constData(), originalChunk.constData(), size_t(read)) != 0)
            break;
        if (read < kChunkBytes) {
            same = true;
            break;
        }
    }
    ::close(copyFd);
    ::close(originalFd);
    return status;
}

// Takes back a published submission file after a later step failed, so that the records are
// not handed on twice: once from this file and once more from the data file that stays.
void withdraw(const QString& path, const QString& folder) {
    SafeFile::discard(path);
    SafeFile::syncFolder(folder);
}

// A copy that a crash cut short stays under its hidden name. It never held the only copy of a
// record (the data file goes only once the copy is whole under its final name), so the next
// submission removes it: patient data must not lie where nobody looks. A folder that cannot be
// listed or cleared is reported like any other failure before the copy.
FileStatus removeUnfinishedCopies(const QString& folder) {
    QList<SafeFile::FolderEntry> entries;
    if (FileStatus status = SafeFile::listFolder(folder, entries); !status)
        return status;
    const QLatin1String suffix(".part");
    for (const SafeFile::FolderEntry& found : entries) {
        const QString& name = found.name;
        if (!found.entry.regular || !name.startsWith(QLatin1Char('.')) || !name.endsWith(suffix))
            continue;
        const QString finalName = name.mid(1, name.size() - 1 - suffix.size());
        if (!SubmissionName::parse(finalName) ||
            AppPaths::submissionTemporaryName(finalName) != name)
            continue;
        if (FileStatus status = SafeFile::unlinkName(folder + QLatin1Char('/') + name); !status)
            return status;
    }
    return FileStatus::success();
}

} // namespace

SubmissionWriter::SubmissionWriter(const QString& appPath) : appPath_(appPath) {}

SubmissionWriter::Outcome SubmissionWriter::write(const QString& providerCode,
                                                  const QDateTime& moment) const {
    const AppPaths paths{appPath_};
    Outcome outcome;
    const QString dataFile = paths.dataFile();
    const QString folder = paths.submit();

    // The code becomes part of a path: anything but digits could name a file elsewhere or cut
    // the name short.
    if (!ProviderCode::isSet(TextValue::trimBlanks(providerCode))) {
        outcome.status = FileStatus::failure(
            folder, QStringLiteral("The provider code is not set; no submission file was made and "
                                   "no record was changed."));
        return outcome;
    }

    // The number is taken and on the disk before the copy starts: a copy that fails later
    // leaves it skipped, never used twice.
    int counter = 0;
    outcome.status = SubmissionCounter::advance(paths.counterFile(), counter);
    if (!outcome.status)
        return outcome;
    outcome.counter = counter;

    const QString fileName = SubmissionName::fileName(providerCode, moment, counter);
    const QString finalPath = paths.submissionFile(fileName);
    const QString temporaryPath = paths.submissionTemporary(fileName);

    outcome.status = SafeFile::makePrivateFolder(folder);
    if (!outcome.status)
        return outcome;
    outcome.status = removeUnfinishedCopies(folder);
    if (!outcome.status)
        return outcome;

    outcome.status = copyToNewFile(dataFile, temporaryPath);
    if (!outcome.status)
        return outcome;

    // Read both back from the file system: the copy must equal the data file as it now stands.
    bool same = false;
    outcome.status = compareFiles(temporaryPath, dataFile, same);
    if (outcome.status && !same)
        outcome.status = FileStatus::failure(
            temporaryPath, QStringLiteral("The copy differs from the data file %1.").arg(dataFile));
    if (outcome.status)
        outcome.status = SafeFile::publishNew(temporaryPath, finalPath);
    if (!outcome.status) {
        SafeFile::discard(temporaryPath);
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
    outcome.result = outcome.status ? Result::Done : Result::HandedOnFlushFailed;
    return outcome;
}

FileStatus SubmissionWriter::removeDataFile(bool& dataFileRemoved) const {
    const AppPaths paths{appPath_};
    dataFileRemoved = false;
    if (FileStatus status = SafeFile::syncFolder(paths.submit()); !status)
        return status;
    // Only now, with the copy complete under its name on the disk, may the data file go.
    if (FileStatus status = SafeFile::unlinkName(paths.dataFile()); !status)
        return status;
    dataFileRemoved = true;
    return SafeFile::syncFolder(paths.appData());
}
