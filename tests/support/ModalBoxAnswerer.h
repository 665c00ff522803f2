#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

class QMessageBox;

// Answers real modal message boxes in a test: polls every 10 ms for the active modal
// QMessageBox and, when one is open, runs an optional action, records its title and text and
// presses the wanted button (the default button when none is given).
class ModalBoxAnswerer : public QObject {
    Q_OBJECT
public:
    explicit ModalBoxAnswerer(int pressButton = 0, QObject* parent = nullptr);

    // Runs once for each box found, before it is answered.
    std::function<void(QMessageBox&)> onBox;

    QStringList titles;
    QStringList texts;

private:
    void poll();

    QTimer timer_;
    int pressButton_;
};
