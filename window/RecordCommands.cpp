#include "window/RecordCommands.h"

#include "printing/PrintedPage.h"
#include "printing/Printer.h"
#include "reference/ProviderCode.h"
#include "storage/RecordStore.h"
#include "submission/SubmissionName.h"
#include "submission/SubmissionWriter.h"
#include "validation/Completeness.h"
#include "validation/TextValue.h"
#include "storage/AppPaths.h"
#include "window/Clock.h"
#include "window/MainWindowController.h"
#include "window/MaskedEdit.h"
#include "window/MessageService.h"
#include "window/RecordPresenter.h"
#include "window/frmKorvanel.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

RecordCommands::RecordCommands(MainWindowController& controller, MainWindowServices& services)
    : QObject(&controller), controller_(controller), services_(services) {
    Ui::frmKorvanel& c = controller_.controls();
    connect(c.cmdNew, &QPushButton::clicked, this, &RecordCommands::cmdNew_Click);
    connect(c.cmdUpdate, &QPushButton::clicked, this, &RecordCommands::cmdUpdate_Click);
    connect(c.cmdDelete, &QPushButton::clicked, this, &RecordCommands::cmdDelete_Click);
    connect(c.cmdPrevious, &QPushButton::clicked, this, &RecordCommands::cmdPrevious_Click);
    connect(c.cmdNext, &QPushButton::clicked, this, &RecordCommands::cmdNext_Click);
    connect(c.cmdExit, &QPushButton::clicked, this, &RecordCommands::cmdExit_Click);
    connect(c.cmdPrint, &QPushButton::clicked, this, &RecordCommands::cmdPrint_Click);
    connect(c.cmdWriteEFile, &QPushButton::clicked, this, &RecordCommands::cmdWriteEFile_Click);
}

bool RecordCommands::saveOrReport() {
    FileStatus status = controller_.presenter().SaveCurrentRecord();
    if (!status)
        controller_.reportFileFailure(status);
    return status.ok();
}

bool RecordCommands::showOrReport() {
    FileStatus status = controller_.presenter().ShowCurrentRecord();
    if (!status)
        controller_.reportFileFailure(status);
    return status.ok();
}

void RecordCommands::showNewRecordButtons() {
    Ui::frmKorvanel& c = controller_.controls();
    for (QPushButton* button : {c.cmdNew, c.cmdPrevious, c.cmdNext, c.cmdPrint, c.cmdWriteEFile})
        button->setEnabled(false);
    c.cmdUpdate->setEnabled(true);
    c.cmdExit->setEnabled(true);
    c.cmdDelete->setText(QStringLiteral("Cancel"));
}

// Only reached once a new record has been saved or cancelled, which is when the button's
// design caption "Delete Record" gives way to "Delete" for the rest of the run.
void RecordCommands::showBrowsingButtons() {
    Ui::frmKorvanel& c = controller_.controls();
    for (QPushButton* button :
         {c.cmdNew, c.cmdPrevious, c.cmdNext, c.cmdPrint, c.cmdWriteEFile, c.cmdUpdate, c.cmdExit})
        button->setEnabled(true);
    c.cmdDelete->setText(QStringLiteral("Delete"));
}

void RecordCommands::cmdNew_Click() {
    MainWindowState& state = controller_.state();
    if (!saveOrReport())
        return;
    const MainWindowState before = state;
    state.EditMode = QStringLiteral("new");
    state.RecordCount += 1;
    state.RecordBuffer = ResultRecord::newRecord(trimBlanks(state.CurrentProviderCode));
    state.CurrentRecord = state.RecordCount;
    if (!showOrReport()) {
        state = before;
        return;
    }
    showNewRecordButtons();
}

void RecordCommands::cmdUpdate_Click() {
    MainWindowState& state = controller_.state();
    if (!saveOrReport())
        return;
    if (!state.isNewRecord())
        return;
    // The new record is stored now, so the window leaves new-record mode even if showing it
    // again fails: the window still holds exactly what was stored.
    const ResultRecord saved = state.RecordBuffer;
    showOrReport();
    showBrowsingButtons();
    state.EditMode = QStringLiteral("notnew");
    state.sFirstRecord = QStringLiteral("N");
    emit newRecordSaved(state.CurrentRecord, saved);
}

