#include "submission/SubmissionWriter.h"

#include "reference/ProviderCode.h"
#include "storage/AppPaths.h"
#include "storage/RecordFile.h"
#include "storage/RecordStore.h"
#include "storage/ResultRecord.h"
#include "storage/SafeFile.h"
#include "storage/TextValue.h"
#include "submission/SubmissionCounter.h"
#include "submission/SubmissionName.h"

#include <algorithm>

namespace {

// Takes back a published submission file after a later step failed, so that the records are
// not handed on twice: once from this file and once more from the data file that stays.
void withdraw(const QString& path, const QString& folder) {
    SafeFile::discard(path);
    SafeFile::syncFolder(folder);
}

// A copy that a crash cut short stays under its hidden name. It never held the only copy of a
// record (the data file goes only once the copy is whole under its final name), so the next
// submission removes it: patient data must not lie where nobody looks. A folder that cannot be
// listed or cleared is reported like any other failure before the copy. entries: the listing of
// the folder that the numbering read.
FileStatus removeUnfinishedCopies(const QString& folder,
                                  const QList<SafeFile::FolderEntry>& entries) {
    for (const SafeFile::FolderEntry& found : entries) {
        const QString& name = found.name;
        if (!found.entry.regular)
            continue;
        const QString finalName = AppPaths::submissionOfTemporaryName(name);
        if (finalName.isEmpty() || !SubmissionName::parse(finalName))
            continue;
        if (FileStatus status = SafeFile::unlinkName(folder + QLatin1Char('/') + name); !status)
            return status;
    }
    return FileStatus::success();
}

// The highest number that a submission file (a regular file under such a name) of this provider
// code in Submit carries; 0 for none.
qulonglong highestCounter(const QList<SafeFile::FolderEntry>& entries,
                          const QString& providerCode) {
    qulonglong highest = 0;
    for (const SafeFile::FolderEntry& found : entries) {
        if (!found.entry.regular)
            continue;
        const std::optional<SubmissionName::ParsedName> name = SubmissionName::parse(found.name);
        if (name && name->providerCode == providerCode)
            highest = std::max(highest, name->counter);
    }
    return highest;
}

// Names the file about to be made in the note, on the disk before the copy starts. An older
// note is stale (its submission ended or failed) and gives way.
FileStatus noteFileBeingMade(const AppPaths& paths, const QString& fileName) {
    const QString note = paths.submissionNote();
    if (FileStatus status = SafeFile::removeFile(note); !status)
        return status;
    if (FileStatus status = SafeFile::writeNewFile(note, fileName.toLatin1()); !status)
        return status;
    return SafeFile::syncFolder(paths.appData());
}

} // namespace

FileStatus SubmissionWriter::findCutShortRecord(const QString& appPath, CutShortRecord& found) {
    found = CutShortRecord();
    const QString dataFile = AppPaths{appPath}.dataFile();
    SafeFile::Entry entry;
    if (FileStatus status = SafeFile::inspect(dataFile, entry); !status)
        return status;
    // Whatever else stands there is refused by the copy, naming it.
    if (!entry.regular || RecordFile::leftOverIn(entry.length) == 0)
        return FileStatus::success();
    found.record = RecordFile::wholeRecordsIn(entry.length) + 1;
    found.bytes = RecordFile::leftOverIn(entry.length);
    return FileStatus::success();
}

QString SubmissionWriter::cutShortTitle() {
    return QStringLiteral("Record Cut Short Error");
}

