// Shows both windows on the display given by DISPLAY and saves what the X server shows of
// them as main.png and dialog.png in the folder given as the argument. Exit code 0 when both
// pictures were taken, 1 otherwise.

#include "support/MainWindowTestAccess.h"
#include "ui_dlgProviderCode.h"
#include "ui_frmKorvanel.h"
#include "window/main/frmKorvanel.h"
#include "window/provider/dlgProviderCode.h"
#include "window/widgets/MaskedEdit.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QScreen>
#include <QTest>

#include <cstdio>

namespace {

// What the X server shows of widget, once it shows the same picture twice in a row.
QImage settledPicture(QWidget& widget) {
    QImage last;
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        const QRect area(widget.mapToGlobal(QPoint(0, 0)), widget.size());
        QImage now = widget.screen()
                         ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                         .toImage();
        if (!now.isNull() && now == last)
            return now;
        last = now;
        QTest::qWait(100);
    }
    return QImage();
}

void fillSample(frmKorvanel& window) {
    auto& f = MainWindowTestAccess::controls(window);
    for (MaskedEdit* date : {f.mskDateTaken, f.mskDateOfBirth, f.mskAnalysisDate})
        date->setMaskPattern(MaskedEdit::DateMask);
    f.mskPhone->setMaskPattern(MaskedEdit::PhoneMask);
    f.mskDateTaken->setRawValue("12062026");
    f.txtLastName->setText("MONTGOMERY-SMITHSON");
    f.cboRaceCode->addItems({"Black (1)", "White (3)", "Asian - Pacific Islander (4)",
                             "American Indian - Alaskan Native (5)", "Other (6)", "Unknown (7)"});
    f.cboAncestry->addItems({"Non-Hispanic (00)", "Hispanic (20)", "Unknown (19)"});
    window.selectEntry(f.cboRaceCode, 3);
    window.selectEntry(f.cboAncestry, 0);
    f.txtProviderCode->setText("123456");
    f.txtAnalysisMethod->setText("HHLA");
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tool_windowScreens FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    frmKorvanel main;
    fillSample(main);
    main.move(0, 0);
    main.show();
    dlgProviderCode dialog(&main);
    MainWindowTestAccess::controls(dialog).mskProviderCode->setMaskPattern(
        MaskedEdit::ProviderCodeMask);
    MainWindowTestAccess::controls(dialog).mskProviderCode->setRawValue("1234");
    dialog.setModal(false);
    dialog.move(0, main.frameGeometry().height() + 40);
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&main) || !QTest::qWaitForWindowExposed(&dialog)) {
        std::fprintf(stderr, "windows not exposed\n");
        return 1;
    }
    const QImage mainPicture = settledPicture(main);
    const QImage dialogPicture = settledPicture(dialog);
    if (mainPicture.isNull() || dialogPicture.isNull()) {
        std::fprintf(stderr, "no settled picture\n");
        return 1;
    }
    if (!mainPicture.save(folder.filePath("main.png")) ||
        !dialogPicture.save(folder.filePath("dialog.png")))
        return 1;
    return 0;
}
