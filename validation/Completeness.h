#pragma once

#include "storage/ResultRecord.h"

#include <QList>
#include <QString>

// The completeness check that the submission pass runs on every stored record: the first gap of
// the record (or the missing provider code) with its message and the control to fill in, or, for
// a complete record, whether it must be saved again to carry the provider code in force.

inline constexpr char RecordIncompleteTitle[] = "Record Incomplete Error";

struct CompletenessDecision {
    // True: show title/message (OK, no icon), move the focus to focusControl, stop the pass.
    bool incomplete = false;
    QString title;
    QString message;
    // Object name of the control that gets the focus, e.g. "txtStreetName".
    QString focusControl;
    // Complete records only: the stored ProviderCode differs from the code in force (the two
    // six-character texts compared as they stand), so the record shown must be saved again.
    bool rewriteRecord = false;
};

// Tests, in order, date taken, last name, first name, date of birth, street number, street name,
// city, zip, phone number (PhoneNumber only, not the area code), analysis date, the result, and
// finally whether currentProviderCode is set. Only the first gap is reported. A blank PbResult
// passes only as a Low Result (BelowDetection "1"); any other flag, the blank one included, is a
// missing result.
CompletenessDecision decideIsIncompleteRecord(const ResultRecord& record,
                                              const QString& currentProviderCode);

// Every gap of the record, in the order above, each as the check words it; empty for a complete
// record. The first one is the gap the check reports.
QList<CompletenessDecision> decideEveryGap(const ResultRecord& record,
                                           const QString& currentProviderCode);
