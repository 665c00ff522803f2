#include "storage/Windows1252.h"
#include "submission/DuplicateIndex.h"
#include "submission/FollowUpList.h"
#include "submission/SubmissionFolder.h"
#include "support/PermissionBits.h"
#include "support/ProcessFigures.h"
#include "support/TestRecords.h"
#include "validation/DuplicateRule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

// While set, the reads of this file from this offset on fail with EIO: a file that fails part
// way through its reading.
QByteArray failingFile;
off_t failFrom = 0;

// The list's temporary files: the files without a name in this folder (the test's TMPDIR).
QByteArray temporaryFolder;
std::atomic<int> temporaryWrites{0};
std::atomic<int> temporaryWritesLeft{-1}; // then each fails with ENOSPC; -1: no limit
std::atomic<bool> temporaryReadsFail{false};
std::atomic<unsigned> temporaryModes{0}; // the permission bits seen, or-ed

QByteArray linkOf(int fd) {
    char path[4096];
    const ssize_t length =
        readlink(("/proc/self/fd/" + QByteArray::number(fd)).constData(), path, sizeof path);
    return length > 0 ? QByteArray(path, int(length)) : QByteArray();
}

bool isTemporary(int fd) {
    return !temporaryFolder.isEmpty() && linkOf(fd).startsWith(temporaryFolder + "/#");
}

} // namespace

extern "C" ssize_t pread(int fd, void* buffer, size_t count, off_t offset) {
    using Pread = ssize_t (*)(int, void*, size_t, off_t);
    static const auto real = reinterpret_cast<Pread>(dlsym(RTLD_NEXT, "pread"));
    if ((!failingFile.isEmpty() && offset >= failFrom && linkOf(fd) == failingFile) ||
        (temporaryReadsFail && isTemporary(fd))) {
        errno = EIO;
        return -1;
    }
    return real(fd, buffer, count, offset);
}

