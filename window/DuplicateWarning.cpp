#include "window/DuplicateWarning.h"

#include "submission/DuplicateIndex.h"
#include "window/MessageService.h"

DuplicateWarning::DuplicateWarning(MessageService& messages, DuplicateIndex& index,
                                   const RecordStore& store, QString submitFolder, QObject* parent)
    : QObject(parent), messages_(messages), index_(index), store_(store),
      submitFolder_(std::move(submitFolder)) {}

void DuplicateWarning::newRecordSaved(int recordNumber, const ResultRecord& record) {
    // The warning is advice on a record already saved: when the stored records cannot be read
    // for it, the save stands and no box is shown.
    if (!index_.bringUpToDate(store_, submitFolder_))
        return;
    if (const auto match = index_.find(record, recordNumber))
        messages_.show(possibleDuplicateMessage(*match), QLatin1String(PossibleDuplicateTitle),
                       MessageButtons::Ok, MessageIcon::Warning);
}
