#pragma once

#include "storage/FileStatus.h"

#include <QObject>
#include <QString>

class MessageService;
class QLineEdit;
class QWidget;

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

// The click of cmdChangeProviderCode, also run by start-up: reads the code from provider.txt,
// asks for it when it is not set (or always, on a click), decides, writes it back and shows it.
// It holds the code in force, CurrentProviderCode, and tells each change of it.
class ProviderCodeCheck : public QObject {
    Q_OBJECT
public:
    ProviderCodeCheck(QString appPath, QLineEdit* txtProviderCode, MessageService& messages,
                      ProviderCodePrompt& prompt);

    // Six characters, blanks while no code is set.
    const QString& CurrentProviderCode() const { return currentProviderCode_; }

    // Start-up's reading of provider.txt: its code becomes the code in force. A failure names
    // provider.txt and changes nothing.
    FileStatus readProviderFile();

    // The check; at start-up (startup) a code that is set is taken without asking. A failure
    // names provider.txt; the code in force is then left as it was.
    FileStatus run(bool startup);

signals:
    void currentProviderCodeChanged(const QString& code);

private:
    void setCurrentProviderCode(const QString& code);

    QString appPath_;
    QLineEdit* txtProviderCode_;
    MessageService& messages_;
    ProviderCodePrompt& prompt_;
    QString currentProviderCode_ = QString(6, QLatin1Char(' '));
};
