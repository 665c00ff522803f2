#pragma once

#include "window/widgets/ReadingProgressWindow.h"

#include <QElapsedTimer>

#include <functional>
#include <memory>
#include <utility>

class QWidget;

// A command that must wait for a reading waits with the window live: a reading done within
// 40 ms is waited for without any window; a longer one shows a ReadingProgressWindow titled
// after the command until it is done. The main window is painted meanwhile but takes no input,
// so nothing the command relies on changes while it waits.
namespace LiveWait {

// Done of total, as the worker last told it.
using Progress = std::pair<int, int>;

// Waits until isDone() holds; progress() gives what the window shows. Both are asked on the
// window's thread. With cancel offered the window has a Cancel button: false when the operator
// gave the wait up before isDone() held.
bool until(QWidget& window, const QString& title, ReadingProgressWindow::Text text,
           const std::function<bool()>& isDone, const std::function<Progress()>& progress,
           ReadingProgressWindow::Cancel cancel = ReadingProgressWindow::Cancel::NotOffered);

// Runs work on a thread of its own and returns when it is done. The work tells how far it is
// through the function it is given; what it reads and writes besides is the caller's, untouched
// by the window's thread until run() returns.
void run(QWidget& window, const QString& title, ReadingProgressWindow::Text text,
         const std::function<void(const std::function<void(int done, int total)>&)>& work);

// Work that must stay on the window's thread (drawing the pages of a print job), done a step at
// a time: from 40 ms on, a ReadingProgressWindow titled after the command shows how far it is, and
// the window is repainted between steps at least every 50 ms. The main window takes no input
// meanwhile; the window goes when the Steps go.
class Steps {
public:
    Steps(QWidget& window, const QString& title, ReadingProgressWindow::Text text);
    ~Steps();
    Steps(const Steps&) = delete;
    Steps& operator=(const Steps&) = delete;
    // Called after each step: done of total.
    void stepDone(int done, int total);

private:
    QWidget& window_;
    QString title_;
    ReadingProgressWindow::Text text_;
    QElapsedTimer started_;
    QElapsedTimer sincePainted_;
    std::unique_ptr<ReadingProgressWindow> shown_;
};

// From now on run() does the work on the calling thread, the window still for its length. For
// the fault sweep, which finds each file call by its number among its thread's calls: a call
// made by a thread of its own would escape it. Set before any run().
void runOnCallingThread();

} // namespace LiveWait
