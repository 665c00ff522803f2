#include "submission/FollowUpList.h"
#include "support/PermissionBits.h"
#include "support/TestRecords.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The Follow-Up Due list: which record is a child's latest, what it calls for, the rows'
// wording and order, over the data file and the files in Submit.
class tst_FollowUpList : public QObject {
    Q_OBJECT

    const QDate today_{2026, 3, 10};

    // A result: "Low" and "High" stand for the two options, anything else is PbResult.
    static ResultRecord result(const char* last, const char* first, const char* born,
                               const char* taken, const char* pb, const char* type) {
        ResultRecord record = TestRecords::completeRecord(QString::fromUtf8(last));
        record.set(ResultRecord::FirstName, QString::fromUtf8(first));
        record.set(ResultRecord::DateOfBirth, born);
        record.set(ResultRecord::DateTaken, taken);
        record.set(ResultRecord::AnalysisDate, taken);
        record.set(ResultRecord::TestType, type);
        if (qstrcmp(pb, "Low") == 0) {
            record.set(ResultRecord::PbResult, QString());
            record.set(ResultRecord::BelowDetection, "1");
        } else {
            record.set(ResultRecord::PbResult, pb == QByteArray("High") ? "66.0" : pb);
            record.set(ResultRecord::BelowDetection, "0");
        }
        return record;
    }
    static ResultRecord ann(const char* taken, const char* pb, const char* type) {
        return result("Smith", "Ann", "07042019", taken, pb, type);
    }

    static QByteArray bytesOf(const QList<ResultRecord>& records) {
        QByteArray bytes;
        for (const ResultRecord& record : records)
            bytes += record.encode();
        return bytes;
    }
    static void writeFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    // "Smith Ann | 12.0 capillary, 03/02/2026 | Venous confirmation | 04/02/2026 | Due in 23 days"
    static QStringList lines(const QList<FollowUpRow>& rows) {
        QStringList lines;
        for (const FollowUpRow& row : rows) {
            QStringList values = row.values();
            values[0] += QLatin1Char(' ') + values.takeAt(1);
            values.removeAt(1); // the date of birth
            lines << values.join(QLatin1String(" | "));
        }
        return lines;
    }

    QList<FollowUpRow> rowsOf(const QList<ResultRecord>& stored) const {
        FollowUpList list(today_);
        list.addStoredRecords(stored);
        return list.rows();
    }

private slots:
    // What a child's latest record calls for: Low and High as the window reads them, and the
    // records that cannot be judged.
    void latestRecordDecides_data() {
        QTest::addColumn<ResultRecord>("record");
        QTest::addColumn<QString>("line"); // empty: not listed
        const QString check = "Check the record";
        QTest::newRow("Low Result") << ann("03022026", "Low", "C") << QString();
        QTest::newRow("Low Result, venous") << ann("03022026", "Low", "V") << QString();
        QTest::newRow("3.4") << ann("03022026", "3.4", "C") << QString();
        QTest::newRow("3.5") << ann("03022026", "3.5", "C")
                             << "Smith Ann | 3.5 capillary, 03/02/2026 | Venous confirmation | "
                                "06/02/2026 | Due in 84 days";
        QTest::newRow("12.0 venous") << ann("03022026", "12.0", "V")
                                     << "Smith Ann | 12.0 venous, 03/02/2026 | Follow-up test | "
                                        "04/02/2026 | Due in 23 days";
        QTest::newRow("High Result") << ann("03022026", "High", "C")
                                     << "Smith Ann | High Result capillary, 03/02/2026 | Venous "
                                        "confirmation | 03/04/2026 | Overdue 6 days";
        QTest::newRow("45 venous, due today")
            << ann("03082026", "45", "V")
            << "Smith Ann | 45 venous, 03/08/2026 | Follow-up test | 03/10/2026 | Due today";
        QTest::newRow("result not a number")
            << ann("03022026", "abc", "C")
            << "Smith Ann | abc capillary, 03/02/2026 |  |  | " + check;
        QTest::newRow("result begins with a number")
            << ann("03022026", "12a", "C")
            << "Smith Ann | 12a capillary, 03/02/2026 |  |  | " + check;
        QTest::newRow("no result, neither option")
            << ann("03022026", "", "C") << "Smith Ann | capillary, 03/02/2026 |  |  | " + check;
        QTest::newRow("test type blank")
            << ann("03022026", "12.0", " ") << "Smith Ann | 12.0, 03/02/2026 |  |  | " + check;
        QTest::newRow("test type X")
            << ann("03022026", "12.0", "X") << "Smith Ann | 12.0, 03/02/2026 |  |  | " + check;
        QTest::newRow("February 30") << ann("02302026", "12.0", "C")
                                     << "Smith Ann | 12.0 capillary, 02/30/2026 |  |  | " + check;
        QTest::newRow("date taken blank")
            << ann("", "12.0", "C") << "Smith Ann | 12.0 capillary |  |  | " + check;
        QTest::newRow("date taken after today")
            << ann("03112026", "2.0", "V") << "Smith Ann | 2.0 venous, 03/11/2026 |  |  | " + check;
    }
    void latestRecordDecides() {
        QFETCH(ResultRecord, record);
        QFETCH(QString, line);
        const QList<FollowUpRow> rows = rowsOf({record});
        QCOMPARE(lines(rows), line.isEmpty() ? QStringList() : QStringList{line});
        if (!rows.isEmpty() && rows.at(0).checkRecord)
            QVERIFY(!rows.at(0).problem.isEmpty());
    }

