#include "window/records/RecordMenuCommands.h"

#include "storage/RecordStore.h"
#include "storage/StoredRecords.h"
#include "submission/DuplicateIndex.h"
#include "submission/RecordsCheck.h"
#include "window/main/RecordCommands.h"
#include "window/main/SentRecordsReading.h"
#include "window/provider/ProviderCodeCheck.h"
#include "window/records/CheckAllRecordsDialog.h"
#include "window/records/FindRecordDialog.h"
#include "window/widgets/ModalDialog.h"

RecordMenuCommands::RecordMenuCommands(QWidget& window, RecordStore& store,
                                       RecordCommands& commands, DuplicateIndex& index,
                                       SentRecordsReading& sent,
                                       const ProviderCodeCheck& providerCode, QObject* parent)
    : QObject(parent), window_(window), store_(store), commands_(commands), index_(index),
      sent_(sent), providerCode_(providerCode) {}

void RecordMenuCommands::openFindRecord() {
    if (commands_.EditMode() == Editing::NewRecord)
        return;
    QList<ResultRecord> records;
    if (FileStatus status = StoredRecords::readAll(store_, records); !status) {
        emit fileFailed(status);
        return;
    }
    auto* dialog =
        new FindRecordDialog(std::move(records), providerCode_.CurrentProviderCode(), &window_);
    connect(dialog, &FindRecordDialog::recordChosen, &commands_, &RecordCommands::goToRecord);
    showModalDialog(dialog, window_);
}

void RecordMenuCommands::openCheckAllRecords() {
    if (commands_.EditMode() == Editing::NewRecord)
        return;
    QList<ResultRecord> records;
    FileStatus status = StoredRecords::readAll(store_, records);
    if (status) {
        index_.setStoredRecords(records);
        sent_.waitUntilRead(QStringLiteral("Check All Records"));
        status = index_.bringStoredUpToDate(store_);
    }
    if (!status) {
        emit fileFailed(status);
        return;
    }
    auto* dialog = new CheckAllRecordsDialog(
        RecordsCheckPass(records, providerCode_.CurrentProviderCode(), index_), &window_);
    connect(dialog, &CheckAllRecordsDialog::recordChosen, &commands_, &RecordCommands::goToRecord);
    showModalDialog(dialog, window_);
}
