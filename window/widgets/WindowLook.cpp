#include "window/widgets/WindowLook.h"

#include "window/widgets/ProgramIconPictures.h"

#include <QPainter>
#include <QPixmap>
#include <QWidget>

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

namespace {

// Two arrow heads side by side (or one above the other), 16 by 16, in the text colour.
QIcon overflowArrows(bool horizontal, const QColor& colour) {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const qreal at : {4.5, 9.0}) {
        if (horizontal)
            painter.drawPolyline(QPolygonF({{at, 4.5}, {at + 3.5, 8.0}, {at, 11.5}}));
        else
            painter.drawPolyline(QPolygonF({{4.5, at}, {8.0, at + 3.5}, {11.5, at}}));
    }
    return QIcon(picture);
}

} // namespace

QIcon ProgramStyle::standardIcon(StandardPixmap which, const QStyleOption* option,
                                 const QWidget* widget) const {
    if (which == SP_ToolBarHorizontalExtensionButton || which == SP_ToolBarVerticalExtensionButton)
        return overflowArrows(
            which == SP_ToolBarHorizontalExtensionButton,
            (widget ? widget->palette() : standardPalette()).color(QPalette::ButtonText));
    return QProxyStyle::standardIcon(which, option, widget);
}
