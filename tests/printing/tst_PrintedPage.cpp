#include "printing/FollowUpPrintout.h"
#include "printing/PrintedPage.h"
#include "printing/Printer.h"
#include "printing/SubmissionReceipt.h"
#include "support/TestRecords.h"

#include <QTest>

namespace {

const QDateTime kMoment(QDate(2009, 7, 4), QTime(14, 5, 9));

// Line numbers of the page: two empty lines, heading, empty, position, empty, then the fields.
enum PageLine {
    Heading = 2,
    Position = 4,
    DateTaken = 6,
    LastName = 7,
    Sex = 11,
    Phone = 19,
    Race = 20,
    Ancestry = 21,
    PbResult = 23,
    TestType = 25,
    LineCount = 29
};

ResultRecord completeRecord() {
    ResultRecord record = TestRecords::newRecord(QStringLiteral("123456"));
    record.set(ResultRecord::DateTaken, QStringLiteral("12052026"));
    record.set(ResultRecord::LastName, QStringLiteral("Garcia"));
    record.set(ResultRecord::FirstName, QStringLiteral("Ana"));
    record.set(ResultRecord::MiddleInitial, QStringLiteral("L"));
    record.set(ResultRecord::DateOfBirth, QStringLiteral("03142021"));
    record.set(ResultRecord::Sex, QStringLiteral("M"));
    record.set(ResultRecord::StreetNumber, QStringLiteral("1420"));
    record.set(ResultRecord::StreetName, QStringLiteral("Alder Creek Rd"));
    record.set(ResultRecord::AptNumber, QStringLiteral("4B"));
    record.set(ResultRecord::City, QStringLiteral("Port Halloway"));
    record.set(ResultRecord::Zip, QStringLiteral("95501"));
    record.set(ResultRecord::ParentsFirst, QStringLiteral("Marisol"));
    record.set(ResultRecord::ParentsLast, QStringLiteral("Garcia"));
    record.set(ResultRecord::PhoneAreaCode, QStringLiteral("555"));
    record.set(ResultRecord::PhoneNumber, QStringLiteral("123-4567"));
    record.set(ResultRecord::RaceCode, QStringLiteral("3"));
    record.set(ResultRecord::Ancestry, QStringLiteral("00"));
    record.set(ResultRecord::AnalysisDate, QStringLiteral("12062026"));
    record.set(ResultRecord::PbResult, QStringLiteral("12.5"));
    record.set(ResultRecord::BelowDetection, QStringLiteral("0"));
    record.set(ResultRecord::TestType, QStringLiteral("V"));
    record.set(ResultRecord::Physician, QStringLiteral("Dr. Amadi"));
    return record;
}

QStringList pageOf(const ResultRecord& record, qint32 current = 3, qint32 count = 12,
                   const QDateTime& moment = kMoment) {
    return PrintedPage::lines(record, QStringLiteral("White (3)"),
                              QStringLiteral("Non-Hispanic (00)"), current, count, moment);
}

ResultRecord with(ResultRecord::Field field, const QString& value) {
    ResultRecord record = completeRecord();
    record.set(field, value);
    return record;
}

} // namespace

class tst_PrintedPage : public QObject {
    Q_OBJECT
private slots:
    void wholePage() {
        const QStringList expected = {
            "",
            "",
            "          Korvanel\u00AE II Blood Lead Result            07/04/2009 02:05:09 PM",
            "",
            "          Record:  3 of  12",
            "",
            "          Date Taken:              12/05/2026",
            "          Last Name:               Garcia              ",
            "          First Name:              Ana         ",
            "          Middle Initial:          L",
            "          Date of Birth:           03/14/2021",
            "          Sex:              [M]    Male",
            "          Street Number:           1420  ",
            "          Street Name:             Alder Creek Rd      ",
            "          Apartment Number:        4B  ",
            "          City:                    Port Halloway       ",
            "          Zip Code:                95501",
            "          Parents Last:            Garcia              ",
            "          Parents First:           Marisol     ",
            "          Phone:                   (555) 123-4567",
            "          Race:             [3]    White (3)",
            "          Ancestry:         [00]   Non-Hispanic (00)",
            "          Analysis Date:           12/06/2026",
            "          Pb Result:               12.5",
            "          Below Detection:         0",
            "          Test Type:        [V]    Venous",
            "          Provider Code:           123456",
            "          Physician:               Dr. Amadi           ",
            "          Analysis Method:         HHLA ",
        };
        const QStringList page = pageOf(completeRecord());
        QCOMPARE(page.size(), int(LineCount));
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(page.at(i), expected.at(i));
    }

