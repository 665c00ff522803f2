#include "submission/RecordsCheck.h"

#include "storage/SafeFile.h"
#include "storage/TextValue.h"
#include "submission/DuplicateIndex.h"
#include "validation/Completeness.h"
#include "validation/DuplicateRule.h"

#include <QHash>

#include <limits>

namespace {

QString patientOf(const ResultRecord& record) {
    const QString last = record.trimmed(ResultRecord::LastName);
    const QString first = record.trimmed(ResultRecord::FirstName);
    if (last.isEmpty() || first.isEmpty())
        return last + first;
    return last + QStringLiteral(", ") + first;
}

QString counted(int count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

} // namespace

QString RecordsCheckReport::summary() const {
    QString text;
    if (withGaps == 0 && duplicates == 0 && records == 1)
        text = QStringLiteral("The 1 record is complete; no possible duplicates.");
    else if (withGaps == 0 && duplicates == 0)
        text = QStringLiteral("All %1 records are complete; no possible duplicates.").arg(records);
    else
        text = QStringLiteral("%1: %2 complete, %3 with gaps, %4")
                   .arg(counted(records, "record", "records"))
                   .arg(complete)
                   .arg(withGaps)
                   .arg(counted(duplicates, "possible duplicate", "possible duplicates"));
    for (const QString& line : notChecked)
        text += QLatin1Char('\n') + line;
    return text;
}

RecordsCheckReport RecordsCheck::checkAllRecords(const QList<ResultRecord>& records,
                                                 const QString& currentProviderCode,
                                                 const DuplicateIndex& sent) {
    RecordsCheckPass pass(records, currentProviderCode, sent);
    while (!pass.step(std::numeric_limits<int>::max())) {
    }
    return pass.report();
}

RecordsCheckPass::RecordsCheckPass(QList<ResultRecord> records, QString currentProviderCode,
                                   const DuplicateIndex& sent)
    : records_(std::move(records)), providerCode_(std::move(currentProviderCode)), sent_(&sent) {
    keys_.reserve(records_.size());
    report_.records = int(records_.size());
    report_.notChecked =
        DuplicateIndex::notCheckedLines(sent.unreadableFiles(), sent.damagedFiles());
}

bool RecordsCheckPass::step(int count) {
    // Every key is known before the first record is checked: a record's duplicates may come
    // after it.
    while (count > 0 && keys_.size() < records_.size()) {
        const qsizetype i = keys_.size();
        keys_.append(DuplicateRule::duplicateKey(records_.at(i)));
        if (!keys_.last().isEmpty())
            numbersByKey_[keys_.last()].append(int(i) + 1);
        --count;
    }
    for (; count > 0 && checked_ < records_.size(); --count, ++checked_) {
        const int i = checked_;
        const int number = i + 1;
        const ResultRecord& record = records_.at(i);
        const QString patient = patientOf(record);
        const QList<CompletenessDecision> gaps =
            Completeness::decideEveryGap(record, providerCode_);
        for (const CompletenessDecision& gap : gaps)
            report_.problems.append({number, patient, TextValue::oneLine(gap.message)});

        bool duplicate = false;
        if (!keys_.at(i).isEmpty()) {
            for (int other : numbersByKey_.value(keys_.at(i))) {
                if (other == number)
                    continue;
                duplicate = true;
                report_.problems.append(
                    {number, patient,
                     QStringLiteral("Possible duplicate of record %1").arg(other)});
            }
            if (const auto match = sent_->findSent(keys_.at(i))) {
                duplicate = true;
                report_.problems.append({number, patient,
                                         QStringLiteral("Possible duplicate: already sent in %1")
                                             .arg(SafeFile::displayName(match->submissionFile))});
            }
        }
        report_.withGaps += gaps.isEmpty() ? 0 : 1;
        report_.duplicates += duplicate ? 1 : 0;
        report_.complete += (gaps.isEmpty() && !duplicate) ? 1 : 0;
    }
    return isComplete();
}

RecordsCheckPass::WorkingSet RecordsCheckPass::takeWorkingSet() {
    WorkingSet taken{std::move(records_), std::move(keys_), std::move(numbersByKey_)};
    records_.clear();
    keys_.clear();
    numbersByKey_.clear();
    return taken;
}
