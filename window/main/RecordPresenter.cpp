#include "window/main/RecordPresenter.h"

#include "Version.h"
#include "storage/RecordStore.h"
#include "storage/RecordText.h"
#include "ui_frmKorvanel.h"
#include "validation/ChildFields.h"
#include "validation/EntryRules.h"
#include "validation/FieldCodes.h"
#include "validation/Highlight.h"
#include "window/main/FieldControls.h"
#include "window/main/RecordNavigation.h"
#include "window/main/frmKorvanel.h"
#include "window/provider/ProviderCodeCheck.h"
#include "window/widgets/ControlText.h"
#include "window/widgets/DepthGuard.h"
#include "window/widgets/MaskedEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QRadioButton>
#include <QStyleOptionComplex>

#include <algorithm>

namespace {

const QColor kHighlight(255, 255, 192);
const char kMarkedProperty[] = "mandatoryFieldMarked";

// Styles such as Fusion paint a drop-down list's face as a button and wash its button colour out
// to near white, so a marked list would not look marked: its text field is filled with the
// highlight colour here, under the text, which the list draws afterwards.
class MarkedListStyle : public QProxyStyle {
public:
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        if (control == CC_ComboBox && widget && widget->property(kMarkedProperty).toBool())
            painter->fillRect(subControlRect(CC_ComboBox, option, SC_ComboBoxEditField, widget),
                              kHighlight);
    }
};

// True when the box is as setText() leaves it: not edited since, nothing to undo or redo, no
// selection, the cursor at the end. Giving such a box the text it holds changes nothing, and
// setting it again would only lay the text out again.
bool isUntouched(const QLineEdit* box) {
    return !box->isModified() && !box->isUndoAvailable() && !box->isRedoAvailable() &&
           !box->hasSelectedText() && box->cursorPosition() == box->text().size();
}

void showText(QLineEdit* box, const QString& text) {
    if (box->text() != text || !isUntouched(box))
        box->setText(text);
}

void showRawValue(MaskedEdit* box, const QString& value) {
    if (box->rawValue() != value || !isUntouched(box))
        box->setRawValue(value);
}

// Shows a text in an editable combo box as it stands, also when the list does not hold it.
void showComboText(QComboBox* box, const QString& text) {
    if (box->currentIndex() == -1 && box->lineEdit() && box->currentText() == text &&
        isUntouched(box->lineEdit()))
        return;
    box->setCurrentIndex(-1);
    box->setEditText(text);
}

} // namespace

RecordPresenter::RecordPresenter(frmKorvanel& window, Ui::frmKorvanel& controls, RecordStore& store,
                                 const ProviderCodeCheck& providerCode)
    : window_(window), c_(controls), store_(store), providerCode_(providerCode) {
    auto* listStyle = new MarkedListStyle;
    listStyle->setParent(&window_);
    for (std::size_t i = 0; i < MandatoryFields.size(); ++i) {
        mandatory_[i] = FieldControls::controlFor(c_, MandatoryFields[i]);
        auto* box = qobject_cast<QComboBox*>(mandatory_[i]);
        if (box && !box->isEditable())
            box->setStyle(listStyle);
    }
}

QString RecordPresenter::VersionText() {
    return QStringLiteral("v%1.%2.%3")
        .arg(KORVANEL_VERSION_MAJOR)
        .arg(KORVANEL_VERSION_MINOR)
        .arg(KORVANEL_VERSION_PATCH);
}

QString RecordPresenter::windowTitle(int currentRecord, int recordCount) {
    // Made once: the title changes at every record shown.
    static const QString title =
        QStringLiteral("Korvanel\u00AE Blood Lead Result Reporting - %1 - State of CM Universal "
                       "Format  (Record %2 of %3)")
            .arg(VersionText(), QStringLiteral("%1"), QStringLiteral("%2"));
    return title.arg(QString::number(currentRecord), QString::number(recordCount));
}

FileStatus RecordPresenter::showRecord(int n, int recordCount, const ResultRecord* childOf) {
    ResultRecord record;
    FileStatus status = store_.read(n, record);
    if (!status)
        return status;
    if (childOf)
        record = ChildFields::withChildOf(record, *childOf);
    currentRecord_ = n;
    recordCount_ = recordCount;
    recordBuffer_ = record;
    recordShown_ = true;
    DepthGuard guard(movingFocus_);
    showFields(record);
    window_.setWindowTitle(windowTitle(n, recordCount));
    SetMandatoryFieldHighlights();
    focusDateTaken();
    return status;
}

