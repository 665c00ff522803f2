#include "reference/ReferenceText.h"
#include "storage/AppPaths.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_ReferenceText : public QObject {
    Q_OBJECT
private slots:
    void splitLines_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty file") << QByteArray() << QStringList();
        QTest::newRow("no final line break") << QByteArray("a\r\nb") << QStringList{"a", "b"};
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("CR alone") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("LF alone") << QByteArray("a\nb\n") << QStringList{"a", "b"};
        QTest::newRow("mixed") << QByteArray("a\nb\r\nc\rd") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("LF CR is two breaks") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
        QTest::newRow("empty lines kept")
            << QByteArray("a\r\n\r\n\r\nb\r\n") << QStringList{"a", "", "", "b"};
        QTest::newRow("only a line break") << QByteArray("\r\n") << QStringList{""};
        QTest::newRow("blanks kept") << QByteArray("  Dr. Smith  \r\n\tDr. Jones")
                                     << QStringList{"  Dr. Smith  ", "\tDr. Jones"};
        QTest::newRow("Windows-1252")
            << QByteArray("Jos\xe9 \x80\x93\r\n") << QStringList{QString::fromUtf8("José €“")};
        QTest::newRow("each line decoded on its own")
            << QByteArray("\xe9\r\n\x80\xe9\n\xe9\x9f")
            << QStringList{QString::fromUtf8("é"), QString::fromUtf8("€é"),
                           QString::fromUtf8("éŸ")};
    }
    void splitLines() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(ReferenceText::splitLines(bytes), lines);
    }

    void readsFile() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = AppPaths{dir.path()}.physicianFile();
        QVERIFY(QDir(dir.path()).mkdir("AppData"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Dr. A\r\n Dr. B\r\n");
        file.close();
        QStringList lines;
        const FileStatus status = ReferenceText::readLines(path, lines);
        QVERIFY2(status.ok(), qPrintable(status.describe()));
        QCOMPARE(lines, (QStringList{"Dr. A", " Dr. B"}));
    }

    void missingFileIsReported() {
        QTemporaryDir dir;
        QStringList lines{"stale"};
        const QString path = AppPaths{dir.path()}.cityFile();
        const FileStatus status = ReferenceText::readLines(path, lines);
        QVERIFY(!status.ok());
        QCOMPARE(status.path(), path);
        QVERIFY(lines.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_ReferenceText)
#include "tst_ReferenceText.moc"
