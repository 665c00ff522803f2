#pragma once

#include "storage/ResultRecord.h"

#include <QString>

#include <array>

// Which mandatory fields get the highlight colour. The window applies the colours; this file
// only decides.

// The fifteen mandatory fields of the main window, each named by the record field its control
// shows (the telephone box by its number), in the order in which every display of a record
// colours them. The window knows which control shows which field.
inline constexpr std::array<ResultRecord::Field, 15> MandatoryFields = {
    ResultRecord::DateTaken,      ResultRecord::LastName,     ResultRecord::FirstName,
    ResultRecord::DateOfBirth,    ResultRecord::StreetNumber, ResultRecord::StreetName,
    ResultRecord::City,           ResultRecord::Zip,          ResultRecord::PhoneNumber,
    ResultRecord::AnalysisDate,   ResultRecord::PbResult,     ResultRecord::ProviderCode,
    ResultRecord::AnalysisMethod, ResultRecord::RaceCode,     ResultRecord::Ancestry};

namespace Highlight {

// Whether a mandatory control showing this text (a masked box: its raw value) gets the highlight
// colour. Exactly four blanks is what "Low Result" leaves in the result box and counts as filled;
// any other blank text is highlighted; anything else is not.
bool needsHighlight(const QString& controlText);

} // namespace Highlight
