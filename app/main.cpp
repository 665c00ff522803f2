#include "storage/AppPaths.h"
#include "storage/InstanceLock.h"
#include "window/main/InstanceLockPrompt.h"
#include "window/main/MainWindowController.h"
#include "window/main/frmKorvanel.h"
#include "window/provider/ProviderCodeCheck.h"
#include "window/services/Clock.h"
#include "window/services/MessageService.h"
#include "window/services/QtPrinter.h"
#include "window/widgets/BackgroundJob.h"
#include "window/widgets/WindowLook.h"

#include <QApplication>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <optional>

namespace {

// How long the end of the program waits for the readings still running to stop: each looks at
// its stop between two file calls, a few milliseconds apart on any share that answers.
constexpr int kWaitForReadingsMs = 2000;

} // namespace

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
    const int exitCode = app.exec();
    // A reading stuck on a share that no longer answers is not waited for: every record was
    // written and flushed when it was saved, so the program ends as a closed window promises.
    if (!BackgroundJobBase::endAll(kWaitForReadingsMs)) {
        instanceLock.release();
        std::_Exit(exitCode);
    }
    return exitCode;
}
