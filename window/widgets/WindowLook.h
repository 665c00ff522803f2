#pragma once

#include <QFont>
#include <QIcon>
#include <QProxyStyle>

// The look shared by both windows.

// The font of both windows. The fixed layout was drawn for a small dialog font; Liberation
// Sans (Arial's metrics) at 7.5 points fits every caption, label and list entry into its
// control ("American Indian - Alaskan Native (5)" into the race list needs the half point),
// where Qt's default DejaVu Sans would cut them. Two-word button captions wrap (CommandButton).
QFont layoutFont();

// The program's icon, in 16 by 16 and 32 by 32.
QIcon programIcon();

// The program's style: the toolkit's own, with the menu bar's overflow arrows drawn here. The
// toolkit reads its arrows from image files, and the first image file read loads every image
// plugin installed, some milliseconds before the window can appear. (The menu bar of the fixed
// window never overflows.)
class ProgramStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override;
};
