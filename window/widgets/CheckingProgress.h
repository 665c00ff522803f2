#pragma once

#include <QDateTime>
#include <QPointer>
#include <QString>

class Clock;
class QLabel;
class QProgressBar;
class QWidget;

// Shows that a long pass over the stored records is alive. A pass that is over within 50 ms
// shows nothing; a longer one gets a small modal window ("Checking record 5,000 of 10,000") that
// is repainted at least every 100 ms, so that the window is never still for longer. While that
// window is up the main window takes no input: clicks, keys and its close button are refused by the
// toolkit.
class CheckingProgress {
public:
    CheckingProgress(QWidget& window, const Clock& clock);

    // A pass over total records starts now.
    void begin(int total);
    // Record number record is about to be checked; shows or repaints the window when it is time.
    void advance(int record);
    // The pass is over (finished, stopped or failed): the window goes before any message.
    void end();

    bool isShown() const;
    // The text shown while record of total is checked.
    static QString text(int record, int total);

    // How long a pass runs unseen, and how often the window is repainted (half of the most
    // that may pass between two repaints).
    static constexpr qint64 ShowAfterMs = 50;
    static constexpr qint64 RepaintEveryMs = 50;

private:
    void show(int record);
    void repaint(int record);

    QWidget& window_;
    const Clock& clock_;
    QDateTime started_;
    QDateTime lastRepaint_;
    int total_ = 0;
    bool running_ = false;
    // Made when a pass first runs long; owned by the main window.
    QPointer<QWidget> display_;
    QLabel* label_ = nullptr;
    QProgressBar* bar_ = nullptr;
};
