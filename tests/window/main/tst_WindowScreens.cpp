#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

// Starts both windows on a private X server and keeps pictures of them in <build>/screens, for
// the eye and for the checks below: the windows are drawn, in their form's size.
class tst_WindowScreens : public QObject {
    Q_OBJECT
    QProcess xserver;
    QString display;

    bool startXServer() {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        if (xvfb.isEmpty())
            return false;
        for (int number = 90; number < 200; ++number) {
            if (QFileInfo::exists(QString("/tmp/.X%1-lock").arg(number)))
                continue;
            xserver.start(xvfb, {QString(":%1").arg(number), "-screen", "0", "2560x1600x24",
                                 "-nolisten", "tcp"});
            if (!xserver.waitForStarted(5000))
                return false;
            const QString socket = QString("/tmp/.X11-unix/X%1").arg(number);
            QDeadlineTimer deadline(10000);
            while (!deadline.hasExpired() && xserver.state() == QProcess::Running &&
                   !QFileInfo::exists(socket))
                xserver.waitForFinished(50);
            if (xserver.state() == QProcess::Running && QFileInfo::exists(socket)) {
                display = QString(":%1").arg(number);
                return true;
            }
            xserver.kill();
            xserver.waitForFinished();
        }
        return false;
    }

    // Distinct colours in a picture: a window that was not drawn is one flat colour.
    static int colourCount(const QImage& picture) {
        QSet<QRgb> colours;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x)
                colours.insert(picture.pixel(x, y));
        }
        return colours.size();
    }

private slots:
    void initTestCase() {
        if (!startXServer())
            QSKIP("Xvfb is not installed or would not start; no screenshots taken");
    }

    void cleanupTestCase() {
        if (xserver.state() != QProcess::NotRunning) {
            xserver.terminate();
            if (!xserver.waitForFinished(5000)) {
                xserver.kill();
                xserver.waitForFinished();
            }
        }
    }

    // On a high-resolution screen the windows are drawn larger as a whole: pictures in
    // screens/1.5x and screens/2x.
    void bothWindowsAreDrawn_data() {
        QTest::addColumn<QString>("scale");
        QTest::addColumn<QString>("subfolder");
        QTest::newRow("1x") << "1"
                            << "";
        QTest::newRow("1.5x") << "1.5"
                              << "/1.5x";
        QTest::newRow("2x") << "2"
                            << "/2x";
    }
    void bothWindowsAreDrawn() {
        QFETCH(QString, scale);
        QFETCH(QString, subfolder);
        const QString folder = QFileInfo(KORVANEL_EXE).absolutePath() + "/screens" + subfolder;
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::remove(folder + "/main.png");
        QFile::remove(folder + "/dialog.png");

        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display);
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("QT_SCALE_FACTOR", scale);
        tool.setProcessEnvironment(env);
        tool.setProcessChannelMode(QProcess::ForwardedChannels);
        tool.start(QString(KORVANEL_TOOLS_DIR) + "/tool_windowScreens", {folder});
        QVERIFY(tool.waitForFinished(90000));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.exitCode(), 0);

        const QImage main(folder + "/main.png");
        const QImage dialog(folder + "/dialog.png");
        const double factor = scale.toDouble();
        QCOMPARE(main.size(), QSize(qRound(607 * factor), qRound(438 * factor)));
        QCOMPARE(dialog.size(), QSize(qRound(325 * factor), qRound(82 * factor)));
        QVERIFY2(colourCount(main) > 20, "the main window was not drawn");
        QVERIFY2(colourCount(dialog) > 10, "the dialog was not drawn");
    }
};

QTEST_MAIN(tst_WindowScreens)
#include "tst_WindowScreens.moc"
