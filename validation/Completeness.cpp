#include "validation/Completeness.h"

#include "reference/ProviderCode.h"
#include "storage/TextValue.h"

#include <array>

namespace {

struct MandatoryField {
    ResultRecord::Field field;
    const char* message;
};

constexpr std::array<MandatoryField, 10> kMandatoryFields = {{
    {ResultRecord::DateTaken, "Missing Date Taken."},
    {ResultRecord::LastName, "Missing Last Name."},
    {ResultRecord::FirstName, "Missing First Name."},
    {ResultRecord::DateOfBirth, "Missing Date of Birth."},
    {ResultRecord::StreetNumber, "Missing Street Number."},
    {ResultRecord::StreetName, "Missing Street Name."},
    {ResultRecord::City, "Missing City Name."},
    {ResultRecord::Zip, "Missing Zip Code."},
    {ResultRecord::PhoneNumber, "Missing Phone Number."},
    {ResultRecord::AnalysisDate, "Missing Analysis Date."},
}};

CompletenessDecision gap(const char* title, const QString& message, ResultRecord::Field focus) {
    CompletenessDecision decision;
    decision.incomplete = true;
    decision.title = QLatin1String(title);
    decision.message = message;
    decision.focusField = focus;
    return decision;
}

} // namespace

QList<CompletenessDecision> Completeness::decideEveryGap(const ResultRecord& record,
                                                         const QString& currentProviderCode) {
    QList<CompletenessDecision> gaps;
    for (const MandatoryField& mandatory : kMandatoryFields) {
        if (TextValue::isBlank(record.get(mandatory.field)))
            gaps.append(
                gap(RecordIncompleteTitle, QLatin1String(mandatory.message), mandatory.field));
    }
    const bool lowResult = record.get(ResultRecord::BelowDetection) == QLatin1String("1");
    if (TextValue::isBlank(record.get(ResultRecord::PbResult)) && !lowResult)
        gaps.append(gap(RecordIncompleteTitle, QStringLiteral("Missing Pb Result."),
                        ResultRecord::PbResult));
    if (!ProviderCode::isSet(currentProviderCode))
        gaps.append(
            gap(ProviderCodeErrorTitle, ProviderCode::notSetMessage(), ResultRecord::DateTaken));
    return gaps;
}

CompletenessDecision Completeness::decideIsIncompleteRecord(const ResultRecord& record,
                                                            const QString& currentProviderCode) {
    const QList<CompletenessDecision> gaps = decideEveryGap(record, currentProviderCode);
    if (!gaps.isEmpty())
        return gaps.first();
    CompletenessDecision decision;
    decision.rewriteRecord = record.get(ResultRecord::ProviderCode) != currentProviderCode;
    return decision;
}
