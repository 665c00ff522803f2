#include "storage/RecordFile.h"
#include "storage/RecordStore.h"
#include "submission/DuplicateIndex.h"
#include "submission/RecordsCheck.h"
#include "support/DuplicateIndexProbe.h"
#include "support/PermissionBits.h"
#include "support/TestRecords.h"
#include "validation/DuplicateRule.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kCode = QStringLiteral("123456");
const QString kSent = QStringLiteral("Lead_123456_20250105_093000_0007.txt");

ResultRecord patient(const QString& last, const QString& first, const QString& born,
                     const QString& taken) {
    ResultRecord record = TestRecords::completeRecord(last);
    record.set(ResultRecord::FirstName, first);
    record.set(ResultRecord::DateOfBirth, born);
    record.set(ResultRecord::DateTaken, taken);
    return record;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray bytesOf(const QList<ResultRecord>& records) {
    QByteArray bytes;
    for (const ResultRecord& record : records)
        bytes += record.encode();
    return bytes;
}

// A match as one line, for comparing answers.
QString describe(const std::optional<DuplicateMatch>& match) {
    if (!match)
        return QStringLiteral("none");
    return QStringList{QString::number(match->recordNumber),
                       match->submissionFile,
                       match->lastName,
                       match->firstName,
                       match->dateOfBirth,
                       match->dateTaken}
        .join('|');
}

// The answers of reading every submission file whole: the first record of each duplicate key,
// files by name, records in file order; the damaged files and the records read.
struct WholeRead {
    QHash<QString, DuplicateMatch> first;
    QStringList damaged;
    int records = 0;
};
WholeRead readWhole(const QString& folder) {
    WholeRead whole;
    QStringList names = QDir(folder).entryList({"Lead_*.txt"}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        RecordFile file;
        if (!RecordFile::read(QDir(folder).filePath(name), file))
            continue;
        if (!file.isWhole())
            whole.damaged << QString("%1 (%2)").arg(QDir(folder).filePath(name), file.damage());
        whole.records += file.recordCount();
        for (int n = 1; n <= file.recordCount(); ++n) {
            using F = ResultRecord;
            DuplicateMatch match;
            match.submissionFile = name;
            match.lastName = file.field(n, F::LastName);
            match.firstName = file.field(n, F::FirstName);
            match.dateOfBirth = file.field(n, F::DateOfBirth);
            match.dateTaken = file.field(n, F::DateTaken);
            const QString key = DuplicateRule::duplicateKey(match.lastName, match.firstName,
                                                            match.dateOfBirth, match.dateTaken);
            if (!key.isEmpty() && !whole.first.contains(key))
                whole.first.insert(key, match);
        }
    }
    return whole;
}

// Every key collides with every other.
quint64 sameHash(const QString&) {
    return 7;
}
// Keys collide in two groups.
quint64 twoHashes(const QString& key) {
    return quint64(key.size() % 2);
}

// Patient n of a small set, so that files share patients: (n % 7) picks the name, (n % 3) the
// date taken.
ResultRecord sentPatient(int n) {
    return patient(QString("Last%1").arg(n % 7), QString("First%1").arg(n % 7), "07042019",
                   QString("1%1012025").arg(n % 3));
}

QByteArray sentFile(int from, int count) {
    QList<ResultRecord> records;
    for (int n = from; n < from + count; ++n)
        records << sentPatient(n);
    return bytesOf(records);
}

} // namespace

