#include "validation/RecordList.h"

#include "storage/TextValue.h"
#include "validation/Completeness.h"
#include "validation/EntryRules.h"

#include <limits>

namespace {

// YYYYMMDD from MMDDYYYY; anything shorter sorts by what it holds, after the full dates.
QString dateOrder(const QString& stored) {
    if (stored.size() != 8)
        return QStringLiteral("~") + stored;
    return stored.mid(4, 4) + stored.left(4);
}

} // namespace

QString RecordList::displayDate(const QString& storedDate) {
    const QString date = TextValue::trimBlanks(storedDate);
    QString shown = date.left(2);
    if (date.size() > 2)
        shown += QLatin1Char('/') + date.mid(2, 2);
    if (date.size() > 4)
        shown += QLatin1Char('/') + date.mid(4);
    return shown;
}

QString RecordList::displayResult(const ResultRecord& record) {
    switch (EntryRules::storedResultDisplay(record).state) {
    case ResultState::Low:
        return QStringLiteral("Low");
    case ResultState::High:
        return QStringLiteral("High");
    case ResultState::Measured:
        break;
    }
    return record.trimmed(ResultRecord::PbResult);
}

QString RecordList::recordStatus(const ResultRecord& record, const QString& currentProviderCode) {
    const CompletenessDecision decision =
        Completeness::decideIsIncompleteRecord(record, currentProviderCode);
    if (!decision.incomplete)
        return QStringLiteral("Complete");
    return TextValue::oneLine(decision.message);
}

RecordSearchKeys RecordList::recordSearchKeys(const ResultRecord& record) {
    using F = ResultRecord;
    return {record.trimmed(F::LastName).toCaseFolded(), record.trimmed(F::FirstName).toCaseFolded(),
            record.trimmed(F::DateOfBirth), record.trimmed(F::DateTaken)};
}

RecordListRow RecordList::recordListRow(int number, const ResultRecord& record,
                                        const QString& currentProviderCode) {
    using F = ResultRecord;
    RecordListRow row;
    row.number = number;
    row.keys = RecordList::recordSearchKeys(record);
    row.lastName = record.trimmed(F::LastName);
    row.firstName = record.trimmed(F::FirstName);
    row.dateOfBirth = RecordList::displayDate(row.keys.dateOfBirthDigits);
    row.dateTaken = RecordList::displayDate(row.keys.dateTakenDigits);
    row.result = RecordList::displayResult(record);
    row.status = RecordList::recordStatus(record, currentProviderCode);
    row.dateOfBirthOrder = dateOrder(row.keys.dateOfBirthDigits);
    row.dateTakenOrder = dateOrder(row.keys.dateTakenDigits);
    switch (EntryRules::storedResultDisplay(record).state) {
    case ResultState::Low:
        row.resultOrder = -std::numeric_limits<double>::infinity();
        break;
    case ResultState::High:
        row.resultOrder = std::numeric_limits<double>::infinity();
        break;
    case ResultState::Measured:
        row.resultOrder = TextValue::numericValue(row.result);
        break;
    }
    return row;
}

RecordFilter::RecordFilter(const QString& typed) : text_(typed.trimmed().toCaseFolded()) {
    bool dateLike = !text_.isEmpty();
    for (const QChar ch : text_) {
        if (ch.isDigit())
            digits_ += ch;
        else if (!QStringLiteral("/-. ").contains(ch))
            dateLike = false;
    }
    if (!dateLike)
        digits_.clear();
}

bool RecordFilter::accepts(const RecordSearchKeys& keys) const {
    if (text_.isEmpty())
        return true;
    if (keys.foldedLastName.contains(text_) || keys.foldedFirstName.contains(text_))
        return true;
    return !digits_.isEmpty() &&
           (keys.dateOfBirthDigits.contains(digits_) || keys.dateTakenDigits.contains(digits_));
}

const QStringList& RecordList::columnTitles() {
    static const QStringList titles{QStringLiteral("No."),        QStringLiteral("Last Name"),
                                    QStringLiteral("First Name"), QStringLiteral("Date of Birth"),
                                    QStringLiteral("Date Taken"), QStringLiteral("Result")};
    return titles;
}
