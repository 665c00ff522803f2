#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

class QMessageBox;

// Answers real modal message boxes in a test: polls every 10 ms for the active modal
// QMessageBox and, when one is open, runs an optional action, records its title and text and
// presses the wanted button (the default button when none is given).
//
// A box the test did not expect fails the test at once, naming its title and text, and is
// closed: after expectBoxes(n) at most n more boxes may open; until the test says, at most
// ScriptedMessageService::UnscriptedBoxLimit. A box that opens while no answerer exists fails
// the test the same way instead of waiting for ever.
class ModalBoxAnswerer : public QObject {
    Q_OBJECT
public:
    explicit ModalBoxAnswerer(int pressButton = 0, QObject* parent = nullptr);
    ~ModalBoxAnswerer() override;

    // From now on at most count more boxes may open.
    void expectBoxes(int count) { boxesAllowed_ = count; }
    void expectNoBox() { expectBoxes(0); }

    // Runs once for each box found, before it is answered.
    std::function<void(QMessageBox&)> onBox;

    QStringList titles;
    QStringList texts;

private:
    void poll();

    QTimer timer_;
    int pressButton_;
    int boxesAllowed_;
    int unexpectedBoxes_ = 0;
};