class tst_RecordsCheck : public QObject {
    Q_OBJECT
private slots:
    // The rule through every way it is reached: the pair, a stored record, a record already sent.
    void duplicateRule_data() {
        QTest::addColumn<QStringList>("saved");
        QTest::addColumn<QStringList>("other");
        QTest::addColumn<bool>("duplicate");
        const QStringList base{"Smith", "Ann", "07042019", "11302026"};
        QTest::newRow("the same") << base << base << true;
        QTest::newRow("case ignored")
            << base << QStringList{"SMITH", "aNN", "07042019", "11302026"} << true;
        QTest::newRow("letters beyond ASCII, case ignored")
            << QStringList{"Núñez", "José", "07042019", "11302026"}
            << QStringList{"NÚÑEZ", "JOSÉ", "07042019", "11302026"} << true;
        QTest::newRow("surrounding blanks ignored")
            << base << QStringList{"  Smith", " Ann ", "07042019", "11302026"} << true;
        QTest::newRow("blank last name") << QStringList{" ", "Ann", "07042019", "11302026"}
                                         << QStringList{"", "Ann", "07042019", "11302026"} << false;
        QTest::newRow("blank first name")
            << QStringList{"Smith", "", "07042019", "11302026"}
            << QStringList{"Smith", "", "07042019", "11302026"} << false;
        QTest::newRow("blank date of birth")
            << QStringList{"Smith", "Ann", "", "11302026"}
            << QStringList{"Smith", "Ann", "", "11302026"} << false;
        QTest::newRow("blank date taken") << QStringList{"Smith", "Ann", "07042019", ""}
                                          << QStringList{"Smith", "Ann", "07042019", ""} << false;
        QTest::newRow("another date taken")
            << base << QStringList{"Smith", "Ann", "07042019", "12012026"} << false;
        QTest::newRow("another date of birth")
            << base << QStringList{"Smith", "Ann", "07042018", "11302026"} << false;
        QTest::newRow("names swapped")
            << base << QStringList{"Ann", "Smith", "07042019", "11302026"} << false;
        QTest::newRow("letters moved between the names")
            << QStringList{"Lee", "Ann", "07042019", "11302026"}
            << QStringList{"Le", "eAnn", "07042019", "11302026"} << false;
        QTest::newRow("a blank inside a name counts")
            << QStringList{"Mc Kay", "Ann", "07042019", "11302026"}
            << QStringList{"McKay", "Ann", "07042019", "11302026"} << false;
    }
    void duplicateRule() {
        QFETCH(QStringList, saved);
        QFETCH(QStringList, other);
        QFETCH(bool, duplicate);
        const ResultRecord a = patient(saved[0], saved[1], saved[2], saved[3]);
        const ResultRecord b = patient(other[0], other[1], other[2], other[3]);
        QCOMPARE(DuplicateRule::isPossibleDuplicate(a, b), duplicate);
        QCOMPARE(DuplicateRule::isPossibleDuplicate(b, a), duplicate);

        // Stored as record 1, the saved record 2 finds it; never itself.
        DuplicateIndex stored;
        stored.setStoredRecords({b, a});
        const auto match = stored.find(a, 2);
        QCOMPARE(match.has_value(), duplicate);
        if (match) {
            QCOMPARE(match->recordNumber, 1);
            QCOMPARE(match->lastName, b.trimmed(ResultRecord::LastName));
        }
        stored.setStoredRecords({a});
        QVERIFY(!stored.find(a, 1));

        // Sent in a submission file, between two other records.
        QTemporaryDir submit;
        const ResultRecord unrelated = patient("Other", "Person", "01012001", "02022022");
        writeFile(submit.filePath(kSent), bytesOf({unrelated, b, unrelated}));
        DuplicateIndex sent;
        QVERIFY(sent.loadSubmissionFolder(submit.path()).ok());
        QCOMPARE(DuplicateIndexProbe::sentCount(sent), 3);
        const auto sentMatch = sent.find(a, 1);
        QCOMPARE(sentMatch.has_value(), duplicate);
        if (sentMatch) {
            QCOMPARE(sentMatch->recordNumber, 0);
            QCOMPARE(sentMatch->submissionFile, kSent);
        }
    }

