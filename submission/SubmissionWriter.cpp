#include "submission/SubmissionWriter.h"

#include "reference/ProviderCode.h"
#include "storage/AppPaths.h"
#include "storage/SafeFile.h"
#include "storage/TextValue.h"
#include "submission/SubmissionCounter.h"
#include "submission/SubmissionName.h"

namespace {

// Takes back a published submission file after a later step failed, so that the records are
// not handed on twice: once from this file and once more from the data file that stays.
void withdraw(const QString& path, const QString& folder) {
    SafeFile::discard(path);
    SafeFile::syncFolder(folder);
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

    QByteArray records;
    outcome.status = SafeFile::readPrefix(dataFile, records);
    if (!outcome.status)
        return outcome;
    outcome.status = SafeFile::writeNewFile(temporaryPath, records);
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
