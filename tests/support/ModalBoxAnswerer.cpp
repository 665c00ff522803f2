#include "ModalBoxAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

ModalBoxAnswerer::ModalBoxAnswerer(int pressButton, QObject* parent)
    : QObject(parent), pressButton_(pressButton) {
    connect(&timer_, &QTimer::timeout, this, &ModalBoxAnswerer::poll);
    timer_.start(10);
}

void ModalBoxAnswerer::poll() {
    auto box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    titles.append(box->windowTitle());
    texts.append(box->text());
    if (onBox)
        onBox(*box);
    QAbstractButton* button =
        pressButton_ ? box->button(QMessageBox::StandardButton(pressButton_)) : nullptr;
    if (!button)
        button = box->defaultButton();
    if (button)
        button->click();
    else
        box->close();
}
