#pragma once

#include "storage/ResultRecord.h"

#include <QString>

// The rules of the result group (the three result options and the result box) and of the
// parents' last name. All thresholds are strict: 3.3, 65.0 and 15.0 themselves never fire.

// The three states of the result group.
enum class ResultState {
    Measured, // optPbResult: the typed value, txtPb enabled, LowResultFlag false
    Low,      // optLowResult: txtPb holds LowResultText, disabled, LowResultFlag true
    High      // optHighResult: txtPb holds HighResultText, disabled, LowResultFlag false
};

// What the result box holds in the Low and High states.
inline constexpr char LowResultText[] = "    ";
inline constexpr char HighResultText[] = "66.0";

// The analyzer's range: below it a result is Low, above it High, in the window and on the page.
inline constexpr double LowResultBound = 3.3;
inline constexpr double HighResultBound = 65.0;
inline constexpr double BeepBound = 15.0;

struct ResultBoxDecision {
    // Sound the system beep (the value lies above 15.0), before the state is applied.
    bool beep = false;
    ResultState state = ResultState::Measured;
};

struct StoredResultDisplay {
    ResultState state = ResultState::Measured;
    // LowResultFlag after the display: BelowDetection is exactly "1".
    bool lowResultFlag = false;
};

namespace EntryRules {

// Leaving the result box with pbText while LowResultFlag is lowResultFlag: Low when the flag is
// set and the value lies below 3.3; otherwise High above 65.0; otherwise Measured with the text
// kept as typed (a text that is no number has the value 0 and stays measured).
ResultBoxDecision decideResultBox(const QString& pbText, bool lowResultFlag);

// The state a stored record is shown in, from its PbResult and BelowDetection: Low when the value
// lies below 3.3 and BelowDetection is exactly "1"; otherwise High above 65.0; otherwise Measured
// (txtPb then shows the trimmed PbResult).
StoredResultDisplay storedResultDisplay(const QString& pbResult, const QString& belowDetection);
StoredResultDisplay storedResultDisplay(const ResultRecord& record);

// The text of txtParentsLast after the operator leaves txtLastName: the last name, unchanged, when
// txtParentsLast is the empty string; otherwise (a text of blanks included) its own text.
QString parentsLastAfterLastName(const QString& lastNameText, const QString& parentsLastText);

} // namespace EntryRules
