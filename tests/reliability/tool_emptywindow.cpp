// The baseline of the start-up benchmark: a minimal Qt Widgets program that shows one empty
// window of the main window's size and ends at its first idle event loop.
// Usage: tool_emptywindow WIDTH HEIGHT
// Prints STARTUP-NS (from KORVANEL_BENCH_T0, ns of CLOCK_REALTIME) and VMHWM-KB.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFile>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace {

qint64 realtimeNs() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

long peakResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

} // namespace

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