FileStatus RecordPresenter::ShowCurrentRecord() {
    return showRecord(currentRecord_, recordCount_);
}

void RecordPresenter::fileOpened(int storedRecords) {
    currentRecord_ = 1;
    recordCount_ = std::max(storedRecords, 1);
}

void RecordPresenter::recordDeleted() {
    adjustPositionAfterDelete(recordCount_, currentRecord_);
    recordShown_ = false;
}

void RecordPresenter::recordsAppended(int storedRecords) {
    recordCount_ = std::max(storedRecords, 1);
}

void RecordPresenter::showFields(const ResultRecord& record) {
    using F = ResultRecord;
    showRawValue(c_.mskDateTaken, record.trimmed(F::DateTaken));
    showText(c_.txtLastName, record.trimmed(F::LastName));
    showText(c_.txtFirstName, record.trimmed(F::FirstName));
    showText(c_.txtMiddleInitial, record.trimmed(F::MiddleInitial));
    showRawValue(c_.mskDateOfBirth, record.trimmed(F::DateOfBirth));
    if (record.get(F::Sex) == QLatin1String("M"))
        c_.optMale->setChecked(true);
    else
        c_.optFemale->setChecked(true);
    showText(c_.txtStreetNumber, record.trimmed(F::StreetNumber));
    showText(c_.txtStreetName, record.trimmed(F::StreetName));
    showText(c_.txtAptNumber, record.trimmed(F::AptNumber));
    showComboText(c_.cboCity, record.trimmed(F::City));
    emit cityShown(c_.cboCity->currentText());
    showComboText(c_.cboZip, record.trimmed(F::Zip));
    showText(c_.txtParentsLast, record.trimmed(F::ParentsLast));
    showText(c_.txtParentsFirst, record.trimmed(F::ParentsFirst));
    showRawValue(c_.mskPhone, FieldCodes::phoneRawValue(record.get(F::PhoneAreaCode),
                                                        record.get(F::PhoneNumber)));
    window_.selectEntry(c_.cboRaceCode, FieldCodes::raceEntryIndex(record.trimmed(F::RaceCode)));
    window_.selectEntry(c_.cboAncestry,
                        FieldCodes::ancestryEntryIndex(record.trimmed(F::Ancestry)));
    showRawValue(c_.mskAnalysisDate, record.trimmed(F::AnalysisDate));
    showResult(record);
    // Only "V" is venous; anything else shows the default, capillary.
    if (record.get(F::TestType) == QLatin1String("V"))
        c_.optVenous->setChecked(true);
    else
        c_.optCapillary->setChecked(true);
    showComboText(c_.cboPhysician, record.trimmed(F::Physician));
    showText(c_.txtProviderCode, providerCode_.CurrentProviderCode());
    showText(c_.txtAnalysisMethod, QStringLiteral("HHLA"));
}

void RecordPresenter::showResult(const ResultRecord& record) {
    // Selecting an option that was not selected runs its click rule (which sets the result box
    // and LowResultFlag); the text of a measured result is put in afterwards.
    const StoredResultDisplay shown = EntryRules::storedResultDisplay(record);
    emit storedResultShown(shown.lowResultFlag);
    switch (shown.state) {
    case ResultState::Low:
        c_.optLowResult->setChecked(true);
        c_.txtPb->setEnabled(false);
        break;
    case ResultState::High:
        c_.optHighResult->setChecked(true);
        c_.txtPb->setEnabled(false);
        break;
    case ResultState::Measured:
        c_.optPbResult->setChecked(true);
        c_.txtPb->setEnabled(true);
        showText(c_.txtPb, record.trimmed(ResultRecord::PbResult));
        break;
    }
}

