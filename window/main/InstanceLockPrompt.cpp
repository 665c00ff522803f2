#include "window/main/InstanceLockPrompt.h"

#include "storage/AppPaths.h"
#include "storage/InstanceLock.h"
#include "storage/SafeFile.h"
#include "window/services/MessageService.h"

#include <QFileInfo>
#include <QLocale>

namespace {

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

} // namespace

std::optional<int> InstanceLockPrompt::take(InstanceLock& lock, const AppPaths& paths,
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
    showCannotStart(messages, lock.failure());
    return 1;
}
