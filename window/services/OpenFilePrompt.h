#pragma once

#include <QString>

class QWidget;

// Asks the operator for a file to read; tests answer from a script.
class OpenFilePrompt {
public:
    virtual ~OpenFilePrompt() = default;
    // The path chosen, starting in startFolder; empty when the operator cancelled.
    virtual QString ask(const QString& title, const QString& startFolder) = 0;
};

// The toolkit's open dialog for the files Import Records reads: spreadsheet (CSV) files and
// files of records.
class QtOpenFilePrompt : public OpenFilePrompt {
public:
    explicit QtOpenFilePrompt(QWidget* parent) : parent_(parent) {}
    QString ask(const QString& title, const QString& startFolder) override;

private:
    QWidget* parent_;
};
