#include "window/widgets/WindowLook.h"

QFont layoutFont() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(7.5);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QIcon programIcon() {
    // The resources of a static library are not registered by themselves.
    Q_INIT_RESOURCE(korvanel);
    QIcon icon;
    icon.addFile(QStringLiteral(":/korvanel/icons/korvanel16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/korvanel/icons/korvanel32.png"), QSize(32, 32));
    return icon;
}
