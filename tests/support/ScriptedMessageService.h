#pragma once

#include "window/MessageService.h"

#include <QList>
#include <QQueue>
#include <QString>

#include <functional>

// A message service for tests: records every message and beep and answers from a script.
class ScriptedMessageService : public MessageService {
public:
    struct Message {
        QString text;
        QString title;
        MessageButtons buttons;
        MessageIcon icon;
    };

    MessageAnswer show(const QString& text, const QString& title, MessageButtons buttons,
                       MessageIcon icon) override;
    void beep() override { ++beeps; }

    // The next answers, in order; when none is queued, Ok for an OK box and Yes for Yes/No.
    void queueAnswer(MessageAnswer answer) { answers_.enqueue(answer); }

    // Runs while a box "is open", before show() returns: lets a test act as the modal box
    // would (check the window's state, change it as a nested event would).
    std::function<void(const Message&)> whileOpen;

    QList<Message> messages;
    int beeps = 0;

private:
    QQueue<MessageAnswer> answers_;
};