void RecordCommands::cmdDelete_Click() {
    MainWindowState& state = controller_.state();
    Ui::frmKorvanel& c = controller_.controls();
    if (state.isFirstRecord()) {
        emit controller_.finished(0);
        return;
    }
    if (state.isNewRecord()) {
        const MainWindowState before = state;
        state.RecordCount -= 1;
        state.CurrentRecord = state.RecordCount;
        if (!showOrReport()) {
            state = before;
            return;
        }
        showBrowsingButtons();
        state.EditMode = QStringLiteral("notnew");
        return;
    }
    const MessageAnswer answer = controller_.window().messages().show(
        QStringLiteral("Delete this record?"), QStringLiteral("Delete Record Confirmation"),
        MessageButtons::YesNo, MessageIcon::None);
    if (answer != MessageAnswer::Yes) {
        controller_.presenter().moveFocusTo(c.mskDateTaken);
        return;
    }
    RecordStore& store = controller_.store();
    const int storedBefore = store.count();
    if (FileStatus status = store.remove(state.CurrentRecord); !status) {
        controller_.reportFileFailure(status);
        if (!recoverAfterFailedRemove(storedBefore))
            return;
    }
    adjustPositionAfterDelete(state.RecordCount, state.CurrentRecord);
    showOrReport();
}

// A failed delete normally leaves the file as it was. It can also fail after the shorter file
// already took the old one's place (flushing the folder, reopening): the record is then gone,
// and the window must follow, or the next save would write the deleted record's values over
// its neighbour. True when the record was in fact deleted.
bool RecordCommands::recoverAfterFailedRemove(int storedBefore) {
    RecordStore& store = controller_.store();
    if (!store.isOpen()) {
        if (FileStatus reopened = store.open(); !reopened) {
            controller_.reportFileFailure(reopened);
            return false;
        }
    }
    return store.count() < storedBefore;
}

void RecordCommands::cmdNext_Click() {
    MainWindowState& state = controller_.state();
    if (state.CurrentRecord == state.RecordCount) {
        controller_.window().messages().beep();
        controller_.window().messages().show(QStringLiteral("End of file encountered!"),
                                             QStringLiteral("Last Record"), MessageButtons::Ok,
                                             MessageIcon::Warning);
        return;
    }
    state.CurrentRecord += 1;
    if (!showOrReport())
        state.CurrentRecord -= 1;
}

void RecordCommands::cmdPrevious_Click() {
    MainWindowState& state = controller_.state();
    if (state.CurrentRecord == 1) {
        controller_.window().messages().beep();
        controller_.window().messages().show(QStringLiteral("Beginning of file encountered!"),
                                             QStringLiteral("First Record"), MessageButtons::Ok,
                                             MessageIcon::Warning);
        return;
    }
    state.CurrentRecord -= 1;
    if (!showOrReport())
        state.CurrentRecord += 1;
}

void RecordCommands::cmdExit_Click() {
    if (!saveOrReport())
        return;
    controller_.store().close();
    emit controller_.finished(0);
}

