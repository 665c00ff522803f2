#include "validation/Completeness.h"

#include "reference/ProviderCode.h"
#include "storage/TextValue.h"

#include <array>

namespace {

struct MandatoryField {
    ResultRecord::Field field;
    const char* message;
    const char* control;
};

constexpr std::array<MandatoryField, 10> kMandatoryFields = {{
    {ResultRecord::DateTaken, "Missing Date Taken.", "mskDateTaken"},
    {ResultRecord::LastName, "Missing Last Name.", "txtLastName"},
    {ResultRecord::FirstName, "Missing First Name.", "txtFirstName"},
    {ResultRecord::DateOfBirth, "Missing Date of Birth.", "mskDateOfBirth"},
    {ResultRecord::StreetNumber, "Missing Street Number.", "txtStreetNumber"},
    {ResultRecord::StreetName, "Missing Street Name.", "txtStreetName"},
    {ResultRecord::City, "Missing City Name.", "cboCity"},
    {ResultRecord::Zip, "Missing Zip Code.", "cboZip"},
    {ResultRecord::PhoneNumber, "Missing Phone Number.", "mskPhone"},
    {ResultRecord::AnalysisDate, "Missing Analysis Date.", "mskAnalysisDate"},
}};

CompletenessDecision gap(const char* title, const QString& message, const char* control) {
    CompletenessDecision decision;
    decision.incomplete = true;
    decision.title = QLatin1String(title);
    decision.message = message;
    decision.focusControl = QLatin1String(control);
    return decision;
}

} // namespace

QList<CompletenessDecision> Completeness::decideEveryGap(const ResultRecord& record,
                                                         const QString& currentProviderCode) {
    QList<CompletenessDecision> gaps;
    for (const MandatoryField& mandatory : kMandatoryFields) {
        if (TextValue::isBlank(record.get(mandatory.field)))
            gaps.append(
                gap(RecordIncompleteTitle, QLatin1String(mandatory.message), mandatory.control));
    }
    const bool lowResult = record.get(ResultRecord::BelowDetection) == QLatin1String("1");
    if (TextValue::isBlank(record.get(ResultRecord::PbResult)) && !lowResult)
        gaps.append(gap(RecordIncompleteTitle, QStringLiteral("Missing Pb Result."), "txtPb"));
    if (!ProviderCode::isSet(currentProviderCode))
        gaps.append(gap(ProviderCodeErrorTitle, ProviderCode::notSetMessage(), "mskDateTaken"));
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
