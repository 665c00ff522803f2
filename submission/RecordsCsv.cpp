#include "submission/RecordsCsv.h"

#include "storage/RecordText.h"
#include "validation/FieldCodes.h"
#include "validation/RecordList.h"

#include <QLocale>

#include <algorithm>

namespace {

using F = ResultRecord;

// A coded field's text as the window shows it; nothing for a code the window has no entry for.
QString letterText(const QString& code, const char* first, const char* firstText,
                   const char* second, const char* secondText) {
    if (code == QLatin1String(first))
        return QLatin1String(firstText);
    if (code == QLatin1String(second))
        return QLatin1String(secondText);
    return QString();
}

QString listText(const QStringList& entries, const QString& code,
                 QString (*codeOf)(const QString&)) {
    if (code.isEmpty())
        return QString();
    for (const QString& entry : entries) {
        if (codeOf(entry) == code)
            return entry;
    }
    return QString();
}

// A control character (a line break, a NUL) becomes a blank.
QString withControlsBlanked(QString text) {
    for (QChar& ch : text) {
        if (RecordText::isControl(ch))
            ch = QLatin1Char(' ');
    }
    return text;
}

} // namespace

QStringList RecordsCsv::header() {
    return {QStringLiteral("Date Taken"),
            QStringLiteral("Last Name"),
            QStringLiteral("First Name"),
            QStringLiteral("Middle Initial"),
            QStringLiteral("Date of Birth"),
            QStringLiteral("Sex Code"),
            QStringLiteral("Sex"),
            QStringLiteral("Street Number"),
            QStringLiteral("Street Name"),
            QStringLiteral("Apt Number"),
            QStringLiteral("City"),
            QStringLiteral("Zip Code"),
            QStringLiteral("Parents First"),
            QStringLiteral("Parents Last"),
            QStringLiteral("Phone Area Code"),
            QStringLiteral("Phone Number"),
            QStringLiteral("Race Code"),
            QStringLiteral("Race"),
            QStringLiteral("Ancestry Code"),
            QStringLiteral("Ancestry"),
            QStringLiteral("Analysis Date"),
            QStringLiteral("Pb Result"),
            QStringLiteral("Below Detection"),
            QStringLiteral("Test Type Code"),
            QStringLiteral("Test Type"),
            QStringLiteral("Provider Code"),
            QStringLiteral("Physician"),
            QStringLiteral("Analysis Method")};
}

QStringList RecordsCsv::values(const ResultRecord& stored) {
    // A control character (a hand-edited file's NUL, 0x1F, a line break) becomes a blank, as in
    // the window, and every value is trimmed, so that nothing hides in front of a formula's
    // first character.
    const ResultRecord record = RecordText::withControlsBlanked(stored);
    auto text = [&](F::Field field) { return record.get(field).trimmed(); };
    auto date = [&](F::Field field) { return RecordList::displayDate(text(field)); };
    const QString sex = text(F::Sex);
    const QString race = text(F::RaceCode);
    const QString ancestry = text(F::Ancestry);
    const QString testType = text(F::TestType);
    return {date(F::DateTaken),
            text(F::LastName),
            text(F::FirstName),
            text(F::MiddleInitial),
            date(F::DateOfBirth),
            sex,
            letterText(sex, "M", "Male", "F", "Female"),
            text(F::StreetNumber),
            text(F::StreetName),
            text(F::AptNumber),
            text(F::City),
            text(F::Zip),
            text(F::ParentsFirst),
            text(F::ParentsLast),
            text(F::PhoneAreaCode),
            text(F::PhoneNumber),
            race,
            listText(FieldCodes::raceEntries(), race, FieldCodes::raceCodeFromEntry),
            ancestry,
            listText(FieldCodes::ancestryEntries(), ancestry, FieldCodes::ancestryCodeFromEntry),
            date(F::AnalysisDate),
            text(F::PbResult),
            text(F::BelowDetection),
            testType,
            letterText(testType, "C", "Capillary", "V", "Venous"),
            text(F::ProviderCode),
            text(F::Physician),
            text(F::AnalysisMethod)};
}

QString RecordsCsv::field(const QString& value) {
    QString written = value;
    if (!written.isEmpty() && QStringLiteral("=+-@").contains(written.front()))
        written.prepend(QLatin1Char('\''));
    static const QString needsQuotes = QStringLiteral(",\"\r\n");
    if (std::any_of(written.cbegin(), written.cend(),
                    [](QChar ch) { return needsQuotes.contains(ch); })) {
        written.replace(QLatin1Char('"'), QLatin1String("\"\""));
        written = QLatin1Char('"') + written + QLatin1Char('"');
    }
    return written;
}

QByteArray RecordsCsv::document(const QList<ResultRecord>& records) {
    QList<QStringList> rows;
    rows.reserve(records.size());
    for (const ResultRecord& record : records)
        rows.append(values(record));
    return document(header(), rows);
}

QByteArray RecordsCsv::document(const QStringList& header, const QList<QStringList>& rows) {
    auto line = [](const QStringList& values) {
        QStringList fields;
        fields.reserve(values.size());
        for (const QString& value : values)
            fields.append(field(withControlsBlanked(value).trimmed()));
        return fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    };
    QString text = line(header);
    for (const QStringList& row : rows)
        text += line(row);
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

QString RecordsCsv::recordsFileName(const QDate& day) {
    return QStringLiteral("Korvanel_Records_%1.csv")
        .arg(QLocale::c().toString(day, QStringLiteral("yyyyMMdd")));
}

QString RecordsCsv::followUpFileName(const QDate& day) {
    return QStringLiteral("Korvanel_FollowUp_%1.csv")
        .arg(QLocale::c().toString(day, QStringLiteral("yyyyMMdd")));
}

QString RecordsCsv::submissionFileName(const QString& submissionFile) {
    QString name = submissionFile;
    if (name.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
        name.chop(4);
    return name + QStringLiteral(".csv");
}
