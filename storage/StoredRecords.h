#pragma once

#include "storage/FileStatus.h"
#include "storage/ResultRecord.h"

#include <QList>

class RecordStore;

namespace StoredRecords {

// Every stored record, record 1 first. On failure records is empty.
FileStatus readAll(const RecordStore& store, QList<ResultRecord>& records);

} // namespace StoredRecords
