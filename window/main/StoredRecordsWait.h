#pragma once

#include "storage/FileStatus.h"
#include "storage/ResultRecord.h"

#include <QList>

#include <functional>

class DuplicateIndex;
class QWidget;
class RecordStore;
class SentRecordsReading;

// The stored records read for a command on a thread of their own, the window live meanwhile
// ("Reading records: n of N" in a small modal window titled after the command when it takes
// longer than 40 ms): tens of thousands of records take longer than the 100 ms a window may
// stay still. The store is only read, and the window takes no input while it waits, so nothing
// writes the data file meanwhile.
namespace StoredRecordsWait {

// Every stored record, as StoredRecords::readAll, into records when given. inWorker, when given,
// is run on the records in the worker, for what a command makes of them. Records not asked for
// are freed in the worker too: tens of thousands of them take longer to free than a window may
// stay still.
FileStatus readAll(QWidget& window, const QString& title, const RecordStore& store,
                   QList<ResultRecord>* records,
                   const std::function<void(const QList<ResultRecord>&)>& inWorker = {});

// The duplicate index's stored part brought up to date (DuplicateIndex::bringStoredUpToDate),
// its reading off the window's thread.
FileStatus bringIndexUpToDate(QWidget& window, const QString& title, const RecordStore& store,
                              DuplicateIndex& index);

// For a command that compares records with every stored and sent one: the stored records read
// as readAll reads them, the duplicate index given them, and the records already sent waited
// for. False when the command is not to go on: failure then holds why, or success when the
// operator gave up the wait for Submit.
bool readForComparing(QWidget& window, const QString& title, const RecordStore& store,
                      DuplicateIndex& index, SentRecordsReading& sent, QList<ResultRecord>* records,
                      const std::function<void(const QList<ResultRecord>&)>& inWorker,
                      FileStatus& failure);

} // namespace StoredRecordsWait
