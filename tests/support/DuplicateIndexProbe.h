#pragma once

#include "submission/DuplicateIndex.h"

// What the tests read of a duplicate index beyond its answers.
struct DuplicateIndexProbe {
    // The number of records read from the submission files.
    static int sentCount(const DuplicateIndex& index) { return index.sent_.recordCount(); }
};
