#pragma once

#include <QString>

class QWidget;

// Asks the operator where to save a file; tests answer from a script.
class SaveFilePrompt {
public:
    virtual ~SaveFilePrompt() = default;
    // The path chosen, starting from suggestedPath; empty when the operator cancelled.
    virtual QString ask(const QString& title, const QString& suggestedPath) = 0;
};

// The toolkit's save dialog for CSV files: it asks before replacing a file, and adds ".csv" to
// a name typed without it.
class QtSaveFilePrompt : public SaveFilePrompt {
public:
    explicit QtSaveFilePrompt(QWidget* parent) : parent_(parent) {}
    QString ask(const QString& title, const QString& suggestedPath) override;

private:
    QWidget* parent_;
};
