#include "window/widgets/PlainTextDelegate.h"

#include <QApplication>
#include <QPainter>

void PlainTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget* widget = item.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &item, painter, widget);

    const bool selected = item.state.testFlag(QStyle::State_Selected);
    const QPalette::ColorGroup group =
        item.state.testFlag(QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    painter->save();
    painter->setPen(
        item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = item.rect.adjusted(margin, 0, -margin, 0);
    const QFontMetrics& metrics = item.fontMetrics;
    QString text = item.text;
    // Laying a text out to measure it costs as much as drawing it. The letters' own widths, which
    // the font keeps, tell nearly as well whether it fits; one that comes near the edge is
    // measured and elided if need be.
    int width = 0;
    for (const QChar letter : std::as_const(text))
        width += metrics.horizontalAdvance(letter);
    if (width > textRect.width() - metrics.averageCharWidth())
        text = metrics.elidedText(text, item.textElideMode, textRect.width());
    const int baseline =
        textRect.top() + (textRect.height() - metrics.height()) / 2 + metrics.ascent();
    painter->setClipRect(item.rect);
    painter->drawText(QPoint(textRect.left(), baseline), text);
    painter->restore();
}