    // Only files named as the program names its submission files are read, and none through a
    // link.
    void submissionFilesByName() {
        QTemporaryDir submit;
        const ResultRecord record = patient("Smith", "Ann", "07042019", "11302026");
        const QString older = "Lead_123456_20240101_080000_0001.txt";
        for (const QString& name :
             {QString("notes.txt"), QString("Lead_123456.txt"),
              QString("Lead_123456_20240101_080000_0001.txt.bak"), older, kSent})
            writeFile(submit.filePath(name), bytesOf({record}));
        QDir(submit.path()).mkdir("Lead_123456_20240101_080000_0002.txt");
        QVERIFY(QFile::link(submit.filePath(older),
                            submit.filePath("Lead_123456_20240101_080000_0003.txt")));
        DuplicateIndex index;
        QVERIFY(index.loadSubmissionFolder(submit.path()).ok());
        QCOMPARE(DuplicateIndexProbe::sentCount(index), 2);
        // The first file by name is named: the oldest of one office.
        QCOMPARE(index.find(record, 0)->submissionFile, older);
    }

    // The records already sent, kept as key hashes and places and read a piece at a time, give
    // the answers of reading every file whole: the same first record of each key, the same
    // damaged files and count, whatever the keys' hashes (every key colliding included), and
    // again after files were added, removed and changed between two readings.
    void sentRecordsAnswerAsTheWholeRead() {
        QTemporaryDir submit;
        const auto path = [&](const char* name) { return submit.filePath(QLatin1String(name)); };
        const QString torn = "Lead_123456_20250102_080000_0002.txt";
        writeFile(path("Lead_123456_20250101_080000_0001.txt"), sentFile(0, 5));
        // Torn: more than half a record left over, so the torn record counts (and is read).
        writeFile(submit.filePath(torn), sentFile(3, 4) + sentPatient(30).encode().left(150));
        QByteArray noLineEnds = sentFile(8, 6);
        noLineEnds[ResultRecord::Size - 1] = 'x';
        writeFile(path("Lead_123456_20250103_080000_0003.txt"), noLineEnds);
        writeFile(path("Lead_123456_20250104_080000_0004.txt"), QByteArray());
        writeFile(path("Lead_123456_20250105_080000_0005.txt"), sentFile(40, 3) + "half");

        QStringList keys;
        for (int n = 0; n < 60; ++n)
            keys << DuplicateRule::duplicateKey(sentPatient(n));
        keys << DuplicateRule::duplicateKey(patient("Never", "Sent", "01012001", "01012021"))
             << QString();
        keys.removeDuplicates();

        const auto compare = [&](const QString& stage) {
            const WholeRead whole = readWhole(submit.path());
            DuplicateIndex index;
            QVERIFY(index.loadSubmissionFolder(submit.path()).ok());
            QCOMPARE(index.damagedFiles(), whole.damaged);
            QVERIFY(index.unreadableFiles().isEmpty());
            QCOMPARE(DuplicateIndexProbe::sentCount(index), whole.records);
            for (SentRecords::KeyHash hash : {&sameHash, &twoHashes}) {
                DuplicateIndex colliding;
                colliding.setSentRecords(SentRecords::read(submit.path(), {}, hash));
                QVERIFY(colliding.sentKnown());
                for (const QString& key : keys) {
                    const QString expected =
                        describe(whole.first.contains(key) ? std::optional(whole.first.value(key))
                                                           : std::nullopt);
                    QCOMPARE(describe(index.findSent(key)), expected);
                    QVERIFY2(describe(colliding.findSent(key)) == expected,
                             qPrintable(stage + ": " + key));
                }
            }
        };
        compare("first reading");

        // Added before the others by name, removed, changed.
        writeFile(path("Lead_123456_20241231_080000_0000.txt"), sentFile(5, 2));
        QVERIFY(QFile::remove(path("Lead_123456_20250101_080000_0001.txt")));
        writeFile(submit.filePath(torn), sentFile(20, 9));
        compare("second reading");
    }

