#include "window/provider/ProviderCodeCheck.h"

#include "reference/ProviderCode.h"
#include "storage/AppPaths.h"
#include "storage/TextValue.h"
#include "window/provider/dlgProviderCode.h"
#include "window/services/MessageService.h"

#include <QLineEdit>

ProviderCodePrompt::Answer DialogProviderCodePrompt::ask(const QString& enteredProviderCode,
                                                         const QString& codeInForce) {
    dlgProviderCode dialog(mainWindow_);
    dialog.setEnteredProviderCode(enteredProviderCode);
    dialog.setCodeInForce(codeInForce);
    dialog.ShowDialog();
    return Answer{dialog.enteredProviderCode(), dialog.cancelled()};
}

ProviderCodeCheck::ProviderCodeCheck(QString appPath, QLineEdit* txtProviderCode,
                                     MessageService& messages, ProviderCodePrompt& prompt)
    : appPath_(std::move(appPath)), txtProviderCode_(txtProviderCode), messages_(messages),
      prompt_(prompt) {}

void ProviderCodeCheck::setCurrentProviderCode(const QString& code) {
    if (code == currentProviderCode_)
        return;
    currentProviderCode_ = code;
    emit currentProviderCodeChanged(code);
}

FileStatus ProviderCodeCheck::readProviderFile() {
    QString stored;
    FileStatus status = ProviderCode::readFile(AppPaths{appPath_}.providerFile(), stored);
    if (status)
        setCurrentProviderCode(stored);
    return status;
}

FileStatus ProviderCodeCheck::run(bool startup) {
    const QString providerFile = AppPaths{appPath_}.providerFile();
    QString stored;
    FileStatus status = ProviderCode::readFile(providerFile, stored);
    if (!status)
        return status;
    const QString codeInForce = TextValue::trimBlanks(currentProviderCode_);
    setCurrentProviderCode(stored);
    if (ProviderCode::isSet(currentProviderCode_) && startup)
        return status;

    // Cancel gives back the code in force, which the check then stores again unchanged.
    const ProviderCodePrompt::Answer answer = prompt_.ask(currentProviderCode_, codeInForce);
    const ProviderCode::Decision decision =
        answer.cancelled ? ProviderCode::decideOnCancel(currentProviderCode_)
                         : ProviderCode::decide(answer.enteredCode, currentProviderCode_);
    if (decision.showMessage())
        messages_.show(decision.message, QLatin1String(ProviderCodeErrorTitle), MessageButtons::Ok,
                       MessageIcon::None);
    status = ProviderCode::writeFile(providerFile, decision.newCode);
    if (!status)
        return status;
    setCurrentProviderCode(decision.newCode);
    txtProviderCode_->setText(TextValue::trimBlanks(decision.newCode));
    return status;
}
