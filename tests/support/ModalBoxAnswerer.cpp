#include "ModalBoxAnswerer.h"

#include "ScriptedMessageService.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace {

int liveAnswerers = 0;

// Watches every message box that opens in a test program built with the answerer: one that
// opens while no answerer is there to close it fails the test instead of blocking it.
class UnansweredBoxGuard : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show || liveAnswerers > 0)
            return false;
        auto box = qobject_cast<QMessageBox*>(watched);
        if (!box)
            return false;
        // One box is reported per test function; a second one there ends the program.
        const QString test = QString::fromUtf8(QTest::currentTestFunction()) + QLatin1Char('/') +
                             QString::fromUtf8(QTest::currentDataTag());
        if (test != test_)
            unexpected_ = 0;
        test_ = test;
        failOnUnexpectedBox(box->windowTitle(), box->text(), "no answerer was there to close it",
                            unexpected_);
        QMetaObject::invokeMethod(box, &QMessageBox::reject, Qt::QueuedConnection);
        return false;
    }

private:
    QString test_;
    int unexpected_ = 0;
};

void installUnansweredBoxGuard() {
    qApp->installEventFilter(new UnansweredBoxGuard);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installUnansweredBoxGuard)

ModalBoxAnswerer::ModalBoxAnswerer(int pressButton, QObject* parent)
    : QObject(parent), pressButton_(pressButton),
      boxesAllowed_(ScriptedMessageService::UnscriptedBoxLimit) {
    ++liveAnswerers;
    connect(&timer_, &QTimer::timeout, this, &ModalBoxAnswerer::poll);
    timer_.start(10);
}

ModalBoxAnswerer::~ModalBoxAnswerer() {
    --liveAnswerers;
}

void ModalBoxAnswerer::poll() {
    auto box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    titles.append(box->windowTitle());
    texts.append(box->text());
    if (boxesAllowed_ > 0) {
        --boxesAllowed_;
    } else {
        failOnUnexpectedBox(box->windowTitle(), box->text(),
                            "more message boxes than the test expected", unexpectedBoxes_);
        box->reject();
        return;
    }
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