    void resultLine_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("line");
        const QString label = "          Pb Result:";
        QTest::newRow("low option") << "" << label + "        []     Low Result (<3.3)";
        QTest::newRow("high option") << "66.0" << label + "        [66.0] High Result (>65.0)";
        QTest::newRow("just below") << "3.29" << label + "        [3.29] Low Result (<3.3)";
        QTest::newRow("lowest in range") << "3.3" << label + "               3.3 ";
        QTest::newRow("highest in range") << "65.0" << label + "               65.0";
        QTest::newRow("just above") << "65.1" << label + "        [65.1] High Result (>65.0)";
        QTest::newRow("zero") << "0" << label + "        [0]    Low Result (<3.3)";
        QTest::newRow("no number") << "abc" << label + "        [abc]  Low Result (<3.3)";
        QTest::newRow("number then text") << "40mg" << label + "               40mg";
        QTest::newRow("leading blank") << " 7" << label + "                7  ";
        QTest::newRow("two digits high") << "99" << label + "        [99]   High Result (>65.0)";
        // A sign is not a digit: a signed result has no leading number and counts as 0.
        QTest::newRow("plus sign") << "+5" << label + "        [+5]   Low Result (<3.3)";
        QTest::newRow("plus sign high") << "+70" << label + "        [+70]  Low Result (<3.3)";
    }
    void resultLine() {
        QFETCH(QString, stored);
        QFETCH(QString, line);
        const QStringList page = pageOf(with(ResultRecord::PbResult, stored));
        QCOMPARE(page.at(PbResult), line);
        if (line.contains(QLatin1Char('[')))
            QVERIFY(line.mid(35).startsWith(QLatin1String("Low")) ||
                    line.mid(35).startsWith(QLatin1String("High")));
    }

    void letterLines_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("pageLine");
        QTest::newRow("female") << int(ResultRecord::Sex) << "F"
                                << "          Sex:              [F]    Female" << int(Sex);
        QTest::newRow("blank sex")
            << int(ResultRecord::Sex) << ""
            << "          Sex:                     " + QString(" ") << int(Sex);
        QTest::newRow("other sex") << int(ResultRecord::Sex) << "x"
                                   << "          Sex:                     x" << int(Sex);
        QTest::newRow("capillary")
            << int(ResultRecord::TestType) << "C"
            << "          Test Type:        [C]    Capillary" << int(TestType);
        QTest::newRow("blank test type")
            << int(ResultRecord::TestType) << ""
            << "          Test Type:               " + QString(" ") << int(TestType);
    }
    void letterLines() {
        QFETCH(int, field);
        QFETCH(QString, stored);
        QFETCH(QString, line);
        QFETCH(int, pageLine);
        const QStringList page = pageOf(with(ResultRecord::Field(field), stored));
        QCOMPARE(page.at(pageLine), line);
    }

    void neverEnteredValues() {
        const QStringList page = pageOf(TestRecords::newRecord(QStringLiteral("123456")));
        QCOMPARE(page.at(DateTaken),
                 QString("          Date Taken:") + QString(14, ' ') + "  /  /    ");
        QCOMPARE(page.at(Phone), QString("          Phone:                   (   )    -    "));
        // Codes print as stored even when blank; the descriptions come from the window.
        QCOMPARE(page.at(Race), QString("          Race:             [ ]    White (3)"));
        QCOMPARE(page.at(Ancestry),
                 QString("          Ancestry:         [  ]   Non-Hispanic (00)"));
    }

    void shortNameKeepsFieldWidth() {
        const QString line = pageOf(with(ResultRecord::LastName, "Lee")).at(LastName);
        QCOMPARE(line, QString("          Last Name:               Lee") + QString(17, ' '));
    }

    void position_data() {
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("line");
        QTest::newRow("only record") << 1 << 1 << "          Record:  1 of  1";
        QTest::newRow("large") << 32767 << 100000 << "          Record:  32767 of  100000";
        QTest::newRow("negative") << -1 << 0 << "          Record: -1 of  0";
    }
    void position() {
        QFETCH(int, current);
        QFETCH(int, count);
        QFETCH(QString, line);
        QCOMPARE(pageOf(completeRecord(), current, count).at(Position), line);
    }

    void timeStamp_data() {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("stamp");
        QTest::newRow("midnight") << QTime(0, 0, 0) << "07/04/2009 12:00:00 AM";
        QTest::newRow("last morning second") << QTime(11, 59, 59) << "07/04/2009 11:59:59 AM";
        QTest::newRow("noon") << QTime(12, 0, 0) << "07/04/2009 12:00:00 PM";
        QTest::newRow("afternoon") << QTime(14, 5, 9) << "07/04/2009 02:05:09 PM";
        QTest::newRow("last second") << QTime(23, 59, 59) << "07/04/2009 11:59:59 PM";
    }
    void timeStamp() {
        QFETCH(QTime, time);
        QFETCH(QString, stamp);
        const QDateTime moment(kMoment.date(), time);
        QCOMPARE(PrintedPage::timeStamp(moment), stamp);
        QVERIFY(
            pageOf(completeRecord(), 1, 1, moment).at(Heading).endsWith(QString(12, ' ') + stamp));
    }

    // A submission file's printed list: its heading, then one line per record; more pages when
    // the records do not fit, each headed again, none longer than a page.
    void receipt() {
        ResultRecord low = TestRecords::newRecord("123456");
        low.set(ResultRecord::LastName, "Okonkwo-Bryant-Fitzgerald"); // cut to the field's 20
        low.set(ResultRecord::FirstName, QString::fromUtf8("José"));
        low.set(ResultRecord::DateOfBirth, "03142021");
        low.set(ResultRecord::DateTaken, "12052026");
        low.set(ResultRecord::BelowDetection, "1");
        const QDateTime printed(QDate(2026, 12, 7), QTime(9, 0, 0));
        const QDateTime created(QDate(2026, 12, 6), QTime(14, 5, 9));
        const QString file = "Lead_123456_20261206_140509_0001.txt";
        const QStringList one =
            SubmissionReceipt::lines(file, created, {low, ResultRecord()}, printed);
        QCOMPARE(
            one,
            (QStringList{
                "", "",
                "          Korvanel\u00AE II Blood Lead Result            12/07/2026 09:00:00 AM",
                "", "          Submission Receipt, page 1 of 1",
                "          File:     Lead_123456_20261206_140509_0001.txt",
                "          Created:  12/06/2026 02:05:09 PM", "          Records:  2", "",
                "          No.  Last Name            First Name   Born       Taken      Result",
                "          ---- -------------------- ------------ ---------- ---------- ------",
                QString::fromUtf8(
                    "          1    Okonkwo-Bryant-Fitzg José         03/14/2021 12/05/2026 Low"),
                "          2"}));

        for (int records : {0, 39, 40, 121, 122}) {
            const QStringList lines =
                SubmissionReceipt::lines(file, created, QList<ResultRecord>(records, low), printed);
            QList<QStringList> pages{{}};
            for (const QString& line : lines) {
                if (line == Printer::pageBreak())
                    pages.append(QStringList());
                else
                    pages.last().append(line);
            }
            const int expectedPages = records <= 39    ? 1
                                      : records <= 80  ? 2
                                      : records <= 121 ? 3
                                                       : 4;
            QCOMPARE(pages.size(), expectedPages);
            int listed = 0;
            for (int page = 0; page < pages.size(); ++page) {
                QVERIFY(pages.at(page).size() <= SubmissionReceipt::LinesPerPage);
                QCOMPARE(pages.at(page).at(4),
                         QString("          Submission Receipt, page %1 of %2")
                             .arg(page + 1)
                             .arg(expectedPages));
                QCOMPARE(pages.at(page).at(5), "          File:     " + file);
                for (const QString& line : pages.at(page)) {
                    if (line.contains("Okonkwo"))
                        QVERIFY2(line.startsWith(QString("          %1 ").arg(++listed)),
                                 qPrintable(line));
                }
            }
            QCOMPARE(listed, records);
        }

        // A file of more than 9,999 records prints every number whole, the column as wide as
        // the largest number (taken from the indent: no line grows), lined up with its heading.
        const PagedList many = SubmissionReceipt::pages(
            file, created, 123456, [&low](int) { return low; }, printed);
        const QStringList last = many.page(many.pageCount() - 1);
        QCOMPARE(last.at(7),
                 "        No.    Last Name            First Name   Born       Taken      Result");
        QCOMPARE(last.last(), QString::fromUtf8("        123456 Okonkwo-Bryant-Fitzg José       "
                                                "  03/14/2021 12/05/2026 Low"));
        QVERIFY(many.page(0).at(11).startsWith("        1      Okonkwo"));

        // As many pages as the rows need, however many rows the list has.
        const PagedList most(
            INT_MAX, 1, 50,
            [](int page, int) { return QStringList(page == 1 ? 11 : 9, QString()); },
            [](int i) { return QStringList{QString::number(i)}; });
        QCOMPARE(most.pageCount(), int(1 + (qint64(INT_MAX) - 39 + 40) / 41));
        QCOMPARE(most.page(most.pageCount() - 1).last(), QString::number(INT_MAX - 1));
    }

    // The printed Follow-Up Due list: the summary and the files not read, then two lines a
    // child; more pages when the rows do not fit, each headed again, none longer than a page,
    // no line wider than the receipt's.
    void followUpList() {
        FollowUpRow due;
        due.lastName = "Okonkwo-Bryant-Fitzgerald";
        due.firstName = QString::fromUtf8("José");
        due.dateOfBirth = "03/14/2021";
        due.latestResult = "High Result capillary, 12/05/2026";
        due.nextTest = "Venous confirmation";
        due.dueByText = "12/07/2026";
        due.status = "Due today";
        FollowUpRow check;
        check.checkRecord = true;
        check.lastName = "Smith";
        check.latestResult = "12.0";
        check.status = "Check the record";
        const QDateTime printed(QDate(2026, 12, 7), QTime(9, 0, 0));
        const QStringList fileLines{"1 file could not be read and was not checked:",
                                    "/k/Submit/Lead_123456_20261206_140509_0001.txt (Permission "
                                    "denied)"};
        QCOMPARE(
            FollowUpPrintout::lines("1 child due, 0 overdue", fileLines, {check, due}, printed),
            (QStringList{
                "", "",
                "          Korvanel\u00AE II Blood Lead Result            12/07/2026 09:00:00 AM",
                "", "          Follow-Up Due, page 1 of 1", "          1 child due, 0 overdue",
                "          1 file could not be read and was not checked:",
                "          /k/Submit/Lead_123456_20261206_140509_0001.txt (Permission denied)", "",
                "          Last Name            First Name   Born       Status",
                "            Next Test           Due By     Latest Result",
                "          -------------------- ------------ ---------- ----------------",
                "          Smith                                        Check the record",
                QString(43, ' ') + "12.0",
                QString::fromUtf8(
                    "          Okonkwo-Bryant-Fitzg José         03/14/2021 Due today"),
                "            Venous confirmation 12/07/2026 High Result capillary, 12/05/2026"}));

        for (int rows : {0, 20, 21, 40, 41}) {
            const QStringList lines =
                FollowUpPrintout::lines("", {}, QList<FollowUpRow>(rows, due), printed);
            QList<QStringList> pages{{}};
            for (const QString& line : lines) {
                if (line == Printer::pageBreak())
                    pages.append(QStringList());
                else
                    pages.last().append(line);
            }
            const int expectedPages = rows <= 20 ? 1 : rows <= 40 ? 2 : 3;
            QCOMPARE(pages.size(), expectedPages);
            int listed = 0;
            for (int page = 0; page < pages.size(); ++page) {
                QVERIFY(pages.at(page).size() <= SubmissionReceipt::LinesPerPage);
                QCOMPARE(pages.at(page).at(4), QString("          Follow-Up Due, page %1 of %2")
                                                   .arg(page + 1)
                                                   .arg(expectedPages));
                for (const QString& line : pages.at(page)) {
                    QVERIFY2(line.size() <= 80, qPrintable(line));
                    listed += line.contains("Okonkwo");
                }
            }
            QCOMPARE(listed, rows);
        }
    }
};

QTEST_GUILESS_MAIN(tst_PrintedPage)
#include "tst_PrintedPage.moc"