QString SubmissionWriter::cutShortText(const CutShortRecord& found) {
    const QString record = QString::number(found.record);
    const QString bytes = QString::number(found.bytes);
    const QString size = QString::number(ResultRecord::Size);
    // The window shows a piece of more than half a record as the last record, padded.
    const bool shown = RecordStore::countForLength((found.record - 1) * ResultRecord::Size +
                                                   found.bytes) >= found.record;
    if (shown)
        return QStringLiteral("Record %1 in the data file is cut short: only %2 of its %3 "
                              "characters are there. A record cut short cannot be sent to the "
                              "state, so no electronic file was made.\r\n\r\nShow record %1 "
                              "and click Update Record: that saves it whole and changes nothing "
                              "else. Then click Create Electronic File again.")
            .arg(record, bytes, size);
    return QStringLiteral("The data file ends with a record %1 that is cut short: only %2 of "
                          "its %3 characters are there, too few to show it. A record cut short "
                          "cannot be sent to the state, so no electronic file was made.\r\n\r\n"
                          "The next record saved with New Record and Update Record takes its "
                          "place; check whether the last record typed before the program "
                          "stopped is missing. Then click Create Electronic File again.")
        .arg(record, bytes, size);
}

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

    // The state takes whole records only.
    CutShortRecord cutShort;
    outcome.status = findCutShortRecord(appPath_, cutShort);
    if (outcome.status && cutShort.record > 0)
        outcome.status = FileStatus::failure(
            dataFile, QStringLiteral("Record %1 is cut short (%2 of %3 bytes); no submission file "
                                     "was made and no record was changed.")
                          .arg(cutShort.record)
                          .arg(cutShort.bytes)
                          .arg(ResultRecord::Size));
    if (!outcome.status)
        return outcome;

    // A counter file lost, or restored from a backup while Submit was kept, would start again
    // below the numbers already sent: the number continues after the highest one in Submit for
    // this office.
    // One listing serves the numbering and the clean-up of unfinished copies: on a slow share each
    // listing costs the window a pause.
    QList<SafeFile::FolderEntry> entries;
    outcome.status = SafeFile::listFolder(folder, entries, SafeFile::Lengths::NotWanted);
    if (!outcome.status)
        return outcome;
    const QString code = TextValue::trimBlanks(providerCode);
    const qulonglong highest = highestCounter(entries, code);

    // The number is taken and on the disk before the copy starts: a copy that fails later
    // leaves it skipped, never used twice.
    int counter = 0;
    outcome.status = SubmissionCounter::advance(paths.counterFile(), counter, highest + 1);
    if (!outcome.status)
        return outcome;
    outcome.counter = counter;

    const QString fileName = SubmissionName::fileName(providerCode, moment, counter);
    const QString finalPath = paths.submissionFile(fileName);
    const QString temporaryPath = paths.submissionTemporary(fileName);

    // From here a failure also takes back the note: its submission did not happen. (A note
    // that outlives a crash is only ever a hint; the bytes of the files decide.)
    outcome.status = noteFileBeingMade(paths, fileName);
    if (outcome.status)
        outcome.status = SafeFile::makePrivateFolder(folder);
    if (outcome.status)
        outcome.status = removeUnfinishedCopies(folder, entries);
    if (outcome.status)
        outcome.status = SafeFile::copyToNewFile(dataFile, temporaryPath);
    if (!outcome.status) {
        SafeFile::discard(paths.submissionNote());
        return outcome;
    }

    // Read both back from the file system: the copy must equal the data file as it now stands.
    bool same = false;
    outcome.status = SafeFile::sameContent(temporaryPath, dataFile, same);
    if (outcome.status && !same)
        outcome.status = FileStatus::failure(
            temporaryPath, QStringLiteral("The copy differs from the data file %1.").arg(dataFile));
    if (outcome.status)
        outcome.status = SafeFile::publishNew(temporaryPath, finalPath);
    if (!outcome.status) {
        SafeFile::discard(temporaryPath);
        SafeFile::discard(paths.submissionNote());
        return outcome;
    }

    bool dataFileRemoved = false;
    outcome.status = removeDataFile(dataFileRemoved);
    if (!dataFileRemoved) {
        withdraw(finalPath, folder);
        SafeFile::discard(paths.submissionNote());
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
    if (FileStatus status = SafeFile::syncFolder(paths.appData()); !status)
        return status;
    // The note is only a hint once the data file is gone: a removal that does not survive a
    // crash leaves a note that names a file nothing equals.
    return SafeFile::removeFile(paths.submissionNote());
}
