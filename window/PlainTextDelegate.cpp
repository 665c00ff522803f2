#include "window/PlainTextDelegate.h"

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
    // Measuring costs as much as drawing: only a text that might not fit is measured.
    if (text.size() * metrics.maxWidth() > textRect.width())
        text = metrics.elidedText(text, item.textElideMode, textRect.width());
    const int baseline =
        textRect.top() + (textRect.height() - metrics.height()) / 2 + metrics.ascent();
    painter->setClipRect(item.rect);
    painter->drawText(QPoint(textRect.left(), baseline), text);
    painter->restore();
}
