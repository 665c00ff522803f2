#include "window/FieldRules.h"

#include "reference/CityList.h"
#include "validation/DateCheck.h"
#include "validation/EntryRules.h"
#include "validation/TextValue.h"
#include "window/Clock.h"
#include "window/MainWindowState.h"
#include "window/MaskedEdit.h"
#include "window/MessageService.h"
#include "window/RecordPresenter.h"
#include "window/frmKorvanel.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

class BusyGuard {
public:
    explicit BusyGuard(int& depth) : depth_(depth) { ++depth_; }
    ~BusyGuard() { --depth_; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    int& depth_;
};

} // namespace

FieldRules::FieldRules(frmKorvanel& window, MainWindowState& state, RecordPresenter& presenter)
    : QObject(&window), window_(window), c_(window.form()), state_(state), presenter_(presenter),
      messages_(window.messages()), clock_(window.clock()) {
    connect(&window, &frmKorvanel::lostFocus, this, &FieldRules::onLostFocus);
    connect(&window, &frmKorvanel::optionClicked, this, &FieldRules::onOptionClicked);
    connect(&window, &frmKorvanel::comboClicked, this, &FieldRules::onListClicked);
    connect(c_.cmdDateTakenToday, &QPushButton::clicked, this,
            &FieldRules::cmdDateTakenToday_Click);
    connect(c_.cmdAnalysisDateToday, &QPushButton::clicked, this,
            &FieldRules::cmdAnalysisDateToday_Click);
}

void FieldRules::onLostFocus(QWidget* control) {
    // A departure is the operator (or a command) moving the focus to another control. The focus
    // moves that a rule makes while it runs (a date check sending the focus back to its box, the
    // "Pb Result:" option putting it into txtPb) and those of record display and saving (which
    // end in mskDateTaken) are not: checking the field again there would report the same
    // departure twice.
    if (busy_ > 0 || presenter_.isMovingFocus())
        return;
    BusyGuard guard(busy_);
    if (control == c_.mskDateTaken || control == c_.mskDateOfBirth ||
        control == c_.mskAnalysisDate) {
        mskDate_LostFocus(static_cast<MaskedEdit*>(control));
    } else if (control == c_.txtPb) {
        txtPb_LostFocus();
    } else if (control == c_.txtLastName) {
        txtLastName_LostFocus();
    } else if (control == c_.txtFirstName || control == c_.txtStreetNumber ||
               control == c_.txtStreetName || control == c_.cboCity || control == c_.cboZip ||
               control == c_.cboRaceCode || control == c_.cboAncestry || control == c_.mskPhone) {
        presenter_.MandatoryFieldHighlight(control);
    }
}

void FieldRules::onOptionClicked(QAbstractButton* option) {
    BusyGuard guard(busy_);
    if (option == c_.optPbResult)
        optPbResult_Click();
    else if (option == c_.optLowResult)
        optLowResult_Click();
    else if (option == c_.optHighResult)
        optHighResult_Click();
}

void FieldRules::onListClicked(QComboBox* list) {
    BusyGuard guard(busy_);
    if (list == c_.cboCity)
        cboCity_Click();
    else if (list == c_.cboZip || list == c_.cboRaceCode || list == c_.cboAncestry)
        presenter_.MandatoryFieldHighlight(list);
}

MaskedEdit* FieldRules::dateBox(int nWhichDate) const {
    switch (nWhichDate) {
    case 1:
        return c_.mskDateTaken;
    case 2:
        return c_.mskDateOfBirth;
    case 3:
        return c_.mskAnalysisDate;
    default:
        return nullptr;
    }
}

