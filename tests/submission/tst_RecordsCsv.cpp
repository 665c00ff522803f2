#include "submission/RecordsCsv.h"

#include <QTest>

using F = ResultRecord;
using Fields = QList<QPair<int, QString>>;
Q_DECLARE_METATYPE(Fields)

// The spreadsheet file: its columns, quoting, formula protection and encoding.
class tst_RecordsCsv : public QObject {
    Q_OBJECT

    static ResultRecord recordOf(const Fields& fields) {
        ResultRecord record;
        for (const auto& [field, value] : fields)
            record.set(F::Field(field), value);
        return record;
    }

    // The data line of the file made of this one record, without its CR LF.
    static QByteArray dataLine(const ResultRecord& record) {
        const QByteArray document = RecordsCsv::document({record});
        const qsizetype headerEnd = document.indexOf("\r\n") + 2;
        return document.mid(headerEnd, document.size() - headerEnd - 2);
    }

private slots:
    void header() {
        const QByteArray document = RecordsCsv::document({});
        QCOMPARE(
            document,
            QByteArray("\xEF\xBB\xBF"
                       "Date Taken,Last Name,First Name,Middle Initial,Date of Birth,Sex Code,"
                       "Sex,Street Number,Street Name,Apt Number,City,Zip Code,Parents First,"
                       "Parents Last,Phone Area Code,Phone Number,Race Code,Race,Ancestry Code,"
                       "Ancestry,Analysis Date,Pb Result,Below Detection,Test Type Code,"
                       "Test Type,Provider Code,Physician,Analysis Method\r\n"));
    }

    void row_data() {
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<QByteArray>("line");
        const QByteArray emptyRow(27, ',');
        QTest::newRow("blank record") << Fields{} << emptyRow;
        QTest::newRow("complete record")
            << Fields{{F::DateTaken, "11302026"},
                      {F::LastName, "Smith"},
                      {F::FirstName, "Anna"},
                      {F::MiddleInitial, "J"},
                      {F::DateOfBirth, "07042019"},
                      {F::Sex, "F"},
                      {F::StreetNumber, "12"},
                      {F::StreetName, "Main Street"},
                      {F::AptNumber, "4B"},
                      {F::City, "Springfield"},
                      {F::Zip, "90001"},
                      {F::ParentsFirst, "Mary"},
                      {F::ParentsLast, "Smith"},
                      {F::PhoneAreaCode, "555"},
                      {F::PhoneNumber, "123-4567"},
                      {F::RaceCode, "4"},
                      {F::Ancestry, "20"},
                      {F::AnalysisDate, "12012026"},
                      {F::PbResult, "12.5"},
                      {F::BelowDetection, "0"},
                      {F::TestType, "V"},
                      {F::ProviderCode, "123456"},
                      {F::Physician, "Dr. Amadi"},
                      {F::AnalysisMethod, "HHLA"}}
            << QByteArray("11/30/2026,Smith,Anna,J,07/04/2019,F,Female,12,Main Street,4B,"
                          "Springfield,90001,Mary,Smith,555,123-4567,4,"
                          "Asian - Pacific Islander (4),20,Hispanic (20),12/01/2026,12.5,0,V,"
                          "Venous,123456,Dr. Amadi,HHLA");
        QTest::newRow("codes the window does not know have no text")
            << Fields{{F::Sex, "X"}, {F::RaceCode, "2"}, {F::Ancestry, "99"}, {F::TestType, "Q"}}
            << QByteArray(",,,,,X,,,,,,,,,,,2,,99,,,,,Q,,,,");
        QTest::newRow("male, capillary, unknown race and ancestry")
            << Fields{{F::Sex, "M"}, {F::RaceCode, "7"}, {F::Ancestry, "19"}, {F::TestType, "C"}}
            << QByteArray(",,,,,M,Male,,,,,,,,,,7,Unknown (7),19,Unknown (19),,,,C,Capillary,,,");
        QTest::newRow("partly typed date")
            << Fields{{F::DateTaken, "1206"}} << QByteArray("12/06") + emptyRow;
        QTest::newRow("comma quoted") << Fields{{F::StreetName, "Main St, Rear"}}
                                      << QByteArray(",,,,,,,,\"Main St, Rear\",,,,,,,,,,,,,,,,,,,");
        QTest::newRow("quote doubled")
            << Fields{{F::LastName, "O\"Neil"}} << QByteArray(",\"O\"\"Neil\"") + emptyRow.mid(1);
        QTest::newRow("line feed blanked") << Fields{{F::Physician, "Dr. A\nDr. B"}}
                                           << emptyRow.left(26) + QByteArray("Dr. A Dr. B,");
        QTest::newRow("carriage return blanked")
            << Fields{{F::City, "North\rside"}}
            << QByteArray(",,,,,,,,,,North side,,,,,,,,,,,,,,,,,");
        QTest::newRow("NUL, 0x1F and DEL blanked")
            << Fields{{F::LastName, QString("Sm") + QChar(0) + "ith"},
                      {F::FirstName, "A\x1f\x7f"
                                     "B"}}
            << QByteArray(",Sm ith,A  B") + emptyRow.mid(2);
        QTest::newRow("formula behind a control character")
            << Fields{{F::LastName, "\x1f=1+2"}, {F::City, QString(QChar(0)) + "@SUM(1)"}}
            << QByteArray(",'=1+2,,,,,,,,,'@SUM(1),,,,,,,,,,,,,,,,,");
        QTest::newRow("values trimmed, inner blanks kept")
            << Fields{{F::LastName, "  de la Cruz "}}
            << QByteArray(",de la Cruz") + emptyRow.mid(1);
        QTest::newRow("leading = kept as text")
            << Fields{{F::LastName, "=cmd|' /C calc'!A0"}}
            << QByteArray(",'=cmd|' /C calc'!A0") + emptyRow.mid(1);
        QTest::newRow("leading = with a comma: apostrophe inside the quotes")
            << Fields{{F::LastName, "=SUM(A1,A2)"}}
            << QByteArray(",\"'=SUM(A1,A2)\"") + emptyRow.mid(1);
        QTest::newRow("leading +, - and @")
            << Fields{{F::FirstName, "+1"}, {F::StreetName, "-2+3"}, {F::City, "@SUM(1)"}}
            << QByteArray(",,'+1,,,,,,'-2+3,,'@SUM(1),,,,,,,,,,,,,,,,,");
        QTest::newRow("formula behind blanks and a tab")
            << Fields{{F::LastName, " \t=1+1"}} << QByteArray(",'=1+1") + emptyRow.mid(1);
        QTest::newRow("apostrophes before a formula: one more")
            << Fields{{F::LastName, "'=1+2"}, {F::FirstName, "''@A"}, {F::StreetName, "'Tis"}}
            << QByteArray(",''=1+2,'''@A,,,,,,'Tis,,,,,,,,,,,,,,,,,,,");
        QTest::newRow("= inside a value left alone")
            << Fields{{F::StreetName, "A=B"}} << QByteArray(",,,,,,,,A=B,,,,,,,,,,,,,,,,,,,");
    }
    void row() {
        QFETCH(Fields, fields);
        QFETCH(QByteArray, line);
        QCOMPARE(dataLine(recordOf(fields)), line);
    }

