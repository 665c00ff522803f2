#pragma once

#include <QByteArray>
#include <QFile>

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
