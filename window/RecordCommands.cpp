#include "window/RecordCommands.h"

#include "printing/PrintedPage.h"
#include "printing/Printer.h"
#include "storage/AppPaths.h"
#include "storage/RecordStore.h"
#include "storage/TextValue.h"
#include "submission/SubmissionName.h"
#include "submission/SubmissionWriter.h"
#include "ui_frmKorvanel.h"
#include "validation/Completeness.h"
#include "window/Clock.h"
#include "window/DepthGuard.h"
#include "window/FieldControls.h"
#include "window/MainWindowState.h"
#include "window/MessageService.h"
#include "window/RecordNavigation.h"
#include "window/RecordPresenter.h"
#include "window/frmKorvanel.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>

namespace {

// The advice that fits the failure, as a sentence to append; none where none fits.
QString adviceSentence(const FileStatus& status) {
    const QString advice = status.advice();
    return advice.isEmpty() ? QString() : QLatin1Char(' ') + advice;
}

} // namespace

RecordCommands::RecordCommands(frmKorvanel& window, MainWindowState& state, RecordStore& store,
                               RecordPresenter& presenter, Printer& printer)
    : window_(window), c_(window.form()), state_(state), store_(store), presenter_(presenter),
      messages_(window.messages()), clock_(window.clock()), printer_(printer),
      progress_(window, window.clock()) {
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
    if (!showStoredRecordOrReport())
        return false;
    FileStatus status = presenter_.SaveCurrentRecord();
    if (!status)
        reportFailure(status);
    return status.ok();
}

// A message never appears under the progress window of the pass: it goes first.
void RecordCommands::reportFailure(const FileStatus& status) {
    progress_.end();
    emit fileFailed(status);
}

bool RecordCommands::showOrReport(int record, int recordCount) {
    FileStatus status = presenter_.showRecord(record, recordCount);
    if (!status)
        reportFailure(status);
    return status.ok();
}

bool RecordCommands::showStoredRecordOrReport() {
    return presenter_.recordShown() || showOrReport(state_.CurrentRecord, state_.RecordCount);
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
    if (isCheckingRecords())
        return;
    if (!saveOrReport())
        return;
    // The record after the last is blank: RecordCount now counts it.
    if (!showOrReport(state_.RecordCount + 1, state_.RecordCount + 1))
        return;
    state_.EditMode = Editing::NewRecord;
    showNewRecordButtons();
}

void RecordCommands::cmdUpdate_Click() {
    if (isCheckingRecords())
        return;
    if (!saveOrReport())
        return;
    if (state_.EditMode != Editing::NewRecord)
        return;
    // The new record is stored now, so the window leaves new-record mode even if showing it
    // again fails: the window still holds exactly what was stored.
    const ResultRecord saved = state_.RecordBuffer;
    showOrReport(state_.CurrentRecord, state_.RecordCount);
    showBrowsingButtons();
    state_.EditMode = Editing::StoredRecord;
    state_.FirstRecord = false;
    emit newRecordSaved(state_.CurrentRecord, saved);
}

