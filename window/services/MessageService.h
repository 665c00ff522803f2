#pragma once

#include <QString>

class FileStatus;
class QWidget;

enum class MessageButtons {
    Ok,
    YesNo, // Yes is the default button
};

enum class MessageIcon {
    None,
    Warning,
};

enum class MessageAnswer {
    Ok,
    Yes,
    No,
};

// Modal message boxes and the system beep. Every message and beep of the program goes through
// this interface, so tests can script the operator's answers.
class MessageService {
public:
    virtual ~MessageService() = default;

    // Shows text under title modally and returns the button pressed. Lines of text are
    // separated by "\r\n" or by a single "\n"; either shows as one line break.
    virtual MessageAnswer show(const QString& text, const QString& title, MessageButtons buttons,
                               MessageIcon icon) = 0;
    virtual void beep() = 0;
};

// "The program cannot start:" with the file, the system's reason and the advice that fits, as a
// "File Error": the one message of a start that fails on a file.
void showCannotStart(MessageService& messages, const FileStatus& failure);

// Message boxes of the widget toolkit: application-modal, centred over the given window.
class QtMessageService : public MessageService {
public:
    explicit QtMessageService(QWidget* window = nullptr) : window_(window) {}
    void setWindow(QWidget* window) { window_ = window; }

    MessageAnswer show(const QString& text, const QString& title, MessageButtons buttons,
                       MessageIcon icon) override;
    void beep() override;

private:
    QWidget* window_;
};
