#include "window/main/FieldRules.h"

#include "reference/CityList.h"
#include "storage/TextValue.h"
#include "ui_frmKorvanel.h"
#include "validation/EntryRules.h"
#include "window/main/RecordPresenter.h"
#include "window/main/frmKorvanel.h"
#include "window/services/Clock.h"
#include "window/services/MessageService.h"
#include "window/widgets/DepthGuard.h"
#include "window/widgets/MaskedEdit.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringListModel>

FieldRules::FieldRules(frmKorvanel& window, Ui::frmKorvanel& controls, RecordPresenter& presenter,
                       MessageService& messages, Clock& clock)
    : window_(window), c_(controls), presenter_(presenter), messages_(messages), clock_(clock) {
    connect(&presenter, &RecordPresenter::cityShown, this, &FieldRules::onCityShown);
    connect(&presenter, &RecordPresenter::storedResultShown, this,
            &FieldRules::onStoredResultShown);
    connect(&window, &frmKorvanel::lostFocus, this, &FieldRules::onLostFocus);
    connect(&window, &frmKorvanel::optionClicked, this, &FieldRules::onOptionClicked);
    connect(&window, &frmKorvanel::comboClicked, this, &FieldRules::onListClicked);
    connect(c_.cmdDateTakenToday, &QPushButton::clicked, this,
            &FieldRules::cmdDateTakenToday_Click);
    connect(c_.cmdAnalysisDateToday, &QPushButton::clicked, this,
            &FieldRules::cmdAnalysisDateToday_Click);
}

void FieldRules::fillCityList(const CityList& cities) {
    cityZipLines_ = cities.cityZipLines();
    // The list is filled under the city on display, which stays as it is.
    const QString shown = c_.cboCity->currentText();
    // A plain string model holds a state's tens of thousands of cities far faster than one item
    // object per entry.
    c_.cboCity->setModel(new QStringListModel(cities.cityEntries(), c_.cboCity));
    c_.cboCity->setCurrentIndex(-1);
    c_.cboCity->setEditText(shown);
}

void FieldRules::onCityShown(const QString& city) {
    currentCity_ = city;
}

void FieldRules::onStoredResultShown(bool lowResultFlag) {
    lowResultFlag_ = lowResultFlag;
}

void FieldRules::onLostFocus(QWidget* control) {
    // A date check sending the focus back to its box, or the Pb Result option putting it into
    // txtPb, is no departure; nor is the focus that display and saving leave in mskDateTaken.
    if (busy_ > 0 || presenter_.isMovingFocus())
        return;
    DepthGuard guard(busy_);
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
    DepthGuard guard(busy_);
    if (option == c_.optPbResult)
        optPbResult_Click();
    else if (option == c_.optLowResult)
        optLowResult_Click();
    else if (option == c_.optHighResult)
        optHighResult_Click();
}

void FieldRules::onListClicked(QComboBox* list) {
    DepthGuard guard(busy_);
    if (list == c_.cboCity)
        cboCity_Click();
    else if (list == c_.cboZip || list == c_.cboRaceCode || list == c_.cboAncestry)
        presenter_.MandatoryFieldHighlight(list);
}

MaskedEdit* FieldRules::dateBox(WhichDate whichDate) const {
    switch (whichDate) {
    case DateTakenCode:
        return c_.mskDateTaken;
    case DateOfBirthCode:
        return c_.mskDateOfBirth;
    case AnalysisDateCode:
        return c_.mskAnalysisDate;
    }
    return nullptr;
}

void FieldRules::ValidateDate(const QString& checkDate, WhichDate whichDate) {
    MaskedEdit* box = dateBox(whichDate);
    if (!box)
        return;
    const DateCheckDecision decision = DateCheck::decideValidateDate(
        checkDate, whichDate,
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
    const WhichDate which = box == c_.mskDateTaken     ? DateTakenCode
                            : box == c_.mskDateOfBirth ? DateOfBirthCode
                                                       : AnalysisDateCode;
    ValidateDate(box->rawValue(), which);
    presenter_.MandatoryFieldHighlight(box);
}

void FieldRules::cmdDateTakenToday_Click() {
    c_.mskDateTaken->setRawValue(DateCheck::dateRawValue(clock_.now().date()));
}

void FieldRules::cmdAnalysisDateToday_Click() {
    c_.mskAnalysisDate->setRawValue(DateCheck::dateRawValue(clock_.now().date()));
}

void FieldRules::select(QRadioButton* option) {
    // The option's click rule runs through the window's events when it becomes selected.
    option->setChecked(true);
}

void FieldRules::txtPb_LostFocus() {
    const ResultBoxDecision decision =
        EntryRules::decideResultBox(c_.txtPb->text(), lowResultFlag_);
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
        EntryRules::parentsLastAfterLastName(c_.txtLastName->text(), c_.txtParentsLast->text());
    // A text the operator typed there is left alone, its undo history included.
    if (parentsLast != c_.txtParentsLast->text())
        c_.txtParentsLast->setText(parentsLast);
    presenter_.MandatoryFieldHighlight(c_.txtLastName);
}

void FieldRules::optPbResult_Click() {
    c_.txtPb->setText(QString());
    c_.txtPb->setEnabled(true);
    c_.txtPb->setFocus(Qt::OtherFocusReason);
    lowResultFlag_ = false;
    presenter_.MandatoryFieldHighlight(c_.txtPb);
}

void FieldRules::optLowResult_Click() {
    c_.txtPb->setText(QLatin1String(LowResultText));
    c_.txtPb->setEnabled(false);
    lowResultFlag_ = true;
    presenter_.MandatoryFieldHighlight(c_.txtPb);
}

void FieldRules::optHighResult_Click() {
    c_.txtPb->setText(QLatin1String(HighResultText));
    c_.txtPb->setEnabled(false);
    lowResultFlag_ = false;
    presenter_.MandatoryFieldHighlight(c_.txtPb);
}

void FieldRules::cboCity_Click() {
    const int index = c_.cboCity->currentIndex();
    if (index >= 0 && index < cityZipLines_.size()) {
        const CityChoice choice = CityLookup::chooseCity(cityZipLines_.at(index), currentCity_);
        if (choice.rebuildZipList) {
            c_.cboZip->clear();
            c_.cboZip->addItems(choice.zipEntries);
            // By position, as the program selects: the zip list's click re-marks the box.
            window_.selectEntry(c_.cboZip, 0);
        }
    }
    currentCity_ = TextValue::trimBlanks(c_.cboCity->currentText());
    presenter_.MandatoryFieldHighlight(c_.cboCity);
}
