#include "storage/AppPaths.h"
#include "window/Clock.h"
#include "window/MainWindowController.h"
#include "window/MessageService.h"
#include "window/ProviderCodeCheck.h"
#include "window/QtPrinter.h"
#include "window/frmKorvanel.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

#include <csignal>
#include <memory>

namespace {

// One lock per program folder, kept outside the data folder in the user's runtime folder.
// QLockFile takes over a lock whose holder has died, so a crash never blocks the next start.
QString lockPathFor(const QString& appPath) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    const QByteArray key =
        QCryptographicHash::hash(appPath.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return folder + QStringLiteral("/korvanel-%1.lock").arg(QString::fromLatin1(key));
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // A size limit must fail a write with an error the program reports, not kill it mid-write.
    std::signal(SIGXFSZ, SIG_IGN);
    QtMessageService messages;

    const QString appPath = AppPaths::fromProgramFolder(QCoreApplication::applicationDirPath());
    QLockFile instanceLock(lockPathFor(appPath));
    instanceLock.setStaleLockTime(0);
    if (!instanceLock.tryLock(0) && instanceLock.error() == QLockFile::LockFailedError) {
        messages.show(QStringLiteral("The program is already running..."),
                      QStringLiteral("Korvanel CM"), MessageButtons::Ok, MessageIcon::None);
        return 0;
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