void RecordCommands::cmdDelete_Click() {
    if (isCheckingRecords())
        return;
    if (state_.FirstRecord) {
        emit finished(0);
        return;
    }
    if (state_.EditMode == Editing::NewRecord) {
        if (!showOrReport(state_.RecordCount - 1, state_.RecordCount - 1))
            return;
        showBrowsingButtons();
        state_.EditMode = Editing::StoredRecord;
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
    if (FileStatus status = store_.remove(state_.CurrentRecord); !status) {
        if (!recoverAfterFailedRemove(status, storedBefore))
            return;
    }
    // The record is gone whatever follows: the window's position follows the file, and the
    // values still shown are no record's until the one now under this number is read.
    adjustPositionAfterDelete(state_.RecordCount, state_.CurrentRecord);
    presenter_.forgetShownRecord();
    if (FileStatus status = presenter_.ShowCurrentRecord(); !status)
        showUnreadableAfterDelete(status);
}

// A failed delete normally leaves the file as it was. It can also fail after the shorter file
// already took the old one's place (flushing the folder, reopening): the record is then gone,
// and the window must follow. True when the record was in fact deleted.
bool RecordCommands::recoverAfterFailedRemove(const FileStatus& failure, int storedBefore) {
    if (!store_.isOpen()) {
        if (FileStatus reopened = store_.open(); !reopened) {
            // The values shown may be those of a record that is gone.
            presenter_.forgetShownRecord();
            showDeleteFailureWithFileClosed(failure, reopened);
            return false;
        }
    }
    emit fileFailed(failure);
    int storedNow = 0;
    if (FileStatus counted = store_.count(storedNow); !counted) {
        // Whether the record is gone is unknown: nothing may be saved over a record that moved.
        presenter_.forgetShownRecord();
        emit fileFailed(counted);
        store_.close();
        return false;
    }
    return storedNow < storedBefore;
}

void RecordCommands::showUnreadableAfterDelete(const FileStatus& status) {
    messages_.show(
        QStringLiteral("The record was deleted, but the record now numbered %1 could not be "
                       "read:\r\n%2\r\n%3\r\n\r\nThe window still shows the deleted record, which "
                       "is not saved again. Record %1 is read again before anything is saved.%4")
            .arg(QString::number(state_.CurrentRecord), QDir::toNativeSeparators(status.path()),
                 status.reason(), adviceSentence(status)),
        QStringLiteral("File Error"), MessageButtons::Ok, MessageIcon::Warning);
}

void RecordCommands::showDeleteFailureWithFileClosed(const FileStatus& failure,
                                                     const FileStatus& reopened) {
    messages_.show(
        QStringLiteral("The delete did not finish:\r\n%1\r\n%2\r\n\r\nThe data file could not be "
                       "opened again:\r\n%3\r\n%4\r\n\r\nNothing can be saved now. Exit ends the "
                       "program without saving.%5")
            .arg(QDir::toNativeSeparators(failure.path()), failure.reason(),
                 QDir::toNativeSeparators(reopened.path()), reopened.reason(),
                 adviceSentence(reopened)),
        QStringLiteral("File Error"), MessageButtons::Ok, MessageIcon::Warning);
}

void RecordCommands::cmdNext_Click() {
    if (isCheckingRecords())
        return;
    if (state_.CurrentRecord == state_.RecordCount) {
        messages_.beep();
        messages_.show(QStringLiteral("End of file encountered!"), QStringLiteral("Last Record"),
                       MessageButtons::Ok, MessageIcon::Warning);
        return;
    }
    showOrReport(state_.CurrentRecord + 1, state_.RecordCount);
}

void RecordCommands::cmdPrevious_Click() {
    if (isCheckingRecords())
        return;
    if (state_.CurrentRecord == 1) {
        messages_.beep();
        messages_.show(QStringLiteral("Beginning of file encountered!"),
                       QStringLiteral("First Record"), MessageButtons::Ok, MessageIcon::Warning);
        return;
    }
    showOrReport(state_.CurrentRecord - 1, state_.RecordCount);
}

void RecordCommands::goToRecord(int record) {
    if (isCheckingRecords() || state_.EditMode == Editing::NewRecord || record < 1)
        return;
    // A button takes the focus before its click, so the field's rule has run by then. A menu or
    // a dialog takes no focus from the window: the rule runs here, at the choice, with its
    // messages. A date rule sending the focus back to its box stops no button, nor this move.
    window_.leaveFocusedField();
    if (saveOrReport())
        showOrReport(record, state_.RecordCount);
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
    const QStringList lines = PrintedPage::lines(state_.RecordBuffer, c_.cboRaceCode->currentText(),
                                                 c_.cboAncestry->currentText(),
                                                 state_.CurrentRecord, state_.RecordCount, now);
    const QString pdfPath = AppPaths{state_.AppPath}.printedPage(state_.CurrentRecord, now);
    // The record is saved whatever becomes of the page. A page that could not be printed is
    // written as a PDF where possible; either way the operator is told once, and the window
    // carries on unchanged.
    const PrintOutcome outcome = printer_.printPage(lines, pdfPath);
    if (outcome.kind() == PrintOutcome::SavedAsPdf) {
        messages_.show(
            QStringLiteral("The record was saved, but it was not printed: %1\r\nThe page was "
                           "written to this file, which can be printed elsewhere:\r\n%2")
                .arg(outcome.reason(), QDir::toNativeSeparators(outcome.pdfPath())),
            QStringLiteral("Print Record"), MessageButtons::Ok, MessageIcon::Warning);
    } else if (outcome.kind() == PrintOutcome::Failed) {
        messages_.show(QStringLiteral("The record was saved, but it could not be printed:\r\n%1")
                           .arg(outcome.reason()),
                       QStringLiteral("Print Record"), MessageButtons::Ok, MessageIcon::Warning);
    }
}

bool RecordCommands::IsIncompleteRecord(bool* rewriteFailed) {
    if (rewriteFailed)
        *rewriteFailed = false;
    const CompletenessDecision decision =
        Completeness::decideIsIncompleteRecord(state_.RecordBuffer, state_.CurrentProviderCode);
    if (decision.incomplete) {
        progress_.end();
        messages_.show(decision.message, decision.title, MessageButtons::Ok, MessageIcon::None);
        if (QWidget* control = FieldControls::controlFor(c_, decision.focusField))
            presenter_.moveFocusTo(control);
        return true;
    }
    // A complete record stored under an older provider code is saved again from the window,
    // which shows it, so that it carries the code in force. A failed save stops the pass like
    // a gap would: the record must not be handed on with the old code.
    if (decision.rewriteRecord && !saveOrReport()) {
        if (rewriteFailed)
            *rewriteFailed = true;
        return true;
    }
    return false;
}

// Every stored record is shown and checked in turn; the pass stops on the first incomplete one,
// which stays on display for the operator to correct. When all are complete the data file
// becomes the submission file and the program ends.
//
// A file failure anywhere (the save, a read, the rewrite of a record, the counter, the copy)
// is reported once, the data file stays with every record, and the window goes back to the
// record that was shown when the command started (its edits are saved by then), so the
// operator can free the disk and start the command again.
void RecordCommands::cmdWriteEFile_Click() {
    if (isCheckingRecords())
        return;
    const DepthGuard checking(checkingRecords_);
    if (!saveOrReport())
        return;
    if (refuseCutShortRecord())
        return;
    const int startedOn = state_.CurrentRecord;
    progress_.begin(state_.RecordCount);
    for (int record = 1; record <= state_.RecordCount; ++record) {
        progress_.advance(record);
        if (!showOrReport(record, state_.RecordCount)) {
            returnToRecord(startedOn);
            return;
        }
        bool rewriteFailed = false;
        if (IsIncompleteRecord(&rewriteFailed)) {
            if (rewriteFailed)
                returnToRecord(startedOn);
            return;
        }
    }
    progress_.end();
    store_.close();
    const SubmissionWriter::Outcome result =
        SubmissionWriter(state_.AppPath)
            .write(TextValue::trimBlanks(state_.CurrentProviderCode), clock_.now());
    if (result.result == SubmissionWriter::Result::Failed) {
        emit fileFailed(result.status);
        if (FileStatus reopened = store_.open(); !reopened) {
            emit fileFailed(reopened);
            return;
        }
        returnToRecord(startedOn);
        return;
    }
    // The submission file exists and the data file is gone; only flushing the removal failed.
    // The records are handed on, so the operator hears of the failure and then of the file.
    if (result.result == SubmissionWriter::Result::HandedOnFlushFailed)
        emit fileFailed(result.status);
    messages_.show(SubmissionName::reportText(state_.AppPath, result.relativeName),
                   SubmissionName::reportTitle(), MessageButtons::Ok, MessageIcon::None);
    emit finished(0);
}

// A data file whose last record is cut short is not handed on; the operator is told which record
// it is before the pass begins. Saving the record on display may just have made it whole.
bool RecordCommands::refuseCutShortRecord() {
    SubmissionWriter::CutShortRecord cutShort;
    if (FileStatus status = SubmissionWriter::findCutShortRecord(state_.AppPath, cutShort);
        !status) {
        reportFailure(status);
        return true;
    }
    if (cutShort.record == 0)
        return false;
    messages_.show(SubmissionWriter::cutShortText(cutShort), SubmissionWriter::cutShortTitle(),
                   MessageButtons::Ok, MessageIcon::Warning);
    return true;
}

// Shows again the record that was shown before; when even that read fails the window keeps
// the record it shows, under that record's own number.
void RecordCommands::returnToRecord(int record) {
    if (state_.CurrentRecord != record)
        presenter_.showRecord(record, state_.RecordCount);
}
