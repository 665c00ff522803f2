#pragma once

#include "storage/FileStatus.h"

#include <QObject>
#include <QString>

class DuplicateIndex;
class SentRecordsReading;
class ProviderCodeCheck;
class QDialog;
class RecordCommands;
class RecordStore;
class QWidget;

// The Records menu's commands: Find Record and Check All Records open their dialogs over the
// stored records, and a record chosen in either is gone to through RecordCommands::goToRecord:
// the field that has the focus is left, the record shown saved, the chosen one shown. A file
// that cannot be read is reported through fileFailed and opens nothing.
class RecordMenuCommands : public QObject {
    Q_OBJECT
public:
    RecordMenuCommands(QWidget& window, RecordStore& store, RecordCommands& commands,
                       DuplicateIndex& index, SentRecordsReading& sent,
                       const ProviderCodeCheck& providerCode, QObject* parent = nullptr);

    void openFindRecord();
    void openCheckAllRecords();

signals:
    void fileFailed(const FileStatus& status);

private:
    QWidget& window_;
    RecordStore& store_;
    RecordCommands& commands_;
    DuplicateIndex& index_;
    SentRecordsReading& sent_;
    const ProviderCodeCheck& providerCode_;
};
