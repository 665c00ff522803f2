#include "storage/AppPaths.h"
#include "storage/InstanceLock.h"
#include "support/MainWindowFixture.h"
#include "support/PermissionBits.h"
#include "window/main/InstanceLockPrompt.h"
#include "window/main/MainWindowController.h"
#include "window/main/frmKorvanel.h"
#include "window/widgets/MaskedEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QLockFile>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

namespace {

QByteArray records(int count) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += MainWindowFixture::completeRecord(QStringLiteral("Patient%1").arg(i + 1)).encode();
    return bytes;
}

// The permission bits of a path, e.g. 0700.
int modeOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return static_cast<int>(info.st_mode & 07777);
}

// Every file below folder with its bytes, for "nothing changed" checks.
QMap<QString, QByteArray> snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDir root(folder);
    for (const QFileInfo& entry :
         root.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (entry.isDir()) {
            files.insert(entry.fileName() + "/", QByteArray());
            const auto inner = snapshot(entry.filePath());
            for (auto it = inner.begin(); it != inner.end(); ++it)
                files.insert(entry.fileName() + "/" + it.key(), it.value());
        } else {
            QFile file(entry.filePath());
            file.open(QIODevice::ReadOnly);
            files.insert(entry.fileName(), file.readAll());
        }
    }
    return files;
}

const char kNearlyFull[] =
    "The file is nearly full!\nPlease Create Electronic File as soon as possible.";

} // namespace

// Start-up of the main window from the program's folder.
class tst_StartUp : public QObject {
    Q_OBJECT

private slots:
    void firstStartInAnEmptyFolder() {
        MainWindowFixture fixture;
        bool checkedWhileAsking = false;
        fixture.prompt.whileOpen = [&] {
            // The dialog opens over the visible window showing record 1 of 1.
            QVERIFY(fixture.window().isVisible());
            QVERIFY(fixture.window().windowTitle().endsWith("  (Record 1 of 1)"));
            QCOMPARE(fixture.readFile("AppData/provider.txt"), QByteArray());
            QVERIFY(fixture.exists("AppData/provider.txt"));
            checkedWhileAsking = true;
        };
        fixture.prompt.answerOk("123456");
        QVERIFY(fixture.start());
        QVERIFY(checkedWhileAsking);
        QCOMPARE(fixture.prompt.asked, 1);
        for (const char* folder : {"AppData", "Submit"}) {
            QVERIFY2(QFileInfo(fixture.path(folder)).isDir(), folder);
            QCOMPARE(modeOf(fixture.path(folder)), 0700);
        }
        for (const char* file : {"AppData/Korvanel.dat", "AppData/provider.txt"}) {
            QVERIFY2(QFileInfo(fixture.path(file)).isFile(), file);
            QCOMPARE(modeOf(fixture.path(file)), 0600);
        }
        QCOMPARE(QFileInfo(fixture.path("AppData/Korvanel.dat")).size(), 0);
        QCOMPARE(fixture.readFile("AppData/provider.txt"), QByteArray("123456"));
        QCOMPARE(fixture.state().CurrentRecord, 1);
        QCOMPARE(fixture.state().RecordCount, 1);
        QCOMPARE(fixture.state().EditMode, Editing::NewRecord);
        QCOMPARE(fixture.state().FirstRecord, true);
        auto& c = fixture.form();
        for (QPushButton* off : {c.cmdNew, c.cmdPrevious, c.cmdNext, c.cmdPrint, c.cmdWriteEFile})
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
        for (QPushButton* on : {c.cmdExit, c.cmdUpdate, c.cmdDelete})
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
        QCOMPARE(c.cmdDelete->text(), QString("Cancel"));
        QCOMPARE(QApplication::focusWidget(), c.mskDateTaken);
        QVERIFY(fixture.messages.messages.isEmpty());
        QVERIFY(!fixture.exitCode);
    }