    // Letters of the file's 8-bit code page come out as UTF-8.
    void windows1252LettersAsUtf8() {
        QByteArray bytes = ResultRecord().encode();
        bytes.replace(ResultRecord::offset(F::LastName), 6,
                      "Pe\xF1"
                      "a\x80\x9A");
        bytes.replace(ResultRecord::offset(F::FirstName), 4, "Jos\xE9");
        QCOMPARE(dataLine(ResultRecord::decode(bytes)),
                 QByteArray(",Pe\xC3\xB1"
                            "a\xE2\x82\xAC\xC5\xA1,Jos\xC3\xA9") +
                     QByteArray(25, ','));
    }

    void records() {
        ResultRecord first;
        first.set(F::LastName, "Smith");
        ResultRecord second;
        second.set(F::LastName, "Novak");
        const QList<QByteArray> lines = RecordsCsv::document({first, second}).split('\n');
        QCOMPARE(lines.size(), 4); // header, two records, nothing after the last CR LF
        QVERIFY(lines.at(1).startsWith(",Smith,"));
        QVERIFY(lines.at(2).startsWith(",Novak,"));
        QCOMPARE(lines.at(3), QByteArray());
    }

    void fileNames() {
        QCOMPARE(RecordsCsv::recordsFileName(QDate(2026, 12, 6)),
                 QString("Korvanel_Records_20261206.csv"));
        QCOMPARE(RecordsCsv::submissionFileName("Lead_123456_20261206_105255_0001.txt"),
                 QString("Lead_123456_20261206_105255_0001.csv"));
    }
};

QTEST_GUILESS_MAIN(tst_RecordsCsv)
#include "tst_RecordsCsv.moc"
