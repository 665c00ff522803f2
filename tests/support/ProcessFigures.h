#pragma once

#include <QAbstractEventDispatcher>
#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <QTimer>

#include <cstdio>
#include <ctime>

// Figures the benchmark tools report about their own process.

// The wall clock in nanoseconds, comparable with `date +%s%N` taken before the process started.
inline qint64 realtimeNs() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The peak resident memory (VmHWM) in KiB, or -1 when it cannot be read.
inline long peakResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// Times a start-up from the process start: to the first moment the event loop would wait for
// input (STARTUP-NS), and to the first such moment after the window was painted (PAINTED-NS),
// then ends the event loop.
class StartUpProbe : public QObject {
public:
    StartUpProbe(QCoreApplication& app, QObject& window, qint64 processStart)
        : app_(app), processStart_(processStart) {
        window.installEventFilter(this);
        idle_ =
            QObject::connect(QAbstractEventDispatcher::instance(),
                             &QAbstractEventDispatcher::aboutToBlock, this, [this] { onIdle(); });
        // A platform that never paints the window still ends, without a PAINTED-NS figure.
        QTimer::singleShot(5000, this, [this] {
            if (paintedNs_ < 0) {
                QObject::disconnect(idle_);
                app_.quit();
            }
        });
    }

    void print() const {
        if (processStart_ <= 0)
            return;
        std::printf("STARTUP-NS %lld\n", static_cast<long long>(idleNs_));
        std::printf("PAINTED-NS %lld\n", static_cast<long long>(paintedNs_));
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted_ = true;
        return false;
    }

private:
    void onIdle() {
        const qint64 now = realtimeNs() - processStart_;
        if (idleNs_ < 0)
            idleNs_ = now;
        if (painted_ && paintedNs_ < 0)
            paintedNs_ = now;
        if (paintedNs_ >= 0) {
            QObject::disconnect(idle_);
            app_.quit();
        }
    }

    QCoreApplication& app_;
    QMetaObject::Connection idle_;
    qint64 processStart_;
    qint64 idleNs_ = -1;
    qint64 paintedNs_ = -1;
    bool painted_ = false;
};
