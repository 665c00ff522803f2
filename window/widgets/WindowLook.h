#pragma once

#include <QFont>
#include <QIcon>

// The look shared by both windows.

// The font of both windows. The fixed layout was drawn for a small dialog font; Liberation
// Sans (Arial's metrics) at 7.5 points fits every caption, label and list entry into its
// control ("American Indian - Alaskan Native (5)" into the race list needs the half point),
// where Qt's default DejaVu Sans would cut them. Two-word button captions wrap (CommandButton).
QFont layoutFont();

// The program's icon, in 16 by 16 and 32 by 32.
QIcon programIcon();
