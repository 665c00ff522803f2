#include "window/widgets/ListWindowParts.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QPushButton>

QPushButton* newListButton(const QString& caption) {
    auto* button = new QPushButton(caption);
    button->setAutoDefault(false);
    QString name = caption;
    name.remove(QLatin1Char('&'));
    name.remove(QStringLiteral("..."));
    button->setAccessibleName(name);
    return button;
}

RowChoosing::RowChoosing(QAbstractItemView& view) : QObject(&view), view_(view) {
    connect(&view, &QAbstractItemView::doubleClicked, this, &RowChoosing::chosen);
    view.installEventFilter(this);
}

bool RowChoosing::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &view_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit chosen(view_.currentIndex());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
