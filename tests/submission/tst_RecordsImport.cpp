// Records brought in from a spreadsheet file or a file of records: what our own export writes
// comes back byte for byte; every value the window would not save is a problem with its line
// and column; a clean file is appended whole.
#include "storage/RecordStore.h"
#include "storage/SafeFile.h"
#include "submission/CsvReader.h"
#include "submission/DuplicateIndex.h"
#include "submission/RecordColumns.h"
#include "submission/RecordsCsv.h"
#include "submission/RecordsImport.h"

#include "support/TestRecords.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using F = ResultRecord;
using Fields = QList<QPair<int, QString>>;
using Values = QMap<QString, QString>;
Q_DECLARE_METATYPE(Fields)
Q_DECLARE_METATYPE(Values)

namespace {

const QString kOurCode = QStringLiteral("123456");

ImportContext context() {
    ImportContext context;
    context.providerCode = kOurCode;
    context.today = QDate(2026, 12, 7);
    return context;
}

ResultRecord changed(const Fields& fields) {
    ResultRecord record = TestRecords::completeRecord();
    for (const auto& [field, value] : fields)
        record.set(F::Field(field), value);
    return record;
}

// The records a clean file gives, encoded.
QByteArray imported(const ImportReport& report, const QList<ResultRecord>& records) {
    QByteArray bytes;
    for (const ResultRecord& record : records)
        bytes += record.encode();
    return report.clean() ? bytes : QByteArray("not clean");
}

ImportReport check(const QByteArray& csv, QList<ResultRecord>* records = nullptr) {
    QList<ResultRecord> sunk;
    ImportReport report = RecordsImport::checkCsv(csv, context(), [&](const ResultRecord& r) {
        sunk.append(r);
        return FileStatus::success();
    });
    if (records)
        *records = sunk;
    return report;
}

// A file of the complete record with some values of its row replaced (by header).
QByteArray csvWith(const Values& replaced) {
    QStringList values = RecordsCsv::values(TestRecords::completeRecord());
    for (auto it = replaced.cbegin(); it != replaced.cend(); ++it)
        values[RecordColumns::indexOf(it.key())] = it.value();
    QStringList fields;
    for (const QString& value : values)
        fields << RecordsCsv::field(value);
    return RecordsCsv::document({}) + fields.join(',').toUtf8() + "\r\n";
}

QStringList problemLines(const ImportReport& report) {
    QStringList lines;
    for (const ImportProblem& problem : report.problems)
        lines << QStringLiteral("%1|%2|%3|%4")
                     .arg(problem.line)
                     .arg(problem.column, problem.value, problem.message);
    return lines;
}

} // namespace