    void threeRecordsOpenOnTheFirst() {
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        fixture.writeFile("AppData/Korvanel.dat", records(3));
        QVERIFY(fixture.start());
        QCOMPARE(fixture.state().CurrentRecord, 1);
        QCOMPARE(fixture.state().RecordCount, 3);
        QVERIFY(fixture.state().EditMode != Editing::NewRecord);
        QVERIFY(!fixture.state().FirstRecord);
        QCOMPARE(fixture.form().txtLastName->text(), QString("Patient1"));
        QVERIFY(fixture.window().windowTitle().endsWith("  (Record 1 of 3)"));
        QCOMPARE(QApplication::focusWidget(), fixture.form().cmdNew);
        QCOMPARE(fixture.form().cmdDelete->text(), QString("Delete Record"));
        for (QPushButton* button : fixture.window().findChildren<QPushButton*>())
            QVERIFY2(button->isEnabled(), qPrintable(button->objectName()));
        QCOMPARE(fixture.prompt.asked, 0);
        QCOMPARE(fixture.readFile("AppData/Korvanel.dat"), records(3));
    }

    void nearlyFullNotice_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("warned");
        QTest::newRow("250") << 250 << false;
        QTest::newRow("251") << 251 << true;
        QTest::newRow("300") << 300 << true;
    }
    void nearlyFullNotice() {
        QFETCH(int, count);
        QFETCH(bool, warned);
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        fixture.writeFile("AppData/Korvanel.dat", records(count));
        bool windowVisibleDuringNotice = true;
        fixture.messages.whileOpen = [&](const ScriptedMessageService::Message&) {
            windowVisibleDuringNotice = fixture.window().isVisible();
        };
        QVERIFY(fixture.start());
        QCOMPARE(fixture.state().RecordCount, count);
        if (!warned) {
            QVERIFY(fixture.messages.messages.isEmpty());
            return;
        }
        QCOMPARE(fixture.messages.messages.size(), 1);
        const auto& message = fixture.messages.messages[0];
        QCOMPARE(message.text, QString(kNearlyFull));
        QVERIFY(!message.text.contains('\r'));
        QCOMPARE(message.title, QString("Record Limit Notification"));
        QCOMPARE(message.buttons, MessageButtons::Ok);
        QCOMPARE(message.icon, MessageIcon::Warning);
        QVERIFY(!windowVisibleDuringNotice);
        QVERIFY(fixture.window().isVisible());
    }

    void recordCountRoundsToTheNearest_data() {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("count");
        QTest::newRow("297") << 297 << 2;
        QTest::newRow("495") << 495 << 2;
        QTest::newRow("396") << 396 << 2;
        QTest::newRow("98") << 98 << 0;
        QTest::newRow("100") << 100 << 1;
    }
    void recordCountRoundsToTheNearest() {
        QFETCH(int, bytes);
        QFETCH(int, count);
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        fixture.writeFile("AppData/Korvanel.dat", records(3).left(bytes));
        QVERIFY(fixture.start());
        QCOMPARE(fixture.state().RecordCount, qMax(count, 1));
        QCOMPARE(fixture.state().EditMode == Editing::NewRecord, count == 0);
        QVERIFY(fixture.window().windowTitle().endsWith(
            QString("(Record 1 of %1)").arg(qMax(count, 1))));
    }

    void fixedListsAndMasks() {
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        QVERIFY(fixture.start());
        QStringList race;
        for (int i = 0; i < fixture.form().cboRaceCode->count(); ++i)
            race << fixture.form().cboRaceCode->itemText(i);
        QCOMPARE(race,
                 (QStringList{"Black (1)", "White (3)", "Asian - Pacific Islander (4)",
                              "American Indian - Alaskan Native (5)", "Other (6)", "Unknown (7)"}));
        QStringList ancestry;
        for (int i = 0; i < fixture.form().cboAncestry->count(); ++i)
            ancestry << fixture.form().cboAncestry->itemText(i);
        QCOMPARE(ancestry, (QStringList{"Non-Hispanic (00)", "Hispanic (20)", "Unknown (19)"}));
        QCOMPARE(fixture.form().mskDateTaken->maskPattern(), QString("##/##/####"));
        QCOMPARE(fixture.form().mskDateOfBirth->maskPattern(), QString("##/##/####"));
        QCOMPARE(fixture.form().mskAnalysisDate->maskPattern(), QString("##/##/####"));
        QCOMPARE(fixture.form().mskPhone->maskPattern(), QString("(###) ###-####"));
    }

    // The frame, title bar and border included, sits in the middle of the screen once it is
    // known (the offscreen platform gives the shown window a border of 2 pixels); an odd
    // difference is halved as a real number.
    void windowIsCentredOnTheScreen() {
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        QVERIFY(fixture.start());
        const QRect screen = fixture.window().screen()->geometry();
        const QRect frame = fixture.window().frameGeometry();
        QVERIFY(qAbs(frame.center().x() - screen.center().x()) <= 4);
        QVERIFY(qAbs(frame.center().y() - screen.center().y()) <= 16);
        QVERIFY(frame.size() != fixture.window().size());
        QCOMPARE(frame.topLeft(),
                 screen.topLeft() + QPoint(qRound((screen.width() - frame.width()) / 2.0),
                                           qRound((screen.height() - frame.height()) / 2.0)));
    }

    void leftOverTemporaryFileIsRecoveredBeforeCounting() {
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        // Alone it is the only copy of the records.
        fixture.writeFile("AppData/Korvanel.tmp", records(2));
        QVERIFY(fixture.start());
        QCOMPARE(fixture.state().RecordCount, 2);
        QVERIFY(!fixture.exists("AppData/Korvanel.tmp"));
        QCOMPARE(fixture.readFile("AppData/Korvanel.dat"), records(2));
    }

    void unfinishedDeleteBesideTheDataFileIsDropped() {
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        fixture.writeFile("AppData/Korvanel.dat", records(3));
        fixture.writeFile("AppData/Korvanel.tmp", records(2));
        QVERIFY(fixture.start());
        QCOMPARE(fixture.state().RecordCount, 3);
        QVERIFY(!fixture.exists("AppData/Korvanel.tmp"));
    }

    void startUpFailureNamesThePathAndChangesNothing_data() {
        QTest::addColumn<QString>("blocker"); // made a regular file or a folder
        QTest::addColumn<bool>("asFolder");
        QTest::addColumn<QString>("reported"); // the path named
        QTest::addColumn<QString>("reason");
        QTest::newRow("AppData is a file") << "AppData" << false << "AppData"
                                           << "Not a directory";
        QTest::newRow("data file is a folder")
            << "AppData/Korvanel.dat" << true << "AppData/Korvanel.dat"
            << "Is a directory";
        QTest::newRow("provider-code file is a folder")
            << "AppData/provider.txt" << true << "AppData/provider.txt"
            << "Is a directory";
        QTest::newRow("physician list is a folder")
            << "AppData/physician.txt" << true << "AppData/physician.txt"
            << "Is a directory";
        QTest::newRow("city file is a folder")
            << "AppData/cmcityzip.txt" << true << "AppData/cmcityzip.txt"
            << "Is a directory";
    }
    void startUpFailureNamesThePathAndChangesNothing() {
        QFETCH(QString, blocker);
        QFETCH(bool, asFolder);
        QFETCH(QString, reported);
        QFETCH(QString, reason);
        MainWindowFixture fixture;
        if (blocker != "AppData") {
            fixture.setProviderFile("123456");
            fixture.writeFile("AppData/Korvanel.dat", records(1));
            if (blocker != "Submit")
                QVERIFY(QDir().mkpath(fixture.path("Submit")));
        }
        if (asFolder) {
            QFile::remove(fixture.path(blocker));
            QVERIFY(QDir().mkpath(fixture.path(blocker)));
        } else {
            fixture.writeFile(blocker, "not a folder");
        }
        const auto before = snapshot(fixture.appPath());
        QVERIFY(!fixture.start());
        QCOMPARE(fixture.exitCode, std::optional<int>(1));
        QCOMPARE(fixture.messages.messages.size(), 1);
        const auto& message = fixture.messages.messages[0];
        QVERIFY2(message.text.contains(QDir::toNativeSeparators(fixture.path(reported))),
                 qPrintable(message.text));
        QVERIFY2(message.text.contains(reason), qPrintable(message.text));
        // A file failure like any other: "Korvanel CM" is the second copy's title alone.
        QCOMPARE(message.title, QString("File Error"));
        QCOMPARE(message.icon, MessageIcon::Warning);
        QCOMPARE(snapshot(fixture.appPath()), before);
        QCOMPARE(fixture.prompt.asked, 0);
        QVERIFY(!fixture.window().isVisible());
    }

    // A crash after the submission file got its name and before the data file was removed
    // leaves the records in both; start-up asks whether to finish that submission, and only
    // when the data file equals a submission file, the newest or not.
    void interruptedSubmission_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("newest"); // Submit/..._0002.txt; ..._0001.txt holds 2 others
        QTest::addColumn<QByteArray>("older");
        QTest::addColumn<bool>("yes"); // the answer to the question
        QTest::addColumn<bool>("asked");
        QByteArray oneByteOff = records(3);
        oneByteOff[20] = 'X';
        QTest::newRow("newest holds them, Yes") << 3 << records(3) << records(2) << true << true;
        QTest::newRow("newest holds them, No") << 3 << records(3) << records(2) << false << true;
        QTest::newRow("one record, Yes") << 1 << records(1) << records(2) << true << true;
        // Emptied first: the nearly-full notice does not come.
        QTest::newRow("251 records, Yes") << 251 << records(251) << records(2) << true << true;
        QTest::newRow("only an older file holds them, Yes")
            << 3 << records(2) << records(3) << true << true;
        QTest::newRow("newest differs by one byte")
            << 3 << oneByteOff << records(2) << true << false;
        QTest::newRow("newest has one byte more")
            << 3 << records(3) + "X" << records(2) << true << false;
        QTest::newRow("empty data file, empty newest file")
            << 0 << QByteArray() << records(2) << true << false;
    }
    void interruptedSubmission() {
        QFETCH(int, count);
        QFETCH(QByteArray, newest);
        QFETCH(QByteArray, older);
        QFETCH(bool, yes);
        QFETCH(bool, asked);
        const QString newestName = "Lead_123456_20261201_101010_0002.txt";
        const QString olderName = "Lead_123456_20261202_090000_0001.txt";
        const QString holder = newest == records(count) ? newestName : olderName;
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        fixture.writeFile("AppData/Korvanel.dat", records(count));
        fixture.writeFile("AppData/nextfile.txt", "3     ");
        // Newer by its time but older by its counter.
        fixture.writeFile("Submit/" + olderName, older);
        fixture.writeFile("Submit/" + newestName, newest);
        const auto before = snapshot(fixture.appPath());
        fixture.messages.queueAnswer(yes ? MessageAnswer::Yes : MessageAnswer::No);
        QVERIFY(fixture.start());

        const bool emptied = asked && yes;
        QStringList titles;
        for (const auto& message : fixture.messages.messages)
            titles << message.title;
        QCOMPARE(titles.contains("Unfinished Electronic File"), asked);
        QCOMPARE(titles.contains("Record Limit Notification"), count > 250 && !emptied);
        QCOMPARE(titles.contains("File Error"), false);
        if (asked) {
            const auto& question = fixture.messages.messages[0];
            QCOMPARE(question.title, QString("Unfinished Electronic File"));
            QCOMPARE(question.buttons, MessageButtons::YesNo);
            QCOMPARE(question.icon, MessageIcon::Warning);
            const QString text =
                count == 1 ? QString("The record in the data file is already in the electronic "
                                     "file %1; the program stopped before it could remove it. "
                                     "Remove it from the data file now?")
                                 .arg(holder)
                           : QString("The %1 records in the data file are already in the "
                                     "electronic file %2; the program stopped before it could "
                                     "remove them. Remove them from the data file now?")
                                 .arg(count)
                                 .arg(holder);
            QCOMPARE(question.text, text);
        }
        if (!emptied) {
            QCOMPARE(snapshot(fixture.appPath()), before);
            QCOMPARE(fixture.state().RecordCount, qMax(count, 1));
            return;
        }
        // The submission is finished: only the data file changed, and it is empty. The
        // counter stays past the file's number.
        auto expected = before;
        expected["AppData/Korvanel.dat"] = QByteArray();
        QCOMPARE(snapshot(fixture.appPath()), expected);
        QCOMPARE(modeOf(fixture.path("AppData/Korvanel.dat")), 0600);
        // The window of a start on an empty data file: a blank record 1 of 1 in new-record mode.
        MainWindowFixture empty;
        empty.setProviderFile("123456");
        QVERIFY(empty.start());
        QCOMPARE(fixture.describeWindowState(), empty.describeWindowState());
        QCOMPARE(fixture.window().focusWidget(), fixture.form().mskDateTaken);
        // The first record's Cancel ends the program at once.
        fixture.form().cmdDelete->click();
        QCOMPARE(fixture.exitCode, std::optional<int>(0));
        // The store holds the new, empty data file open: a save lands in it.
        fixture.form().txtLastName->setText("Next");
        fixture.form().cmdUpdate->click();
        QCOMPARE(fixture.storedRecords().size(), 1);
        QCOMPARE(fixture.storedRecords()[0].get(ResultRecord::LastName).trimmed(), QString("Next"));
    }

    // Submit, or a file in it of the data file's length, that cannot be read may hold the
    // records already sent: start-up names it in a "File Error" (a save would make the data file
    // differ from that file, and the next submission would send the records twice), then starts
    // as usual and changes nothing. Files of another length are never read.
    void submitNotReadAtTheStartIsTold_data() {
        QTest::addColumn<QStringList>("locked"); // under Submit; "." is Submit itself
        QTest::addColumn<QStringList>("named");  // in the File Error; empty: no File Error
        QTest::addColumn<bool>("asked");         // "Unfinished Electronic File"
        const QString same = "Lead_123456_20261201_101010_0002.txt";
        const QString sameToo = "Lead_123456_20261130_101010_0001.txt";
        const QString other = "Lead_123456_20261129_101010_0003.txt"; // two records
        QTest::newRow("Submit") << QStringList{"."} << QStringList{"Submit"} << false;
        QTest::newRow("a file of the same length")
            << QStringList{same} << QStringList{"Submit/" + same} << false;
        QTest::newRow("two files of the same length")
            << QStringList{same, sameToo} << QStringList{"Submit/" + same, "Submit/" + sameToo}
            << false;
        QTest::newRow("a file of another length") << QStringList{other} << QStringList{} << false;
        QTest::newRow("another file holds the records")
            << QStringList{same} << QStringList{} << true;
    }
    void submitNotReadAtTheStartIsTold() {
        QFETCH(QStringList, locked);
        QFETCH(QStringList, named);
        QFETCH(bool, asked);
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        fixture.writeFile("AppData/Korvanel.dat", records(3));
        QByteArray others = records(4).mid(ResultRecord::Size);
        fixture.writeFile("Submit/Lead_123456_20261201_101010_0002.txt", others);
        fixture.writeFile("Submit/Lead_123456_20261130_101010_0001.txt", others);
        fixture.writeFile("Submit/Lead_123456_20261129_101010_0003.txt", records(2));
        // Of the lowest number: compared after the files above.
        if (asked)
            fixture.writeFile("Submit/Lead_123456_20261128_101010_0001.txt", records(3));
        const auto before = snapshot(fixture.appPath());
        {
            PermissionBits permissions;
            if (!permissions.applies())
                QSKIP("this process reads every file whatever its permission bits");
            const auto lockedPath = [&](const QString& name) {
                return name == "." ? fixture.path("Submit") : fixture.path("Submit/" + name);
            };
            for (const QString& name : locked)
                QVERIFY(QFile::setPermissions(lockedPath(name), QFileDevice::Permissions()));
            fixture.messages.queueAnswer(MessageAnswer::No);
            QVERIFY(fixture.start());
            for (const QString& name : locked)
                QVERIFY(QFile::setPermissions(
                    lockedPath(name),
                    QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                        (name == "." ? QFileDevice::ExeOwner : QFileDevice::Permissions())));
        }
        QStringList titles;
        for (const auto& message : fixture.messages.messages)
            titles << message.title;
        QCOMPARE(titles, asked             ? QStringList{"Unfinished Electronic File"}
                         : named.isEmpty() ? QStringList{}
                                           : QStringList{"File Error"});
        if (!named.isEmpty()) {
            const auto& message = fixture.messages.messages[0];
            QCOMPARE(message.icon, MessageIcon::Warning);
            const QString reason = "Permission denied";
            const QString tail =
                "\r\n\r\nThe program could not check whether the records in the data file are "
                "already in an electronic file in Submit. Please check that the folder may be "
                "written (its permissions, or a disk or folder that is read-only) and try again."
                "\r\nOnce this is fixed, close the program and start it again before you save a "
                "record or create an electronic file, so that no record is sent twice.";
            const auto shown = [&](const QString& relative) {
                return QDir::toNativeSeparators(fixture.path(relative));
            };
            QCOMPARE(message.text, named.size() == 1
                                       ? "A file could not be read or written:\r\n" +
                                             shown(named[0]) + "\r\n" + reason + tail
                                       : "Files could not be read:\r\n" + shown(named[0]) + " (" +
                                             reason + ")\r\n" + shown(named[1]) + " (" + reason +
                                             ")" + tail);
        }
        // Started as usual on the stored records, and nothing changed.
        QVERIFY(fixture.window().isVisible());
        QCOMPARE(fixture.state().RecordCount, 3);
        QCOMPARE(fixture.exitCode, std::nullopt);
        QCOMPARE(snapshot(fixture.appPath()), before);
    }

    // Something other than a folder named Submit (a file, a link to nothing) is not replaced and
    // start-up goes on: the operator enters records as usual, and only the submission reports it.
    void submitTakenStopsOnlyTheSubmission_data() {
        QTest::addColumn<bool>("link");
        QTest::newRow("a file") << false;
        QTest::newRow("a link to nothing") << true;
    }
    void submitTakenStopsOnlyTheSubmission() {
        QFETCH(bool, link);
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        fixture.writeFile("AppData/Korvanel.dat", records(1));
        if (link)
            QVERIFY(QFile::link(fixture.path("nowhere"), fixture.path("Submit")));
        else
            fixture.writeFile("Submit", "not a folder");
        QVERIFY(fixture.start());
        // A link to a folder that is not there (a disk not plugged in) may hold records already
        // sent: start-up says so and goes on. A file holds none.
        QCOMPARE(fixture.messages.messages.size(), link ? 1 : 0);
        if (link) {
            QCOMPARE(fixture.messages.messages[0].title, QString("File Error"));
            QVERIFY2(fixture.messages.messages[0].text.startsWith(
                         "A file could not be read or written:\r\n" +
                         QDir::toNativeSeparators(fixture.path("Submit")) +
                         "\r\nNo such file or directory\r\n"),
                     qPrintable(fixture.messages.messages[0].text));
            fixture.messages.messages.clear();
        }
        fixture.form().txtLastName->setFocus();
        fixture.form().txtLastName->selectAll();
        QTest::keyClicks(fixture.form().txtLastName, "Typed");
        QTest::mouseClick(fixture.form().cmdUpdate, Qt::LeftButton);
        QCOMPARE(fixture.storedRecords().at(0).trimmed(ResultRecord::LastName), QString("Typed"));
        QVERIFY(fixture.messages.messages.isEmpty());

        QTest::mouseClick(fixture.form().cmdWriteEFile, Qt::LeftButton);
        QCOMPARE(fixture.messages.messages.size(), 1);
        const auto& message = fixture.messages.messages[0];
        QCOMPARE(message.title, QString("File Error"));
        QVERIFY2(message.text.contains(QDir::toNativeSeparators(fixture.path("Submit"))),
                 qPrintable(message.text));
        QCOMPARE(fixture.storedRecords().size(), 1);
        if (link)
            QCOMPARE(QFileInfo(fixture.path("Submit")).symLinkTarget(), fixture.path("nowhere"));
        else
            QCOMPARE(fixture.readFile("Submit"), QByteArray("not a folder"));
        QVERIFY(!QFileInfo::exists(fixture.path("nowhere")));
        QCOMPARE(fixture.exitCode, std::nullopt);
    }

    // The lock at the start, on real lock files: another computer's is the operator's to take
    // over after being told who holds it and since when (No ends the program and leaves it);
    // one that is nobody's is taken over without a word; one a running copy keeps locked is the
    // second copy's message.
    void instanceLockAtTheStart_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("answer"); // to the question; -1: no question
        QTest::addColumn<QString>("shown");
        QTest::addColumn<std::optional<int>>("exit");
        const QByteArray other =
            "4242\nkorvanel\nfront-desk-pc\n0123456789abcdef0123456789abcdef\nboot\n";
        QTest::newRow("another computer's, No")
            << other << int(MessageAnswer::No) << "Program in Use on Another Computer"
            << std::optional<int>(0);
        QTest::newRow("another computer's, Yes")
            << other << int(MessageAnswer::Yes) << "Program in Use on Another Computer"
            << std::optional<int>();
        QTest::newRow("NUL bytes")
            << QByteArray(16, '\0') << -1 << QString() << std::optional<int>();
        QTest::newRow("held by a running copy")
            << QByteArray() << -1 << "Korvanel CM" << std::optional<int>(0);
    }
    void instanceLockAtTheStart() {
        QFETCH(QByteArray, content);
        QFETCH(int, answer);
        QFETCH(QString, shown);
        QFETCH(std::optional<int>, exit);
        QTemporaryDir folder;
        const AppPaths paths{folder.path()};
        QVERIFY(QDir(folder.path()).mkdir("AppData"));
        const QString lockPath = paths.join({"AppData", "instance.lock"});
        QLockFile running(lockPath);
        if (content.isEmpty()) {
            QVERIFY(running.tryLock(0));
        } else {
            QFile file(lockPath);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
            file.close();
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime(QDate(2026, 12, 4), QTime(9, 15, 30)),
                                     QFileDevice::FileModificationTime));
        }
        QFile lockFile(lockPath);
        QVERIFY(lockFile.open(QIODevice::ReadOnly));
        const QByteArray before = lockFile.readAll();
        lockFile.close();

        ScriptedMessageService messages;
        if (answer >= 0)
            messages.queueAnswer(MessageAnswer(answer));
        InstanceLock lock(lockPath);
        QCOMPARE(InstanceLockPrompt::take(lock, paths, messages), exit);
        QCOMPARE(messages.messages.size(), shown.isEmpty() ? 0 : 1);
        if (!shown.isEmpty())
            QCOMPARE(messages.messages[0].title, shown);
        if (answer >= 0) {
            const auto& question = messages.messages[0];
            QCOMPARE(question.buttons, MessageButtons::YesNo);
            for (const char* told :
                 {"Computer: front-desk-pc", "Process number: 4242", "Since: 12/04/2026 09:15:30",
                  "First check that the program is not running on front-desk-pc"})
                QVERIFY2(question.text.contains(told), qPrintable(question.text));
        }
        if (shown == "Korvanel CM") {
            QCOMPARE(messages.messages[0].text, QString("The program is already running..."));
            QCOMPARE(messages.messages[0].buttons, MessageButtons::Ok);
            QCOMPARE(messages.messages[0].icon, MessageIcon::None);
        }
        QFile after(lockPath);
        QVERIFY(after.open(QIODevice::ReadOnly));
        if (exit)
            QCOMPARE(after.readAll(), before);
        else
            QCOMPARE(after.readLine().trimmed(),
                     QByteArray::number(QCoreApplication::applicationPid()));
    }

    // Last: it runs the application's own event loop, which the close must end.
    void closingTheWindowEndsWithoutSaving() {
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        fixture.writeFile("AppData/Korvanel.dat", records(1));
        QVERIFY(fixture.start());
        fixture.form().txtLastName->setText("Changed");
        QTimer::singleShot(0, &fixture.window(), [&] { fixture.window().close(); });
        bool endedByClose = true;
        QTimer safety;
        safety.setSingleShot(true);
        connect(&safety, &QTimer::timeout, [&] {
            endedByClose = false;
            QApplication::exit(2);
        });
        safety.start(10000);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(endedByClose);
        QCOMPARE(fixture.readFile("AppData/Korvanel.dat"), records(1));
        QVERIFY(fixture.messages.messages.isEmpty());
    }
};

QTEST_MAIN(tst_StartUp)
#include "tst_StartUp.moc"