    // A file changed after it was read never gives a match that it no longer holds: the record
    // at the place kept is read again and its key compared; the next record under the key is
    // then the answer.
    void sentFileChangedSinceItWasRead() {
        QTemporaryDir submit;
        const ResultRecord ann = patient("Smith", "Ann", "07042019", "11302026");
        const ResultRecord bob = patient("Jones", "Bob", "01022018", "11302026");
        const ResultRecord cy = patient("Young", "Cy", "01022018", "11302026");
        const QString first = "Lead_123456_20250101_080000_0001.txt";
        for (SentRecords::KeyHash hash : {&SentRecords::keyHash, &sameHash}) {
            writeFile(submit.filePath(first), bytesOf({bob, ann}));
            writeFile(submit.filePath(kSent), bytesOf({ann}));
            DuplicateIndex index;
            index.setSentRecords(SentRecords::read(submit.path(), {}, hash));
            QCOMPARE(index.find(ann, 0)->submissionFile, first);
            writeFile(submit.filePath(first), bytesOf({bob, cy}));
            QCOMPARE(index.find(ann, 0)->submissionFile, kSent);
            QCOMPARE(index.find(bob, 0)->submissionFile, first);
            QVERIFY(QFile::remove(submit.filePath(kSent)));
            QVERIFY(!index.find(ann, 0));
        }
    }

    // The reading tells the files done of those listed and stops when told to; a reading that
    // stopped holds nothing and is not taken for a complete one.
    void sentReadingReportsProgressAndStops() {
        QTemporaryDir submit;
        writeFile(submit.filePath("Lead_123456_20250101_080000_0001.txt"), sentFile(0, 3));
        writeFile(submit.filePath(kSent), sentFile(3, 3));
        QList<QPair<int, int>> seen;
        const SentRecords all = SentRecords::read(submit.path(), [&](int done, int total) {
            seen << qMakePair(done, total);
            return true;
        });
        QVERIFY(all.isComplete());
        QCOMPARE(seen.first(), qMakePair(0, 2));
        QCOMPARE(seen.last(), qMakePair(2, 2));
        QVERIFY(seen.contains(qMakePair(1, 2)));
        const SentRecords stopped =
            SentRecords::read(submit.path(), [](int done, int) { return done < 1; });
        QVERIFY(!stopped.isComplete());
        QCOMPARE(stopped.recordCount(), 0);
        QVERIFY(!stopped.find(DuplicateRule::duplicateKey(sentPatient(0))));
    }

    // Saves and deletes keep the stored part current without reading the file again; a change
    // the index was not told of (a delete that failed after taking effect) is found by the count.
    void indexFollowsTheStore() {
        QTemporaryDir dir;
        RecordStore store(dir.path());
        QVERIFY(store.open().ok());
        const ResultRecord ann = patient("Smith", "Ann", "07042019", "11302026");
        const ResultRecord bob = patient("Jones", "Bob", "01022018", "11302026");
        QVERIFY(store.write(1, ann).ok());
        QVERIFY(store.write(2, bob).ok());
        DuplicateIndex index;
        store.setObserver(&index);
        QVERIFY(index.bringUpToDate(store, dir.filePath("Submit")).ok());
        QCOMPARE(index.find(ann, 3)->recordNumber, 1);

        QVERIFY(store.write(3, ann).ok());
        QCOMPARE(index.storedCount(), 3);
        QCOMPARE(index.find(ann, 1)->recordNumber, 3);
        QVERIFY(store.write(1, bob).ok()); // record 1 now holds Bob
        QVERIFY(!index.find(ann, 3));
        QCOMPARE(index.find(bob, 1)->recordNumber, 2);

        QVERIFY(store.remove(2).ok()); // Ann moves from 3 to 2
        QCOMPARE(index.storedCount(), 2);
        QCOMPARE(index.find(ann, 9)->recordNumber, 2);
        QVERIFY(!index.find(bob, 1));

        // Written past the end: the records between are blank and match nothing.
        QVERIFY(store.write(5, ann).ok());
        QCOMPARE(index.storedCount(), 5);
        QVERIFY(!index.find(ResultRecord(), 0));

        store.setObserver(nullptr);
        QVERIFY(store.remove(5).ok());
        QVERIFY(store.remove(1).ok());
        QVERIFY(index.bringUpToDate(store, dir.filePath("Submit")).ok());
        QCOMPARE(index.storedCount(), 3);
        QCOMPARE(index.find(ann, 9)->recordNumber, 1);
    }

