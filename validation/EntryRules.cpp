#include "validation/EntryRules.h"

#include "storage/TextValue.h"

ResultBoxDecision EntryRules::decideResultBox(const QString& pbText, bool lowResultFlag) {
    const double value = TextValue::numericValue(pbText);
    ResultBoxDecision decision;
    decision.beep = value > BeepBound;
    if (lowResultFlag && value < LowResultBound)
        decision.state = ResultState::Low;
    else if (value > HighResultBound)
        decision.state = ResultState::High;
    else
        decision.state = ResultState::Measured;
    return decision;
}

StoredResultDisplay EntryRules::storedResultDisplay(const QString& pbResult,
                                                    const QString& belowDetection) {
    const double value = TextValue::numericValue(TextValue::trimBlanks(pbResult));
    StoredResultDisplay display;
    display.lowResultFlag = belowDetection == QLatin1String("1");
    if (value < LowResultBound && display.lowResultFlag)
        display.state = ResultState::Low;
    else if (value > HighResultBound)
        display.state = ResultState::High;
    else
        display.state = ResultState::Measured;
    return display;
}

StoredResultDisplay EntryRules::storedResultDisplay(const ResultRecord& record) {
    return storedResultDisplay(record.get(ResultRecord::PbResult),
                               record.get(ResultRecord::BelowDetection));
}

QString EntryRules::parentsLastAfterLastName(const QString& lastNameText,
                                             const QString& parentsLastText) {
    return parentsLastText.isEmpty() ? lastNameText : parentsLastText;
}
