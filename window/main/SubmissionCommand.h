#pragma once

#include "storage/FileStatus.h"
#include "window/widgets/CheckingProgress.h"

#include <QObject>
#include <QString>

class Clock;
class MessageService;
class ProviderCodeCheck;
class RecordPresenter;
class RecordStore;
class QWidget;
namespace Ui {
class frmKorvanel;
}

// Create Electronic File: saves the record shown, refuses a data file whose last record is cut
// short, checks every stored record in turn (showing CheckingProgress when the pass is long),
// then hands the data file on as the submission file and reports its name.
// A file that cannot be read or written is reported once (fileFailed) and the window goes back
// to the record it showed, so the command can be tried again.
class SubmissionCommand : public QObject {
    Q_OBJECT
public:
    SubmissionCommand(QWidget& window, Ui::frmKorvanel& controls, QString appPath,
                      RecordStore& store, RecordPresenter& presenter,
                      const ProviderCodeCheck& providerCode, MessageService& messages,
                      Clock& clock);

    // The whole pass, from the save of the record shown to the report of the submission file.
    void run();

    // True when the record in RecordBuffer lacks a mandatory field or no provider code is set
    // (the operator is told the first gap and the focus goes to its field), or when a complete
    // record stored under another provider code could not be saved again with the code in force;
    // *rewriteFailed, when given, tells that last case apart.
    bool IsIncompleteRecord(bool* rewriteFailed = nullptr);

    // True while the pass goes through the records: no command runs meanwhile.
    bool isCheckingRecords() const { return checkingRecords_ > 0; }

signals:
    // The records were handed on: the program must end now, with this exit status.
    void finished(int exitCode);
    // A file could not be read or written; the operator is to be told.
    void fileFailed(const FileStatus& status);

private:
    bool saveOrReport();
    bool showOrReport(int record, int recordCount);
    void reportFailure(const FileStatus& status);
    bool refuseCutShortRecord();
    void returnToRecord(int record);

    Ui::frmKorvanel& c_;
    QString appPath_;
    RecordStore& store_;
    RecordPresenter& presenter_;
    const ProviderCodeCheck& providerCode_;
    MessageService& messages_;
    Clock& clock_;
    CheckingProgress progress_;
    int checkingRecords_ = 0;
};
