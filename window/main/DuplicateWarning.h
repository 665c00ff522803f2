#pragma once

#include "storage/ResultRecord.h"

#include <QObject>
#include <QSet>
#include <QString>

class DuplicateIndex;
class MessageService;
class QWidget;
class RecordStore;
class SentRecordsReading;

// After a new record is saved for the first time: one "Possible Duplicate" box when it names the
// same patient with the same dates as another stored record or a record already sent. The
// record stays saved as it is; the operator may delete it. Records that cannot be read are
// passed over and the check runs over the rest; one "File Error" box after the save says that
// the record was saved and names what was not checked (a file in Submit once a run). When the
// files of Submit are still being read, the check waits for them with the reading's progress
// window, after the save; so does a reading of the stored records.
class DuplicateWarning : public QObject {
    Q_OBJECT
public:
    DuplicateWarning(QWidget& window, MessageService& messages, DuplicateIndex& index,
                     SentRecordsReading& sent, const RecordStore& store, QObject* parent = nullptr);

    void newRecordSaved(int recordNumber, const ResultRecord& record);

private:
    QWidget& window_;
    MessageService& messages_;
    DuplicateIndex& index_;
    SentRecordsReading& sent_;
    const RecordStore& store_;
    QSet<QString> told_; // the files in Submit already named
};
