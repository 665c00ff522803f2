#pragma once

#include <QStyledItemDelegate>

// Draws a cell's text on one line, elided only when it does not fit. The style's own drawing lays
// every cell's text out twice (to measure it, then to draw it), which made a long history slow to
// appear; the background, selection and colours stay the style's.
class PlainTextDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
