#pragma once

#include "storage/FileStatus.h"
#include "storage/ResultRecord.h"

#include <QList>

#include <functional>

class RecordStore;

namespace StoredRecords {

// Told the records read so far of all, before the first piece and after each.
using Progress = std::function<void(int done, int total)>;

// Every stored record, record 1 first, a megabyte a read. On failure records is empty.
FileStatus readAll(const RecordStore& store, QList<ResultRecord>& records,
                   const Progress& progress = {});

} // namespace StoredRecords
