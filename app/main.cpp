#include "storage/AppPaths.h"
#include "storage/InstanceLock.h"
#include "window/main/InstanceLockPrompt.h"
#include "window/main/MainWindowController.h"
#include "window/main/frmKorvanel.h"
#include "window/provider/ProviderCodeCheck.h"
#include "window/services/Clock.h"
#include "window/services/MessageService.h"
#include "window/services/QtPrinter.h"
#include "window/widgets/WindowLook.h"

#include <QApplication>

#include <csignal>
#include <memory>
#include <optional>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setStyle(new ProgramStyle);
    // A size limit must fail a write with an error the program reports, not kill it mid-write.
    std::signal(SIGXFSZ, SIG_IGN);
    QtMessageService messages;

    const QString appPath = AppPaths::fromProgramFolder(QCoreApplication::applicationDirPath());
    const AppPaths paths{appPath};
    InstanceLock instanceLock(paths.instanceLock());
    if (const std::optional<int> exitCode = InstanceLockPrompt::take(instanceLock, paths, messages))
        return *exitCode;

    SystemClock clock;
    frmKorvanel window;
    messages.setWindow(&window);
    QtPrinter printer;
    printer.keepOutOf({paths.appData(), paths.submit()});
    DialogProviderCodePrompt providerCodePrompt(&window);
    const std::unique_ptr<MainWindowController> controller = window.makeController(
        appPath, MainWindowServices{messages, clock, printer, providerCodePrompt});
    QObject::connect(controller.get(), &MainWindowController::finished, &app,
                     [](int exitCode) { QCoreApplication::exit(exitCode); });
    if (!controller->StartUp())
        return 1;
    return app.exec();
}
