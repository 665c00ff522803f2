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
class FieldRules : public QObject {
    Q_OBJECT
public:
    FieldRules(frmKorvanel& window, MainWindowState& state, RecordPresenter& presenter);

    // Checks the raw value of one date box (code 1 date taken, 2 date of birth, 3 analysis
    // date) against the calendar, today and the other two dates; reports the first fault.
    void ValidateDate(const QString& strCheckDate, int nWhichDate);

    void mskDate_LostFocus(MaskedEdit* box);
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

    Ui::frmKorvanel& c_;
    MainWindowState& state_;
    RecordPresenter& presenter_;
    MessageService& messages_;
    Clock& clock_;
    // Focus moves made by a rule itself are not the operator leaving a field.
    int busy_ = 0;
};
