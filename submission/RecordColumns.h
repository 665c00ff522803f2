#pragma once

#include "storage/ResultRecord.h"

#include <QList>
#include <QString>
#include <QStringList>

// The columns of a records spreadsheet file, in the order the export writes them: the one table
// that both the writer (RecordsCsv) and the reader (RecordsImport) go by, so that a file written
// by the one is always read back by the other. Each column names the record field it holds; a
// coded field (sex, race, ancestry, test type) has two columns, its stored code and the text the
// window shows for it.
namespace RecordColumns {

enum class Kind {
    Text,     // the field as stored, trimmed
    Date,     // a stored MMDDYYYY date as MM/DD/YYYY
    Code,     // a coded field's stored code
    CodeText, // the text the window shows for a coded field's code
};

struct Column {
    QString name; // the header, as the window names the field
    ResultRecord::Field field;
    Kind kind;
};

const QList<Column>& all();
// The position of the column with this header (blanks around it and case ignored); -1 for none.
int indexOf(const QString& header);

// The text the window shows for a coded field's code ("M" gives "Male", "4" gives
// "Asian - Pacific Islander (4)"); empty for a code the window has no entry for.
QString codeText(ResultRecord::Field field, const QString& code);
// The code whose text this is (case ignored); empty for a text the window does not show.
QString codeOfText(ResultRecord::Field field, const QString& text);
// The codes the window stores for a coded field, as the window lists them.
QStringList codes(ResultRecord::Field field);

} // namespace RecordColumns
