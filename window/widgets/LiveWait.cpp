#include "window/widgets/LiveWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <thread>

namespace {

// How long a command waits before the progress window is shown.
constexpr int kWaitWithoutWindowMs = 40;
// How often the wait looks whether the reading is done, and the window takes its count.
constexpr int kLookEveryMs = 10;
constexpr int kProgressEveryMs = 50;

bool onCallingThread = false;

} // namespace

void LiveWait::runOnCallingThread() {
    onCallingThread = true;
}

bool LiveWait::until(QWidget& window, const QString& title, ReadingProgressWindow::Text text,
                     const std::function<bool()>& isDone, const std::function<Progress()>& progress,
                     ReadingProgressWindow::Cancel cancel) {
    // A reading that is done, or about to be, is taken without a window coming and going.
    QElapsedTimer waited;
    waited.start();
    while (!isDone() && waited.elapsed() < kWaitWithoutWindowMs)
        QThread::msleep(1);
    if (isDone())
        return true;
    ReadingProgressWindow shown(window, title, text, cancel);
    const auto show = [&] {
        const Progress now = progress();
        shown.setProgress(now.first, now.second);
    };
    show();
    shown.open();
    QEventLoop loop;
    bool cancelled = false;
    QObject::connect(&shown, &ReadingProgressWindow::cancelRequested, &loop, [&] {
        cancelled = true;
        loop.quit();
    });
    QElapsedTimer sinceShown;
    sinceShown.start();
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (isDone()) {
            loop.quit();
        } else if (sinceShown.elapsed() >= kProgressEveryMs) {
            show();
            sinceShown.restart();
        }
    });
    look.start(kLookEveryMs);
    while (!cancelled && !isDone())
        loop.exec();
    shown.finish();
    // A reading that ended as the operator gave it up is taken all the same.
    return isDone();
}

void LiveWait::run(QWidget& window, const QString& title, ReadingProgressWindow::Text text,
                   const std::function<void(const std::function<void(int, int)>&)>& work) {
    if (onCallingThread) {
        work([](int, int) {});
        return;
    }
    std::atomic<int> done{0};
    std::atomic<int> total{0};
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        work([&](int doneNow, int totalNow) {
            total = totalNow;
            done = doneNow;
        });
        finished = true;
    });
    // The work writes into the caller's variables: it is always waited for, so it offers no
    // Cancel.
    until(
        window, title, text, [&] { return finished.load(); },
        [&] { return Progress(done.load(), total.load()); });
    // What the work wrote is the caller's once the thread has ended.
    worker.join();
}

LiveWait::Steps::Steps(QWidget& window, const QString& title, ReadingProgressWindow::Text text)
    : window_(window), title_(title), text_(text) {
    started_.start();
}

LiveWait::Steps::~Steps() {
    if (shown_)
        shown_->finish();
}

void LiveWait::Steps::stepDone(int done, int total) {
    if (!shown_) {
        if (started_.elapsed() < kWaitWithoutWindowMs)
            return;
        shown_ = std::make_unique<ReadingProgressWindow>(window_, title_, text_);
        shown_->setProgress(done, total);
        shown_->open();
    } else if (sincePainted_.elapsed() < kProgressEveryMs) {
        return;
    }
    shown_->setProgress(done, total);
    QCoreApplication::processEvents();
    sincePainted_.restart();
}
