#include "submission/RecordsCsv.h"

#include "storage/RecordText.h"
#include "submission/RecordColumns.h"
#include "validation/RecordList.h"

#include <QLocale>

#include <algorithm>

namespace {

// A control character (a line break, a NUL) becomes a blank.
QString withControlsBlanked(QString text) {
    for (QChar& ch : text) {
        if (RecordText::isControl(ch))
            ch = QLatin1Char(' ');
    }
    return text;
}

// The number of apostrophes before the value's first character when that is one a spreadsheet
// takes for a formula's ("=", "+", "-", "@"); -1 when the value is no formula.
qsizetype apostrophesBeforeFormula(const QString& value) {
    qsizetype at = 0;
    while (at < value.size() && value.at(at) == QLatin1Char('\''))
        ++at;
    return at < value.size() && QStringLiteral("=+-@").contains(value.at(at)) ? at : -1;
}

} // namespace

QStringList RecordsCsv::header() {
    QStringList names;
    for (const RecordColumns::Column& column : RecordColumns::all())
        names.append(column.name);
    return names;
}

QStringList RecordsCsv::values(const ResultRecord& stored) {
    // A control character (a hand-edited file's NUL, 0x1F, a line break) becomes a blank, as in
    // the window, and every value is trimmed, so that nothing hides in front of a formula's
    // first character.
    const ResultRecord record = RecordText::withControlsBlanked(stored);
    QStringList row;
    row.reserve(RecordColumns::all().size());
    for (const RecordColumns::Column& column : RecordColumns::all()) {
        const QString text = record.get(column.field).trimmed();
        switch (column.kind) {
        case RecordColumns::Kind::Date:
            row.append(RecordList::displayDate(text));
            break;
        case RecordColumns::Kind::CodeText:
            row.append(RecordColumns::codeText(column.field, text));
            break;
        case RecordColumns::Kind::Text:
        case RecordColumns::Kind::Code:
            row.append(text);
            break;
        }
    }
    return row;
}

QString RecordsCsv::field(const QString& value) {
    QString written = value;
    // A value that already begins with apostrophes before a formula's first character gets one
    // more, so that unguarded() gives back exactly the value.
    if (apostrophesBeforeFormula(written) >= 0)
        written.prepend(QLatin1Char('\''));
    static const QString needsQuotes = QStringLiteral(",\"\r\n");
    if (std::any_of(written.cbegin(), written.cend(),
                    [](QChar ch) { return needsQuotes.contains(ch); })) {
        written.replace(QLatin1Char('"'), QLatin1String("\"\""));
        written = QLatin1Char('"') + written + QLatin1Char('"');
    }
    return written;
}

QString RecordsCsv::unguarded(const QString& value) {
    QString read = value.trimmed();
    if (apostrophesBeforeFormula(read) > 0)
        read.remove(0, 1);
    return read;
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
