#include "submission/SubmissionHistory.h"

#include "storage/RecordStore.h"
#include "submission/SubmissionFolder.h"

#include <QDir>

#include <algorithm>

int SubmissionFile::recordCount() const {
    return isRead() ? content.recordCount() : RecordStore::countForLength(listedLength);
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
        RecordFile::read(QDir(folder_).filePath(chosen.fileName), chosen.content);
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

int SubmissionHistory::damagedCount() const {
    return int(std::count_if(files_.begin(), files_.end(),
                             [](const SubmissionFile& file) { return file.isDamaged(); }));
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
    const RecordFile& content = chosen.content;
    keys.reserve(content.recordCount());
    for (int n = 1; n <= content.recordCount(); ++n) {
        keys.append({content.field(n, F::LastName).toCaseFolded(),
                     content.field(n, F::FirstName).toCaseFolded(),
                     content.field(n, F::DateOfBirth), content.field(n, F::DateTaken)});
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
