// The baseline of the start-up benchmark: a minimal Qt Widgets program that shows one empty
// window of the main window's size and ends at its first idle event loop.
// Usage: tool_emptywindow WIDTH HEIGHT
// Prints STARTUP-NS (from KORVANEL_BENCH_T0, ns of CLOCK_REALTIME) and VMHWM-KB.
#include "support/ProcessFigures.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFile>
#include <QWidget>

#include <cstdio>
#include <ctime>

int main(int argc, char** argv) {
    const qint64 processStart = qEnvironmentVariable("KORVANEL_BENCH_T0").toLongLong();
    QApplication app(argc, argv);
    QWidget window;
    window.resize(argc > 2 ? QString::fromLatin1(argv[1]).toInt() : 640,
                  argc > 2 ? QString::fromLatin1(argv[2]).toInt() : 480);
    window.show();
    qint64 startUpNs = -1;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     &app, [&] {
                         if (startUpNs < 0)
                             startUpNs = realtimeNs() - processStart;
                         app.quit();
                     });
    app.exec();
    if (processStart > 0)
        std::printf("STARTUP-NS %lld\n", static_cast<long long>(startUpNs));
    std::printf("VMHWM-KB %ld\n", peakResidentKb());
    return 0;
}
