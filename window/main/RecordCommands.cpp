#include "window/main/RecordCommands.h"

#include "printing/PrintedPage.h"
#include "printing/Printer.h"
#include "storage/AppPaths.h"
#include "storage/RecordStore.h"
#include "ui_frmKorvanel.h"
#include "window/main/ChildRetest.h"
#include "window/main/DeleteRecovery.h"
#include "window/main/FieldRules.h"
#include "window/main/RecordPresenter.h"
#include "window/main/SubmissionCommand.h"
#include "window/main/frmKorvanel.h"
#include "window/services/Clock.h"
#include "window/services/MessageService.h"
#include "window/services/PrintReport.h"

#include <QComboBox>
#include <QPushButton>

RecordCommands::RecordCommands(frmKorvanel& window, Ui::frmKorvanel& controls, QString appPath,
                               RecordStore& store, RecordPresenter& presenter,
                               const FieldRules& fieldRules, MessageService& messages, Clock& clock,
                               Printer& printer, DeleteRecovery& deleteRecovery,
                               SubmissionCommand& submission)
    : window_(window), c_(controls), appPath_(std::move(appPath)), store_(store),
      presenter_(presenter), fieldRules_(fieldRules), messages_(messages), clock_(clock),
      printer_(printer), deleteRecovery_(deleteRecovery), submission_(submission) {
    connect(c_.cmdNew, &QPushButton::clicked, this, &RecordCommands::cmdNew_Click);
    connect(c_.cmdUpdate, &QPushButton::clicked, this, &RecordCommands::cmdUpdate_Click);
    connect(c_.cmdDelete, &QPushButton::clicked, this, &RecordCommands::cmdDelete_Click);
    connect(c_.cmdPrevious, &QPushButton::clicked, this, &RecordCommands::cmdPrevious_Click);
    connect(c_.cmdNext, &QPushButton::clicked, this, &RecordCommands::cmdNext_Click);
    connect(c_.cmdExit, &QPushButton::clicked, this, &RecordCommands::cmdExit_Click);
    connect(c_.cmdPrint, &QPushButton::clicked, this, &RecordCommands::cmdPrint_Click);
    connect(c_.cmdWriteEFile, &QPushButton::clicked, this, &RecordCommands::cmdWriteEFile_Click);
}

// Nothing is saved over a record whose values the window did not read from it: after a delete
// whose neighbour could not be read, that record is read again first.
bool RecordCommands::saveOrReport() {
    const FileStatus status = presenter_.saveRecordOnForm();
    if (!status)
        emit fileFailed(status);
    return status.ok();
}

// No command runs while Create Electronic File goes through the records.
bool RecordCommands::isCheckingRecords() const {
    return submission_.isCheckingRecords();
}

bool RecordCommands::showOrReport(int record, int recordCount, const ResultRecord* childOf) {
    FileStatus status = presenter_.showRecord(record, recordCount, childOf);
    if (!status)
        emit fileFailed(status);
    return status.ok();
}

bool RecordCommands::showStoredRecordOrReport() {
    return presenter_.recordShown() ||
           showOrReport(presenter_.CurrentRecord(), presenter_.RecordCount());
}

void RecordCommands::enterFirstRecord() {
    firstRecord_ = true;
    editMode_ = Editing::NewRecord;
    showNewRecordButtons();
}

void RecordCommands::showNewRecordButtons() {
    for (QPushButton* button :
         {c_.cmdNew, c_.cmdPrevious, c_.cmdNext, c_.cmdPrint, c_.cmdWriteEFile})
        button->setEnabled(false);
    c_.cmdUpdate->setEnabled(true);
    c_.cmdExit->setEnabled(true);
    c_.cmdDelete->setText(QStringLiteral("Cancel"));
}

// Only reached once a new record has been saved or cancelled, which is when the button's first
// caption "Delete Record" gives way to "Delete" for the rest of the run.
void RecordCommands::showBrowsingButtons() {
    for (QPushButton* button : {c_.cmdNew, c_.cmdPrevious, c_.cmdNext, c_.cmdPrint,
                                c_.cmdWriteEFile, c_.cmdUpdate, c_.cmdExit})
        button->setEnabled(true);
    c_.cmdDelete->setText(QStringLiteral("Delete"));
}

void RecordCommands::cmdNew_Click() {
    startNewRecord(false);
}

void RecordCommands::newResultForThisChild() {
    // Available exactly when New Record is.
    if (c_.cmdNew->isEnabled())
        startNewRecord(true);
}

void RecordCommands::startNewRecord(bool sameChild) {
    if (isCheckingRecords())
        return;
    if (!saveOrReport())
        return;
    // The record just saved is the one whose child the next test is for.
    const ResultRecord child = presenter_.RecordBuffer();
    // The record after the last is blank: RecordCount now counts it.
    if (!showOrReport(presenter_.RecordCount() + 1, presenter_.RecordCount() + 1,
                      sameChild ? &child : nullptr))
        return;
    if (sameChild)
        ChildRetest::offerZipCodes(c_, fieldRules_.CityZipLines());
    editMode_ = Editing::NewRecord;
    showNewRecordButtons();
}