    void checkAll_data() {
        QTest::addColumn<QList<ResultRecord>>("records");
        QTest::addColumn<QString>("providerCode");
        QTest::addColumn<QStringList>("problems");
        QTest::addColumn<QString>("summary");
        const ResultRecord ann = patient("Smith", "Ann", "07042019", "11302026");
        const ResultRecord bob = patient("Jones", "Bob", "01022018", "11302026");
        const ResultRecord sent = patient("Sent", "Sam", "03032017", "01052025");
        ResultRecord gaps = patient("Gray", "Gil", "05052015", "11302026");
        gaps.set(ResultRecord::Zip, "");
        gaps.set(ResultRecord::StreetNumber, "");
        ResultRecord blankAnn = ann;
        blankAnn.set(ResultRecord::DateOfBirth, "");

        QTest::newRow("nothing to report")
            << QList<ResultRecord>{ann, bob} << kCode << QStringList{}
            << "All 2 records are complete; no possible duplicates.";
        QTest::newRow("one record") << QList<ResultRecord>{ann} << kCode << QStringList{}
                                    << "The 1 record is complete; no possible duplicates.";
        QTest::newRow("every gap of a record, a pair and a record already sent")
            << QList<ResultRecord>{ann, gaps, bob, ann, sent} << kCode
            << QStringList{"1 Smith, Ann: Possible duplicate of record 4",
                           "2 Gray, Gil: Missing Street Number.", "2 Gray, Gil: Missing Zip Code.",
                           "4 Smith, Ann: Possible duplicate of record 1",
                           "5 Sent, Sam: Possible duplicate: already sent in " + kSent}
            << "5 records: 1 complete, 1 with gaps, 3 possible duplicates";
        QTest::newRow("a blank date never matches")
            << QList<ResultRecord>{blankAnn, blankAnn} << kCode
            << QStringList{"1 Smith, Ann: Missing Date of Birth.",
                           "2 Smith, Ann: Missing Date of Birth."}
            << "2 records: 0 complete, 2 with gaps, 0 possible duplicates";
        QTest::newRow("no provider code: a gap of every record, on one line")
            << QList<ResultRecord>{bob} << "      "
            << QStringList{"1 Jones, Bob: Provider Code has not been set. Please use the Provider "
                           "Code assigned to the you by the State of Calmoria."}
            << "1 record: 0 complete, 1 with gaps, 0 possible duplicates";
    }
    void checkAll() {
        QFETCH(QList<ResultRecord>, records);
        QFETCH(QString, providerCode);
        QFETCH(QStringList, problems);
        QFETCH(QString, summary);
        QTemporaryDir submit;
        writeFile(submit.filePath(kSent),
                  bytesOf({patient("SENT", "sam", "03032017", "01052025")}));
        DuplicateIndex index;
        QVERIFY(index.loadSubmissionFolder(submit.path()).ok());

        const RecordsCheckReport report =
            RecordsCheck::checkAllRecords(records, providerCode, index);
        QStringList found;
        for (const RecordProblem& problem : report.problems)
            found << QString("%1 %2: %3").arg(problem.number).arg(problem.patient, problem.problem);
        QCOMPARE(found, problems);
        QCOMPARE(report.summary(), summary);
        QCOMPARE(report.records, records.size());
    }

