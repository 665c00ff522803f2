#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

// Runs a piece of start-up work once, off the way to the first picture: at the first moment the
// event loop would wait for input after the window was painted (at the latest 50 ms after the
// paint), or earlier, before the operator reaches one of the given controls (focus, click, key,
// wheel), so that the work is done when it is needed. Deletes itself afterwards.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget& window, const QList<QWidget*>& controls, std::function<void()> work);

    // Does the work now, if it has not been done yet.
    void run();
    bool pending() const { return static_cast<bool>(work_); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onIdle();

    QPointer<QWidget> window_;
    QList<QPointer<QWidget>> controls_;
    std::function<void()> work_;
    bool painted_ = false;
    QMetaObject::Connection idle_;
};
