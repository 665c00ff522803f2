#pragma once

#include "storage/FileStatus.h"

#include <QObject>

class MessageService;
class RecordPresenter;
class RecordStore;

// What follows a delete that failed on its way, or whose neighbour could not be read: the
// window follows the file, nothing is saved over a record that moved, and the operator is told
// what state the file is in.
class DeleteRecovery : public QObject {
    Q_OBJECT
public:
    DeleteRecovery(RecordStore& store, RecordPresenter& presenter, MessageService& messages);

    // After store.remove() failed with failure, when the file held storedBefore records: reopens
    // the file if the failure closed it and counts the records again. True when the record was
    // in fact deleted, so that the window must follow.
    bool afterFailedRemove(const FileStatus& failure, int storedBefore);

    // The record was deleted but the one now numbered record could not be read (status).
    void showUnreadableAfterDelete(int record, const FileStatus& status);

signals:
    // A file could not be read or written; the operator is to be told.
    void fileFailed(const FileStatus& status);

private:
    void showDeleteFailureWithFileClosed(const FileStatus& failure, const FileStatus& reopened);

    RecordStore& store_;
    RecordPresenter& presenter_;
    MessageService& messages_;
};
