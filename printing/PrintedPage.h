#pragma once

#include "storage/ResultRecord.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// The printed record as lines of fixed-pitch text: a heading with the moment of printing, the
// record's position and one line for each field. Labels stand in column 11 and values in
// column 36; coded values show their code in brackets from column 29 and the meaning from
// column 36.
namespace PrintedPage {

// The printer font; the size is set before the name.
constexpr int FontPointSize = 12;
inline QString fontFamily() {
    return QStringLiteral("Courier New");
}

// "mm/dd/yyyy HH:MM:SS AM/PM" on the 12-hour clock, hour 01 to 12: "07/04/2009 02:05:09 PM".
QString timeStamp(const QDateTime& moment);

// Every line of the page, in order. raceText and ancestryText are what the race and ancestry
// lists show; the position numbers are printed as the window counts them.
QStringList lines(const ResultRecord& record, const QString& raceText, const QString& ancestryText,
                  qint32 currentRecord, qint32 recordCount, const QDateTime& moment);

} // namespace PrintedPage
