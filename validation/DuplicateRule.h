#pragma once

#include "storage/ResultRecord.h"

#include <QString>

// Two results are a possible duplicate when they name the same patient (last and first name,
// case and surrounding blanks ignored) with the same date of birth and the same date taken.
// A record with any of the four blank never matches: it is not yet known whose result it is.

namespace DuplicateRule {

// The text two records of the same child share: last and first name and date of birth, trimmed,
// names case-folded; empty when any of the three is blank.
QString childKey(const QString& lastName, const QString& firstName, const QString& dateOfBirth);

// The text two possible duplicates share; empty when any of the four fields is blank.
QString duplicateKey(const QString& lastName, const QString& firstName, const QString& dateOfBirth,
                     const QString& dateTaken);
QString duplicateKey(const ResultRecord& record);

bool isPossibleDuplicate(const ResultRecord& a, const ResultRecord& b);

} // namespace DuplicateRule
