#pragma once

#include "storage/ResultRecord.h"

#include <QList>
#include <QString>

// The completeness check that the submission pass runs on every stored record: the first gap of
// the record (or the missing provider code) with its message and the field to fill in, or, for
// a complete record, whether it must be saved again to carry the provider code in force.

inline constexpr char RecordIncompleteTitle[] = "Record Incomplete Error";

struct CompletenessDecision {
    // True: show title/message (OK, no icon), move the focus to the control of focusField, stop
    // the pass.
    bool incomplete = false;
    QString title;
    QString message;
    // The field whose control gets the focus (meaningful only when incomplete).
    ResultRecord::Field focusField = ResultRecord::DateTaken;
    // Complete records only: the stored ProviderCode differs from the code in force (the two
    // six-character texts compared as they stand), so the record shown must be saved again.
    bool rewriteRecord = false;
};

namespace Completeness {

// The first gap of the record, its mandatory fields in window order, then a code in force that is
// not set. The telephone needs only its number, not the area code; a blank result passes only as
// a Low Result (BelowDetection "1").
CompletenessDecision decideIsIncompleteRecord(const ResultRecord& record,
                                              const QString& currentProviderCode);

// Every gap of the record, in the order above, each as the check words it; empty for a complete
// record. The first one is the gap the check reports.
QList<CompletenessDecision> decideEveryGap(const ResultRecord& record,
                                           const QString& currentProviderCode);

} // namespace Completeness
