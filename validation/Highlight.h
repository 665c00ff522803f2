#pragma once

#include <QString>

#include <array>

// Which mandatory controls get the highlight colour. The window applies the colours; this file
// only decides.

// The fifteen mandatory controls of the main window (object names), in the order in which every
// display of a record colours them.
inline constexpr std::array<const char*, 15> MandatoryControlNames = {
    "mskDateTaken",      "txtLastName",     "txtFirstName", "mskDateOfBirth",
    "txtStreetNumber",   "txtStreetName",   "cboCity",      "cboZip",
    "mskPhone",          "mskAnalysisDate", "txtPb",        "txtProviderCode",
    "txtAnalysisMethod", "cboRaceCode",     "cboAncestry"};

namespace Highlight {

// Whether a mandatory control showing this text (a masked box: its raw value) gets the highlight
// colour. Exactly four blanks is what "Low Result" leaves in the result box and counts as filled;
// any other blank text is highlighted; anything else is not.
bool needsHighlight(const QString& controlText);

} // namespace Highlight
