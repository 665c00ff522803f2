#pragma once

// Records and markers shared by the store tests and the helper program they run.
#include "storage/RecordStore.h"
#include "storage/ResultRecord.h"
#include "support/TestRecords.h"

#include <QString>

namespace StoreTestRecords {

inline constexpr const char* BeginMarker = "KORVANEL-OPERATION-BEGIN\n";
inline constexpr const char* EndMarker = "KORVANEL-OPERATION-END\n";

// A record that tells its number from every other: name, date and result differ.
inline ResultRecord record(int n) {
    ResultRecord result = TestRecords::newRecord(QStringLiteral("123456"));
    result.set(ResultRecord::DateTaken, QStringLiteral("0102%1").arg(2000 + n % 100));
    result.set(ResultRecord::LastName, QStringLiteral("Patient %1").arg(n));
    result.set(ResultRecord::FirstName, QStringLiteral("Zo\u00eb"));
    result.set(ResultRecord::City, QStringLiteral("Springfield"));
    result.set(ResultRecord::PbResult, QString::number(n % 100) + QStringLiteral(".5"));
    result.set(ResultRecord::BelowDetection, QStringLiteral("0"));
    result.set(ResultRecord::TestType, QStringLiteral("V"));
    return result;
}

// The store's record count, -1 when counting failed.
inline int storedCount(const RecordStore& store) {
    int records = 0;
    return store.count(records) ? records : -1;
}

} // namespace StoreTestRecords
