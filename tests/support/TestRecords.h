#pragma once

#include "storage/ResultRecord.h"

#include <QString>

namespace TestRecords {

// A blank record with the provider code, "HHLA" and the line end set: what New prepares.
inline ResultRecord newRecord(const QString& providerCode) {
    ResultRecord record;
    record.set(ResultRecord::ProviderCode, providerCode);
    record.set(ResultRecord::AnalysisMethod, QStringLiteral("HHLA"));
    record.set(ResultRecord::LineEnd, QStringLiteral("\r\n"));
    return record;
}

// A complete record: every mandatory field filled, provider code 123456, result 12.5.
inline ResultRecord completeRecord(const QString& lastName = QStringLiteral("Smith")) {
    ResultRecord record = newRecord(QStringLiteral("123456"));
    record.set(ResultRecord::DateTaken, QStringLiteral("11302026"));
    record.set(ResultRecord::LastName, lastName);
    record.set(ResultRecord::FirstName, QStringLiteral("Anna"));
    record.set(ResultRecord::MiddleInitial, QStringLiteral("B"));
    record.set(ResultRecord::DateOfBirth, QStringLiteral("07042019"));
    record.set(ResultRecord::Sex, QStringLiteral("F"));
    record.set(ResultRecord::StreetNumber, QStringLiteral("42"));
    record.set(ResultRecord::StreetName, QStringLiteral("Main Street"));
    record.set(ResultRecord::AptNumber, QStringLiteral("3B"));
    record.set(ResultRecord::City, QStringLiteral("Springfield"));
    record.set(ResultRecord::Zip, QStringLiteral("90210"));
    record.set(ResultRecord::ParentsFirst, QStringLiteral("Carol"));
    record.set(ResultRecord::ParentsLast, lastName);
    record.set(ResultRecord::PhoneAreaCode, QStringLiteral("555"));
    record.set(ResultRecord::PhoneNumber, QStringLiteral("123-4567"));
    record.set(ResultRecord::RaceCode, QStringLiteral("3"));
    record.set(ResultRecord::Ancestry, QStringLiteral("00"));
    record.set(ResultRecord::AnalysisDate, QStringLiteral("12012026"));
    record.set(ResultRecord::PbResult, QStringLiteral("12.5"));
    record.set(ResultRecord::BelowDetection, QStringLiteral("0"));
    record.set(ResultRecord::TestType, QStringLiteral("V"));
    record.set(ResultRecord::Physician, QStringLiteral("Dr. Jones"));
    return record;
}

} // namespace TestRecords
