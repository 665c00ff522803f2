#pragma once

#include "ui_frmKorvanel.h"

#include <QObject>

class Clock;
class MessageService;
class RecordPresenter;
class MaskedEdit;
class QAbstractButton;
class QComboBox;
class QWidget;
class frmKorvanel;
struct MainWindowState;

// The rules that run as the operator leaves a field, picks from a list or chooses a result
// option: the date checks, the result group, the parents' name, the city's zip codes and the
// re-marking of mandatory fields.
//
// One message per departure: a field's rule runs once each time the focus leaves it for another
// control of the window (FieldEvents). A message box opening or closing is no departure, nor is
// the focus that a rule sends back to its field, nor any focus move made while a rule runs or
// while a record is shown or saved (RecordPresenter::isMovingFocus). So a reported date box is
// checked again only when the operator (or a command other than display and saving) moves the
// focus out of it again.
//
// Click order: when a command button is clicked while a field is left, the field's rule runs
// first (FieldEvents delivers the lost focus on the press), its message is answered, and then
// the command runs once with what the rule left in the window.
class FieldRules : public QObject {
    Q_OBJECT
public:
    FieldRules(frmKorvanel& window, MainWindowState& state, RecordPresenter& presenter);

    // Checks the raw value of one date box (code 1 date taken, 2 date of birth, 3 analysis
    // date) against the calendar, today (read from the clock at each call) and the other two
    // dates, and reports the first fault in a "Date Entry Error" box; then the focus goes back
    // to the box, which an order fault also empties. A partly typed box is checked as the
    // digits typed so far, split by position, so it fails the calendar test. Other codes do
    // nothing.
    void ValidateDate(const QString& strCheckDate, int nWhichDate);

    // The check, then the highlight of what the check left in the box.
    void mskDate_LostFocus(MaskedEdit* box);
    // Today's date into the box as "mmddyyyy"; neither checked nor re-coloured until the box is
    // left.
    void cmdDateTakenToday_Click();
    void cmdAnalysisDateToday_Click();
    void txtPb_LostFocus();
    void txtLastName_LostFocus();
    void optPbResult_Click();
    void optLowResult_Click();
    void optHighResult_Click();
    void cboCity_Click();

private:
    void onLostFocus(QWidget* control);
    void onOptionClicked(QAbstractButton* option);
    void onListClicked(QComboBox* list);
    // Selects an option; its click rule runs when it was not selected before.
    void select(QRadioButton* option);
    MaskedEdit* dateBox(int nWhichDate) const;

    frmKorvanel& window_;
    Ui::frmKorvanel& c_;
    MainWindowState& state_;
    RecordPresenter& presenter_;
    MessageService& messages_;
    Clock& clock_;
    // Focus moves made by a rule itself are not the operator leaving a field.
    int busy_ = 0;
};
