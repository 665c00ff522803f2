#include "window/main/FieldEvents.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>

FieldEvents::FieldEvents(QWidget* window) : QObject(window), window_(window) {
    window_->installEventFilter(this);
    for (QAbstractButton* button : window_->findChildren<QAbstractButton*>())
        button->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &FieldEvents::onFocusChanged);
}

void FieldEvents::watchLostFocus(QWidget* field) {
    fields_.insert(field);
    connect(field, &QObject::destroyed, this, [this, field] { fields_.remove(field); });
}

void FieldEvents::watchOptionClick(QAbstractButton* option) {
    connect(option, &QAbstractButton::toggled, this, [this, option](bool checked) {
        if (checked)
            emit optionClicked(option);
    });
}

void FieldEvents::watchComboClick(QComboBox* combo) {
    combo->installEventFilter(this);
    if (combo->lineEdit())
        combo->lineEdit()->installEventFilter(this);
    connect(combo, &QComboBox::activated, this, [this, combo] {
        if (!(combo->isEditable() && committingTypedText_ == combo))
            emit comboClicked(combo);
    });
}

bool FieldEvents::commitTypedText(QObject* watched, QEvent* event) {
    // QComboBox also raises activated when an editable box's typed text equals an entry and the
    // operator presses Enter or the box loses the focus (to another control or to its own open
    // list): no choice. Such an event is delivered here under a mark that the activation reads.
    const int key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event)->key() : 0;
    if (event->type() != QEvent::FocusOut && key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    auto combo = qobject_cast<QComboBox*>(watched);
    if (!combo)
        combo = qobject_cast<QComboBox*>(static_cast<QWidget*>(watched)->parentWidget());
    if (!combo || !combo->isEditable() || committingTypedText_ == combo)
        return false;
    const QPointer<QComboBox> outer = committingTypedText_;
    committingTypedText_ = combo;
    QCoreApplication::sendEvent(watched, event);
    committingTypedText_ = outer;
    // Delivered (and passed on to the parents) once: the original delivery stops here.
    event->accept();
    return true;
}

void FieldEvents::selectEntry(QComboBox* combo, int index) {
    if (index < 0 || index >= combo->count()) {
        combo->setCurrentIndex(-1);
        return;
    }
    combo->setCurrentIndex(index);
    emit comboClicked(combo);
}

QWidget* FieldEvents::watchedFieldOf(QWidget* widget) const {
    // An editable combo box holds the focus in its inner line edit.
    for (QWidget* w = widget; w && w != window_; w = w->parentWidget()) {
        if (fields_.contains(w))
            return w;
    }
    return nullptr;
}

void FieldEvents::leaveFocusedField() {
    // The window's own focus widget: while a dialog has the keyboard, QApplication's is the
    // dialog's.
    if (QWidget* field = watchedFieldOf(window_->focusWidget()))
        emit lostFocus(field);
}

void FieldEvents::onFocusChanged(QWidget* old, QWidget* now) {
    if (!old || !now || old->window() != window_ || now->window() != window_)
        return;
    QWidget* field = watchedFieldOf(old);
    if (!field || field->isAncestorOf(now))
        return;
    if (justArrived_ && watchedFieldOf(justArrived_) == field)
        return;

    const QPointer<QWidget> previousArrival = justArrived_;
    const QPointer<QWidget> target = now;
    const int blocksBefore = windowBlocks_;
    justArrived_ = now;
    emit lostFocus(field);
    justArrived_ = previousArrival;

    // A modal box opened by the handler has eaten the release of a click on target; the press
    // that is being delivered to it now runs the click instead (see eventFilter). The mark
    // lapses when the current event is done, should no press follow (Tab, setFocus).
    auto button = qobject_cast<QAbstractButton*>(target.data());
    if (button && windowBlocks_ != blocksBefore) {
        clickToRun_ = button;
        QTimer::singleShot(0, this, [this] { clickToRun_.clear(); });
    }
}

bool FieldEvents::takeSwallowedClick(QAbstractButton* button, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        releaseToDrop_.clear();
        if (button != clickToRun_ || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return false;
        clickToRun_.clear();
        releaseToDrop_ = button;
        event->accept();
        button->click();
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && button == releaseToDrop_) {
        releaseToDrop_.clear();
        event->accept();
        return true;
    }
    return false;
}

bool FieldEvents::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_) {
        if (event->type() == QEvent::WindowBlocked)
            ++windowBlocks_;
        return false;
    }
    if (auto button = qobject_cast<QAbstractButton*>(watched))
        return takeSwallowedClick(button, event);
    return commitTypedText(watched, event);
}
