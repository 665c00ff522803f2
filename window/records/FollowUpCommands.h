#pragma once

#include "storage/FileStatus.h"

#include <QList>
#include <QObject>
#include <QString>

class Clock;
class MessageService;
class RecordCommands;
class RecordStore;
class SubmissionHistoryCommands;
class QWidget;
struct FollowUpRow;

// Records > Follow-Up Due: the list of the children whose latest result calls for another test
// (submission/FollowUpList) over the stored records and the files in Submit, as of the clock's
// day. A record of the data file chosen in it is gone to through RecordCommands::goToRecord, as
// Find Record goes; for a record kept in a submission file the operator is told which file holds
// it. Print List and Export to CSV go the history's way (SubmissionHistoryCommands). Refused while
// a new record is entered; a data file that cannot be read is reported through fileFailed and
// opens nothing, a submission file that cannot be read is named in the window.
//
// The window opens at once and the list is made in a worker (the stored records handed over as
// values, Submit read there), which the window cancels when it closes; the workers still
// finishing are waited for when this object goes, so that none outlives the program's window.
class FollowUpCommands : public QObject {
    Q_OBJECT
public:
    FollowUpCommands(QWidget& window, QString appPath, RecordStore& store, RecordCommands& commands,
                     SubmissionHistoryCommands& outputs, MessageService& messages, Clock& clock,
                     QObject* parent = nullptr);
    ~FollowUpCommands() override;

    void openFollowUpDue();

    // The message for a row whose record is kept in a submission file.
    static QString sentRecordMessage(const FollowUpRow& row);

signals:
    void fileFailed(const FileStatus& status);

private:
    QWidget& window_;
    QString appPath_;
    RecordStore& store_;
    RecordCommands& commands_;
    SubmissionHistoryCommands& outputs_;
    MessageService& messages_;
    Clock& clock_;
};