extern "C" ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset) {
    using Pwrite = ssize_t (*)(int, const void*, size_t, off_t);
    static const auto real = reinterpret_cast<Pwrite>(dlsym(RTLD_NEXT, "pwrite"));
    if (isTemporary(fd)) {
        struct stat info {};
        if (fstat(fd, &info) == 0)
            temporaryModes |= unsigned(info.st_mode & 07777);
        if (temporaryWritesLeft == 0) {
            errno = ENOSPC;
            return -1;
        }
        if (temporaryWritesLeft > 0)
            --temporaryWritesLeft;
        ++temporaryWrites;
    }
    return real(fd, buffer, count, offset);
}

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

    // Every field of every row, in order, then the file lines.
    static QStringList everything(const QList<FollowUpRow>& rows, const QStringList& fileLines) {
        QStringList all;
        for (const FollowUpRow& row : rows)
            all << row.values().join(QLatin1Char('|')) + QStringLiteral("|%1|%2|%3|%4")
                                                             .arg(row.submissionFile)
                                                             .arg(row.recordNumber)
                                                             .arg(row.problem)
                                                             .arg(row.dueBy.toString(Qt::ISODate));
        return all << QStringLiteral("files:") << fileLines;
    }

    // The list as reading every file whole gives it: the files in name order, each read at once.
    QStringList readWhole(const QString& submit, const QList<ResultRecord>& stored) const {
        FollowUpList list(today_);
        QList<SubmissionFolder::ListedFile> listed;
        if (!SubmissionFolder::list(submit, listed))
            return {QStringLiteral("Submit cannot be listed")};
        QStringList names;
        for (const SubmissionFolder::ListedFile& file : listed)
            names << file.fileName;
        names.sort();
        QList<FileStatus> unreadable;
        QStringList damaged;
        for (const QString& name : names) {
            const QString path = QDir(submit).filePath(name);
            RecordFile file;
            if (FileStatus status = RecordFile::read(path, file); !status) {
                unreadable << status;
                continue;
            }
            if (!file.isWhole())
                damaged << QStringLiteral("%1 (%2)").arg(path, file.damage());
            list.addSubmissionFile(name, file);
        }
        list.addStoredRecords(stored);
        return everything(list.rows(), DuplicateIndex::notCheckedLines(unreadable, damaged));
    }

    QStringList readStreamed(const QString& submit, const QList<ResultRecord>& stored) const {
        FollowUpList list(today_);
        list.addSubmissionFolder(submit);
        list.addStoredRecords(stored);
        return everything(list.rows(), list.fileLines());
    }

    // The rows as the window reads them (one at a time), their number and summary, then the file
    // lines.
    static QStringList everything(FollowUpList& list) {
        const FollowUpRows rows = list.takeRows();
        QList<FollowUpRow> each;
        for (const FollowUpRow& row : rows)
            each << row;
        return everything(each, list.fileLines()) << QString::number(rows.size()) << rows.summary();
    }

    // While it lives, the list's temporary files go to a folder of the test's own, whose files
    // without a name the test's pread and pwrite watch.
    struct TemporaryFolder {
        QTemporaryDir dir;
        QByteArray saved = qgetenv("TMPDIR");
        TemporaryFolder() {
            qputenv("TMPDIR", dir.path().toLocal8Bit());
            temporaryFolder = QFileInfo(dir.path()).canonicalFilePath().toLocal8Bit();
            temporaryWrites = 0;
            temporaryWritesLeft = -1;
            temporaryReadsFail = false;
            temporaryModes = 0;
        }
        ~TemporaryFolder() {
            temporaryFolder.clear();
            temporaryWritesLeft = -1;
            temporaryReadsFail = false;
            if (saved.isNull())
                qunsetenv("TMPDIR");
            else
                qputenv("TMPDIR", saved);
        }
    };

    // Submit with four files of perFile records, and stored the data file's: 700 children of
    // several results each, some names in other case and blanks, same-day results, dates that
    // cannot be placed and records that name no child.
    static QString mixedSubmit(const QTemporaryDir& dir, int perFile, QList<ResultRecord>& stored) {
        const QString submit = dir.filePath("Submit");
        if (!QDir(dir.path()).mkdir("Submit"))
            return QString();
        auto record = [](int n) {
            const int child = n % 700;
            ResultRecord made = result("Child", "Ann", "01012020", "", "", "C");
            QString last = QStringLiteral("Child%1").arg(child);
            if (n % 7 == 0)
                last = last.toUpper();
            if (n % 11 == 0)
                last = " " + last;
            made.set(ResultRecord::LastName, last);
            // Results of a child over three days: ties on the same day.
            made.set(ResultRecord::DateTaken,
                     QDate(2026, 1, 1).addDays((n / 700) % 3).toString("MMddyyyy"));
            if (n % 97 == 0)
                made.set(ResultRecord::DateTaken, "02302026");
            made.set(ResultRecord::PbResult, QString::number(n % 23));
            made.set(ResultRecord::TestType, n % 5 == 0 ? "V" : "C");
            if (n % 1009 == 0)
                made.set(ResultRecord::FirstName, "");
            return made;
        };
        stored.clear();
        for (int n = 4 * perFile; n < 4 * perFile + 300; ++n)
            stored << record(n);
        for (int file = 0; file < 4; ++file) {
            QList<ResultRecord> records;
            for (int n = file * perFile; n < (file + 1) * perFile; ++n)
                records << record(n);
            writeFile(QDir(submit).filePath(
                          QString("Lead_123456_20260105_09000%1_000%1.txt").arg(file + 1)),
                      bytesOf(records));
        }
        return submit;
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

    // Reading Submit a piece at a time gives the list of reading every file whole: every row,
    // its order, the record it names and the file lines, over files of several pieces, torn,
    // without line ends, empty or out of reach, and again after files were added, removed and
    // changed.
    void streamedListIsTheWholeRead() {
        QTemporaryDir dir;
        const QString submit = dir.filePath("Submit");
        QVERIFY(QDir(dir.path()).mkdir("Submit"));
        const QDir folder(submit);
        const QString name = "Lead_123456_202601%1_090000_%2.txt";
        // Child n % 3000 over the pieces of a large file: its records before and after a piece's
        // end decide, on the same day and on later ones.
        QByteArray large;
        for (int n = 0; n < 5000; ++n) {
            ResultRecord record = result("Child", "Ann", "01012020", "", "", "C");
            record.set(ResultRecord::LastName, QStringLiteral("Child%1").arg(n % 3000));
            record.set(ResultRecord::DateTaken,
                       QDate(2025, 6, 1).addDays(n % 200).toString("MMddyyyy"));
            record.set(ResultRecord::PbResult, QString::number(n % 23));
            record.set(ResultRecord::TestType, n % 5 == 0 ? "V" : "C");
            if (n % 997 == 0)
                record.set(ResultRecord::DateTaken, "02302026");
            if (n % 1009 == 0)
                record.set(ResultRecord::FirstName, "");
            large += record.encode();
        }
        writeFile(folder.filePath(name.arg("05", "0001")), large);
        const QByteArray two = bytesOf({ann("01052026", "12.0", "C"), ann("01062026", "30", "V"),
                                        result("Child7", "Ann", "01012020", "03012026", "9", "V")});
        writeFile(folder.filePath(name.arg("06", "0002")), two);
        // Torn: the last record cut short, its result gone.
        writeFile(folder.filePath(name.arg("07", "0003")),
                  bytesOf({result("Novak", "Eva", "07302018", "02012026", "5.0", "V"),
                           result("Novak", "Eva", "07302018", "02022026", "25", "C")})
                      .left(2 * ResultRecord::Size - 30));
        QByteArray noLineEnds = bytesOf({result("Lee", "Kim", "01022021", "02152026", "4", "C")});
        noLineEnds[ResultRecord::Size - 2] = ' ';
        writeFile(folder.filePath(name.arg("08", "0004")), noLineEnds);
        writeFile(folder.filePath(name.arg("09", "0005")), QByteArray());
        writeFile(folder.filePath(name.arg("10", "0006")), bytesOf({ann("03012026", "1.0", "V")}));
        QVERIFY(PermissionBits::lockOut(folder.filePath(name.arg("10", "0006"))));
        const QList<ResultRecord> stored = {ann("01042026", "50", "C"),
                                            result("Child9", "Ann", "01012020", "", "7", "C")};

        const PermissionBits bits;
        QStringList whole = readWhole(submit, stored);
        QCOMPARE(readStreamed(submit, stored), whole);
        QVERIFY(whole.size() > 2000);
        QVERIFY(whole.join('\n').contains("damaged: 1 whole record, 168 bytes left over"));
        QVERIFY(whole.join('\n').contains("1 not ended by CR LF"));
        if (bits.applies())
            QVERIFY(whole.join('\n').contains("could not be read"));

        // Files added, removed and changed between two readings.
        QVERIFY(QFile::remove(folder.filePath(name.arg("06", "0002"))));
        writeFile(folder.filePath(name.arg("11", "0007")),
                  bytesOf({result("Child11", "Ann", "01012020", "03052026", "44", "V")}));
        QFile grown(folder.filePath(name.arg("05", "0001")));
        QVERIFY(grown.open(QIODevice::Append));
        QVERIFY(grown.write(bytesOf({result("Child3", "Ann", "01012020", "03072026", "2", "V")})
                                .left(150)) == 150);
        grown.close();
        whole = readWhole(submit, stored);
        QCOMPARE(readStreamed(submit, stored), whole);
        QVERIFY(whole.join('\n').contains("Child11|Ann"));
        QVERIFY(!whole.join('\n').contains(name.arg("06", "0002")));
    }

    // Records put together while they are read (as often as can be), and children whose keys
    // share a hash, give the rows of putting every record together once: the same latest
    // record of each child over names in other case and blanks, same-day results, dates that
    // cannot be placed and records that name no child.
    void recordsPutTogetherWhileReadGiveTheSameRows() {
        QTemporaryDir dir;
        QList<ResultRecord> stored;
        const QString submit = mixedSubmit(dir, 1500, stored);
        auto listed = [&](FollowUpList::KeyHash hash, size_t reduceAtLeast) {
            FollowUpList list(today_, hash, reduceAtLeast);
            list.addSubmissionFolder(submit);
            list.addStoredRecords(stored);
            return everything(list.rows(), list.fileLines());
        };
        const QStringList once = listed(&FollowUpList::keyHash, FollowUpList::ReduceAtLeast);
        QVERIFY2(once.size() > 300, qPrintable(QString::number(once.size())));
        QVERIFY(once.join('\n').contains("Check the record"));
        const auto collide = [](QStringView) { return quint64(7); };
        QCOMPARE(listed(&FollowUpList::keyHash, 1), once);
        QCOMPARE(listed(&FollowUpList::keyHash, 50), once);
        QCOMPARE(listed(collide, FollowUpList::ReduceAtLeast), once);
        QCOMPARE(listed(collide, 3), once);
    }

    // Records held to a budget of a few (each child's records written out in many pieces, the
    // rows in a file, or in memory when they fit) give the rows, their order, summary and file
    // lines of the list held in memory, children whose keys share a hash included. The temporary
    // files have no name and are the owner's alone; one that cannot be written, from the start
    // or part way, or cannot be made, leaves the records in memory and the list the same; one
    // that cannot be read back is told, never shown as other rows.
    void recordsWrittenOutGiveTheSameRows() {
        QTemporaryDir dir;
        QList<ResultRecord> stored;
        const QString submit = mixedSubmit(dir, 450, stored);
        const TemporaryFolder temporary;
        auto listed = [&](FollowUpList::KeyHash hash, size_t reduceAtLeast, size_t budget) {
            FollowUpList list(today_, hash, reduceAtLeast, budget);
            list.expectRecords(stored.size());
            list.addSubmissionFolder(submit);
            list.addStoredRecords(stored);
            return everything(list);
        };
        const size_t entry = 72;
        const QStringList once =
            listed(&FollowUpList::keyHash, FollowUpList::ReduceAtLeast, FollowUpList::MemoryBudget);
        QVERIFY2(once.size() > 300, qPrintable(QString::number(once.size())));
        QCOMPARE(temporaryWrites.load(), 0);
        const auto collide = [](QStringView) { return quint64(7); };
        QCOMPARE(listed(&FollowUpList::keyHash, 50, 64 * entry), once);
        const int allWrites = temporaryWrites;
        QVERIFY(allWrites > 50);
        QCOMPARE(temporaryModes.load(), 0600u);
        QCOMPARE(listed(&FollowUpList::keyHash, 50, 1000 * entry), once);
        QVERIFY(temporaryWrites > allWrites);
        QCOMPARE(listed(collide, 3, 64 * entry), once);
        QCOMPARE(QDir(temporary.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());

        for (const int writes : {0, allWrites / 2, allWrites - 1}) {
            temporaryWritesLeft = writes;
            QCOMPARE(listed(&FollowUpList::keyHash, 50, 64 * entry), once);
        }
        temporaryWritesLeft = -1;
        qputenv("TMPDIR", QDir(temporary.dir.path()).filePath("missing").toLocal8Bit());
        QCOMPARE(listed(&FollowUpList::keyHash, 50, 64 * entry), once);
        qputenv("TMPDIR", temporary.dir.path().toLocal8Bit());

        temporaryReadsFail = true;
        const QStringList failed = listed(&FollowUpList::keyHash, 50, 64 * entry);
        temporaryReadsFail = false;
        QVERIFY2(failed.join('\n').contains("could not be read"), qPrintable(failed.join('\n')));
        FollowUpList list(today_, &FollowUpList::keyHash, 50, 64 * entry);
        list.addSubmissionFolder(submit);
        const FollowUpRows rows = list.takeRows();
        QVERIFY(rows.size() > 64);
        const FollowUpRow first = rows.at(0);
        temporaryReadsFail = true;
        const FollowUpRow unread = rows.at(0);
        temporaryReadsFail = false;
        QCOMPARE(unread.status, QString("Check the record"));
        QVERIFY2(unread.problem.contains("could not be read back"), qPrintable(unread.problem));
        QVERIFY(unread.lastName.isEmpty() && unread.recordNumber == 0);
        QCOMPARE(rows.at(0).values(), first.values());

        // Told to stop while the records are read back: no rows.
        bool stop = false;
        FollowUpList stopping(today_, &FollowUpList::keyHash, 50, 64 * entry);
        stopping.addSubmissionFolder(submit, [&stop](int, int) { return !stop; });
        QVERIFY(!stopping.stopped());
        stop = true;
        QVERIFY(stopping.takeRows().isEmpty());
        QVERIFY(stopping.stopped());

        // Rows that fit the budget are held in memory: nothing to read back.
        FollowUpList fits(today_, &FollowUpList::keyHash, 50, 1000 * entry);
        fits.addSubmissionFolder(submit);
        const FollowUpRows held = fits.takeRows();
        temporaryReadsFail = true;
        const FollowUpRow heldFirst = held.at(0);
        temporaryReadsFail = false;
        QVERIFY(held.size() < 1000);
        QCOMPARE(heldFirst.values(), first.values());
    }

    // A file whose reading fails part way adds none of its records, even after its own records
    // were put together, and the files after it are still read; it is named as a file that
    // could not be read.
    void fileFailingPartWayAddsNothing() {
        QTemporaryDir dir;
        const QString submit = dir.filePath("Submit");
        QVERIFY(QDir(dir.path()).mkdir("Submit"));
        const QDir folder(submit);
        const QString before = "Lead_123456_20260105_090000_0001.txt";
        const QString failing = "Lead_123456_20260106_090000_0002.txt";
        const QString after = "Lead_123456_20260107_090000_0003.txt";
        writeFile(folder.filePath(before),
                  bytesOf({ann("01052026", "12.0", "C"),
                           result("Novak", "Eva", "07302018", "01052026", "5.0", "V")}));
        // Ann's later venous result below 3.5 would clear her; Eva's undated one would make her
        // a row to check; and 40,000 children of their own, more than are read at once.
        QByteArray bytes = bytesOf(
            {ann("02012026", "2.0", "V"), result("Novak", "Eva", "07302018", "", "5.0", "V")});
        const QByteArray child = result("Part", "Al", "01012020", "02012026", "9", "V").encode();
        for (int n = 0; n < 40000; ++n) {
            QByteArray record = child;
            const QByteArray name = "Part" + QByteArray::number(n);
            record.replace(ResultRecord::offset(ResultRecord::LastName), name.size(), name);
            bytes += record;
        }
        writeFile(folder.filePath(failing), bytes);
        writeFile(folder.filePath(after),
                  bytesOf({result("Lee", "Kim", "01022021", "02152026", "4", "C")}));

        failingFile = QFileInfo(folder.filePath(failing)).canonicalFilePath().toLocal8Bit();
        failFrom = off_t(36000) * ResultRecord::Size;
        FollowUpList streamed(today_);
        const FileStatus listedStatus = streamed.addSubmissionFolder(submit);
        failingFile.clear();
        QVERIFY(listedStatus);

        FollowUpList without(today_);
        for (const QString& name : {before, after}) {
            RecordFile file;
            QVERIFY(RecordFile::read(folder.filePath(name), file));
            without.addSubmissionFile(name, file);
        }
        QCOMPARE(everything(streamed.rows(), {}), everything(without.rows(), {}));
        QCOMPARE(lines(streamed.rows()).size(), 3);
        QCOMPARE(streamed.unreadableFiles().size(), 1);
        QVERIFY2(streamed.fileLines().join('\n').contains(failing),
                 qPrintable(streamed.fileLines().join('\n')));
        QVERIFY(streamed.damagedFiles().isEmpty());

        // The same with the records held to a budget: the failing file's records written out
        // before it failed are passed over, the records after it keep their numbers.
        const TemporaryFolder temporary;
        failFrom = off_t(36000) * ResultRecord::Size;
        failingFile = QFileInfo(folder.filePath(failing)).canonicalFilePath().toLocal8Bit();
        FollowUpList spilled(today_, &FollowUpList::keyHash, FollowUpList::ReduceAtLeast,
                             5000 * 72);
        spilled.addSubmissionFolder(submit);
        failingFile.clear();
        QVERIFY(temporaryWrites > 0);
        QCOMPARE(everything(spilled.rows(), {}), everything(without.rows(), {}));
        QCOMPARE(spilled.unreadableFiles().size(), 1);

        // The same when the temporary file takes the first part written and no more: the
        // records stay in memory, the earlier files' among them, and the failing file's still
        // go.
        temporaryWritesLeft = 1;
        failingFile = QFileInfo(folder.filePath(failing)).canonicalFilePath().toLocal8Bit();
        FollowUpList unwritten(today_, &FollowUpList::keyHash, FollowUpList::ReduceAtLeast,
                               5000 * 72);
        unwritten.addSubmissionFolder(submit);
        failingFile.clear();
        QCOMPARE(temporaryWritesLeft.load(), 0);
        QCOMPARE(everything(unwritten.rows(), {}), everything(without.rows(), {}));
    }

    // Names compared and keys made from their bytes as from their texts: for every byte of the
    // code page, QString's case-insensitive order and DuplicateRule::childKey.
    void namesFromTheirBytes() {
        QStringList wrong;
        auto sign = [](int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); };
        auto check = [&](const QByteArray& a, const QByteArray& b) {
            const int bytes = sign(FollowUpList::compareNames(a, b));
            const int texts = sign(QString::compare(Windows1252::decode(a), Windows1252::decode(b),
                                                    Qt::CaseInsensitive));
            if (bytes != texts)
                wrong << QString("%1 %2: %3, not %4")
                             .arg(QString(a.toHex()), QString(b.toHex()))
                             .arg(bytes)
                             .arg(texts);
        };
        for (int x = 0; x < 256; ++x) {
            const QByteArray a(1, char(x));
            for (int y = 0; y < 256; ++y)
                check(a, QByteArray(1, char(y)));
            check(a + "b", a);
            check("A" + a, "a" + a);
            const QString key = FollowUpList::childKey(" x" + a + " ", a + "y", "0" + a);
            const QString text =
                DuplicateRule::childKey(Windows1252::decode(" x" + a + " "),
                                        Windows1252::decode(a + "y"), Windows1252::decode("0" + a));
            if (key != text)
                wrong << QString("key of %1").arg(QString(a.toHex()));
        }
        QCOMPARE(wrong, QStringList());
        QVERIFY(FollowUpList::childKey("Smith", "  ", "01012020").isEmpty());
    }

    // The reading says how far it is, file by file, and stops when told to.
    void progressAndStop() {
        QTemporaryDir dir;
        const QString submit = dir.filePath("Submit");
        QVERIFY(QDir(dir.path()).mkdir("Submit"));
        for (int i = 1; i <= 3; ++i)
            writeFile(
                QDir(submit).filePath(QString("Lead_123456_20260105_09000%1_000%1.txt").arg(i)),
                bytesOf({ann("03012026", "12", "C")}));
        QStringList told;
        FollowUpList list(today_);
        QVERIFY(list.addSubmissionFolder(submit, [&](int done, int total) {
            told << QString("%1/%2").arg(done).arg(total);
            return true;
        }));
        QVERIFY(told.startsWith("0/3") && told.endsWith("3/3"));
        QVERIFY(told.contains("1/3") && told.contains("2/3"));
        QVERIFY(!list.stopped());

        FollowUpList stopped(today_);
        int calls = 0;
        stopped.addSubmissionFolder(submit, [&](int done, int) { return ++calls, done < 1; });
        QVERIFY(stopped.stopped());
        QVERIFY(calls < 4);
    }

    // A large submission file is read a piece at a time: the memory taken grows with the
    // children, not with the file.
    void largeFileIsNotHeld() {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("AddressSanitizer keeps freed memory aside: peak figures mean nothing here.");
#endif
        QTemporaryDir dir;
        const QString submit = dir.filePath("Submit");
        QVERIFY(QDir(dir.path()).mkdir("Submit"));
        QFile file(QDir(submit).filePath("Lead_123456_20260105_090000_0001.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        // 120,000 records (about 23 MiB) of 50 children, written a little at a time.
        for (int block = 0; block < 120; ++block) {
            QByteArray bytes;
            for (int n = 0; n < 1000; ++n) {
                ResultRecord record = ann("01052026", "12.0", "C");
                record.set(ResultRecord::LastName, QStringLiteral("Child%1").arg(n % 50));
                record.set(
                    ResultRecord::DateTaken,
                    QDate(2025, 1, 1).addDays((block * 1000 + n) % 400).toString("MMddyyyy"));
                bytes += record.encode();
            }
            QCOMPARE(file.write(bytes), bytes.size());
        }
        file.close();
        const long before = peakResidentKb();
        QVERIFY(before > 0);
        FollowUpList list(today_);
        QVERIFY(list.addSubmissionFolder(submit));
        QCOMPARE(list.rows().size(), 50);
        const long grown = peakResidentKb() - before;
        QVERIFY2(grown < 8 * 1024, qPrintable(QString("peak grew by %1 KiB").arg(grown)));
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
