#pragma once

#include "storage/ResultRecord.h"

#include <QObject>

class MainWindowController;
struct MainWindowServices;

// The row of command buttons: New, Delete (or Cancel), Update, Previous, Next, Print, Create
// Electronic File and Exit, with the two sets of button states they switch between.
// A file that cannot be read or written is reported in one message and changes nothing: the
// window keeps what the operator typed, so the command can be tried again.
class RecordCommands : public QObject {
    Q_OBJECT
public:
    RecordCommands(MainWindowController& controller, MainWindowServices& services);

    void cmdNew_Click();
    void cmdUpdate_Click();
    void cmdDelete_Click();
    void cmdPrevious_Click();
    void cmdNext_Click();
    void cmdExit_Click();
    void cmdPrint_Click();
    void cmdWriteEFile_Click();

    // True when the record in RecordBuffer lacks a mandatory field or no provider code is set;
    // the operator is told the first gap and the focus goes to its field. A complete record
    // stored under another provider code is saved again with the code in force; when that save
    // fails the failure is reported, fileFailed (if given) is set, and the result is true.
    bool IsIncompleteRecord(bool* fileFailed = nullptr);

    void showNewRecordButtons();
    void showBrowsingButtons();

signals:
    // Update stored a new record for the first time, as record recordNumber.
    void newRecordSaved(int recordNumber, const ResultRecord& record);

private:
    bool saveOrReport();
    bool showOrReport();
    bool recoverAfterFailedRemove(int storedBefore);
    void returnToRecord(int record);

    MainWindowController& controller_;
    MainWindowServices& services_;
};
