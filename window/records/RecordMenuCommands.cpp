#include "window/records/RecordMenuCommands.h"

#include "storage/RecordStore.h"
#include "submission/DuplicateIndex.h"
#include "submission/RecordsCheck.h"
#include "window/main/RecordCommands.h"
#include "window/main/SentRecordsReading.h"
#include "window/main/StoredRecordsWait.h"
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
    // The rows are made where the records are read: making 25,000 rows held the window.
    QList<ResultRecord> records;
    RecordTableModel::Prepared prepared;
    const QString code = providerCode_.CurrentProviderCode();
    if (FileStatus status =
            StoredRecordsWait::readAll(window_, QStringLiteral("Find Record"), store_, &records,
                                       [&](const QList<ResultRecord>& read) {
                                           prepared = RecordTableModel::prepare(read, code);
                                       });
        !status) {
        emit fileFailed(status);
        return;
    }
    auto* dialog = new FindRecordDialog(std::move(records), code, std::move(prepared), &window_);
    connect(dialog, &FindRecordDialog::recordChosen, &commands_, &RecordCommands::goToRecord);
    showModalDialog(dialog, window_);
}

void RecordMenuCommands::openCheckAllRecords() {
    if (commands_.EditMode() == Editing::NewRecord)
        return;
    const QString title = QStringLiteral("Check All Records");
    QList<ResultRecord> records;
    FileStatus failure;
    if (!StoredRecordsWait::readForComparing(window_, title, store_, index_, sent_, &records, {},
                                             failure)) {
        // The command is not carried out; a wait given up is no failure to report.
        if (!failure)
            emit fileFailed(failure);
        return;
    }
    auto* dialog = new CheckAllRecordsDialog(
        RecordsCheckPass(records, providerCode_.CurrentProviderCode(), index_), &window_);
    connect(dialog, &CheckAllRecordsDialog::recordChosen, &commands_, &RecordCommands::goToRecord);
    showModalDialog(dialog, window_);
}
