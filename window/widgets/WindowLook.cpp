#include "window/widgets/WindowLook.h"

#include "window/widgets/ProgramIconPictures.h"

#include <QPixmap>

QFont layoutFont() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(7.5);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QIcon programIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap(programIcon16));
    icon.addPixmap(QPixmap(programIcon32));
    return icon;
}