class tst_RecordsImport : public QObject {
    Q_OBJECT

private slots:
    // Export to CSV, then import: the same bytes, and the same from a file of records.
    void roundTrip_data() {
        QTest::addColumn<Fields>("fields");
        QTest::newRow("complete") << Fields{};
        QTest::newRow("comma") << Fields{{F::StreetName, "Main St, Rear"}};
        QTest::newRow("quotes") << Fields{{F::LastName, "O\"Neil"}, {F::Physician, "\"Doc\""}};
        QTest::newRow("José, Peña, Ærø")
            << Fields{{F::FirstName, "José"}, {F::LastName, "Peña"}, {F::City, "Ærø €"}};
        QTest::newRow("formula-looking names") << Fields{{F::LastName, "=HYPERLINK(\"x\")"},
                                                         {F::FirstName, "+1"},
                                                         {F::StreetName, "-2"},
                                                         {F::Physician, "@SUM(A1,A2)"}};
        QTest::newRow("leading apostrophe of its own") << Fields{{F::LastName, "'Tis"}};
        QTest::newRow("apostrophes before a formula's first character")
            << Fields{{F::LastName, "'=1+2"}, {F::FirstName, "''+1"}, {F::StreetName, "'-2"}};
        QTest::newRow("optional fields blank")
            << Fields{{F::MiddleInitial, ""}, {F::AptNumber, ""}, {F::ParentsFirst, ""},
                      {F::ParentsLast, ""},   {F::Physician, ""}, {F::PhoneAreaCode, ""}};
        QTest::newRow("incomplete: mandatory fields blank") << Fields{{F::StreetNumber, ""},
                                                                      {F::PhoneNumber, ""},
                                                                      {F::PhoneAreaCode, ""},
                                                                      {F::AnalysisDate, ""},
                                                                      {F::PbResult, ""}};
        QTest::newRow("every field as wide as it can be")
            << Fields{{F::LastName, "Abcdefghijklmnopqrst"},
                      {F::FirstName, "Abcdefghijkl"},
                      {F::StreetNumber, "123456"},
                      {F::StreetName, "Abcdefghijklmnopqrst"},
                      {F::AptNumber, "1234"},
                      {F::City, "Abcdefghijklmnopqrst"},
                      {F::Physician, "Dr. Abcdefghijklmnop"},
                      {F::PbResult, "10.5"}};
        QTest::newRow("low result") << Fields{{F::PbResult, "    "}, {F::BelowDetection, "1"}};
        QTest::newRow("high result") << Fields{{F::PbResult, "66.0"}, {F::BelowDetection, "0"}};
        QTest::newRow("male, capillary") << Fields{{F::Sex, "M"}, {F::TestType, "C"}};
        for (const char* race : {"1", "3", "4", "5", "6", "7"})
            QTest::newRow(qPrintable(QStringLiteral("race %1").arg(race)))
                << Fields{{F::RaceCode, race}};
        for (const char* ancestry : {"00", "20", "19"})
            QTest::newRow(qPrintable(QStringLiteral("ancestry %1").arg(ancestry)))
                << Fields{{F::Ancestry, ancestry}};
    }
    void roundTrip() {
        QFETCH(Fields, fields);
        const QList<ResultRecord> records = {changed(fields), TestRecords::completeRecord("Novak")};
        QList<ResultRecord> back;
        const ImportReport report = check(RecordsCsv::document(records), &back);
        QVERIFY2(report.clean(), qPrintable(problemLines(report).join('\n')));
        QCOMPARE(report.records, 2);
        QCOMPARE(imported(report, back), imported(report, records));

        QByteArray file;
        for (const ResultRecord& record : records)
            file += record.encode();
        QList<ResultRecord> fromRecords;
        const ImportReport recordsReport =
            RecordsImport::checkRecords(file, context(), [&](const ResultRecord& r) {
                fromRecords.append(r);
                return FileStatus::success();
            });
        QCOMPARE(imported(recordsReport, fromRecords), file);
        QCOMPARE(recordsReport.digest, report.digest);
    }

