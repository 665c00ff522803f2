#include "validation/EntryRules.h"

#include "validation/TextValue.h"

ResultBoxDecision decideResultBox(const QString& pbText, bool lowResultFlag) {
    const double value = numericValue(pbText);
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

StoredResultDisplay storedResultDisplay(const QString& pbResult, const QString& belowDetection) {
    const double value = numericValue(trimBlanks(pbResult));
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

StoredResultDisplay storedResultDisplay(const ResultRecord& record) {
    return storedResultDisplay(record.get(ResultRecord::PbResult),
                               record.get(ResultRecord::BelowDetection));
}

QString parentsLastAfterLastName(const QString& lastNameText, const QString& parentsLastText) {
    return parentsLastText.isEmpty() ? lastNameText : parentsLastText;
}
