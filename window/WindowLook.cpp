#include "window/WindowLook.h"

QFont windowFont() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSize(8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QIcon windowIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/korvanel/icons/korvanel16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/korvanel/icons/korvanel32.png"), QSize(32, 32));
    return icon;
}
