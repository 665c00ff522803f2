#include "window/main/SubmissionCommand.h"

#include "storage/RecordStore.h"
#include "storage/TextValue.h"
#include "submission/SubmissionName.h"
#include "submission/SubmissionWriter.h"
#include "ui_frmKorvanel.h"
#include "validation/Completeness.h"
#include "window/main/FieldControls.h"
#include "window/main/RecordPresenter.h"
#include "window/provider/ProviderCodeCheck.h"
#include "window/services/Clock.h"
#include "window/services/MessageService.h"
#include "window/widgets/DepthGuard.h"

SubmissionCommand::SubmissionCommand(QWidget& window, Ui::frmKorvanel& controls, QString appPath,
                                     RecordStore& store, RecordPresenter& presenter,
                                     const ProviderCodeCheck& providerCode,
                                     MessageService& messages, Clock& clock)
    : c_(controls), appPath_(std::move(appPath)), store_(store), presenter_(presenter),
      providerCode_(providerCode), messages_(messages), clock_(clock), progress_(window, clock) {}

// Nothing is saved over a record whose values the window did not read from it: after a delete
// whose neighbour could not be read, that record is read again first.
bool SubmissionCommand::saveOrReport() {
    const FileStatus status = presenter_.saveRecordOnForm();
    if (!status)
        reportFailure(status);
    return status.ok();
}

bool SubmissionCommand::showOrReport(int record, int recordCount) {
    FileStatus status = presenter_.showRecord(record, recordCount);
    if (!status)
        reportFailure(status);
    return status.ok();
}

// A message never appears under the progress window of the pass: it goes first.
void SubmissionCommand::reportFailure(const FileStatus& status) {
    progress_.end();
    emit fileFailed(status);
}

bool SubmissionCommand::IsIncompleteRecord(bool* rewriteFailed) {
    if (rewriteFailed)
        *rewriteFailed = false;
    const CompletenessDecision decision = Completeness::decideIsIncompleteRecord(
        presenter_.RecordBuffer(), providerCode_.CurrentProviderCode());
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
void SubmissionCommand::run() {
    if (isCheckingRecords())
        return;
    const DepthGuard checking(checkingRecords_);
    if (!saveOrReport())
        return;
    if (refuseCutShortRecord())
        return;
    const int startedOn = presenter_.CurrentRecord();
    progress_.begin(presenter_.RecordCount());
    for (int record = 1; record <= presenter_.RecordCount(); ++record) {
        progress_.advance(record);
        if (!showOrReport(record, presenter_.RecordCount())) {
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
    const SubmissionWriter::Outcome result = SubmissionWriter(appPath_).write(
        TextValue::trimBlanks(providerCode_.CurrentProviderCode()), clock_.now());
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
    messages_.show(SubmissionName::reportText(appPath_, result.relativeName),
                   SubmissionName::reportTitle(), MessageButtons::Ok, MessageIcon::None);
    emit finished(0);
}

// A data file whose last record is cut short is not handed on; the operator is told which record
// it is before the pass begins. Saving the record on display may just have made it whole.
bool SubmissionCommand::refuseCutShortRecord() {
    SubmissionWriter::CutShortRecord cutShort;
    if (FileStatus status = SubmissionWriter::findCutShortRecord(appPath_, cutShort); !status) {
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
void SubmissionCommand::returnToRecord(int record) {
    if (presenter_.CurrentRecord() != record)
        presenter_.showRecord(record, presenter_.RecordCount());
}
