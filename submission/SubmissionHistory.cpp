#include "submission/SubmissionHistory.h"

#include "storage/SafeFile.h"
#include "storage/TextValue.h"
#include "storage/Windows1252.h"
#include "submission/SubmissionFolder.h"

#include <QDir>

#include <algorithm>

namespace {

// A field of the file's text, decoded whole once: one byte is one character.
QString fieldText(const QString& text, qsizetype start, ResultRecord::Field field) {
    return TextValue::trimBlanks(
        text.mid(start + ResultRecord::offset(field), ResultRecord::width(field)));
}

} // namespace

ResultRecord SubmissionFile::record(int n) const {
    return ResultRecord::decode(
        bytes.mid(qsizetype(n - 1) * ResultRecord::Size, ResultRecord::Size));
}

QList<ResultRecord> SubmissionFile::records() const {
    QList<ResultRecord> all;
    all.reserve(recordCount());
    for (int n = 1; n <= recordCount(); ++n)
        all.append(record(n));
    return all;
}

FileStatus SubmissionHistory::load(const QString& submitFolder) {
    folder_ = submitFolder;
    files_.clear();
    otherFiles_.clear();
    keys_.clear();
    QList<SubmissionFolder::ListedFile> listed;
    if (FileStatus status = SubmissionFolder::list(submitFolder, listed, &otherFiles_); !status)
        return status;
    files_.reserve(listed.size());
    for (const SubmissionFolder::ListedFile& file : listed)
        files_.append(
            {file.fileName, file.name, file.length, SubmissionFile::Reading::NotTried, {}});
    std::sort(files_.begin(), files_.end(), [](const SubmissionFile& a, const SubmissionFile& b) {
        if (SubmissionName::isNewer(a.name, b.name))
            return true;
        return !SubmissionName::isNewer(b.name, a.name) && a.fileName < b.fileName;
    });
    otherFiles_.sort();
    keys_.resize(files_.size());
    return FileStatus::success();
}

FileStatus SubmissionHistory::read(int file) {
    SubmissionFile& chosen = files_[file];
    if (chosen.reading != SubmissionFile::Reading::NotTried)
        return FileStatus::success();
    const FileStatus status =
        SafeFile::readPrefix(QDir(folder_).filePath(chosen.fileName), chosen.bytes);
    if (!status)
        chosen.bytes.clear();
    chosen.reading = status ? SubmissionFile::Reading::Read : SubmissionFile::Reading::Failed;
    return status;
}

FileStatus SubmissionHistory::readAll() {
    FileStatus first = FileStatus::success();
    for (int file = 0; file < files_.size(); ++file) {
        const FileStatus status = read(file);
        if (!status && first)
            first = status;
    }
    return first;
}

int SubmissionHistory::unreadableCount() const {
    return int(std::count_if(files_.begin(), files_.end(), [](const SubmissionFile& file) {
        return file.reading == SubmissionFile::Reading::Failed;
    }));
}

int SubmissionHistory::recordCount() const {
    int count = 0;
    for (const SubmissionFile& file : files_)
        count += file.recordCount();
    return count;
}

const QVector<RecordSearchKeys>& SubmissionHistory::searchKeys(int file) const {
    QVector<RecordSearchKeys>& keys = keys_[file];
    const SubmissionFile& chosen = files_.at(file);
    if (!keys.isEmpty() || !chosen.isRead())
        return keys;
    using F = ResultRecord;
    const QString text = Windows1252::decode(chosen.bytes);
    keys.reserve(chosen.recordCount());
    for (int i = 0; i < chosen.recordCount(); ++i) {
        const qsizetype start = qsizetype(i) * ResultRecord::Size;
        keys.append({fieldText(text, start, F::LastName).toCaseFolded(),
                     fieldText(text, start, F::FirstName).toCaseFolded(),
                     fieldText(text, start, F::DateOfBirth), fieldText(text, start, F::DateTaken)});
    }
    return keys;
}

QList<SubmittedRecord> SubmissionHistory::search(const RecordFilter& filter) const {
    QList<SubmittedRecord> found;
    if (filter.isEmpty())
        return found;
    for (int f = 0; f < files_.size(); ++f) {
        const QVector<RecordSearchKeys>& keys = searchKeys(f);
        for (int i = 0; i < keys.size(); ++i) {
            if (filter.accepts(keys.at(i)))
                found.append({f, i + 1});
        }
    }
    return found;
}
