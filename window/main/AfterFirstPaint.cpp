#include "window/main/AfterFirstPaint.h"

#include <QAbstractEventDispatcher>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

// A loop that never waits for input (one driven by processEvents()) still gets the work done.
const int kLatestAfterPaintMs = 50;

} // namespace

AfterFirstPaint::AfterFirstPaint(QWidget& window, const QList<QWidget*>& controls,
                                 std::function<void()> work)
    : QObject(&window), window_(&window), work_(std::move(work)) {
    window.installEventFilter(this);
    for (QWidget* control : controls) {
        if (control) {
            control->installEventFilter(this);
            controls_.append(control);
        }
    }
    idle_ = connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                    this, &AfterFirstPaint::onIdle);
}

void AfterFirstPaint::run() {
    if (!work_)
        return;
    disconnect(idle_);
    if (window_)
        window_->removeEventFilter(this);
    for (const QPointer<QWidget>& control : controls_) {
        if (control)
            control->removeEventFilter(this);
    }
    // Taken first: the work may process events and must not run twice.
    const std::function<void()> work = std::move(work_);
    work_ = nullptr;
    work();
    deleteLater();
}

void AfterFirstPaint::onIdle() {
    if (painted_)
        run();
}

bool AfterFirstPaint::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_) {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            QTimer::singleShot(kLatestAfterPaintMs, this, &AfterFirstPaint::run);
        }
        return false;
    }
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
        run();
        break;
    default:
        break;
    }
    return false;
}