    // Values a spreadsheet writes that the window would save the same way.
    void acceptedAsTyped_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<Fields>("expected"); // the complete record, changed so
        const QByteArray header = RecordsCsv::document({});
        QTest::newRow("dates without leading zeros")
            << csvWith({{"Date of Birth", "7/4/2019"}}) << Fields{};
        QTest::newRow("telephone without a dash")
            << csvWith({{"Phone Number", "1234567"}}) << Fields{};
        QTest::newRow("telephone without an area code")
            << csvWith({{"Phone Area Code", ""}}) << Fields{{F::PhoneAreaCode, ""}};
        QTest::newRow("blank race and ancestry are Unknown")
            << csvWith({{"Race Code", ""}, {"Race", ""}, {"Ancestry Code", ""}, {"Ancestry", ""}})
            << Fields{{F::RaceCode, "7"}, {F::Ancestry, "19"}};
        QTest::newRow("texts alone, any case")
            << csvWith({{"Sex Code", ""},
                        {"Sex", "male"},
                        {"Race Code", ""},
                        {"Race", "black (1)"},
                        {"Test Type Code", ""},
                        {"Test Type", "Capillary"}})
            << Fields{{F::Sex, "M"}, {F::RaceCode, "1"}, {F::TestType, "C"}};
        QTest::newRow("blank provider code and method are ours")
            << csvWith({{"Provider Code", ""}, {"Analysis Method", ""}}) << Fields{};
        QTest::newRow("a result above 65 is High, as the result box makes it")
            << csvWith({{"Pb Result", "70"}}) << Fields{{F::PbResult, "66.0"}};
        QTest::newRow("below detection with a value under 3.3 is Low")
            << csvWith({{"Pb Result", "2.1"}, {"Below Detection", "1"}})
            << Fields{{F::PbResult, ""}, {F::BelowDetection, "1"}};
        QTest::newRow("a line break in quotes is one blank, as pasted")
            << csvWith({{"Street Name", "Main\r\nStreet"}}) << Fields{};
        QTest::newRow("control characters at a value's ends leave no blanks")
            << csvWith({{"Physician", "\x04"
                                      "Dr. Jones\x01"},
                        {"Last Name", "\x1f=Smith"}})
            << Fields{{F::LastName, "=Smith"}};
        QTest::newRow("values padded with blanks")
            << csvWith({{"Last Name", "  Smith "}}) << Fields{};
        QTest::newRow("CR CR LF line ends")
            << QByteArray(csvWith({})).replace("\r\n", "\r\r\n") << Fields{};
        QTest::newRow("LF line ends, no byte-order mark")
            << QByteArray(csvWith({}).mid(3)).replace("\r\n", "\n") << Fields{};
        QTest::newRow("columns in another order, empty lines passed over") << [] {
            QStringList header = RecordsCsv::header();
            QStringList values = RecordsCsv::values(TestRecords::completeRecord());
            std::reverse(header.begin(), header.end());
            std::reverse(values.begin(), values.end());
            return ("\r\n, ,\n" + header.join(',') + "\n\n" + values.join(',') + "\n,,,\n")
                .toUtf8();
        }() << Fields{};
        Q_UNUSED(header);
    }
    void acceptedAsTyped() {
        QFETCH(QByteArray, csv);
        QFETCH(Fields, expected);
        QList<ResultRecord> back;
        const ImportReport report = check(csv, &back);
        QVERIFY2(report.clean(), qPrintable(problemLines(report).join('\n')));
        QCOMPARE(back.size(), 1);
        QCOMPARE(back.first().encode(), changed(expected).encode());
    }

    // Every kind of problem, with its line, column, value and message; nothing is imported.
    void problems_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QStringList>("expected");
        const QString invalid = QStringLiteral(
            " is not valid or is incomplete. Enter MM/DD/YYYY (4 digit year required).");
        QTest::newRow("no such day")
            << csvWith({{"Date of Birth", "02/30/2020"}})
            << QStringList{"2|Date of Birth|02/30/2020|Date of Birth Taken" + invalid};
        QTest::newRow("not a date")
            << csvWith({{"Analysis Date", "2026-12-01"}})
            << QStringList{"2|Analysis Date|2026-12-01|Analysis Date" + invalid};
        QTest::newRow("date in the future")
            << csvWith({{"Date Taken", "12/08/2026"}})
            << QStringList{"2|Date Taken|12/08/2026|Date Taken must be earlier than or equal to "
                           "today."};
        QTest::newRow("analysed before taken")
            << csvWith({{"Analysis Date", "11/01/2026"}})
            << QStringList{"2|Date Taken|11/30/2026|Date Taken must be before or equal to "
                           "Analysis Date"};
        QTest::newRow("born after taken and after analysis")
            << csvWith({{"Date of Birth", "12/05/2026"}})
            << QStringList{"2|Date Taken|11/30/2026|Date Taken must be equal to or after Date of "
                           "Birth",
                           "2|Date of Birth|12/05/2026|Date of Birth must be equal to or before "
                           "Analysis Date"};
        QTest::newRow("too long, never cut")
            << csvWith({{"Last Name", "Abcdefghijklmnopqrstu"}})
            << QStringList{"2|Last Name|Abcdefghijklmnopqrstu|is 21 characters long; the field "
                           "holds 20"};
        QTest::newRow("a value of a million characters, listed by its start")
            << csvWith({{"Last Name", QString(1000000, 'x')}})
            << QStringList{"2|Last Name|" + QString(100, 'x') +
                           "\u2026|is 1000000 characters long; the field holds 20"};
        QTest::newRow("a letter the record cannot hold")
            << csvWith({{"First Name", "Ωmega"}})
            << QStringList{"2|First Name|Ωmega|holds a character that a record cannot hold"};
        QTest::newRow("unknown code") << csvWith({{"Sex Code", "X"}, {"Sex", ""}})
                                      << QStringList{"2|Sex Code|X|is not one of the codes M, F"};
        QTest::newRow("code and text disagree")
            << csvWith({{"Sex Code", "M"}, {"Sex", "Female"}})
            << QStringList{"2|Sex|Female|does not agree with Sex Code M"};
        QTest::newRow("sex blank")
            << csvWith({{"Sex Code", ""}, {"Sex", ""}})
            << QStringList{"2|Sex Code||is blank; give M (Male) or F (Female)"};
        QTest::newRow("unknown list entry")
            << csvWith({{"Race Code", ""}, {"Race", "Purple"}})
            << QStringList{"2|Race|Purple|is not one of the entries Black (1), White (3), Asian - "
                           "Pacific Islander (4), American Indian - Alaskan Native (5), Other (6), "
                           "Unknown (7)"};
        QTest::newRow("telephone")
            << csvWith({{"Phone Area Code", "55"}, {"Phone Number", "12-345"}})
            << QStringList{"2|Phone Area Code|55|must be 3 digits",
                           "2|Phone Number|12-345|must be 7 digits, as 123-4567"};
        QTest::newRow("result not a number")
            << csvWith({{"Pb Result", "abc"}}) << QStringList{"2|Pb Result|abc|is not a number"};
        QTest::newRow("result too long")
            << csvWith({{"Pb Result", "12.55"}})
            << QStringList{"2|Pb Result|12.55|is 5 characters long; the field holds 4"};
        QTest::newRow("below detection not 0 or 1")
            << csvWith({{"Below Detection", "2"}})
            << QStringList{"2|Below Detection|2|must be 0, or 1 for a result below detection"};
        QTest::newRow("below detection with a measured value")
            << csvWith({{"Below Detection", "1"}})
            << QStringList{"2|Below Detection|1|is 1 (below detection), but the result 12.5 is "
                           "not below 3.3"};
        QTest::newRow("another office's code, never rewritten")
            << csvWith({{"Provider Code", "654321"}})
            << QStringList{"2|Provider Code|654321|is another office's provider code; this "
                           "office's is 123456"};
        QTest::newRow("analysis method") << csvWith({{"Analysis Method", "XRF"}})
                                         << QStringList{"2|Analysis Method|XRF|must be HHLA"};
        QTest::newRow("quote inside a value")
            << QByteArray(csvWith({})).replace(",Smith,Anna", ",Sm\"ith,Anna")
            << QStringList{"2|Last Name|Sm\"ith|holds a quote outside a quoted value"};
        QTest::newRow("text after a closing quote and a CR")
            << QByteArray(csvWith({})).replace(",Smith,Anna", ",\"Smith\"\rX,Anna")
            << QStringList{"2|Last Name|Smith\rX|holds a quote outside a quoted value"};
        QTest::newRow("a value short")
            << QByteArray(csvWith({})).replace(",HHLA\r\n", "\r\n")
            << QStringList{"2|||The row has 27 values; the header row has 28"};
        QTest::newRow("not UTF-8") << QByteArray(csvWith({})).replace(",Anna,", ",Ann\xE9,")
                                   << QStringList{"2|First Name|Ann\uFFFD|is not UTF-8 text"};
        QTest::newRow("line of a row after a quoted line break")
            << RecordsCsv::document({TestRecords::completeRecord()}) +
                   csvWith(
                       {{"Street Name", "Main\nStreet"}, {"Last Name", "=1+2+3+4+5+6+7+8+9+10"}})
                       .mid(RecordsCsv::document({}).size())
            << QStringList{"3|Last Name|=1+2+3+4+5+6+7+8+9+10|is 21 characters long; the field "
                           "holds 20"};
        QStringList header = RecordsCsv::header();
        header.replace(header.indexOf("Last Name"), "Shoe Size");
        header.replace(header.indexOf("Sex Code"), "Race");
        header.removeAll("Sex");
        QTest::newRow("header: unknown, twice, missing")
            << (header.join(',') + "\r\n").toUtf8()
            << QStringList{"1|Shoe Size||is not a column of the records file",
                           "1|Race||appears twice in the header row",
                           "1|Last Name||The column is missing from the header row",
                           "1|Sex Code||The column is missing from the header row",
                           "1|Sex||The column is missing from the header row"};
        QTest::newRow("lines ended by a CR alone")
            << QByteArray(csvWith({})).replace("\r\n", "\r")
            << QStringList{"1|||The header row holds a CR that ends no line: save the file with "
                           "CR LF or LF line ends."};
        QTest::newRow("semicolons between values")
            << QByteArray(csvWith({})).replace(',', ';')
            << QStringList{"1|||The header row has no commas between its columns: save the file "
                           "as CSV with a comma between values."};
        QTest::newRow("empty") << QByteArray() << QStringList{"0|||The file is empty."};
        QTest::newRow("byte-order mark only")
            << QByteArray("\xEF\xBB\xBF") << QStringList{"0|||The file is empty."};
        QTest::newRow("header only")
            << RecordsCsv::document({})
            << QStringList{"0|||The file holds no records, only the header row."};
        QTest::newRow("NUL byte")
            << RecordsCsv::document({}) + QByteArray("a\0b", 3)
            << QStringList{"2|||Line 2 holds a NUL byte: this is not a spreadsheet (CSV) file."};
        QTest::newRow("lone quote")
            << csvWith({}) + "\"Smith,Anna\r\n"
            << QStringList{"3|||The quoted value that begins on line 3 is never closed."};
    }
    void problems() {
        QFETCH(QByteArray, csv);
        QFETCH(QStringList, expected);
        int written = 0;
        const ImportReport report =
            RecordsImport::checkCsv(csv, context(), [&](const ResultRecord&) {
                ++written;
                return FileStatus::success();
            });
        QCOMPARE(problemLines(report), expected);
        QCOMPARE(report.problemCount, expected.size());
        QVERIFY(!report.clean());
        QVERIFY(report.summary().contains("nothing can be imported"));
    }

    // A file of records is checked record by record as a typed one would be; a damaged one is
    // refused whole.
    void recordsFile() {
        QByteArray file = TestRecords::completeRecord().encode() +
                          changed({{F::ProviderCode, "654321"}, {F::Sex, "X"}}).encode();
        ImportReport report = RecordsImport::checkRecords(file, context());
        QCOMPARE(problemLines(report),
                 (QStringList{"2|Sex Code|X|is not one of the codes M, F",
                              "2|Provider Code|654321|is another office's provider code; this "
                              "office's is 123456"}));
        report = RecordsImport::checkRecords(file.left(300), context());
        QCOMPARE(problemLines(report),
                 QStringList{"0|||The file is not whole 198-byte records (damaged: 1 whole "
                             "record, 102 bytes left over)."});
    }

    // Possible duplicates within the file, against the data file and against Submit; the
    // records may still be imported.
    void duplicates() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const ResultRecord sent = TestRecords::completeRecord("Sent");
        QVERIFY(SafeFile::writeNewFile(folder.filePath("Lead_123456_20261201_090000_0001.txt"),
                                       sent.encode()));
        DuplicateIndex index;
        QVERIFY(index.loadSubmissionFolder(folder.path()));
        ImportContext withOthers = context();
        withOthers.sent = &index;
        withOthers.storedKeys = ImportContext::keysOf(
            {TestRecords::completeRecord("Other"), TestRecords::completeRecord("Stored")});

        const QByteArray csv = RecordsCsv::document(
            {TestRecords::completeRecord("Smith"), TestRecords::completeRecord("Stored"),
             TestRecords::completeRecord("SMITH"), TestRecords::completeRecord("Sent"),
             TestRecords::completeRecord("New")});
        const ImportReport report = RecordsImport::checkCsv(csv, withOthers);
        QVERIFY(report.clean());
        QCOMPARE(report.duplicates, 3);
        QStringList notes;
        for (const ImportNote& note : report.duplicateNotes)
            notes << QStringLiteral("%1|%2|%3").arg(note.line).arg(note.patient, note.text);
        QCOMPARE(
            notes,
            (QStringList{"3|Stored, Anna|the same patient and dates as record 2 of the data file",
                         "4|SMITH, Anna|the same patient and dates as line 2",
                         "5|Sent, Anna|the same patient and dates as a record sent in "
                         "Lead_123456_20261201_090000_0001.txt"}));
        QCOMPARE(report.summary(), QString("5 records: 0 incomplete, 3 possible duplicates."));
    }

    void incompleteRecordsNamed() {
        const QByteArray csv = csvWith({{"Street Number", ""}, {"Pb Result", ""}});
        const ImportReport report = RecordsImport::checkCsv(csv, context());
        QVERIFY(report.clean());
        QCOMPARE(report.incomplete, 1);
        QCOMPARE(report.gaps.size(), 1);
        QCOMPARE(report.gaps.first().line, 2);
        QCOMPARE(report.gaps.first().text, QString("Missing Street Number. Missing Pb Result."));
    }

    // A line of a million values (commas, or a stray quote in each) is read in time linear in
    // its length and with memory for a row's first values only; its problems name them all.
    void rowOfVeryManyValues() {
        QByteArray quotes = RecordsCsv::document({});
        for (int i = 0; i < 300000; ++i)
            quotes += "a\",";
        QElapsedTimer timer;
        timer.start();
        const ImportReport report = RecordsImport::checkCsv(quotes, context());
        QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(report.problems.first().message,
                 QString("The row has 300001 values; the header row has 28"));
        QCOMPARE(report.problems.at(1).message, QString("holds a quote outside a quoted value"));

        const QByteArray commas = QByteArray(2000000, ',');
        qsizetype kept = 0;
        qint64 count = 0;
        CsvReader reader([&](CsvReader::Row& row) {
            kept = row.values.size();
            count = row.valueCount;
            return true;
        });
        QVERIFY(reader.feed(commas.constData(), commas.size()));
        QVERIFY(reader.finish());
        QCOMPARE(count, 2000001);
        QVERIFY(kept <= CsvReader::MaxValues);
        QCOMPARE(RecordsImport::checkCsv(RecordsCsv::document({}) + commas + "x", context())
                     .problems.first()
                     .message,
                 QString("The row has 2000001 values; the header row has 28"));
    }

    // Files that are no spreadsheet file of records: one message each, nothing written.
    void hostileFiles() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const auto problemOf = [&](const QString& path) {
            const ImportReport report = RecordsImport::checkFile(path, context());
            return report.problems.isEmpty() ? QString("clean") : report.problems.first().message;
        };
        const QString big = folder.filePath("big.csv");
        QFile bigFile(big);
        QVERIFY(bigFile.open(QIODevice::WriteOnly));
        QVERIFY(bigFile.resize(qint64(2) << 30)); // sparse: 2 GiB of nothing
        bigFile.close();
        QCOMPARE(problemOf(big),
                 QString("The file is 2,048 MiB, larger than the 64 MiB a file to import may be; "
                         "import at most 100,000 records at a time."));
        QFile::remove(big);

        const QString many = folder.filePath("many.csv");
        QByteArray rows = RecordsCsv::document({});
        const QByteArray row = csvWith({}).mid(RecordsCsv::document({}).size());
        for (int i = 0; i <= RecordsImport::MaxRecords; ++i)
            rows += row;
        QVERIFY(SafeFile::writeNewFile(many, rows));
        QCOMPARE(problemOf(many),
                 QString("The file holds more than 100,000 records; import at most 100,000 at a "
                         "time."));

        const QString fifo = folder.filePath("pipe.csv");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(problemOf(fifo).startsWith("The file cannot be read: Not a regular file (a pipe"));
        const QString link = folder.filePath("link.csv");
        QVERIFY(QFile::link(many, link));
        QVERIFY(problemOf(link).startsWith("The file cannot be read: Not a regular file (a link"));
        QVERIFY(problemOf(folder.path()).startsWith("The file cannot be read: Is a directory"));
        QVERIFY(problemOf(folder.filePath("missing.csv"))
                    .startsWith("The file cannot be read: No such file"));
        // A file that holds more than its length said when it was opened grows while it is read.
        QCOMPARE(problemOf("/proc/self/status"),
                 QString("The file status changed while it was read; check it again when it is "
                         "complete."));
        const QString binary = folder.filePath("picture.png");
        QVERIFY(SafeFile::writeNewFile(binary, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)));
        QCOMPARE(problemOf(binary),
                 QString("Line 3 holds a NUL byte: this is not a spreadsheet (CSV) file."));
    }

    // The whole import: appended after the stored records, the first one's number given; a file
    // changed after its check appends nothing.
    void importAppendsAllOrNothing() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        RecordStore store(folder.path());
        QVERIFY(store.open());
        QVERIFY(store.write(1, TestRecords::completeRecord("Stored")));
        const QString path = folder.filePath("in.csv");
        const QList<ResultRecord> records = {TestRecords::completeRecord("One"),
                                             TestRecords::completeRecord("Two")};
        QVERIFY(SafeFile::writeNewFile(path, RecordsCsv::document(records)));
        const ImportReport small = RecordsImport::checkFile(path, context());
        QVERIFY(small.clean());
        QCOMPARE(small.heldRecords, records.at(0).encode() + records.at(1).encode());
        // A file too large to keep its records from the check is read and checked again.
        ImportReport checked = small;
        checked.heldRecords.clear();

        QVERIFY(SafeFile::replaceContent(
            path, RecordsCsv::document({records.at(0), TestRecords::completeRecord("Three")})));
        int first = 0;
        int appended = 0;
        FileStatus status =
            RecordsImport::importFile(path, checked, context(), store, first, appended);
        QVERIFY(!status);
        QVERIFY(status.reason().startsWith("The file changed after it was checked"));
        QCOMPARE(appended, 0);
        int count = 0;
        QVERIFY(store.count(count));
        QCOMPARE(count, 1);
        QVERIFY(!QFile::exists(folder.filePath("Korvanel.imp")));

        QVERIFY(SafeFile::replaceContent(path, RecordsCsv::document(records)));
        status = RecordsImport::importFile(path, checked, context(), store, first, appended);
        QVERIFY2(status, qPrintable(status.describe()));
        QCOMPARE(first, 2);
        QCOMPARE(appended, 2);
        // A smaller one imports the records checked, whatever became of the file since.
        QVERIFY(SafeFile::removeFile(path));
        status = RecordsImport::importFile(path, small, context(), store, first, appended);
        QVERIFY2(status, qPrintable(status.describe()));
        QCOMPARE(first, 4);
        QCOMPARE(appended, 2);
        QFile data(store.dataPath());
        QVERIFY(data.open(QIODevice::ReadOnly));
        QCOMPARE(data.readAll(), TestRecords::completeRecord("Stored").encode() +
                                     records.at(0).encode() + records.at(1).encode() +
                                     records.at(0).encode() + records.at(1).encode());
        // The store writes to the new file under the name.
        QVERIFY(store.write(6, TestRecords::completeRecord("Six")));
        QVERIFY(store.count(count));
        QCOMPARE(count, 6);
    }
};

QTEST_GUILESS_MAIN(tst_RecordsImport)
#include "tst_RecordsImport.moc"