    // One child over the data file and two submission files: a later venous result below the
    // reference value clears an older capillary one, wherever either is kept; links, odd names
    // and unreadable files hold nothing, and a file that cannot be read is named.
    void oneChildAcrossTheFiles() {
        QTemporaryDir dir;
        const QString submit = dir.filePath("Submit");
        QVERIFY(QDir(dir.path()).mkdir("Submit"));
        const QDir folder(submit);
        const QString older = "Lead_123456_20260106_090000_0001.txt";
        const QString newer = "Lead_123456_20260202_090000_0002.txt";
        writeFile(folder.filePath(older),
                  bytesOf({result("Novak", "Eva", "07302018", "01052026", "5.0", "V"),
                           ann("01052026", "12.0", "C")}));
        writeFile(folder.filePath(newer), bytesOf({ann("02012026", "2.0", "V")}));
        // A raised result under a link and under another name counts for nothing.
        const QString raised = folder.filePath("raised.bin");
        writeFile(raised, bytesOf({ann("03012026", "30", "V")}));
        QVERIFY(QFile::link(raised, folder.filePath("Lead_123456_20260301_090000_0003.txt")));
        writeFile(folder.filePath(newer + ".bak"), bytesOf({ann("03012026", "30", "V")}));
        const QList<ResultRecord> stored = {ann("12012025", "20.0", "C")};

        FollowUpList all(today_);
        QVERIFY(all.addSubmissionFolder(submit));
        all.addStoredRecords(stored);
        QCOMPARE(lines(all.rows()),
                 QStringList{"Novak Eva | 5.0 venous, 01/05/2026 | Follow-up test | 04/05/2026 | "
                             "Due in 26 days"});
        QVERIFY(all.fileLines().isEmpty());

        // The venous result out of reach: the capillary one of the older file is the latest.
        QVERIFY(PermissionBits::lockOut(folder.filePath(newer)));
        const PermissionBits bits;
        if (!bits.applies())
            QSKIP("This test cannot set aside root's override of the permission bits.");
        FollowUpList withoutNewer(today_);
        QVERIFY(withoutNewer.addSubmissionFolder(submit));
        withoutNewer.addStoredRecords(stored);
        const QList<FollowUpRow> rows = withoutNewer.rows();
        QCOMPARE(lines(rows),
                 (QStringList{"Smith Ann | 12.0 capillary, 01/05/2026 | Venous confirmation | "
                              "02/05/2026 | Overdue 33 days",
                              "Novak Eva | 5.0 venous, 01/05/2026 | Follow-up test | 04/05/2026 "
                              "| Due in 26 days"}));
        QCOMPARE(rows.at(0).submissionFile, older);
        QCOMPARE(rows.at(0).recordNumber, 2);
        QCOMPARE(withoutNewer.unreadableFiles().size(), 1);
        QCOMPARE(withoutNewer.fileLines().value(1),
                 QString("%1 (%2)").arg(folder.filePath(newer),
                                        withoutNewer.unreadableFiles().at(0).reason()));
        QCOMPARE(FollowUpList::summary(rows), QString("2 children due, 1 overdue"));
    }