void RecordCommands::cmdUpdate_Click() {
    if (isCheckingRecords())
        return;
    if (!saveOrReport())
        return;
    if (editMode_ != Editing::NewRecord)
        return;
    // The new record is stored now, so the window leaves new-record mode even if showing it
    // again fails: the window still holds exactly what was stored.
    const ResultRecord saved = presenter_.RecordBuffer();
    showOrReport(presenter_.CurrentRecord(), presenter_.RecordCount());
    showBrowsingButtons();
    editMode_ = Editing::StoredRecord;
    firstRecord_ = false;
    emit newRecordSaved(presenter_.CurrentRecord(), saved);
}

void RecordCommands::cmdDelete_Click() {
    if (isCheckingRecords())
        return;
    if (firstRecord_) {
        emit finished(0);
        return;
    }
    if (editMode_ == Editing::NewRecord) {
        if (!showOrReport(presenter_.RecordCount() - 1, presenter_.RecordCount() - 1))
            return;
        showBrowsingButtons();
        editMode_ = Editing::StoredRecord;
        return;
    }
    // The operator confirms the delete of the record that is really under this number.
    if (!showStoredRecordOrReport())
        return;
    const MessageAnswer answer = messages_.show(QStringLiteral("Delete this record?"),
                                                QStringLiteral("Delete Record Confirmation"),
                                                MessageButtons::YesNo, MessageIcon::None);
    if (answer != MessageAnswer::Yes) {
        presenter_.moveFocusTo(c_.mskDateTaken);
        return;
    }
    int storedBefore = 0;
    if (FileStatus counted = store_.count(storedBefore); !counted) {
        emit fileFailed(counted);
        return;
    }
    if (FileStatus status = store_.remove(presenter_.CurrentRecord()); !status) {
        if (!deleteRecovery_.afterFailedRemove(status, storedBefore))
            return;
    }
    // The record is gone whatever follows: the window's position follows the file, and the
    // values still shown are no record's until the one now under this number is read.
    presenter_.recordDeleted();
    if (FileStatus status = presenter_.ShowCurrentRecord(); !status)
        deleteRecovery_.showUnreadableAfterDelete(presenter_.CurrentRecord(), status);
}

void RecordCommands::cmdNext_Click() {
    if (isCheckingRecords())
        return;
    if (presenter_.CurrentRecord() == presenter_.RecordCount()) {
        messages_.beep();
        messages_.show(QStringLiteral("End of file encountered!"), QStringLiteral("Last Record"),
                       MessageButtons::Ok, MessageIcon::Warning);
        return;
    }
    showOrReport(presenter_.CurrentRecord() + 1, presenter_.RecordCount());
}

void RecordCommands::cmdPrevious_Click() {
    if (isCheckingRecords())
        return;
    if (presenter_.CurrentRecord() == 1) {
        messages_.beep();
        messages_.show(QStringLiteral("Beginning of file encountered!"),
                       QStringLiteral("First Record"), MessageButtons::Ok, MessageIcon::Warning);
        return;
    }
    showOrReport(presenter_.CurrentRecord() - 1, presenter_.RecordCount());
}

void RecordCommands::goToRecord(int record) {
    if (isCheckingRecords() || editMode_ == Editing::NewRecord || record < 1)
        return;
    // A button takes the focus before its click, so the field's rule has run by then. A menu or
    // a dialog takes no focus from the window: the rule runs here, at the choice, with its
    // messages. A date rule sending the focus back to its box stops no button, nor this move.
    window_.leaveFocusedField();
    if (saveOrReport())
        showOrReport(record, presenter_.RecordCount());
}

void RecordCommands::cmdExit_Click() {
    if (isCheckingRecords())
        return;
    // With the data file closed after a failed delete, or a deleted record's values on display,
    // there is nothing that could be saved: Exit still ends the program.
    const bool nothingToSave = !store_.isOpen() || !presenter_.recordShown();
    if (!nothingToSave && !saveOrReport())
        return;
    store_.close();
    emit finished(0);
}

void RecordCommands::cmdPrint_Click() {
    if (isCheckingRecords())
        return;
    if (!saveOrReport())
        return;
    const QDateTime now = clock_.now();
    const QStringList lines = PrintedPage::lines(
        presenter_.RecordBuffer(), c_.cboRaceCode->currentText(), c_.cboAncestry->currentText(),
        presenter_.CurrentRecord(), presenter_.RecordCount(), now);
    const QString pdfPath = AppPaths{appPath_}.printedPage(presenter_.CurrentRecord(), now);
    // The record is saved whatever becomes of the page. A page that could not be printed is
    // written as a PDF where possible; either way the operator is told once, and the window
    // carries on unchanged.
    reportPrintOutcome(messages_, printer_.printPage(lines, pdfPath), PrintedItem::Record);
}

// The pass over the records is the submission's own.
void RecordCommands::cmdWriteEFile_Click() {
    if (isCheckingRecords())
        return;
    submission_.run();
}
