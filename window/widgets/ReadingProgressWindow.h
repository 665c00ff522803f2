#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

// A small modal window that shows "Reading submission files: n of N" while the files of Submit
// are read in a worker thread and a command waits for them ("Reading records: n of N" for the
// data file, or what another Text gives). It goes when the reading is done. A window made
// cancellable has a Cancel button, which Esc and its close button press too, so that a command
// waiting on a share that no longer answers can be given up; any other cannot be closed. While it
// is up the main window is still painted but takes no input (clicks, keys and its close button
// are refused by the toolkit).
class ReadingProgressWindow : public QWidget {
    Q_OBJECT
public:
    // What the window says for done of total.
    using Text = QString (*)(int done, int total);

    enum class Cancel { NotOffered, Offered };
    // title: the command that waits ("Check All Records").
    ReadingProgressWindow(QWidget& mainWindow, const QString& title,
                          Text text = &ReadingProgressWindow::text,
                          Cancel cancel = Cancel::NotOffered);

    // "Reading submission files: 1,200 of 5,000"
    static QString text(int done, int total);
    // "Reading records: 1,200 of 25,000"
    static QString recordsText(int done, int total);
    // "Exporting records: 1,200 of 25,000"
    static QString exportText(int done, int total);
    // "Printing page 12 of 3,400"
    static QString printText(int done, int total);
    void setProgress(int done, int total);
    // Shows it over the main window, modal.
    void open();
    // Closes it; the main window takes the keyboard again when this window had it.
    void finish();
    // The Cancel button of a cancellable window; null otherwise.
    QPushButton* cancelButton() const { return cancel_; }

signals:
    // The operator gives the wait up: Cancel, Esc or the close button of a cancellable window.
    void cancelRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget& mainWindow_;
    Text text_;
    QLabel* label_;
    QProgressBar* bar_;
    QPushButton* cancel_ = nullptr;
    bool finishing_ = false;
};