void FieldRules::ValidateDate(const QString& strCheckDate, int nWhichDate) {
    MaskedEdit* box = dateBox(nWhichDate);
    if (!box)
        return;
    const DateCheckDecision decision =
        decideValidateDate(strCheckDate, nWhichDate,
                           DateBoxValues{c_.mskDateTaken->rawValue(), c_.mskDateOfBirth->rawValue(),
                                         c_.mskAnalysisDate->rawValue()},
                           clock_.now().date());
    if (!decision.showMessage)
        return;
    messages_.show(decision.message, QLatin1String(DateEntryErrorTitle), MessageButtons::Ok,
                   MessageIcon::Warning);
    if (decision.emptyBox)
        box->setRawValue(QString());
    if (decision.focusBox)
        box->setFocus(Qt::OtherFocusReason);
}

void FieldRules::mskDate_LostFocus(MaskedEdit* box) {
    const int which = box == c_.mskDateTaken ? 1 : box == c_.mskDateOfBirth ? 2 : 3;
    ValidateDate(box->rawValue(), which);
    presenter_.MandatoryFieldHighlight(box);
}

void FieldRules::cmdDateTakenToday_Click() {
    c_.mskDateTaken->setRawValue(dateRawValue(clock_.now().date()));
}

void FieldRules::cmdAnalysisDateToday_Click() {
    c_.mskAnalysisDate->setRawValue(dateRawValue(clock_.now().date()));
}

void FieldRules::select(QRadioButton* option) {
    // The option's click rule runs through the window's events when it becomes selected.
    option->setChecked(true);
}

void FieldRules::txtPb_LostFocus() {
    const ResultBoxDecision decision = decideResultBox(c_.txtPb->text(), state_.LowResultFlag);
    if (decision.beep)
        messages_.beep();
    switch (decision.state) {
    case ResultState::Low:
        c_.txtPb->setEnabled(false);
        select(c_.optLowResult);
        break;
    case ResultState::High:
        c_.txtPb->setEnabled(false);
        select(c_.optHighResult);
        break;
    case ResultState::Measured:
        c_.txtPb->setEnabled(true);
        select(c_.optPbResult);
        break;
    }
    presenter_.MandatoryFieldHighlight(c_.txtPb);
}

void FieldRules::txtLastName_LostFocus() {
    const QString parentsLast =
        parentsLastAfterLastName(c_.txtLastName->text(), c_.txtParentsLast->text());
    // A text the operator typed there is left alone, its undo history included.
    if (parentsLast != c_.txtParentsLast->text())
        c_.txtParentsLast->setText(parentsLast);
    presenter_.MandatoryFieldHighlight(c_.txtLastName);
}

void FieldRules::optPbResult_Click() {
    c_.txtPb->setText(QString());
    c_.txtPb->setEnabled(true);
    c_.txtPb->setFocus(Qt::OtherFocusReason);
    state_.LowResultFlag = false;
    presenter_.MandatoryFieldHighlight(c_.txtPb);
}

void FieldRules::optLowResult_Click() {
    c_.txtPb->setText(QStringLiteral("    "));
    c_.txtPb->setEnabled(false);
    state_.LowResultFlag = true;
    presenter_.MandatoryFieldHighlight(c_.txtPb);
}

void FieldRules::optHighResult_Click() {
    c_.txtPb->setText(QStringLiteral("66.0"));
    c_.txtPb->setEnabled(false);
    state_.LowResultFlag = false;
    presenter_.MandatoryFieldHighlight(c_.txtPb);
}

void FieldRules::cboCity_Click() {
    const int index = c_.cboCity->currentIndex();
    if (index >= 0 && index < state_.CityZipLines.size()) {
        const CityChoice choice = chooseCity(state_.CityZipLines.at(index), state_.CurrentCity,
                                             c_.cboCity->currentText());
        if (choice.rebuildZipList) {
            c_.cboZip->clear();
            c_.cboZip->addItems(choice.zipEntries);
            // By position, as the program selects: the zip list's click re-marks the box.
            window_.selectEntry(c_.cboZip, 0);
        }
    }
    state_.CurrentCity = trimBlanks(c_.cboCity->currentText());
    presenter_.MandatoryFieldHighlight(c_.cboCity);
}
