#pragma once

#include <QFont>
#include <QIcon>

// The look shared by both windows.

// The font of both windows. The fixed layout was drawn for a small dialog font; Liberation
// Sans (Arial's metrics) at 8 points fits every caption and list entry into its control, where
// Qt's default DejaVu Sans would cut them.
QFont layoutFont();

// The program's icon, in 16 by 16 and 32 by 32.
QIcon programIcon();
