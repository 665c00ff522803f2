#pragma once

#include <QByteArray>
#include <QString>

#include <array>

// One blood lead test result with its patient's data: 25 fixed-width text fields, 198 bytes on
// disk, the last two a carriage return and line feed. The data file and the submission file are
// nothing but such records, one after the other.
class ResultRecord {
public:
    enum Field {
        DateTaken,
        LastName,
        FirstName,
        MiddleInitial,
        DateOfBirth,
        Sex,
        StreetNumber,
        StreetName,
        AptNumber,
        City,
        Zip,
        ParentsFirst,
        ParentsLast,
        PhoneAreaCode,
        PhoneNumber,
        RaceCode,
        Ancestry,
        AnalysisDate,
        PbResult,
        BelowDetection,
        TestType,
        ProviderCode,
        Physician,
        AnalysisMethod,
        LineEnd,
        FieldCount
    };

    static constexpr int Size = 198;

    static int width(Field field);
    static int offset(Field field);

    // Every field blank, the line end included.
    ResultRecord();

    // Stores the value left-justified, padded with blanks and cut to the field's width.
    void set(Field field, const QString& value);
    // The field as stored, always exactly its width.
    QString get(Field field) const;
    // The field without leading and trailing blanks, as the window shows it.
    QString trimmed(Field field) const;
    // Every field blank, the line end included.
    void blank();

    // Exactly 198 bytes, one byte a character in Windows-1252.
    QByteArray encode() const;
    // From up to 198 bytes; a short input (a partial last record) is padded with blanks.
    static ResultRecord decode(const QByteArray& bytes);

    bool operator==(const ResultRecord& other) const { return fields_ == other.fields_; }
    bool operator!=(const ResultRecord& other) const { return !(*this == other); }

private:
    std::array<QString, FieldCount> fields_;
};