ResultRecord RecordPresenter::capture() const {
    using F = ResultRecord;
    ResultRecord record;
    record.set(F::DateTaken, c_.mskDateTaken->rawValue());
    record.set(F::LastName, c_.txtLastName->text());
    record.set(F::FirstName, c_.txtFirstName->text());
    record.set(F::MiddleInitial, c_.txtMiddleInitial->text());
    record.set(F::DateOfBirth, c_.mskDateOfBirth->rawValue());
    record.set(F::Sex, c_.optMale->isChecked() ? QStringLiteral("M") : QStringLiteral("F"));
    record.set(F::StreetNumber, c_.txtStreetNumber->text());
    record.set(F::StreetName, c_.txtStreetName->text());
    record.set(F::AptNumber, c_.txtAptNumber->text());
    record.set(F::City, c_.cboCity->currentText());
    record.set(F::Zip, c_.cboZip->currentText());
    record.set(F::ParentsFirst, c_.txtParentsFirst->text());
    record.set(F::ParentsLast, c_.txtParentsLast->text());
    const FieldCodes::PhoneFields phone =
        FieldCodes::phoneFieldsFromRawValue(c_.mskPhone->rawValue());
    record.set(F::PhoneAreaCode, phone.areaCode);
    record.set(F::PhoneNumber, phone.number);
    record.set(F::RaceCode, FieldCodes::raceCodeFromEntry(c_.cboRaceCode->currentText()));
    record.set(F::Ancestry, FieldCodes::ancestryCodeFromEntry(c_.cboAncestry->currentText()));
    record.set(F::AnalysisDate, c_.mskAnalysisDate->rawValue());
    record.set(F::PbResult, c_.txtPb->text());
    record.set(F::BelowDetection,
               c_.optLowResult->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    record.set(F::TestType, c_.optVenous->isChecked() ? QStringLiteral("V") : QStringLiteral("C"));
    record.set(F::ProviderCode, providerCode_.CurrentProviderCode());
    record.set(F::Physician, c_.cboPhysician->currentText());
    record.set(F::AnalysisMethod, c_.txtAnalysisMethod->text());
    record.set(F::LineEnd, QStringLiteral("\r\n"));
    return RecordText::withControlsBlanked(record);
}

FileStatus RecordPresenter::saveRecordOnForm() {
    if (!recordShown_)
        if (FileStatus status = showRecord(currentRecord_, recordCount_); !status)
            return status;
    return SaveCurrentRecord();
}

FileStatus RecordPresenter::SaveCurrentRecord() {
    if (!recordShown_) {
        return FileStatus::failure(store_.dataPath(),
                                   QStringLiteral("The record shown was deleted; it is not saved"));
    }
    const ResultRecord record = capture();
    FileStatus status = store_.write(currentRecord_, record);
    if (!status)
        return status;
    recordBuffer_ = record;
    DepthGuard guard(movingFocus_);
    focusDateTaken();
    return status;
}

void RecordPresenter::MandatoryFieldHighlight(QWidget* control) {
    const bool highlight = Highlight::needsHighlight(controlText(control));
    // A new palette that changes no colour only costs: it is resolved again, sent to the
    // control and its children, and the control repainted.
    const auto marking = markings_.constFind(control);
    if (marking != markings_.cend() && marking->highlighted == highlight &&
        marking->paletteKey == control->palette().cacheKey())
        return;
    // The normal colour is the platform's, per colour group, so that a disabled box still looks
    // disabled and the look follows the desktop's palette.
    const QPalette normal = QApplication::palette(control);
    QPalette palette = control->palette();
    auto paint = [&](QPalette::ColorRole role) {
        for (QPalette::ColorGroup group :
             {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            palette.setColor(group, role, highlight ? kHighlight : normal.color(group, role));
    };
    paint(QPalette::Base);
    // A drop-down list paints its face with the button colour.
    if (auto* box = qobject_cast<QComboBox*>(control); box && !box->isEditable())
        paint(QPalette::Button);
    control->setPalette(palette);
    control->setProperty(kMarkedProperty, highlight);
    control->update();
    markings_.insert(control, Marking{highlight, control->palette().cacheKey()});
}

void RecordPresenter::SetMandatoryFieldHighlights() {
    for (QWidget* control : mandatory_)
        MandatoryFieldHighlight(control);
}

void RecordPresenter::moveFocusTo(QWidget* control) {
    DepthGuard guard(movingFocus_);
    control->setFocus(Qt::OtherFocusReason);
}

void RecordPresenter::focusDateTaken() {
    c_.mskDateTaken->setFocus(Qt::OtherFocusReason);
}
