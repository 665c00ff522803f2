#pragma once

#include "window/Clock.h"

// A clock for tests that shows the time it is set to.
class FixedClock : public Clock {
public:
    explicit FixedClock(const QDateTime& time = QDateTime(QDate(2026, 12, 6), QTime(9, 30, 0)))
        : time_(time) {}
    QDateTime now() const override { return time_; }
    void set(const QDateTime& time) { time_ = time; }
    void advanceSeconds(qint64 seconds) { time_ = time_.addSecs(seconds); }

private:
    QDateTime time_;
};