void RecordCommands::cmdPrint_Click() {
    MainWindowState& state = controller_.state();
    Ui::frmKorvanel& c = controller_.controls();
    if (!saveOrReport())
        return;
    const QDateTime now = controller_.window().clock().now();
    const QStringList lines = PrintedPage::lines(state.RecordBuffer, c.cboRaceCode->currentText(),
                                                 c.cboAncestry->currentText(), state.CurrentRecord,
                                                 state.RecordCount, now);
    const QString pdfPath = AppPaths{state.AppPath}.printed() + QDir::separator() +
                            QStringLiteral("Record_%1_%2.pdf")
                                .arg(state.CurrentRecord)
                                .arg(QLocale::c().toString(now, QStringLiteral("yyyyMMdd_HHmmss")));
    // The record is saved whatever becomes of the page. A page that could not be printed is
    // written as a PDF where possible; either way the operator is told once, and the window
    // carries on unchanged.
    const PrintOutcome outcome = services_.printer.printPage(lines, pdfPath);
    if (outcome.kind() == PrintOutcome::SavedAsPdf) {
        controller_.window().messages().show(
            QStringLiteral("The record was saved, but it was not printed: %1\r\nThe page was "
                           "written to this file, which can be printed elsewhere:\r\n%2")
                .arg(outcome.reason(), QDir::toNativeSeparators(outcome.pdfPath())),
            QStringLiteral("Print Record"), MessageButtons::Ok, MessageIcon::Warning);
    } else if (outcome.kind() == PrintOutcome::Failed) {
        controller_.window().messages().show(
            QStringLiteral("The record was saved, but it could not be printed:\r\n%1")
                .arg(outcome.reason()),
            QStringLiteral("Print Record"), MessageButtons::Ok, MessageIcon::Warning);
    }
}

bool RecordCommands::IsIncompleteRecord(bool* fileFailed) {
    MainWindowState& state = controller_.state();
    if (fileFailed)
        *fileFailed = false;
    const CompletenessDecision decision =
        decideIsIncompleteRecord(state.RecordBuffer, state.CurrentProviderCode);
    if (decision.incomplete) {
        controller_.window().messages().show(decision.message, decision.title, MessageButtons::Ok,
                                             MessageIcon::None);
        if (auto* control = controller_.window().findChild<QWidget*>(decision.focusControl))
            controller_.presenter().moveFocusTo(control);
        return true;
    }
    // A complete record stored under an older provider code is saved again from the window,
    // which shows it, so that it carries the code in force. A failed save stops the pass like
    // a gap would: the record must not be handed on with the old code.
    if (decision.rewriteRecord && !saveOrReport()) {
        if (fileFailed)
            *fileFailed = true;
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
    MainWindowState& state = controller_.state();
    Ui::frmKorvanel& c = controller_.controls();
    if (!saveOrReport())
        return;
    const int startedOn = state.CurrentRecord;
    for (int record = 1; record <= state.RecordCount; ++record) {
        const int shown = state.CurrentRecord;
        state.CurrentRecord = record;
        FileStatus status = controller_.presenter().ShowCurrentRecord();
        if (!status) {
            state.CurrentRecord = shown;
            controller_.reportFileFailure(status);
            returnToRecord(startedOn);
            return;
        }
        bool fileFailed = false;
        if (IsIncompleteRecord(&fileFailed)) {
            if (fileFailed)
                returnToRecord(startedOn);
            return;
        }
    }
    RecordStore& store = controller_.store();
    store.close();
    const SubmissionWriter::Outcome result =
        SubmissionWriter(state.AppPath)
            .write(trimBlanks(c.txtProviderCode->text()), controller_.window().clock().now());
    if (!result.status && result.filePath.isEmpty()) {
        controller_.reportFileFailure(result.status);
        if (FileStatus reopened = store.open(); !reopened) {
            controller_.reportFileFailure(reopened);
            return;
        }
        returnToRecord(startedOn);
        return;
    }
    // The submission file exists and the data file is gone; only flushing the removal failed.
    // The records are handed on, so the operator hears of the failure and then of the file.
    if (!result.status)
        controller_.reportFileFailure(result.status);
    controller_.window().messages().show(
        SubmissionName::reportText(state.AppPath, result.relativeName),
        SubmissionName::reportTitle(), MessageButtons::Ok, MessageIcon::None);
    emit controller_.finished(0);
}

// Shows the record again that was shown before; when even that read fails the window keeps
// the record it shows, and CurrentRecord stays that record's number, so a later save can never
// write one record's values over another.
void RecordCommands::returnToRecord(int record) {
    MainWindowState& state = controller_.state();
    if (state.CurrentRecord == record)
        return;
    const int shown = state.CurrentRecord;
    state.CurrentRecord = record;
    if (!controller_.presenter().ShowCurrentRecord())
        state.CurrentRecord = shown;
}
