#include "storage/FileStatus.h"

#include <QTest>

#include <cerrno>

class tst_FileStatus : public QObject {
    Q_OBJECT
private slots:
    void successHasNothingToSay() {
        FileStatus status = FileStatus::success();
        QVERIFY(status.ok());
        QVERIFY(status.describe().isEmpty());
    }
    void failureNamesFileAndReason() {
        FileStatus status = FileStatus::fromErrno("/x/Korvanel.dat", ENOSPC);
        QVERIFY(!status.ok());
        QCOMPARE(status.path(), QString("/x/Korvanel.dat"));
        QVERIFY(status.describe().startsWith("/x/Korvanel.dat: "));
        QVERIFY(status.describe().contains("space", Qt::CaseInsensitive));
    }
};

QTEST_GUILESS_MAIN(tst_FileStatus)
#include "tst_FileStatus.moc"
