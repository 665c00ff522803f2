#pragma once

#include "window/main/FieldEvents.h"

#include <QWidget>

#include <memory>

class Clock;
class MessageService;
class QAbstractButton;
class QComboBox;
namespace Ui {
class frmKorvanel;
}
class QMenuBar;

// The main data-entry window: its controls (window/main/frmKorvanel.ui) and the field events of
// every text box, combo box, masked edit box and option button (see FieldEvents). No record logic.
class frmKorvanel : public QWidget {
    Q_OBJECT
public:
    frmKorvanel(MessageService& messages, Clock& clock, QWidget* parent = nullptr);
    ~frmKorvanel() override;

    // The controls; their declarations come with "ui_frmKorvanel.h".
    Ui::frmKorvanel& form() { return *ui_; }
    MessageService& messages() { return messages_; }
    Clock& clock() { return clock_; }

    // Puts the menu bar above the form: the window grows by the bar's height and every control
    // moves down by it, so the form below keeps its size and its controls their places.
    void installMenuBar(QMenuBar* bar);

    // Selects entry index of combo as the program and raises its comboClicked.
    void selectEntry(QComboBox* combo, int index) { events_->selectEntry(combo, index); }
    // Raises lostFocus of the field that has the focus, as a click on a button would.
    void leaveFocusedField() { events_->leaveFocusedField(); }

signals:
    void lostFocus(QWidget* field);
    void optionClicked(QAbstractButton* option);
    void comboClicked(QComboBox* combo);

private:
    friend class MainWindowTestAccess; // tests/support: the controls, for tests and benchmarks

    void applyFixedColours();
    void nameListTextBoxes();
    void watchFieldEvents();

    std::unique_ptr<Ui::frmKorvanel> ui_;
    MessageService& messages_;
    Clock& clock_;
    FieldEvents* events_ = nullptr;
};
