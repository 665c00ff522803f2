#pragma once

#include <QStringList>

namespace Ui {
class frmKorvanel;
}

// What a new record for the next test of the same child needs beyond its fields.
namespace ChildRetest {

// The zip list offers the zip codes of the city shown (its line of the city list, as choosing
// that city offers them) with the zip shown chosen among them, or typed in when it is not one of
// them. A city that is not in the list leaves the zip list as it is.
void offerZipCodes(Ui::frmKorvanel& c, const QStringList& cityZipLines);

} // namespace ChildRetest
