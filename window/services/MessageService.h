#pragma once

#include <QString>

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
