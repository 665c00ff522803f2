#include "storage/AppPaths.h"
#include "storage/FileStatus.h"
#include "storage/SafeFile.h"
#include "window/Clock.h"
#include "window/MainWindowController.h"
#include "window/MessageService.h"
#include "window/ProviderCodeCheck.h"
#include "window/QtPrinter.h"
#include "window/frmKorvanel.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include <cerrno>
#include <csignal>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// One lock per program folder, kept in AppData beside the data it guards, so that a copy started
// by another login, another user or another machine on the same folder sees it too. Its name is
// none of the data files'. QLockFile records the host and the process, and takes over a lock
// whose holder has died, so a crash never blocks the next start.
QString lockPathFor(const AppPaths& paths) {
    return paths.join({"AppData", "instance.lock"});
}

enum class InstanceLock { Held, HeldByAnother, NotMade };

InstanceLock takeInstanceLock(QLockFile& lock, const AppPaths& paths) {
    // At the very first start AppData is not there yet; start-up reports a folder that cannot
    // be made.
    if (!QFileInfo::exists(paths.appData()))
        SafeFile::makePrivateFolder(paths.appData());
    lock.setStaleLockTime(0);
    // The lock file is the program's own: owner-only like every other file it makes.
    const mode_t previousMask = ::umask(077);
    const bool locked = lock.tryLock(0);
    ::umask(previousMask);
    if (locked)
        return InstanceLock::Held;
    return lock.error() == QLockFile::LockFailedError ? InstanceLock::HeldByAnother
                                                      : InstanceLock::NotMade;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // A size limit must fail a write with an error the program reports, not kill it mid-write.
    std::signal(SIGXFSZ, SIG_IGN);
    QtMessageService messages;

    const QString appPath = AppPaths::fromProgramFolder(QCoreApplication::applicationDirPath());
    const AppPaths paths{appPath};
    QLockFile instanceLock(lockPathFor(paths));
    const InstanceLock lock = takeInstanceLock(instanceLock, paths);
    if (lock == InstanceLock::HeldByAnother) {
        messages.show(QStringLiteral("The program is already running..."),
                      QStringLiteral("Korvanel CM"), MessageButtons::Ok, MessageIcon::None);
        return 0;
    }
    // Without the lock a second copy could write the same data file: never run unguarded. A
    // missing or blocked AppData is left to start-up, which names it.
    if (lock == InstanceLock::NotMade && QFileInfo(paths.appData()).isDir()) {
        // The folder's own reason when it refuses writing (read-only, no permission).
        const bool writable = ::access(QFile::encodeName(paths.appData()).constData(), W_OK) == 0;
        const QString reason = writable ? QStringLiteral("The lock file could not be made")
                                        : FileStatus::fromErrno(lockPathFor(paths), errno).reason();
        messages.show(QStringLiteral("The program cannot start:\r\n%1\r\n%2")
                          .arg(QDir::toNativeSeparators(lockPathFor(paths)), reason),
                      QStringLiteral("File Error"), MessageButtons::Ok, MessageIcon::Warning);
        return 1;
    }

    SystemClock clock;
    frmKorvanel window(messages, clock);
    messages.setWindow(&window);
    QtPrinter printer;
    DialogProviderCodePrompt providerCodePrompt(&window);
    const auto controller = std::make_unique<MainWindowController>(
        window, appPath, MainWindowServices{printer, providerCodePrompt});
    QObject::connect(controller.get(), &MainWindowController::finished, &app,
                     [](int exitCode) { QCoreApplication::exit(exitCode); });
    if (!controller->StartUp())
        return 1;
    return app.exec();
}
