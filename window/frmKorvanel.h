#pragma once

#include "ui_frmKorvanel.h"
#include "window/FieldEvents.h"

#include <QWidget>

#include <memory>

class Clock;
class MessageService;
class QMenuBar;

// The main data-entry window: its controls as designed (window/frmKorvanel.ui) and its events.
// It holds no record logic; the code that handles the events works on form() and the injected
// services.
//
// Controls: form().txtLastName, form().mskDateTaken, form().cboCity, form().cmdNew ... carry
// the design's names as member and object names; the option groups are form().sexGroup,
// form().testTypeGroup and form().resultGroup (clear one with clearOptionGroup()).
//
// Events (see FieldEvents for the order and what raises them):
//   lostFocus(QWidget* field)        every text box, combo box and masked edit box
//   optionClicked(QAbstractButton*)  every option button, when it becomes selected
//   comboClicked(QComboBox*)         every combo box; program selections via selectEntry()
//   command buttons: their own QPushButton::clicked, e.g. form().cmdNew->clicked
// Handlers compare the pointer: connect(&w, &frmKorvanel::lostFocus, [&](QWidget* f) {
//     if (f == w.form().txtLastName) txtLastName_LostFocus(); });
class frmKorvanel : public QWidget {
    Q_OBJECT
public:
    frmKorvanel(MessageService& messages, Clock& clock, QWidget* parent = nullptr);
    ~frmKorvanel() override;

    Ui::frmKorvanel& form() { return *ui_; }
    MessageService& messages() { return messages_; }
    Clock& clock() { return clock_; }

    // Puts the menu bar above the form: the window grows by the bar's height and every control
    // moves down by it, so the form below keeps its size and its controls their places.
    void installMenuBar(QMenuBar* bar);

    // Selects entry index of combo as the program and raises its comboClicked.
    void selectEntry(QComboBox* combo, int index) { events_->selectEntry(combo, index); }

signals:
    void lostFocus(QWidget* field);
    void optionClicked(QAbstractButton* option);
    void comboClicked(QComboBox* combo);

private:
    void applyDesignColours();
    void watchFieldEvents();

    std::unique_ptr<Ui::frmKorvanel> ui_;
    MessageService& messages_;
    Clock& clock_;
    FieldEvents* events_ = nullptr;
};
