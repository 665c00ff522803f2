#include "printing/PrintedPage.h"

#include "storage/TextValue.h"
#include "validation/EntryRules.h"

namespace {

using Field = ResultRecord::Field;

const QString kIndent(10, QLatin1Char(' '));

QString blanks(qsizetype count) {
    return QString(qMax<qsizetype>(count, 0), QLatin1Char(' '));
}

// Label in column 11, value in column 36.
QString plainLine(const QString& label, const QString& value) {
    return kIndent + label + blanks(25 - label.size()) + value;
}

// Label in column 11, "[" in column 29; the caller pads after "]" so the meaning starts in 36.
QString codedLine(const QString& label, const QString& code, qsizetype blanksAfter,
                  const QString& meaning) {
    return kIndent + label + blanks(18 - label.size()) + QLatin1Char('[') + code +
           QLatin1Char(']') + blanks(blanksAfter) + meaning;
}

// A number with one blank in front unless a minus sign takes its place.
QString signedNumber(qint32 number) {
    return number < 0 ? QString::number(number) : QLatin1Char(' ') + QString::number(number);
}

QString twoDigits(int number) {
    return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

QString asDate(const QString& stored) {
    return stored.mid(0, 2) + QLatin1Char('/') + stored.mid(2, 2) + QLatin1Char('/') +
           stored.mid(4, 4);
}

QString asTelephone(const ResultRecord& record) {
    const QString number = record.get(ResultRecord::PhoneNumber);
    return QLatin1Char('(') + record.get(ResultRecord::PhoneAreaCode) + QStringLiteral(") ") +
           number.left(3) + QLatin1Char('-') + number.right(4);
}

// A one-letter field printed with its meaning when the letter is known, else as stored.
QString letterLine(const ResultRecord& record, Field field, const QString& label,
                   const QString& firstLetter, const QString& firstMeaning,
                   const QString& secondLetter, const QString& secondMeaning) {
    const QString letter = record.trimmed(field);
    if (letter == firstLetter)
        return codedLine(label, letter, 4, firstMeaning);
    if (letter == secondLetter)
        return codedLine(label, letter, 4, secondMeaning);
    return plainLine(label, record.get(field));
}

// The leading number of a stored result: blanks skipped, then digits with at most one decimal
// point. A sign is not part of it, so "+5" and "-5" have no leading number and count as 0.
double printedResultValue(const QString& stored) {
    const QString text = TextValue::trimBlanks(stored);
    if (text.startsWith(QLatin1Char('+')) || text.startsWith(QLatin1Char('-')))
        return 0.0;
    return TextValue::numericValue(text);
}

// Results outside the analyzer's range are printed with what they mean.
QString resultLine(const ResultRecord& record) {
    const QString label = QStringLiteral("Pb Result:");
    const double value = printedResultValue(record.get(ResultRecord::PbResult));
    const QString code = record.trimmed(ResultRecord::PbResult);
    if (value < LowResultBound)
        return codedLine(label, code, 5 - code.size(), QStringLiteral("Low Result (<3.3)"));
    if (value > HighResultBound)
        return codedLine(label, code, 5 - code.size(), QStringLiteral("High Result (>65.0)"));
    return plainLine(label, record.get(ResultRecord::PbResult));
}

} // namespace

QString PrintedPage::timeStamp(const QDateTime& moment) {
    const QDate date = moment.date();
    const QTime time = moment.time();
    const int hour = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return twoDigits(date.month()) + QLatin1Char('/') + twoDigits(date.day()) + QLatin1Char('/') +
           QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')) + QLatin1Char(' ') +
           twoDigits(hour) + QLatin1Char(':') + twoDigits(time.minute()) + QLatin1Char(':') +
           twoDigits(time.second()) +
           (time.hour() < 12 ? QStringLiteral(" AM") : QStringLiteral(" PM"));
}

QStringList PrintedPage::lines(const ResultRecord& record, const QString& raceText,
                               const QString& ancestryText, qint32 currentRecord,
                               qint32 recordCount, const QDateTime& moment) {
    QStringList page;
    page << QString() << QString();
    page << kIndent + QStringLiteral("Korvanel\u00AE II Blood Lead Result") + blanks(12) +
                timeStamp(moment);
    page << QString();
    page << kIndent + QStringLiteral("Record: ") + signedNumber(currentRecord) +
                QStringLiteral(" of ") + signedNumber(recordCount);
    page << QString();

    page << plainLine(QStringLiteral("Date Taken:"), asDate(record.get(ResultRecord::DateTaken)));
    page << plainLine(QStringLiteral("Last Name:"), record.get(ResultRecord::LastName));
    page << plainLine(QStringLiteral("First Name:"), record.get(ResultRecord::FirstName));
    page << plainLine(QStringLiteral("Middle Initial:"), record.get(ResultRecord::MiddleInitial));
    page << plainLine(QStringLiteral("Date of Birth:"),
                      asDate(record.get(ResultRecord::DateOfBirth)));
    page << letterLine(record, ResultRecord::Sex, QStringLiteral("Sex:"), QStringLiteral("M"),
                       QStringLiteral("Male"), QStringLiteral("F"), QStringLiteral("Female"));
    page << plainLine(QStringLiteral("Street Number:"), record.get(ResultRecord::StreetNumber));
    page << plainLine(QStringLiteral("Street Name:"), record.get(ResultRecord::StreetName));
    page << plainLine(QStringLiteral("Apartment Number:"), record.get(ResultRecord::AptNumber));
    page << plainLine(QStringLiteral("City:"), record.get(ResultRecord::City));
    page << plainLine(QStringLiteral("Zip Code:"), record.get(ResultRecord::Zip));
    page << plainLine(QStringLiteral("Parents Last:"), record.get(ResultRecord::ParentsLast));
    page << plainLine(QStringLiteral("Parents First:"), record.get(ResultRecord::ParentsFirst));
    page << plainLine(QStringLiteral("Phone:"), asTelephone(record));
    page << codedLine(QStringLiteral("Race:"), record.get(ResultRecord::RaceCode), 4, raceText);
    page << codedLine(QStringLiteral("Ancestry:"), record.get(ResultRecord::Ancestry), 3,
                      ancestryText);
    page << plainLine(QStringLiteral("Analysis Date:"),
                      asDate(record.get(ResultRecord::AnalysisDate)));
    page << resultLine(record);
    page << plainLine(QStringLiteral("Below Detection:"), record.get(ResultRecord::BelowDetection));
    page << letterLine(record, ResultRecord::TestType, QStringLiteral("Test Type:"),
                       QStringLiteral("C"), QStringLiteral("Capillary"), QStringLiteral("V"),
                       QStringLiteral("Venous"));
    page << plainLine(QStringLiteral("Provider Code:"), record.get(ResultRecord::ProviderCode));
    page << plainLine(QStringLiteral("Physician:"), record.get(ResultRecord::Physician));
    page << plainLine(QStringLiteral("Analysis Method:"), record.get(ResultRecord::AnalysisMethod));
    return page;
}
