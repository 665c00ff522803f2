#include "window/DuplicateWarning.h"

#include "submission/DuplicateIndex.h"
#include "window/MessageService.h"

DuplicateWarning::DuplicateWarning(MessageService& messages, DuplicateIndex& index,
                                   const RecordStore& store, QString submitFolder, QObject* parent)
    : QObject(parent), messages_(messages), index_(index), store_(store),
      submitFolder_(std::move(submitFolder)) {}

void DuplicateWarning::newRecordSaved(int recordNumber, const ResultRecord& record) {
    // The record is saved whatever becomes of the check.
    if (FileStatus status = index_.bringUpToDate(store_, submitFolder_); !status) {
        emit fileFailed(status);
        return;
    }
    if (const auto match = index_.find(record, recordNumber))
        messages_.show(DuplicateIndex::possibleDuplicateMessage(*match),
                       QLatin1String(PossibleDuplicateTitle), MessageButtons::Ok,
                       MessageIcon::Warning);
}
