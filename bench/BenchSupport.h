#pragma once

#include "storage/ResultRecord.h"
#include "support/TestRecords.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <vector>

// What every benchmark needs besides its own measurements.

using TestRecords::newRecord;

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

inline double msSince(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// One figure against its baseline: "what  value ms  baseline  baseline ms  ratio  goal".
inline void report(const char* what, double value, const char* baselineName, double baseline,
                   const char* goal) {
    std::printf("%-48s %9.2f ms   %-36s %9.2f ms   %6.2fx   %s\n", what, value, baselineName,
                baseline, value / baseline, goal);
}

// Runs the event loop until done() holds: for a command whose work ends in a worker thread, which
// wakes the loop when it hands its result over.
template <typename Done> void waitUntil(Done done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Runs what is pending, closed windows' deletion included.
inline void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The offscreen platform says at every dialog what it cannot do; the figures need no notes.
inline void silenceOffscreenNotes() {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
        if (!message.startsWith(QLatin1String("This plugin does not support")))
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
}
