#pragma once

#include "window/services/MessageService.h"

#include <QList>
#include <QQueue>
#include <QString>

#include <functional>

// A message service for tests: records every message and beep and answers from a script.
//
// A box the test did not expect fails the test at once, naming its title and text, instead of
// letting a handler that opens boxes in a loop hang the run: after expectBoxes(n) at most n more
// boxes may open (expectNoBox(): none); until the test says, at most UnscriptedBoxLimit.
class ScriptedMessageService : public MessageService {
public:
    struct Message {
        QString text;
        QString title;
        MessageButtons buttons;
        MessageIcon icon;
    };

    static constexpr int UnscriptedBoxLimit = 20;

    MessageAnswer show(const QString& text, const QString& title, MessageButtons buttons,
                       MessageIcon icon) override;
    void beep() override { ++beeps; }

    // The next answers, in order; when none is queued, Ok for an OK box and Yes for Yes/No.
    void queueAnswer(MessageAnswer answer) { answers_.enqueue(answer); }

    // From now on at most count more boxes may open.
    void expectBoxes(int count) { boxesAllowed_ = count; }
    void expectNoBox() { expectBoxes(0); }

    // Runs while a box "is open", before show() returns: lets a test act as the modal box
    // would (check the window's state, change it as a nested event would).
    std::function<void(const Message&)> whileOpen;

    QList<Message> messages;
    int beeps = 0;

private:
    QQueue<MessageAnswer> answers_;
    int boxesAllowed_ = UnscriptedBoxLimit;
    int unexpectedBoxes_ = 0;
};

// Fails the running test at once over a message box it did not expect, naming the box; a second
// one in the same run ends the program, so that a handler opening boxes in a loop cannot hang it.
// Outside a test (a helper program) the first one ends the program.
void failOnUnexpectedBox(const QString& title, const QString& text, const char* why,
                         int& unexpectedSoFar);
