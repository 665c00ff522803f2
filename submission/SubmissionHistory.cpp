#include "submission/SubmissionHistory.h"

#include "storage/SafeFile.h"
#include "storage/TextValue.h"
#include "storage/Windows1252.h"

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
    files_.clear();
    otherFiles_.clear();
    keys_.clear();
    QStringList names;
    if (FileStatus status = SafeFile::listFolder(submitFolder, names); !status)
        return status;
    const QDir dir(submitFolder);
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        SafeFile::Entry entry;
        FileStatus status = SafeFile::inspect(path, entry);
        if (status && !entry.regular)
            continue;
        const std::optional<SubmissionName::ParsedName> parsed = SubmissionName::parse(name);
        if (status && !parsed) {
            otherFiles_.append(name);
            continue;
        }
        SubmissionFile file{name, parsed ? *parsed : SubmissionName::ParsedName(), QByteArray()};
        if (status)
            status = SafeFile::readPrefix(path, file.bytes);
        if (!status) {
            files_.clear();
            otherFiles_.clear();
            return status;
        }
        files_.append(std::move(file));
    }
    std::sort(files_.begin(), files_.end(), [](const SubmissionFile& a, const SubmissionFile& b) {
        if (SubmissionName::isNewer(a.name, b.name))
            return true;
        return !SubmissionName::isNewer(b.name, a.name) && a.fileName < b.fileName;
    });
    otherFiles_.sort();
    return FileStatus::success();
}

int SubmissionHistory::recordCount() const {
    int count = 0;
    for (const SubmissionFile& file : files_)
        count += file.recordCount();
    return count;
}

void SubmissionHistory::prepareSearch() const {
    if (keys_.size() == files_.size())
        return;
    using F = ResultRecord;
    keys_.clear();
    keys_.reserve(files_.size());
    for (const SubmissionFile& file : files_) {
        const QString text = Windows1252::decode(file.bytes);
        QVector<RecordSearchKeys> keys;
        keys.reserve(file.recordCount());
        for (int i = 0; i < file.recordCount(); ++i) {
            const qsizetype start = qsizetype(i) * ResultRecord::Size;
            keys.append({fieldText(text, start, F::LastName).toCaseFolded(),
                         fieldText(text, start, F::FirstName).toCaseFolded(),
                         fieldText(text, start, F::DateOfBirth),
                         fieldText(text, start, F::DateTaken)});
        }
        keys_.append(std::move(keys));
    }
}

QList<SubmittedRecord> SubmissionHistory::search(const RecordFilter& filter) const {
    QList<SubmittedRecord> found;
    if (filter.isEmpty())
        return found;
    prepareSearch();
    for (int f = 0; f < keys_.size(); ++f) {
        const QVector<RecordSearchKeys>& keys = keys_.at(f);
        for (int i = 0; i < keys.size(); ++i) {
            if (filter.accepts(keys.at(i)))
                found.append({f, i + 1});
        }
    }
    return found;
}
