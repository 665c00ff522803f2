#include "storage/AppPaths.h"
#include "storage/FileStatus.h"
#include "storage/InstanceLock.h"
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
#include <QLocale>

#include <csignal>
#include <memory>
#include <optional>

namespace {

// One lock per program folder, kept in AppData beside the data it guards, so that a copy started
// by another login, another user or another machine on the same folder sees it too. Its name is
// none of the data files'.
QString lockPathFor(const AppPaths& paths) {
    return paths.join({"AppData", "instance.lock"});
}

void showAlreadyRunning(MessageService& messages) {
    messages.show(QStringLiteral("The program is already running..."),
                  QStringLiteral("Korvanel CM"), MessageButtons::Ok, MessageIcon::None);
}

// Whether the operator takes over the lock of another computer's copy, knowing who holds it.
bool operatorTakesOver(MessageService& messages, const InstanceLock::Holder& holder) {
    const QString since = holder.since.isValid()
                              ? QLocale::c().toString(holder.since.toLocalTime(),
                                                      QStringLiteral("MM/dd/yyyy hh:mm:ss"))
                              : QStringLiteral("unknown");
    const MessageAnswer answer = messages.show(
        QStringLiteral("The program's files are marked as in use by another computer:\r\n\r\n"
                       "Computer: %1\r\nProcess number: %2\r\nSince: %3\r\n\r\nFirst check "
                       "that the program is not running on %1 (close it there if it is): two "
                       "copies working on the same files can lose records. The mark stays behind "
                       "when that computer was renamed or stopped without closing the program, or "
                       "when the folder was copied from it.\r\n\r\nIs the program closed on %1, "
                       "so that this computer may use the files?")
            .arg(holder.host, QString::number(holder.pid), since),
        QStringLiteral("Program in Use on Another Computer"), MessageButtons::YesNo,
        MessageIcon::Warning);
    return answer == MessageAnswer::Yes;
}

// Takes the folder's lock; the exit status when the program must end instead.
std::optional<int> takeInstanceLock(InstanceLock& lock, const AppPaths& paths,
                                    MessageService& messages) {
    // At the very first start AppData is not there yet; start-up reports a folder that cannot
    // be made.
    if (!QFileInfo::exists(paths.appData()))
        SafeFile::makePrivateFolder(paths.appData());
    InstanceLock::Outcome outcome = lock.take();
    if (outcome == InstanceLock::Outcome::OtherHost) {
        if (!operatorTakesOver(messages, lock.holder()))
            return 0;
        outcome = lock.takeOver();
    }
    switch (outcome) {
    case InstanceLock::Outcome::Held:
        return std::nullopt;
    case InstanceLock::Outcome::RunningHere:
    case InstanceLock::Outcome::OtherHost:
        showAlreadyRunning(messages);
        return 0;
    case InstanceLock::Outcome::Failed:
        break;
    }
    // Without the lock a second copy could write the same data file: never run unguarded. A
    // missing or blocked AppData is left to start-up, which names it.
    if (!QFileInfo(paths.appData()).isDir())
        return std::nullopt;
    const FileStatus& failure = lock.failure();
    const QString advice = failure.advice();
    messages.show(QStringLiteral("The program cannot start:\r\n%1\r\n%2%3")
                      .arg(QDir::toNativeSeparators(failure.path()), failure.reason(),
                           advice.isEmpty() ? QString() : QStringLiteral("\r\n\r\n") + advice),
                  QStringLiteral("File Error"), MessageButtons::Ok, MessageIcon::Warning);
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // A size limit must fail a write with an error the program reports, not kill it mid-write.
    std::signal(SIGXFSZ, SIG_IGN);
    QtMessageService messages;

    const QString appPath = AppPaths::fromProgramFolder(QCoreApplication::applicationDirPath());
    const AppPaths paths{appPath};
    InstanceLock instanceLock(lockPathFor(paths));
    if (const std::optional<int> exitCode = takeInstanceLock(instanceLock, paths, messages))
        return *exitCode;

    SystemClock clock;
    frmKorvanel window(messages, clock);
    messages.setWindow(&window);
    QtPrinter printer;
    printer.keepOutOf({paths.appData(), paths.submit()});
    DialogProviderCodePrompt providerCodePrompt(&window);
    const auto controller = std::make_unique<MainWindowController>(
        window, appPath, MainWindowServices{printer, providerCodePrompt});
    QObject::connect(controller.get(), &MainWindowController::finished, &app,
                     [](int exitCode) { QCoreApplication::exit(exitCode); });
    if (!controller->StartUp())
        return 1;
    return app.exec();
}
