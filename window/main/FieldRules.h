#pragma once

#include "validation/DateCheck.h"

#include <QObject>
#include <QString>
#include <QStringList>

class CityList;
class Clock;
class MessageService;
class RecordPresenter;
class MaskedEdit;
class QAbstractButton;
class QComboBox;
class QRadioButton;
class QWidget;
class frmKorvanel;
namespace Ui {
class frmKorvanel;
}

// The rules that run as the operator leaves a field, picks from a list or chooses a result
// option: the date checks, the result group, the parents' name, the city's zip codes and the
// re-marking of mandatory fields. It holds what those rules keep between events: the city list's
// lines, the city whose zip codes cboZip offers and the Low Result flag.
//
// A rule runs once each time the operator leaves its field (FieldEvents). The focus moves that
// a rule makes itself, and those of record display and saving (RecordPresenter::isMovingFocus),
// are not departures: checking the field again there would report the same fault twice.
class FieldRules : public QObject {
    Q_OBJECT
public:
    FieldRules(frmKorvanel& window, Ui::frmKorvanel& controls, RecordPresenter& presenter,
               MessageService& messages, Clock& clock);

    // Line i belongs to entry i of cboCity.
    const QStringList& CityZipLines() const { return cityZipLines_; }
    // The city whose zip codes cboZip offers.
    const QString& CurrentCity() const { return currentCity_; }
    // The result shown is a Low Result.
    bool LowResultFlag() const { return lowResultFlag_; }

    // Puts the city list into cboCity, each entry tied to its line; the city on display stays.
    void fillCityList(const CityList& cities);

    // Checks the raw value of one date box against the calendar, today (read from the clock at
    // each call) and the other two dates, and reports the first fault in a "Date Entry Error"
    // box; then the focus goes back to the box, which an order fault also empties. A partly
    // typed box is checked as the digits typed so far, so it fails the calendar test.
    void ValidateDate(const QString& checkDate, WhichDate whichDate);

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
    void onCityShown(const QString& city);
    void onStoredResultShown(bool lowResultFlag);
    // Selects an option; its click rule runs when it was not selected before.
    void select(QRadioButton* option);
    MaskedEdit* dateBox(WhichDate whichDate) const;

    frmKorvanel& window_;
    Ui::frmKorvanel& c_;
    RecordPresenter& presenter_;
    MessageService& messages_;
    Clock& clock_;
    QStringList cityZipLines_;
    QString currentCity_;
    bool lowResultFlag_ = false;
    // Focus moves made by a rule itself are not the operator leaving a field.
    int busy_ = 0;
};
