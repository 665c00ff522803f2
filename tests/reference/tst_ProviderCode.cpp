#include "reference/ProviderCode.h"
#include "storage/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

const QString kNotSet = QStringLiteral("Provider Code has not been set.\r\nPlease use the Provider "
                                       "Code assigned to the you by the State of Calmoria.");
const QString kLength = QStringLiteral("Provider Code must be 6 digits.\r\nPlease use the Provider "
                                       "Code assigned to the you by the State of Calmoria.");
const QString kSixBlanks = QStringLiteral("      ");

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

void putFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class tst_ProviderCode : public QObject {
    Q_OBJECT
private slots:
    void isSet_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("set");
        QTest::newRow("six digits") << "123456" << true;
        QTest::newRow("leading zeros") << "000123" << true;
        QTest::newRow("leading blanks") << "  1234" << true;
        QTest::newRow("zeros") << "000000" << false;
        QTest::newRow("six blanks") << "      " << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("no leading number") << "A12345" << false;
    }
    void isSet() {
        QFETCH(QString, code);
        QFETCH(bool, set);
        QCOMPARE(isProviderCodeSet(code), set);
    }

    void okAnswer_data() {
        QTest::addColumn<QString>("entered");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("newCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("first code") << "123456"
                                    << "      "
                                    << "123456"
                                    << "";
        QTest::newRow("changed code") << "123456"
                                      << "654321"
                                      << "123456"
                                      << "";
        QTest::newRow("leading zeros accepted") << "000123"
                                                << "      "
                                                << "000123"
                                                << "";
        QTest::newRow("five digits, code in force") << "12345"
                                                    << "654321"
                                                    << "654321" << kLength;
        QTest::newRow("five digits, no code") << "12345"
                                              << "      "
                                              << "      " << kLength;
        QTest::newRow("one digit") << "7"
                                   << "654321"
                                   << "654321" << kLength;
        QTest::newRow("nothing, no code") << ""
                                          << "      " << kSixBlanks << kNotSet;
        QTest::newRow("zeros, no code") << "000000"
                                        << "      " << kSixBlanks << kNotSet;
        QTest::newRow("nothing, zeros in force") << ""
                                                 << "000000" << kSixBlanks << kNotSet;
        QTest::newRow("nothing, empty code") << ""
                                             << "" << kSixBlanks << kNotSet;
        QTest::newRow("zeros, code in force") << "000000"
                                              << "654321"
                                              << "654321"
                                              << "";
        QTest::newRow("nothing, code in force") << ""
                                                << "654321"
                                                << "654321"
                                                << "";
        QTest::newRow("short code in force padded") << ""
                                                    << "1234"
                                                    << "1234  "
                                                    << "";
    }
    void okAnswer() {
        QFETCH(QString, entered);
        QFETCH(QString, current);
        QFETCH(QString, newCode);
        QFETCH(QString, message);
        const ProviderCodeDecision decision = decideProviderCode(entered, current);
        QCOMPARE(decision.newCode, newCode);
        QCOMPARE(decision.message, message);
        QCOMPARE(decision.showMessage(), !message.isEmpty());
    }

    void cancelAnswer() {
        ProviderCodeDecision decision = decideProviderCodeOnCancel("654321");
        QCOMPARE(decision.newCode, QString("654321"));
        QVERIFY(!decision.showMessage());
        // A stored code that is not six digits long is kept without a length message.
        decision = decideProviderCodeOnCancel("12345\n");
        QCOMPARE(decision.newCode, QString("12345\n"));
        QVERIFY(!decision.showMessage());
        decision = decideProviderCodeOnCancel(kSixBlanks);
        QCOMPARE(decision.newCode, kSixBlanks);
        QCOMPARE(decision.message, kNotSet);
    }

    void missingFileIsCreatedEmpty() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("AppData"));
        const QString path = AppPaths{dir.path()}.providerFile();
        QCOMPARE(path, dir.path() + "/AppData/provider.txt");
        QString code = "stale";
        const FileStatus status = readProviderCodeFile(path, code);
        QVERIFY2(status.ok(), qPrintable(status.describe()));
        QCOMPARE(code, kSixBlanks);
        QVERIFY(QFile::exists(path));
        QCOMPARE(fileBytes(path), QByteArray());
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0600));
    }

    void readTakesTheFirstSixBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("code");
        QTest::newRow("six digits") << QByteArray("123456") << "123456";
        QTest::newRow("with line break") << QByteArray("123456\r\n") << "123456";
        QTest::newRow("longer") << QByteArray("1234567890") << "123456";
        QTest::newRow("short, padded") << QByteArray("123") << "123   ";
        QTest::newRow("short line") << QByteArray("12345\r\n") << "12345\r";
        QTest::newRow("Windows-1252") << QByteArray("12345\xe9") << QString::fromUtf8("12345é");
    }
    void readTakesTheFirstSixBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, code);
        QTemporaryDir dir;
        const QString path = dir.filePath("provider.txt");
        putFile(path, bytes);
        QString read;
        QVERIFY(readProviderCodeFile(path, read).ok());
        QCOMPARE(read, code);
    }

    void writeReplacesOnlyTheFirstSixBytes_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("line break kept")
            << QByteArray("123456\r\n") << "654321" << QByteArray("654321\r\n");
        QTest::newRow("empty file") << QByteArray() << "123456" << QByteArray("123456");
        QTest::newRow("unset code") << QByteArray("123456") << kSixBlanks << QByteArray("      ");
        QTest::newRow("short code padded")
            << QByteArray("123456789") << "123" << QByteArray("123   789");
        QTest::newRow("short old file") << QByteArray("12") << "654321" << QByteArray("654321");
    }
    void writeReplacesOnlyTheFirstSixBytes() {
        QFETCH(QByteArray, before);
        QFETCH(QString, code);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = dir.filePath("provider.txt");
        putFile(path, before);
        const FileStatus status = writeProviderCodeFile(path, code);
        QVERIFY2(status.ok(), qPrintable(status.describe()));
        QCOMPARE(fileBytes(path), after);
    }

    void unreadableFolderIsReported() {
        QTemporaryDir dir;
        const QString path = dir.filePath("missing-folder/provider.txt");
        QString code;
        const FileStatus status = readProviderCodeFile(path, code);
        QVERIFY(!status.ok());
        QCOMPARE(code, kSixBlanks);
        QVERIFY(!writeProviderCodeFile(path, "123456").ok());
    }
};

QTEST_GUILESS_MAIN(tst_ProviderCode)
#include "tst_ProviderCode.moc"
