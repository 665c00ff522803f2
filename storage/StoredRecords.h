#pragma once

#include "storage/FileStatus.h"
#include "storage/ResultRecord.h"

#include <QList>

class RecordStore;

// Every stored record, record 1 first. On failure records is empty.
FileStatus readStoredRecords(const RecordStore& store, QList<ResultRecord>& records);
