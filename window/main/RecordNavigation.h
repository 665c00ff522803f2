#pragma once

// After a delete: RecordCount one less but never below 1; CurrentRecord no greater than it.
void adjustPositionAfterDelete(int& recordCount, int& currentRecord);
