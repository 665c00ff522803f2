#pragma once

#include "storage/FileStatus.h"

#include <QString>

class MessageService;
class QLineEdit;
class QWidget;
struct MainWindowState;

// Asks the operator for a provider code in the modal dialog. Tests answer it from a script.
class ProviderCodePrompt {
public:
    virtual ~ProviderCodePrompt() = default;
    struct Answer {
        QString enteredCode;
        // Closed with Cancel or by its title bar: the code in force stays.
        bool cancelled = false;
    };
    // enteredProviderCode is shown in the box; codeInForce is what Cancel gives back.
    virtual Answer ask(const QString& enteredProviderCode, const QString& codeInForce) = 0;
};

// The dialog dlgProviderCode, centred over the main window.
class DialogProviderCodePrompt : public ProviderCodePrompt {
public:
    explicit DialogProviderCodePrompt(QWidget* mainWindow) : mainWindow_(mainWindow) {}
    Answer ask(const QString& enteredProviderCode, const QString& codeInForce) override;

private:
    QWidget* mainWindow_;
};

// The click of cmdChangeProviderCode, also run by start-up with Startup set: reads the code
// from provider.txt, asks for it when it is not set (or always, on a click), decides, writes it
// back and shows it.
class ProviderCodeCheck {
public:
    ProviderCodeCheck(MainWindowState& state, QLineEdit* txtProviderCode, MessageService& messages,
                      ProviderCodePrompt& prompt);

    // A failure names provider.txt; the code in force is then left as it was.
    FileStatus run();

private:
    MainWindowState& state_;
    QLineEdit* txtProviderCode_;
    MessageService& messages_;
    ProviderCodePrompt& prompt_;
};
