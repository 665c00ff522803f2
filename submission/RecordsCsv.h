#pragma once

#include "storage/ResultRecord.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// Records as a spreadsheet file: UTF-8 (with the byte-order mark that spreadsheet programs look
// for), a header row, comma separators and CR LF line ends, fields quoted where RFC 4180 needs
// it. One column per record field, named as the window names it; values trimmed, dates as
// MM/DD/YYYY, and the coded fields (sex, race, ancestry, test type) twice: the stored code and
// the text the window shows for it.
namespace RecordsCsv {

QStringList header();
// The row's values before quoting: control characters blanked, then trimmed.
QStringList values(const ResultRecord& record);

// One value as written: a value that a spreadsheet would take for a formula (one beginning with
// "=", "+", "-" or "@", or with apostrophes before one of them) gets a leading apostrophe, so
// that it stays text; then a value holding a comma, a quote or a line break is put in quotes,
// its quotes doubled.
QString field(const QString& value);
// A value as read back, trimmed and with the apostrophe that field() puts before a formula's
// first character taken off again ("'=1+2" gives "=1+2", "''=1" gives "'=1"; "'Neil" stays as it
// is).
QString unguarded(const QString& value);

// The whole file.
QByteArray document(const QList<ResultRecord>& records);
// A file of other rows (a list as a window shows it), written the same way: every value's
// control characters blanked and trimmed, then protected and quoted by field().
QByteArray document(const QStringList& header, const QList<QStringList>& rows);

// The names offered in the save dialog: Korvanel_Records_20261206.csv for the data file, and the
// submission file's name with .csv in place of .txt.
QString recordsFileName(const QDate& day);
QString submissionFileName(const QString& submissionFile);
// Korvanel_FollowUp_20261206.csv for the Follow-Up Due list.
QString followUpFileName(const QDate& day);

} // namespace RecordsCsv
