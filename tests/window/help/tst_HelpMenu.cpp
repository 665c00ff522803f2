#include "window/MenuWindowTests.h"

// The Help menu: the guide and "About Korvanel".
class tst_HelpMenu : public QObject, MenuWindowTests {
    Q_OBJECT

private slots:
    void init() { QTest::failOnWarning(QRegularExpression("^(?!This plugin does not support).*")); }

    // F1 opens the guide compiled into the program, in any edit mode, with its headings and
    // every picture it shows; F1 again brings the same window forward. "About Korvanel" names
    // the program folder and the data file with the records it holds.
    void helpMenu() {
        MainWindowFixture fixture;
        QVERIFY(startWith(fixture, fourRecords()));
        fixture.form().cmdNew->click(); // the unsaved new record is not in the file
        for (int press = 0; press < 2; ++press)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        const QList<OperatorsGuideWindow*> guides =
            fixture.window().findChildren<OperatorsGuideWindow*>();
        QCOMPARE(guides.size(), 1);
        OperatorsGuideWindow* guide = guides.first();
        QTRY_VERIFY(guide->isVisible());
        QCOMPARE(guide->windowTitle(), QString("Operator's Guide"));

        QStringList headings;
        QStringList pictures;
        const QTextDocument* document = guide->browser()->document();
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            if (block.blockFormat().headingLevel() > 0)
                headings << block.text();
            for (auto part = block.begin(); !part.atEnd(); ++part) {
                const QTextImageFormat image = part.fragment().charFormat().toImageFormat();
                if (image.isValid())
                    pictures << image.name();
            }
        }
        QCOMPARE(headings.value(0), QString("Operator's Guide"));
        QVERIFY(headings.contains("After a \"File Error\""));
        QVERIFY(pictures.size() >= 5);
        for (const QString& picture : pictures) {
            const QVariant bytes =
                guide->browser()->loadResource(QTextDocument::ImageResource, QUrl(picture));
            QVERIFY2(!QImage::fromData(bytes.toByteArray()).isNull(), qPrintable(picture));
        }

        fixture.messages.messages.clear();
        fixture.controller().menu().about()->trigger();
        QCOMPARE(fixture.messages.messages.size(), 1);
        const auto& about = fixture.messages.messages.first();
        QCOMPARE(about.title, QString("About Korvanel"));
        for (const QString& line :
             {QString("Korvanel Blood Lead Result Reporting"),
              "Program folder: " + QDir::toNativeSeparators(fixture.appPath()),
              "Data file: " + QDir::toNativeSeparators(fixture.path("AppData/Korvanel.dat")),
              QString("Records in the data file: 4"), "Qt version: " + QString(qVersion())})
            QVERIFY2(about.text.split("\r\n").contains(line), qPrintable(about.text));
        QVERIFY(about.text.contains("Operator's Guide"));
    }
};

QTEST_MAIN(tst_HelpMenu)
#include "tst_HelpMenu.moc"
