#include "validation/ChildFields.h"

ResultRecord ChildFields::withChildOf(ResultRecord newRecord, const ResultRecord& child) {
    for (const ResultRecord::Field field : Fields)
        newRecord.set(field, child.get(field));
    return newRecord;
}
