#pragma once

#include "storage/FileStatus.h"

#include <QObject>
#include <QString>

#include <memory>

class Clock;
class DuplicateIndex;
class SentRecordsReading;
class OpenFilePrompt;
class RecordCommands;
class RecordStore;
class QWidget;
struct ImportReport;
class ProviderCodeCheck;
class RecordPresenter;

// Records > Import Records: asks for a file ("Choose a File to Import"), checks it against the
// stored records and the records already sent, and shows the outcome in "Import Records". On
// Import every record is appended, or none, and the first one imported is shown through
// RecordCommands::goToRecord (the record shown is saved first, as every move saves it). Off
// while a new record is entered, as the other Records entries are. A file that cannot be read
// or written is reported through fileFailed.
class ImportRecordsCommand : public QObject {
    Q_OBJECT
public:
    ImportRecordsCommand(QWidget& window, const ProviderCodeCheck& providerCode, RecordStore& store,
                         RecordPresenter& presenter, RecordCommands& commands,
                         DuplicateIndex& index, SentRecordsReading& sent, Clock& clock,
                         QObject* parent = nullptr);
    ~ImportRecordsCommand() override;

    void openImportRecords();
    // Tests answer the file chooser from a script.
    void setOpenFilePrompt(OpenFilePrompt& prompt) { prompt_ = &prompt; }

signals:
    void fileFailed(const FileStatus& status);

private:
    void importChecked(const QString& path, const ImportReport& report);

    QWidget& window_;
    const ProviderCodeCheck& providerCode_;
    RecordStore& store_;
    RecordPresenter& presenter_;
    RecordCommands& commands_;
    DuplicateIndex& index_;
    SentRecordsReading& sent_;
    Clock& clock_;
    std::unique_ptr<OpenFilePrompt> qtPrompt_;
    OpenFilePrompt* prompt_ = nullptr;
};
