#pragma once

#include <QObject>

class QAbstractItemView;
class QModelIndex;
class QPushButton;
class QString;

// A button of a list window. Enter in a filter box or on a row never presses it, and a screen
// reader names it by its caption without the "&" and "...".
QPushButton* newListButton(const QString& caption);

// The rows of a list window chosen as the operator expects: Enter or a double-click on a row.
// It belongs to the view it watches.
class RowChoosing : public QObject {
    Q_OBJECT
public:
    explicit RowChoosing(QAbstractItemView& view);

signals:
    void chosen(const QModelIndex& index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView& view_;
};
