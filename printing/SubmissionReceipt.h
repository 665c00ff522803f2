#pragma once

#include "printing/PagedList.h"
#include "storage/ResultRecord.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// The printed list of a submission file's records, a receipt of what was sent: the heading with
// the moment of printing, the file's name, the moment it was made and its number of records,
// then one line per record (No., Last Name, First Name, Date of Birth, Date Taken, Result). As
// many pages as the records need, each headed again with the file's name and its page number;
// pages are separated by Printer::pageBreak() lines.
namespace SubmissionReceipt {

// Lines on one page, heading included: what a letter or A4 page holds in 12-point Courier
// within half-inch margins.
constexpr int LinesPerPage = 50;

QStringList lines(const QString& fileName, const QDateTime& created,
                  const QList<ResultRecord>& records, const QDateTime& printedAt);
// The same pages, each made when it is printed.
PagedList pages(const QString& fileName, const QDateTime& created,
                const QList<ResultRecord>& records, const QDateTime& printedAt);
// The same with count records, record i (from 0) asked for as its line is made.
PagedList pages(const QString& fileName, const QDateTime& created, int count,
                std::function<ResultRecord(int)> record, const QDateTime& printedAt);

} // namespace SubmissionReceipt
