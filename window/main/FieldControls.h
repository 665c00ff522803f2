#pragma once

#include "storage/ResultRecord.h"

class QWidget;
namespace Ui {
class frmKorvanel;
}

namespace FieldControls {

// The main window's control that shows the record field: the one place where the window turns a
// field into a control. Built from the form's typed members, so a control renamed in the form
// stops the build instead of being missed at run time. The telephone box shows both the area code
// and the number. Null for a field no single control shows: Sex, TestType and BelowDetection are
// pairs or triples of options, and LineEnd is never shown.
QWidget* controlFor(Ui::frmKorvanel& form, ResultRecord::Field field);

} // namespace FieldControls