    // Which record is the latest: the latest date taken; on the same day venous before
    // capillary whichever was added first; the same child whatever the case and surrounding
    // blanks of the names; a date that cannot be placed makes the child one to check.
    void latestResultOfAChild_data() {
        QTest::addColumn<QList<ResultRecord>>("records");
        QTest::addColumn<QStringList>("rows");
        const QString annDue = "Smith Ann | 12.0 capillary, 03/02/2026 | Venous confirmation | "
                               "04/02/2026 | Due in 23 days";
        QTest::newRow("later date wins over a higher result")
            << QList<ResultRecord>{ann("03022026", "12.0", "C"), ann("02012026", "50", "C")}
            << QStringList{annDue};
        QTest::newRow("same day: venous below 3.5 after capillary")
            << QList<ResultRecord>{ann("03022026", "12.0", "C"), ann("03022026", "2.0", "V")}
            << QStringList();
        QTest::newRow("same day: venous below 3.5 before capillary")
            << QList<ResultRecord>{ann("03022026", "2.0", "V"), ann("03022026", "12.0", "C")}
            << QStringList();
        QTest::newRow("same day: raised venous before capillary below 3.5")
            << QList<ResultRecord>{ann("03022026", "12.0", "V"), ann("03022026", "2.0", "C")}
            << QStringList{"Smith Ann | 12.0 venous, 03/02/2026 | Follow-up test | 04/02/2026 | "
                           "Due in 23 days"};
        QTest::newRow("case and blanks in the names")
            << QList<ResultRecord>{ann("03022026", "12.0", "C"),
                                   result(" SMITH", "ann ", "07042019", "03042026", "1.0", "V")}
            << QStringList();
        QTest::newRow("another date of birth is another child")
            << QList<ResultRecord>{ann("03022026", "12.0", "C"),
                                   result("Smith", "Ann", "07042018", "03042026", "1.0", "V")}
            << QStringList{annDue};
        QTest::newRow("another first name is another child")
            << QList<ResultRecord>{ann("03022026", "12.0", "C"),
                                   result("Smith", "Anne", "07042019", "03042026", "1.0", "V")}
            << QStringList{annDue};
        QTest::newRow("a bad date taken beside a later good one")
            << QList<ResultRecord>{ann("02302026", "1.0", "V"), ann("03022026", "12.0", "C")}
            << QStringList{"Smith Ann | 1.0 venous, 02/30/2026 |  |  | Check the record"};
        QTest::newRow("a blank first name is no child's")
            << QList<ResultRecord>{result("Smith", "", "07042019", "03022026", "12.0", "C"),
                                   result("Smith", "", "07042019", "03022026", "1.0", "C")}
            << QStringList{"Smith  | 12.0 capillary, 03/02/2026 |  |  | Check the record"};
        QTest::newRow("rows: check first, then by due date")
            << QList<ResultRecord>{result("Young", "Al", "01012020", "03012026", "5.0", "C"),
                                   result("Bell", "Cy", "01012020", "03012026", "50", "C"),
                                   result("Abel", "Di", "01012020", "", "5.0", "C"),
                                   result("Cole", "Ed", "01012020", "03012026", "5.0", "V")}
            << QStringList{"Abel Di | 5.0 capillary |  |  | Check the record",
                           "Bell Cy | 50 capillary, 03/01/2026 | Venous confirmation | "
                           "03/03/2026 | Overdue 7 days",
                           "Cole Ed | 5.0 venous, 03/01/2026 | Follow-up test | 06/01/2026 | "
                           "Due in 83 days",
                           "Young Al | 5.0 capillary, 03/01/2026 | Venous confirmation | "
                           "06/01/2026 | Due in 83 days"};
    }
    void latestResultOfAChild() {
        QFETCH(QList<ResultRecord>, records);
        QFETCH(QStringList, rows);
        QCOMPARE(lines(rowsOf(records)), rows);
    }

    void statusAndSummaryWording_data() {
        QTest::addColumn<int>("daysLeft");
        QTest::addColumn<QString>("status");
        QTest::newRow("-2") << -2 << "Overdue 2 days";
        QTest::newRow("-1") << -1 << "Overdue 1 day";
        QTest::newRow("0") << 0 << "Due today";
        QTest::newRow("1") << 1 << "Due in 1 day";
        QTest::newRow("31") << 31 << "Due in 31 days";
    }
    void statusAndSummaryWording() {
        QFETCH(int, daysLeft);
        QFETCH(QString, status);
        QCOMPARE(FollowUpList::statusText(daysLeft), status);

        FollowUpRow due;
        due.daysLeft = daysLeft;
        FollowUpRow check;
        check.checkRecord = true;
        check.daysLeft = -5;
        const int overdue = daysLeft < 0 ? 1 : 0;
        QCOMPARE(FollowUpList::summary({due, check}),
                 QString("1 child due, %1 overdue").arg(overdue));
        QCOMPARE(FollowUpList::summary({due, due, check}),
                 QString("2 children due, %1 overdue").arg(2 * overdue));
    }
};

QTEST_APPLESS_MAIN(tst_FollowUpList)
#include "tst_FollowUpList.moc"
