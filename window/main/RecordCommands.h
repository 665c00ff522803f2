#pragma once

#include "storage/FileStatus.h"
#include "storage/ResultRecord.h"

#include <QObject>
#include <QString>

class Clock;
class DeleteRecovery;
class FieldRules;
class MessageService;
class Printer;
class RecordPresenter;
class RecordStore;
class SubmissionCommand;
class frmKorvanel;
namespace Ui {
class frmKorvanel;
}

// Whether the record shown is stored or a new one not yet saved.
enum class Editing { StoredRecord, NewRecord };

// The row of command buttons: New, Delete (or Cancel), Update, Previous, Next, Print, Create
// Electronic File and Exit, with the two sets of button states they switch between. A failed
// delete is followed through DeleteRecovery; Create Electronic File is SubmissionCommand's pass.
// A file that cannot be read or written is reported once (fileFailed) and changes nothing: the
// window keeps what the operator typed, so the command can be tried again. It holds the edit
// mode (EditMode) and whether the first record of an empty file is entered (FirstRecord).
class RecordCommands : public QObject {
    Q_OBJECT
public:
    RecordCommands(frmKorvanel& window, Ui::frmKorvanel& controls, QString appPath,
                   RecordStore& store, RecordPresenter& presenter, const FieldRules& fieldRules,
                   MessageService& messages, Clock& clock, Printer& printer,
                   DeleteRecovery& deleteRecovery, SubmissionCommand& submission);

    Editing EditMode() const { return editMode_; }
    bool FirstRecord() const { return firstRecord_; }

    // Start-up on an empty file: the first record is entered, with the new-record buttons.
    void enterFirstRecord();

    void cmdNew_Click();
    void cmdUpdate_Click();
    void cmdDelete_Click();
    void cmdPrevious_Click();
    void cmdNext_Click();
    void cmdExit_Click();
    void cmdPrint_Click();
    void cmdWriteEFile_Click();
    // New Record, the new record starting with the shown record's child (ChildFields) and the
    // zip list offering that child's city's zip codes. Runs only while New Record is enabled.
    void newResultForThisChild();

    // The one way to leave the shown record for record n from outside the row of buttons (a
    // menu entry, a dialog's choice, a row picked in a list): the field that has the focus is
    // left first, as a click on a button leaves it, then the record shown is saved and record n
    // shown. Refused while a new record is entered or the records are being checked.
    void goToRecord(int record);

    void showNewRecordButtons();
    void showBrowsingButtons();

signals:
    // The program must end now, with this exit status.
    void finished(int exitCode);
    // A file could not be read or written; the operator is to be told.
    void fileFailed(const FileStatus& status);
    // Update stored a new record for the first time, as record recordNumber.
    void newRecordSaved(int recordNumber, const ResultRecord& record);

private:
    bool isCheckingRecords() const;
    bool saveOrReport();
    bool showOrReport(int record, int recordCount, const ResultRecord* childOf = nullptr);
    void startNewRecord(bool sameChild);
    bool showStoredRecordOrReport();

    frmKorvanel& window_;
    Ui::frmKorvanel& c_;
    QString appPath_;
    RecordStore& store_;
    RecordPresenter& presenter_;
    const FieldRules& fieldRules_;
    MessageService& messages_;
    Clock& clock_;
    Printer& printer_;
    DeleteRecovery& deleteRecovery_;
    SubmissionCommand& submission_;
    Editing editMode_ = Editing::StoredRecord;
    bool firstRecord_ = false;
};
