#include "submission/RecordsCheck.h"

#include "storage/SafeFile.h"
#include "storage/TextValue.h"
#include "submission/DuplicateIndex.h"
#include "validation/Completeness.h"
#include "validation/DuplicateRule.h"

#include <QHash>

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
    QHash<QString, QList<int>> numbersByKey;
    QStringList keys;
    keys.reserve(records.size());
    for (int i = 0; i < records.size(); ++i) {
        keys.append(DuplicateRule::duplicateKey(records.at(i)));
        if (!keys.last().isEmpty())
            numbersByKey[keys.last()].append(i + 1);
    }

    RecordsCheckReport report;
    report.records = int(records.size());
    report.notChecked =
        DuplicateIndex::notCheckedLines(sent.unreadableFiles(), sent.damagedFiles());
    for (int i = 0; i < records.size(); ++i) {
        const int number = i + 1;
        const ResultRecord& record = records.at(i);
        const QString patient = patientOf(record);
        const QList<CompletenessDecision> gaps =
            Completeness::decideEveryGap(record, currentProviderCode);
        for (const CompletenessDecision& gap : gaps)
            report.problems.append({number, patient, TextValue::oneLine(gap.message)});

        bool duplicate = false;
        if (!keys.at(i).isEmpty()) {
            for (int other : numbersByKey.value(keys.at(i))) {
                if (other == number)
                    continue;
                duplicate = true;
                report.problems.append(
                    {number, patient,
                     QStringLiteral("Possible duplicate of record %1").arg(other)});
            }
            if (const auto match = sent.findSent(keys.at(i))) {
                duplicate = true;
                report.problems.append({number, patient,
                                        QStringLiteral("Possible duplicate: already sent in %1")
                                            .arg(SafeFile::displayName(match->submissionFile))});
            }
        }
        report.withGaps += gaps.isEmpty() ? 0 : 1;
        report.duplicates += duplicate ? 1 : 0;
        report.complete += (gaps.isEmpty() && !duplicate) ? 1 : 0;
    }
    return report;
}
