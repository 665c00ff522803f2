#pragma once

#include "storage/FileStatus.h"
#include "storage/ResultRecord.h"

#include <QObject>
#include <QString>

class DuplicateIndex;
class MessageService;
class RecordStore;

// After a new record is saved for the first time: one "Possible Duplicate" box when it names the
// same patient with the same dates as another stored record or a record already sent. The
// record stays saved as it is; the operator may delete it. When the records to compare cannot
// be read, the check is not made and the failure is told through fileFailed.
class DuplicateWarning : public QObject {
    Q_OBJECT
public:
    DuplicateWarning(MessageService& messages, DuplicateIndex& index, const RecordStore& store,
                     QString submitFolder, QObject* parent = nullptr);

    void newRecordSaved(int recordNumber, const ResultRecord& record);

signals:
    void fileFailed(const FileStatus& status);

private:
    MessageService& messages_;
    DuplicateIndex& index_;
    const RecordStore& store_;
    QString submitFolder_;
};
