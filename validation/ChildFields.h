#pragma once

#include "storage/ResultRecord.h"

#include <array>

// The fields that describe the child rather than one test: what a retest of the same child
// starts with. The sample's dates, the result and the test type belong to each test and are not
// among them.
namespace ChildFields {

inline constexpr std::array<ResultRecord::Field, 17> Fields = {
    ResultRecord::LastName,      ResultRecord::FirstName,   ResultRecord::MiddleInitial,
    ResultRecord::DateOfBirth,   ResultRecord::Sex,         ResultRecord::StreetNumber,
    ResultRecord::StreetName,    ResultRecord::AptNumber,   ResultRecord::City,
    ResultRecord::Zip,           ResultRecord::ParentsLast, ResultRecord::ParentsFirst,
    ResultRecord::PhoneAreaCode, ResultRecord::PhoneNumber, ResultRecord::RaceCode,
    ResultRecord::Ancestry,      ResultRecord::Physician};

// The new record with the child's fields of child, as they are stored; every other field as
// newRecord has it.
ResultRecord withChildOf(ResultRecord newRecord, const ResultRecord& child);

} // namespace ChildFields
