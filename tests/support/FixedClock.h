#pragma once

#include "window/services/Clock.h"

#include <functional>

// A clock for tests that shows the time it is set to.
class FixedClock : public Clock {
public:
    explicit FixedClock(const QDateTime& time = QDateTime(QDate(2026, 12, 6), QTime(9, 30, 0)))
        : time_(time) {}
    QDateTime now() const override {
        if (onReading)
            onReading();
        const QDateTime shown = time_;
        time_ = time_.addMSecs(stepMs_);
        return shown;
    }
    void set(const QDateTime& time) { time_ = time; }
    void advanceSeconds(qint64 seconds) { time_ = time_.addSecs(seconds); }
    // Every reading moves the clock on by this much afterwards (0, the default: it stands still).
    void advanceOnEveryReading(qint64 msecs) { stepMs_ = msecs; }

    // Runs at every reading: lets a test act in the middle of work that watches the clock.
    std::function<void()> onReading;

private:
    mutable QDateTime time_;
    qint64 stepMs_ = 0;
};
