#include "submission/RecordColumns.h"

#include "validation/FieldCodes.h"

namespace {

using F = ResultRecord;
using K = RecordColumns::Kind;

struct CodedEntry {
    QString code;
    QString text;
};

// The entries of a coded field, each its stored code with the window's text.
QList<CodedEntry> entriesOf(F::Field field) {
    auto fromList = [](const QStringList& entries, QString (*codeOf)(const QString&)) {
        QList<CodedEntry> result;
        for (const QString& entry : entries)
            result.append({codeOf(entry), entry});
        return result;
    };
    switch (field) {
    case F::Sex:
        return {{QStringLiteral("M"), QStringLiteral("Male")},
                {QStringLiteral("F"), QStringLiteral("Female")}};
    case F::TestType:
        return {{QStringLiteral("C"), QStringLiteral("Capillary")},
                {QStringLiteral("V"), QStringLiteral("Venous")}};
    case F::RaceCode:
        return fromList(FieldCodes::raceEntries(), FieldCodes::raceCodeFromEntry);
    case F::Ancestry:
        return fromList(FieldCodes::ancestryEntries(), FieldCodes::ancestryCodeFromEntry);
    default:
        return {};
    }
}

const QList<CodedEntry>& entries(F::Field field) {
    static const QList<CodedEntry> sex = entriesOf(F::Sex);
    static const QList<CodedEntry> race = entriesOf(F::RaceCode);
    static const QList<CodedEntry> ancestry = entriesOf(F::Ancestry);
    static const QList<CodedEntry> testType = entriesOf(F::TestType);
    static const QList<CodedEntry> none;
    switch (field) {
    case F::Sex:
        return sex;
    case F::RaceCode:
        return race;
    case F::Ancestry:
        return ancestry;
    case F::TestType:
        return testType;
    default:
        return none;
    }
}

} // namespace

const QList<RecordColumns::Column>& RecordColumns::all() {
    static const QList<Column> columns = {
        {QStringLiteral("Date Taken"), F::DateTaken, K::Date},
        {QStringLiteral("Last Name"), F::LastName, K::Text},
        {QStringLiteral("First Name"), F::FirstName, K::Text},
        {QStringLiteral("Middle Initial"), F::MiddleInitial, K::Text},
        {QStringLiteral("Date of Birth"), F::DateOfBirth, K::Date},
        {QStringLiteral("Sex Code"), F::Sex, K::Code},
        {QStringLiteral("Sex"), F::Sex, K::CodeText},
        {QStringLiteral("Street Number"), F::StreetNumber, K::Text},
        {QStringLiteral("Street Name"), F::StreetName, K::Text},
        {QStringLiteral("Apt Number"), F::AptNumber, K::Text},
        {QStringLiteral("City"), F::City, K::Text},
        {QStringLiteral("Zip Code"), F::Zip, K::Text},
        {QStringLiteral("Parents First"), F::ParentsFirst, K::Text},
        {QStringLiteral("Parents Last"), F::ParentsLast, K::Text},
        {QStringLiteral("Phone Area Code"), F::PhoneAreaCode, K::Text},
        {QStringLiteral("Phone Number"), F::PhoneNumber, K::Text},
        {QStringLiteral("Race Code"), F::RaceCode, K::Code},
        {QStringLiteral("Race"), F::RaceCode, K::CodeText},
        {QStringLiteral("Ancestry Code"), F::Ancestry, K::Code},
        {QStringLiteral("Ancestry"), F::Ancestry, K::CodeText},
        {QStringLiteral("Analysis Date"), F::AnalysisDate, K::Date},
        {QStringLiteral("Pb Result"), F::PbResult, K::Text},
        {QStringLiteral("Below Detection"), F::BelowDetection, K::Text},
        {QStringLiteral("Test Type Code"), F::TestType, K::Code},
        {QStringLiteral("Test Type"), F::TestType, K::CodeText},
        {QStringLiteral("Provider Code"), F::ProviderCode, K::Text},
        {QStringLiteral("Physician"), F::Physician, K::Text},
        {QStringLiteral("Analysis Method"), F::AnalysisMethod, K::Text},
    };
    return columns;
}

int RecordColumns::indexOf(const QString& header) {
    const QString wanted = header.trimmed();
    const QList<Column>& columns = all();
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).name.compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString RecordColumns::codeText(ResultRecord::Field field, const QString& code) {
    if (code.isEmpty())
        return QString();
    for (const CodedEntry& entry : entries(field)) {
        if (entry.code == code)
            return entry.text;
    }
    return QString();
}

QString RecordColumns::codeOfText(ResultRecord::Field field, const QString& text) {
    for (const CodedEntry& entry : entries(field)) {
        if (entry.text.compare(text, Qt::CaseInsensitive) == 0)
            return entry.code;
    }
    return QString();
}

QStringList RecordColumns::codes(ResultRecord::Field field) {
    QStringList result;
    for (const CodedEntry& entry : entries(field))
        result.append(entry.code);
    return result;
}
