// The baselines of the start-up benchmark: a minimal Qt Widgets program that shows either one
// empty window of the main window's size, or the main window's own form (the same .ui file,
// set up on a plain QWidget with the program's font) with no data and no logic. It ends at its
// first idle event loop after the window was painted.
// Usage: tool_emptywindow WIDTH HEIGHT | tool_emptywindow form
// Prints STARTUP-NS and PAINTED-NS (from KORVANEL_BENCH_T0, ns of CLOCK_REALTIME), VMHWM-KB.
#include "support/ProcessFigures.h"
#include "ui_frmKorvanel.h"
#include "window/widgets/WindowLook.h"

#include <QApplication>
#include <QWidget>

#include <cstdio>

int main(int argc, char** argv) {
    const qint64 processStart = qEnvironmentVariable("KORVANEL_BENCH_T0").toLongLong();
    QApplication app(argc, argv);
    QWidget window;
    Ui::frmKorvanel form;
    if (argc > 1 && qstrcmp(argv[1], "form") == 0) {
        window.setFont(layoutFont());
        form.setupUi(&window);
    } else {
        window.resize(argc > 2 ? QString::fromLatin1(argv[1]).toInt() : 640,
                      argc > 2 ? QString::fromLatin1(argv[2]).toInt() : 480);
    }
    StartUpProbe probe(app, window, processStart);
    window.show();
    app.exec();
    probe.print();
    std::printf("VMHWM-KB %ld\n", peakResidentKb());
    return 0;
}
