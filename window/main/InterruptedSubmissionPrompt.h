#pragma once

#include "storage/FileStatus.h"

#include <QString>

class MessageService;
class RecordStore;

struct InterruptedSubmissionAnswer {
    bool emptied = false; // the records were removed: start as with an empty data file
    FileStatus failure;   // to be told; with the store closed, start-up cannot go on
};

// Start-up's offer, once the data file is open and counted, to finish a submission that
// stopped after publishing its file: Yes removes the records from the data file and reopens
// it empty; No keeps both copies (the operator may have restored the records on purpose).
// When Submit, or a file in it that may hold the records, cannot be read, the operator is told
// in a "File Error" naming it, and start-up goes on.
InterruptedSubmissionAnswer offerToFinishInterruptedSubmission(MessageService& messages,
                                                               RecordStore& store,
                                                               const QString& appPath,
                                                               int recordCount);
