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
        QTest::newRow("trailing blank") << "12345 " << true;
        QTest::newRow("one digit") << "7     " << true;
        QTest::newRow("leading blanks") << "  1234" << false;
        QTest::newRow("zeros") << "000000" << false;
        QTest::newRow("zeros and blanks") << "000   " << false;
        QTest::newRow("six blanks") << "      " << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("no leading number") << "A12345" << false;
        // Whatever a hand-edited file holds goes into every record and the submission's name.
        QTest::newRow("slash") << "12/456" << false;
        QTest::newRow("NUL") << QString::fromLatin1("12\0"
                                                    "456",
                                                    6)
                             << false;
        QTest::newRow("CR LF") << "12345\r" << false;
        QTest::newRow("tab") << "12345\t" << false;
        QTest::newRow("blank inside") << "12 456" << false;
        QTest::newRow("minus") << "-12345" << false;
        QTest::newRow("plus") << "+12345" << false;
        QTest::newRow("point") << ".12345" << false;
        QTest::newRow("decimal") << "1234.5" << false;
        QTest::newRow("letter after digits") << "12345x" << false;
        QTest::newRow("Latin-1 letters")
            << QString::fromLatin1("\xe9\xe9\xe9\xe9\xe9\xe9") << false;
        QTest::newRow("Arabic-Indic digits")
            << QString::fromUtf8("\u0661\u0662\u0663\u0664\u0665\u0666") << false;
    }
    void isSet() {
        QFETCH(QString, code);
        QFETCH(bool, set);
        QCOMPARE(ProviderCode::isSet(code), set);
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
        QTest::newRow("nothing, slash in force") << ""
                                                 << "12/456" << kSixBlanks << kNotSet;
        QTest::newRow("nothing, sign in force") << ""
                                                << "-12345" << kSixBlanks << kNotSet;
    }
    void okAnswer() {
        QFETCH(QString, entered);
        QFETCH(QString, current);
        QFETCH(QString, newCode);
        QFETCH(QString, message);
        const ProviderCode::Decision decision = ProviderCode::decide(entered, current);
        QCOMPARE(decision.newCode, newCode);
        QCOMPARE(decision.message, message);
        QCOMPARE(decision.showMessage(), !message.isEmpty());
    }

    void cancelAnswer() {
        ProviderCode::Decision decision = ProviderCode::decideOnCancel("654321");
        QCOMPARE(decision.newCode, QString("654321"));
        QVERIFY(!decision.showMessage());
        // A stored code of fewer digits is kept without a length message.
        decision = ProviderCode::decideOnCancel("12345 ");
        QCOMPARE(decision.newCode, QString("12345 "));
        QVERIFY(!decision.showMessage());
        // A stored code with a line break in it is no code: it is not kept.
        decision = ProviderCode::decideOnCancel("12345\n");
        QCOMPARE(decision.newCode, kSixBlanks);
        QCOMPARE(decision.message, kNotSet);
        decision = ProviderCode::decideOnCancel(kSixBlanks);
        QCOMPARE(decision.newCode, kSixBlanks);
        QCOMPARE(decision.message, kNotSet);
    }

    void missingFileIsCreatedEmpty() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("AppData"));
        const QString path = AppPaths{dir.path()}.providerFile();
        QCOMPARE(path, dir.path() + "/AppData/provider.txt");
        QString code = "stale";
        const FileStatus status = ProviderCode::readFile(path, code);
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
        QVERIFY(ProviderCode::readFile(path, read).ok());
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
        const FileStatus status = ProviderCode::writeFile(path, code);
        QVERIFY2(status.ok(), qPrintable(status.describe()));
        QCOMPARE(fileBytes(path), after);
    }

    void unreadableFolderIsReported() {
        QTemporaryDir dir;
        const QString path = dir.filePath("missing-folder/provider.txt");
        QString code;
        const FileStatus status = ProviderCode::readFile(path, code);
        QVERIFY(!status.ok());
        QCOMPARE(code, kSixBlanks);
        QVERIFY(!ProviderCode::writeFile(path, "123456").ok());
    }
};

QTEST_GUILESS_MAIN(tst_ProviderCode)
#include "tst_ProviderCode.moc"
