#include "window/main/RecordNavigation.h"

#include <algorithm>

void adjustPositionAfterDelete(int& recordCount, int& currentRecord) {
    recordCount = std::max(recordCount - 1, 1);
    if (currentRecord > recordCount)
        currentRecord = recordCount;
}
