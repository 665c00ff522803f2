#include "window/ProviderCodeCheck.h"

#include "reference/ProviderCode.h"
#include "validation/TextValue.h"
#include "storage/AppPaths.h"
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
    FileStatus status = readProviderCodeFile(providerFilePath(), stored);
    if (!status)
        return status;
    state_.CurrentProviderCode = stored;
    if (isProviderCodeSet(state_.CurrentProviderCode) && state_.bStartup)
        return status;

    // Cancel gives back the code in force, which the check then stores again unchanged.
    const ProviderCodePrompt::Answer answer =
        prompt_.ask(state_.CurrentProviderCode, txtProviderCode_->text());
    const ProviderCodeDecision decision =
        answer.bCanceled
            ? decideProviderCodeOnCancel(state_.CurrentProviderCode)
            : decideProviderCode(answer.EnteredProviderCode, state_.CurrentProviderCode);
    if (decision.showMessage())
        messages_.show(decision.message, QLatin1String(ProviderCodeErrorTitle), MessageButtons::Ok,
                       MessageIcon::None);
    status = writeProviderCodeFile(providerFilePath(), decision.newCode);
    if (!status)
        return status;
    state_.CurrentProviderCode = decision.newCode;
    txtProviderCode_->setText(trimBlanks(decision.newCode));
    return status;
}
