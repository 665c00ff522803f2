#include "window/provider/ProviderCodeCheck.h"

#include "reference/ProviderCode.h"
#include "storage/AppPaths.h"
#include "storage/TextValue.h"
#include "window/main/MainWindowState.h"
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

ProviderCodeCheck::ProviderCodeCheck(MainWindowState& state, QLineEdit* txtProviderCode,
                                     MessageService& messages, ProviderCodePrompt& prompt)
    : state_(state), txtProviderCode_(txtProviderCode), messages_(messages), prompt_(prompt) {}

FileStatus ProviderCodeCheck::run() {
    const QString providerFile = AppPaths{state_.AppPath}.providerFile();
    QString stored;
    FileStatus status = ProviderCode::readFile(providerFile, stored);
    if (!status)
        return status;
    const QString codeInForce = TextValue::trimBlanks(state_.CurrentProviderCode);
    state_.CurrentProviderCode = stored;
    if (ProviderCode::isSet(state_.CurrentProviderCode) && state_.Startup)
        return status;

    // Cancel gives back the code in force, which the check then stores again unchanged.
    const ProviderCodePrompt::Answer answer = prompt_.ask(state_.CurrentProviderCode, codeInForce);
    const ProviderCode::Decision decision =
        answer.cancelled ? ProviderCode::decideOnCancel(state_.CurrentProviderCode)
                         : ProviderCode::decide(answer.enteredCode, state_.CurrentProviderCode);
    if (decision.showMessage())
        messages_.show(decision.message, QLatin1String(ProviderCodeErrorTitle), MessageButtons::Ok,
                       MessageIcon::None);
    status = ProviderCode::writeFile(providerFile, decision.newCode);
    if (!status)
        return status;
    state_.CurrentProviderCode = decision.newCode;
    txtProviderCode_->setText(TextValue::trimBlanks(decision.newCode));
    return status;
}
