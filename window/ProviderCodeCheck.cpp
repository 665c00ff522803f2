#include "window/ProviderCodeCheck.h"

#include "reference/ProviderCode.h"
#include "storage/AppPaths.h"
#include "storage/TextValue.h"
#include "window/MainWindowState.h"
#include "window/MessageService.h"
#include "window/dlgProviderCode.h"

#include <QLineEdit>

ProviderCodePrompt::Answer DialogProviderCodePrompt::ask(const QString& enteredProviderCode,
                                                         const QString& codeInForce) {
    dlgProviderCode dialog(mainWindow_);
    dialog.EnteredProviderCode = enteredProviderCode;
    dialog.codeInForce = codeInForce;
    dialog.ShowDialog();
    return Answer{dialog.EnteredProviderCode, dialog.bCanceled};
}

ProviderCodeCheck::ProviderCodeCheck(MainWindowState& state, QLineEdit* txtProviderCode,
                                     MessageService& messages, ProviderCodePrompt& prompt)
    : state_(state), txtProviderCode_(txtProviderCode), messages_(messages), prompt_(prompt) {}

QString ProviderCodeCheck::providerFilePath() const {
    return AppPaths{state_.AppPath}.providerFile();
}

FileStatus ProviderCodeCheck::run() {
    QString stored;
    FileStatus status = ProviderCode::readFile(providerFilePath(), stored);
    if (!status)
        return status;
    state_.CurrentProviderCode = stored;
    if (ProviderCode::isSet(state_.CurrentProviderCode) && state_.bStartup)
        return status;

    // Cancel gives back the code in force, which the check then stores again unchanged.
    const ProviderCodePrompt::Answer answer =
        prompt_.ask(state_.CurrentProviderCode, txtProviderCode_->text());
    const ProviderCode::Decision decision =
        answer.bCanceled
            ? ProviderCode::decideOnCancel(state_.CurrentProviderCode)
            : ProviderCode::decide(answer.EnteredProviderCode, state_.CurrentProviderCode);
    if (decision.showMessage())
        messages_.show(decision.message, QLatin1String(ProviderCodeErrorTitle), MessageButtons::Ok,
                       MessageIcon::None);
    status = ProviderCode::writeFile(providerFilePath(), decision.newCode);
    if (!status)
        return status;
    state_.CurrentProviderCode = decision.newCode;
    txtProviderCode_->setText(TextValue::trimBlanks(decision.newCode));
    return status;
}
