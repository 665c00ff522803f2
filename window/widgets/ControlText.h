#pragma once

#include <QString>

class QWidget;

// The text of any control as the program reads it: the raw value of a masked edit box (so an
// empty masked box reads as ""), the text of a text box, the shown text of a combo box, and
// "" for any other control.
QString controlText(const QWidget* control);
