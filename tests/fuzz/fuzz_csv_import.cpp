// A file chosen for Import Records, any bytes, read as a spreadsheet file and as a file of records
// (RecordsImport::checkCsv, checkRecords, checkFile through a file in memory, and the CsvReader
// beneath them). Every record a check accepts is 198 bytes ending in CR LF, and each text value
// of a spreadsheet row went into its field whole, never cut or changed; a clean file's records,
// written by Export to CSV and read again, are the same records byte for byte (and so are those
// of a file of records); the check with a sink (the import's second reading) finds what the
// first one found; checkFile reports what the checks of the bytes report. The CSV reader reads
// the same rows whatever pieces the file comes in, and never loses or invents a value of a file
// that the CSV writer wrote from its rows.
#include "FuzzCheck.h"
#include "storage/RecordText.h"
#include "submission/CsvReader.h"
#include "submission/RecordColumns.h"
#include "submission/RecordsCsv.h"
#include "submission/RecordsImport.h"

#include <QCryptographicHash>

#include <algorithm>

namespace {

using F = ResultRecord;

struct Reading {
    QList<CsvReader::Row> rows;
    bool sawNul = false;
    qint64 nulLine = 0;
    qint64 unclosedQuoteLine = 0;
    qint64 lines = 0;
};

// The rows of the bytes, fed to the reader in pieces of the given size.
Reading read(const QByteArray& bytes, qsizetype piece) {
    Reading reading;
    CsvReader reader([&](CsvReader::Row& row) {
        reading.rows.append(row);
        return true;
    });
    bool more = true;
    for (qsizetype at = 0; more && at < bytes.size(); at += piece)
        more = reader.feed(bytes.constData() + at, std::min(piece, bytes.size() - at));
    if (more)
        reader.finish();
    reading.sawNul = reader.sawNul();
    reading.nulLine = reader.nulLine();
    reading.unclosedQuoteLine = reader.unclosedQuoteLine();
    reading.lines = reader.lines();
    return reading;
}

QString describe(const CsvReader::Row& row) {
    QStringList values;
    for (const QByteArray& value : row.values)
        values << QString::fromLatin1(value.toPercentEncoding());
    return QStringLiteral("line %1 [%2]").arg(row.line).arg(values.join(QLatin1Char('|')));
}

bool sameRows(const Reading& a, const Reading& b) {
    if (a.rows.size() != b.rows.size() || a.sawNul != b.sawNul || a.nulLine != b.nulLine ||
        a.unclosedQuoteLine != b.unclosedQuoteLine || a.lines != b.lines)
        return false;
    for (qsizetype i = 0; i < a.rows.size(); ++i) {
        if (a.rows.at(i).line != b.rows.at(i).line || a.rows.at(i).values != b.rows.at(i).values ||
            a.rows.at(i).valueCount != b.rows.at(i).valueCount ||
            a.rows.at(i).strayQuotes != b.rows.at(i).strayQuotes)
            return false;
    }
    return true;
}

ImportContext context() {
    ImportContext context;
    context.providerCode = QStringLiteral("123456");
    context.today = QDate(2026, 12, 7);
    return context;
}

QByteArray encoded(const QList<ResultRecord>& records) {
    QByteArray bytes;
    for (const ResultRecord& record : records)
        bytes += record.encode();
    return bytes;
}

QString problems(const ImportReport& report) {
    QStringList lines;
    for (const ImportProblem& problem : report.problems)
        lines << QStringLiteral("%1|%2|%3|%4")
                     .arg(problem.line)
                     .arg(problem.column, problem.value, problem.message);
    return lines.join(QLatin1Char('\n'));
}

bool sameReport(const ImportReport& a, const ImportReport& b) {
    if (a.format != b.format || a.records != b.records || a.problemCount != b.problemCount ||
        a.digest != b.digest || a.heldRecords != b.heldRecords || a.incomplete != b.incomplete ||
        a.duplicates != b.duplicates || a.problems.size() != b.problems.size())
        return false;
    for (qsizetype i = 0; i < a.problems.size(); ++i) {
        const ImportProblem& p = a.problems.at(i);
        const ImportProblem& q = b.problems.at(i);
        if (p.line != q.line || p.column != q.column || p.value != q.value ||
            p.message != q.message)
            return false;
    }
    return true;
}

// Checks the bytes with and without a sink; returns the records the sink received.
QList<ResultRecord> checked(const QByteArray& bytes, bool csv, ImportReport& report) {
    QList<ResultRecord> records;
    const RecordsImport::RecordSink sink = [&](const ResultRecord& record) {
        records.append(record);
        return FileStatus::success();
    };
    report = csv ? RecordsImport::checkCsv(bytes, context())
                 : RecordsImport::checkRecords(bytes, context());
    const ImportReport again = csv ? RecordsImport::checkCsv(bytes, context(), sink)
                                   : RecordsImport::checkRecords(bytes, context(), sink);
    FUZZ_CHECK(again.problemCount == report.problemCount && again.records == report.records &&
                   again.digest == report.digest,
               problems(report) + QStringLiteral("\nwith a sink:\n") + problems(again));
    const QByteArray all = encoded(records);
    for (const ResultRecord& record : records) {
        const QByteArray bytes = record.encode();
        FUZZ_CHECK(bytes.size() == F::Size && bytes.endsWith("\r\n"),
                   QString::fromLatin1(bytes.toPercentEncoding()));
    }
    if (report.clean()) {
        FUZZ_CHECK(records.size() == report.records, QString::number(records.size()));
        FUZZ_CHECK(report.heldRecords == all, "the records held are those checked");
        FUZZ_CHECK(report.digest == QCryptographicHash::hash(all, QCryptographicHash::Sha256),
                   "the digest is that of the records");
    }
    return records;
}

// Each text value of a clean spreadsheet file's rows is its record's field, whole.
void textValuesWhole(const Reading& reading, const QList<ResultRecord>& records) {
    const auto blank = [](const CsvReader::Row& row) {
        return std::all_of(row.values.begin(), row.values.end(),
                           [](const QByteArray& value) { return value.trimmed().isEmpty(); });
    };
    // The header row is the first that is not empty.
    qsizetype header = 0;
    while (header < reading.rows.size() && blank(reading.rows.at(header)))
        ++header;
    if (header == reading.rows.size())
        return;
    const QList<RecordColumns::Column>& columns = RecordColumns::all();
    QList<int> columnOf;
    for (const QByteArray& name : reading.rows.at(header).values)
        columnOf << RecordColumns::indexOf(QString::fromUtf8(name).trimmed());
    qsizetype next = 0;
    for (qsizetype r = header + 1; r < reading.rows.size(); ++r) {
        const CsvReader::Row& row = reading.rows.at(r);
        if (blank(row))
            continue;
        FUZZ_CHECK(next < records.size(), describe(row));
        const ResultRecord& record = records.at(next++);
        for (qsizetype i = 0; i < row.values.size() && i < columnOf.size(); ++i) {
            if (columnOf.at(i) < 0 || columns.at(columnOf.at(i)).kind != RecordColumns::Kind::Text)
                continue;
            const F::Field field = columns.at(columnOf.at(i)).field;
            if (field == F::ProviderCode || field == F::AnalysisMethod || field == F::PhoneNumber ||
                field == F::PhoneAreaCode || field == F::PbResult || field == F::BelowDetection)
                continue; // values the checks turn into what the window stores
            std::optional<QString> entry =
                RecordText::fromEntry(RecordsCsv::unguarded(QString::fromUtf8(row.values.at(i))));
            if (entry)
                *entry = entry->trimmed(); // a control character at an end leaves no blank
            FUZZ_CHECK(entry && entry->size() <= F::width(field), describe(row));
            FUZZ_CHECK(record.get(field) == entry->leftJustified(F::width(field), u' '),
                       QStringLiteral("%1: %2 became %3")
                           .arg(columns.at(columnOf.at(i)).name, *entry, record.get(field)));
        }
    }
    FUZZ_CHECK(next == records.size(), QString::number(records.size()));
}

// A clean file's records, written by Export to CSV and checked again: the same records.
void roundTrip(const QList<ResultRecord>& records, const ImportReport& report) {
    if (!report.clean())
        return;
    const QByteArray written = RecordsCsv::document(records);
    ImportReport back;
    const QList<ResultRecord> again = checked(written, true, back);
    FUZZ_CHECK(back.clean(),
               problems(back) + QStringLiteral("\nin:\n") + QString::fromUtf8(written));
    FUZZ_CHECK(encoded(again) == encoded(records), QStringLiteral("written:\n%1\nread back:\n%2")
                                                       .arg(QString::fromLatin1(encoded(records)),
                                                            QString::fromLatin1(encoded(again))));
    FUZZ_CHECK(back.digest == report.digest, "digest");
    // And as a file of records.
    ImportReport fromRecords;
    const QList<ResultRecord> same = checked(encoded(records), false, fromRecords);
    FUZZ_CHECK(fromRecords.clean(), problems(fromRecords));
    FUZZ_CHECK(encoded(same) == encoded(records), QString::fromLatin1(encoded(same)));
}

// The rows read, written by the CSV writer and read again: every value where it was, as the
// writer wrote it (control characters blanked, trimmed, a formula's apostrophe before it).
void writerRoundTrip(const Reading& reading, qsizetype piece) {
    if (reading.rows.isEmpty())
        return;
    QStringList header;
    QList<QStringList> rows;
    for (const CsvReader::Row& row : reading.rows) {
        QStringList values;
        for (const QByteArray& value : row.values)
            values << QString::fromUtf8(value);
        rows << values;
    }
    header = rows.takeFirst();
    const QByteArray written = RecordsCsv::document(header, rows);
    const Reading back = read(written, piece);
    FUZZ_CHECK(!back.sawNul && back.unclosedQuoteLine == 0, QString::fromUtf8(written));
    FUZZ_CHECK(
        back.rows.size() == reading.rows.size(),
        QStringLiteral("%1 rows read back of %2").arg(back.rows.size()).arg(reading.rows.size()));
    for (qsizetype r = 0; r < back.rows.size(); ++r) {
        const QStringList& values = r == 0 ? header : rows.at(r - 1);
        const CsvReader::Row& row = back.rows.at(r);
        FUZZ_CHECK(row.values.size() == values.size() && row.strayQuotes.isEmpty(),
                   describe(row) + QStringLiteral(" of ") + describe(reading.rows.at(r)));
        for (qsizetype i = 0; i < values.size(); ++i) {
            QString expected = values.at(i);
            for (QChar& ch : expected) {
                if (RecordText::isControl(ch))
                    ch = u' ';
            }
            expected = expected.trimmed();
            // A formula's first character, after any apostrophes, gets one apostrophe more.
            qsizetype at = 0;
            while (at < expected.size() && expected.at(at) == u'\'')
                ++at;
            if (at < expected.size() && QStringLiteral("=+-@").contains(expected.at(at)))
                expected.prepend(u'\'');
            FUZZ_CHECK(row.values.at(i) == expected.toUtf8(),
                       describe(row) + QStringLiteral(" value %1: ").arg(i) + expected);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = FuzzCheck::bytes(data, size);

    // The reader: the same rows whole and in pieces of 1 to 13 bytes.
    const qsizetype piece = qsizetype(size % 13) + 1;
    const Reading reading = read(bytes, bytes.size() + 1);
    const Reading pieces = read(bytes, piece);
    FUZZ_CHECK(sameRows(reading, pieces), QStringLiteral("in pieces of %1").arg(piece));
    writerRoundTrip(reading, piece);

    ImportReport csvReport;
    const QList<ResultRecord> fromCsv = checked(bytes, true, csvReport);
    if (csvReport.clean()) {
        FUZZ_CHECK(!reading.sawNul && reading.unclosedQuoteLine == 0, "clean");
        textValuesWhole(reading, fromCsv);
    }
    roundTrip(fromCsv, csvReport);

    ImportReport recordsReport;
    const QList<ResultRecord> fromRecords = checked(bytes, false, recordsReport);
    roundTrip(fromRecords, recordsReport);

    // The file as the import reads it: the one report or the other.
    const QString path = FuzzCheck::scratchFolder() + QStringLiteral("/import.csv");
    FuzzCheck::putFile(path, bytes);
    const ImportReport fromFile = RecordsImport::checkFile(path, context());
    const bool records = fromFile.format == ImportReport::Format::Records;
    FUZZ_CHECK(sameReport(fromFile, records ? recordsReport : csvReport),
               problems(fromFile) + QStringLiteral("\nfrom the bytes:\n") +
                   problems(records ? recordsReport : csvReport));
    return 0;
}
