#include "storage/SafeFile.h"
#include "submission/DuplicateIndex.h"
#include "submission/SubmissionHistory.h"
#include "support/DuplicateIndexProbe.h"
#include "support/TestRecords.h"
#include "tst_SubmissionHistoryReference.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

// Reading Submit for the history: which files are listed where, in what order, what a search of
// every file finds, and that reading changes nothing.
class tst_SubmissionHistory : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString submit() const { return dir_.filePath("Submit"); }

    static QByteArray patient(const char* last, const char* first, const char* born,
                              const char* taken) {
        ResultRecord record = TestRecords::newRecord("123456");
        record.set(ResultRecord::LastName, QString::fromUtf8(last));
        record.set(ResultRecord::FirstName, QString::fromUtf8(first));
        record.set(ResultRecord::DateOfBirth, born);
        record.set(ResultRecord::DateTaken, taken);
        return record.encode();
    }

    void write(const QString& name, const QByteArray& bytes) const {
        QFile file(QDir(submit()).filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    // Every entry of Submit with its size, mode and modification time.
    QStringList snapshot() const {
        QStringList entries;
        QDirIterator it(submit(),
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            entries << QString("%1 %2 %3 %4")
                           .arg(info.fileName())
                           .arg(info.size())
                           .arg(int(info.permissions()))
                           .arg(info.lastModified().toMSecsSinceEpoch());
        }
        entries.sort();
        return entries;
    }

    static QStringList names(const SubmissionHistory& history) {
        QStringList names;
        for (const SubmissionFile& file : history.files())
            names << QString("%1 (%2)").arg(file.fileName).arg(file.recordCount());
        return names;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir(dir_.path()).mkdir("Submit"));
        write("Lead_123456_20250105_093000_0001.txt",
              patient("Smith", "Anna", "07042019", "01022025") +
                  patient("Novak", "Eva", "07302018", "01032025"));
        write("Lead_123456_20250301_120000_0002.txt",
              patient("SMITHSON", "Carl", "12062015", "02282025") +
                  patient("Jones", "Smithers", "02112020", "03012025") +
                  patient("Peña", "José", "07042019", "03012025"));
        // Made later by the clock, but under an older counter (a clock set wrong).
        write("Lead_123456_20990101_000000_0003.txt",
              patient("Okafor", "Chidi", "10102020", "04042025") +
                  QByteArray(100, 'x')); // a torn last record, counted as the data file counts
        // Counters compare as numbers.
        write("Lead_654321_20250401_080000_10000.txt", QByteArray());
        write("Lead_123456_20250105_093000_0001.txt.bak",
              patient("Smith", "Anna", "07042019", "01022025"));
        write(".Lead_123456_20250601_000000_0004.txt.part", QByteArray(198, ' '));
        write("Lead_123456_20251301_000000_0005.txt", QByteArray(198, ' '));
        write("notes.txt", "call the state office");
        QVERIFY(QDir(submit()).mkdir("Lead_123456_20250701_000000_0006.txt"));
        QVERIFY(QFile::link(QDir(submit()).filePath("Lead_123456_20250105_093000_0001.txt"),
                            QDir(submit()).filePath("Lead_123456_20250801_000000_0007.txt")));
    }

    // Submission files newest first by counter, counted from their lengths before they are read
    // and from their bytes after; other regular files by name; folders and links nowhere, and
    // nothing read through a link.
    void listsTheFiles() {
        const QStringList before = snapshot();
        SubmissionHistory history;
        QVERIFY(history.load(submit()));
        const QStringList listed = {
            "Lead_654321_20250401_080000_10000.txt (0)", "Lead_123456_20990101_000000_0003.txt (2)",
            "Lead_123456_20250301_120000_0002.txt (3)", "Lead_123456_20250105_093000_0001.txt (2)"};
        QCOMPARE(names(history), listed);
        for (const SubmissionFile& file : history.files())
            QVERIFY(!file.isRead());
        QVERIFY(history.readAll());
        QCOMPARE(names(history), listed);
        QCOMPARE(history.otherFiles(),
                 (QStringList{".Lead_123456_20250601_000000_0004.txt.part",
                              "Lead_123456_20250105_093000_0001.txt.bak",
                              "Lead_123456_20251301_000000_0005.txt", "notes.txt"}));
        QCOMPARE(history.recordCount(), 7);
        const SubmissionFile& second = history.files().at(2);
        QCOMPARE(SubmissionName::createdText(second.name), QString("03/01/2025 12:00"));
        QCOMPARE(second.name.providerCode, QString("123456"));
        QList<ResultRecord> third;
        QVERIFY(history.readRecords(2, 3, 5, third));
        QCOMPARE(third.size(), 1);
        QCOMPARE(third.at(0).trimmed(ResultRecord::FirstName), QString("José"));
        QList<ResultRecord> records;
        QVERIFY(history.records(2, records));
        QCOMPARE(records.size(), 3);
        QCOMPARE(records.at(2), third.at(0));
        QCOMPARE(snapshot(), before);
    }

    void missingFolderHoldsNothing() {
        SubmissionHistory history;
        QVERIFY(history.load(dir_.filePath("NoSuchFolder")));
        QVERIFY(history.files().isEmpty());
        QVERIFY(history.otherFiles().isEmpty());
    }

    void unreadableFolderFails() {
        SubmissionHistory history;
        QVERIFY(history.load(submit()));
        const FileStatus status = history.load(QDir(submit()).filePath("notes.txt"));
        QVERIFY(!status);
        QVERIFY(status.path().endsWith("notes.txt"));
        QVERIFY(history.files().isEmpty());
    }

    // A file that goes, or becomes a link, after the listing: its failure is returned once, the
    // other files are still read and searched, and it shows no records.
    void fileThatCannotBeRead_data() {
        QTest::addColumn<bool>("linked");
        QTest::newRow("gone") << false;
        QTest::newRow("replaced by a link") << true;
    }
    void fileThatCannotBeRead() {
        QFETCH(bool, linked);
        QTemporaryDir dir;
        const QString folder = dir.path();
        const QString older = QDir(folder).filePath("Lead_123456_20250105_093000_0001.txt");
        const QString newer = QDir(folder).filePath("Lead_123456_20250301_120000_0002.txt");
        for (const QString& path : {older, newer}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(patient("Smith", "Anna", "07042019", "01022025"));
        }
        SubmissionHistory history;
        QVERIFY(history.load(folder));
        QVERIFY(QFile::remove(newer));
        if (linked)
            QVERIFY(QFile::link(older, newer));

        const FileStatus failure = history.readAll();
        QVERIFY(!failure);
        QVERIFY(failure.path().endsWith("_0002.txt"));
        QVERIFY(history.read(0));
        QVERIFY(history.readAll());
        QCOMPARE(history.unreadableCount(), 1);
        QVERIFY(!history.files().at(0).isRead());
        QCOMPARE(history.search(RecordFilter("smith")), (QList<SubmittedRecord>{{1, 1}}));
    }

    // The one reading of a file of records: counted as the data file is counted, a torn last
    // record padded with blanks, and a file that is not whole CR LF records said to be damaged.
    void recordFile_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("records");
        QTest::addColumn<QString>("lastName"); // of the last record
        QTest::addColumn<QString>("damage");
        const QByteArray ann = patient("Smith", "Anna", "07042019", "01022025");
        const QByteArray eva = patient("Novak", "Eva", "07302018", "01032025");
        const QByteArray lfOnly = ann.left(196) + "\n" + eva.left(196) + "\n";
        QTest::newRow("whole") << ann + eva << 2 << "Novak"
                               << "";
        QTest::newRow("empty") << QByteArray() << 0 << ""
                               << "";
        QTest::newRow("last line feed missing") << ann + eva.left(197) << 2 << "Novak"
                                                << "damaged: 1 whole record, 197 bytes left over";
        QTest::newRow("torn in the middle of the name")
            << ann + eva.left(110) << 2 << "Novak"
            << "damaged: 1 whole record, 110 bytes left over";
        QTest::newRow("a short piece is no record")
            << ann + eva.left(60) << 1 << "Smith"
            << "damaged: 1 whole record, 60 bytes left over";
        // Record 2 begins a byte early: its rows are garbled, and the file says so.
        QTest::newRow("line feeds only")
            << lfOnly << 2 << "ovak               E"
            << "damaged: 1 whole record, 196 bytes left over, 1 not ended by CR LF";
        QTest::newRow("line ends changed in place")
            << ann.left(196) + "\r\r" + eva << 2 << "Novak"
            << "damaged: 2 whole records, 1 not ended by CR LF";
    }
    void recordFile() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, records);
        QFETCH(QString, lastName);
        QFETCH(QString, damage);
        const RecordFile file(bytes);
        QCOMPARE(file.recordCount(), records);
        QCOMPARE(file.damage(), damage);
        QCOMPARE(file.isWhole(), damage.isEmpty());
        if (records > 0) {
            QCOMPARE(file.field(records, ResultRecord::LastName), lastName);
            QCOMPARE(file.record(records).trimmed(ResultRecord::LastName), lastName);
        }
    }

    // The history and the duplicate check read a damaged file alike: a record that lost its
    // line feed is listed, found and compared, and the file says it is damaged.
    void damagedFileAsEveryReaderSeesIt() {
        QTemporaryDir dir;
        const QString name = "Lead_123456_20250105_093000_0001.txt";
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(patient("Smith", "Anna", "07042019", "01022025") +
                   patient("Novak", "Eva", "07302018", "01032025").left(197));
        file.close();

        SubmissionHistory history;
        QVERIFY(history.load(dir.path()));
        QCOMPARE(history.files().at(0).recordCount(), 2);
        QVERIFY(history.readAll());
        QCOMPARE(history.files().at(0).recordCount(), 2);
        QCOMPARE(history.search(RecordFilter("novak")), (QList<SubmittedRecord>{{0, 2}}));
        QList<ResultRecord> records;
        QVERIFY(history.records(0, records));
        QCOMPARE(records.size(), 2);
        QCOMPARE(history.damagedCount(), 1);
        QVERIFY(history.files().at(0).isDamaged());

        DuplicateIndex index;
        QVERIFY(index.loadSubmissionFolder(dir.path()));
        QCOMPARE(DuplicateIndexProbe::sentCount(index), 2);
        for (const ResultRecord& sent : std::as_const(records))
            QCOMPARE(index.find(sent, 0)->submissionFile, name);
        QCOMPARE(
            index.damagedFiles(),
            QStringList{dir.filePath(name) + " (damaged: 1 whole record, 197 bytes left over)"});
    }

    // File names are bytes: every name a folder lists turns back into its own bytes.
    void namesAreBytes_data() {
        QTest::addColumn<QByteArray>("native");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ASCII") << QByteArray("Lead_1.txt") << "Lead_1.txt";
        QTest::newRow("UTF-8") << QByteArray("Pe\xc3\xb1"
                                             "a \xf0\x9f\x98\x80.txt")
                               << QString::fromUtf8("Pe\xc3\xb1"
                                                    "a \xf0\x9f\x98\x80.txt");
        QTest::newRow("Latin-1 byte") << QByteArray("Lead_12\xe9_x") << "Lead_12\uFFFD_x";
        QTest::newRow("cut sequence at the end") << QByteArray("a\xe2\x82") << "a\uFFFD\uFFFD";
        QTest::newRow("overlong slash") << QByteArray("a\xc0\xaf") << "a\uFFFD\uFFFD";
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << "\uFFFD\uFFFD\uFFFD";
        QTest::newRow("replacement character itself") << QByteArray("\xef\xbf\xbd") << "\uFFFD";
    }
    void namesAreBytes() {
        QFETCH(QByteArray, native);
        QFETCH(QString, shown);
        const QString name = SafeFile::nameFromNative(native);
        QCOMPARE(SafeFile::nativePath(name), native);
        QCOMPARE(SafeFile::nativePath("/tmp/" + name + "/x"), "/tmp/" + native + "/x");
        QCOMPARE(SafeFile::displayName(name), shown);
    }

    // A submission file whose name is not UTF-8 is listed, read and searched.
    void nameThatIsNotUtf8() {
        QTemporaryDir dir;
        const QByteArray native = "Lead_12\xe9"
                                  "456_20250105_093000_0001.txt";
        const QByteArray path = QFile::encodeName(dir.path()) + '/' + native;
        const QByteArray bytes = patient("Smith", "Anna", "07042019", "01022025");
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        QVERIFY(fd >= 0);
        // QTemporaryDir cannot remove a name that is not UTF-8.
        const auto removeFile = qScopeGuard([&] { ::unlink(path.constData()); });
        QCOMPARE(::write(fd, bytes.constData(), bytes.size()), ssize_t(bytes.size()));
        ::close(fd);

        SubmissionHistory history;
        QVERIFY(history.load(dir.path()));
        QCOMPARE(history.files().size(), 1);
        QCOMPARE(SafeFile::displayName(history.files().at(0).fileName),
                 QString("Lead_12\uFFFD456_20250105_093000_0001.txt"));
        QVERIFY(history.read(0));
        QCOMPARE(history.search(RecordFilter("smith")), (QList<SubmittedRecord>{{0, 1}}));

        DuplicateIndex index;
        QVERIFY(index.loadSubmissionFolder(dir.path()));
        QVERIFY(index.unreadableFiles().isEmpty());
        const auto match = index.find(ResultRecord::decode(bytes), 0);
        QVERIFY(match);
        QCOMPARE(SafeFile::nativePath(match->submissionFile), native);
    }

    // Every record of every file that matches, newest file first, with its place.
    void search_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("found"); // counter:record number
        QTest::newRow("empty") << "  " << QStringList{};
        QTest::newRow("last names in two files, any case")
            << "smith" << QStringList{"2:1", "2:2", "1:1"};
        QTest::newRow("first name") << "eva" << QStringList{"1:2"};
        QTest::newRow("letters beyond ASCII") << "PEÑA" << QStringList{"2:3"};
        QTest::newRow("date of birth in two files") << "07/04/2019" << QStringList{"2:3", "1:1"};
        QTest::newRow("year of birth") << "2018" << QStringList{"1:2"};
        QTest::newRow("date taken") << "04-04-2025" << QStringList{"3:1"};
        QTest::newRow("no one") << "Garcia" << QStringList{};
        QTest::newRow("not in a backup copy or a link") << "Anna" << QStringList{"1:1"};
    }
    void search() {
        QFETCH(QString, typed);
        QFETCH(QStringList, found);
        SubmissionHistory history;
        QVERIFY(history.load(submit()));
        QVERIFY(history.readAll());
        QStringList places;
        for (const SubmittedRecord& record : history.search(RecordFilter(typed)))
            places << QString("%1:%2")
                          .arg(history.files().at(record.file).name.counter)
                          .arg(record.number);
        QCOMPARE(places, found);
    }

    // Read a piece at a time, with the search keys kept between searches or not, the history
    // tells what reading every file whole tells: the files, their counts and damage, the records
    // found in order, and every record of each file; again after files were added, removed,
    // grown, cut short and rewritten between two openings.
    void sameAnswersAsReadingWhole_data() {
        QTest::addColumn<qint64>("budget");
        QTest::newRow("keys kept") << SubmissionHistory::DefaultKeyBudget;
        QTest::newRow("no keys kept") << qint64(0);
        QTest::newRow("some files' keys kept") << qint64(2200 * 49);
    }
    void sameAnswersAsReadingWhole() {
        QFETCH(qint64, budget);
        QTemporaryDir dir;
        QVERIFY(HistoryReference::writeFolder(dir.path()));
        for (int opening = 0; opening < 2; ++opening) {
            if (opening == 1)
                QVERIFY(HistoryReference::changeFolder(dir.path()));
            SubmissionHistory history;
            history.setKeyBudget(budget);
            QVERIFY(history.load(dir.path()));
            const HistoryReference::Whole whole = HistoryReference::read(history);
            for (int pass = 0; pass < 2; ++pass) {
                for (const QString& typed : HistoryReference::searches()) {
                    QList<SubmittedRecord> found;
                    QVERIFY(history.search(RecordFilter(typed), found));
                    QCOMPARE(HistoryReference::places(history, found),
                             HistoryReference::found(whole, typed));
                }
            }
            QCOMPARE(HistoryReference::files(history), whole.files);
            QVERIFY(history.keptKeyBytes() <= budget);
            QCOMPARE(history.keptKeyBytes() > 0, budget > 0);
            for (int f = 0; f < history.files().size(); ++f) {
                const RecordFile& content = whole.contents.at(f);
                QList<ResultRecord> records;
                QVERIFY(history.records(f, records));
                QCOMPARE(records.size(), content.recordCount());
                for (int n = 1; n <= content.recordCount(); ++n)
                    QCOMPARE(records.at(n - 1), content.record(n));
                QList<ResultRecord> near;
                QVERIFY(history.readRecords(f, 2045, 8, near));
                for (int i = 0; i < near.size(); ++i)
                    QCOMPARE(near.at(i), content.record(2045 + i));
                QCOMPARE(near.size(), qBound(0, content.recordCount() - 2044, 8));
            }
        }
    }
};

QTEST_GUILESS_MAIN(tst_SubmissionHistory)
#include "tst_SubmissionHistory.moc"