    // A file in Submit that cannot be read is passed over and named; every other file and the
    // stored records are still compared, and so is everything when Submit cannot be listed.
    void unreadableFilesArePassedOver() {
        QTemporaryDir dir;
        const QString submit = dir.filePath("Submit");
        QVERIFY(QDir(dir.path()).mkdir("Submit"));
        const ResultRecord ann = patient("Smith", "Ann", "07042019", "11302026");
        const ResultRecord eva = patient("Novak", "Eva", "07302018", "01032025");
        const QString locked = "Lead_123456_20240101_080000_0001.txt";
        writeFile(QDir(submit).filePath(locked), bytesOf({ann}));
        writeFile(QDir(submit).filePath(kSent), bytesOf({eva}));
        QVERIFY(PermissionBits::lockOut(QDir(submit).filePath(locked)));
        RecordStore store(dir.path());
        QVERIFY(store.open().ok());
        QVERIFY(store.write(1, ann).ok());

        const PermissionBits bits;
        if (!bits.applies())
            QSKIP("This test cannot set aside root's override of the permission bits.");
        DuplicateIndex index;
        QVERIFY(index.bringUpToDate(store, submit).ok());
        QCOMPARE(index.unreadableFiles().size(), 1);
        QCOMPARE(index.unreadableFiles().at(0).path(), QDir(submit).filePath(locked));
        QCOMPARE(index.find(eva, 2)->submissionFile, kSent);
        QCOMPARE(index.find(ann, 2)->recordNumber, 1);
        const RecordsCheckReport report = RecordsCheck::checkAllRecords({ann, eva}, kCode, index);
        QCOMPARE(report.summary(),
                 QString("2 records: 1 complete, 0 with gaps, 1 possible duplicate\n"
                         "1 file could not be read and was not checked:\n%1 (%2)")
                     .arg(QDir(submit).filePath(locked), index.unreadableFiles().at(0).reason()));

        // Submit taken by a file: the stored records are compared all the same.
        DuplicateIndex noFolder;
        QVERIFY(noFolder.bringUpToDate(store, QDir(submit).filePath(kSent)).ok());
        QCOMPARE(noFolder.find(ann, 2)->recordNumber, 1);
        QCOMPARE(noFolder.unreadableFiles().size(), 1);
        QVERIFY(!noFolder.find(eva, 2));
    }

    // At most five files are named, then how many more.
    void notCheckedLinesNameFiveFiles() {
        QList<FileStatus> unreadable;
        for (int i = 1; i <= 7; ++i)
            unreadable << FileStatus::failure(QString("/s/f%1").arg(i), "Permission denied");
        const QStringList lines = DuplicateIndex::notCheckedLines(
            unreadable, {"/s/d (damaged: 0 whole records, 5 bytes left over)"});
        QCOMPARE(lines.size(), 9);
        QCOMPARE(lines.at(0), QString("7 files could not be read and were not checked:"));
        QCOMPARE(lines.at(5), QString("/s/f5 (Permission denied)"));
        QCOMPARE(lines.at(6), QString("and 2 more"));
        QCOMPARE(lines.at(7), QString("1 file is damaged and was checked as far as its records "
                                      "could be read:"));
    }

    void warningNamesTheOtherRecord() {
        DuplicateMatch stored;
        stored.recordNumber = 12;
        stored.lastName = "Smith";
        stored.firstName = "Ann";
        stored.dateOfBirth = "07042019";
        stored.dateTaken = "11302026";
        QCOMPARE(DuplicateIndex::possibleDuplicateMessage(stored),
                 QString("Record 12 of the data file has the same patient and dates as the record "
                         "just saved:\r\nSmith, Ann, born 07/04/2019, sample taken 11/30/2026.\r\n"
                         "\r\nIf it is the same result, delete the new record with Delete."));
        DuplicateMatch sent = stored;
        sent.recordNumber = 0;
        sent.submissionFile = kSent;
        QVERIFY(DuplicateIndex::possibleDuplicateMessage(sent).startsWith(
            "A record already sent in " + kSent + " has the same patient"));
    }
};

QTEST_GUILESS_MAIN(tst_RecordsCheck)
#include "tst_RecordsCheck.moc"
