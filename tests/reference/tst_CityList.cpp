#include "reference/CityList.h"

#include <QTest>

class tst_CityList : public QObject {
    Q_OBJECT
private slots:
    void entriesStayTiedToTheirLines() {
        const CityList cities = CityList::fromLines(
            {"CITYNAME,X,00011,00012", "", "NO COMMA", "CITYNAME,00011", " Other Town ,Y,00020"});
        QCOMPARE(cities.count(), 3);
        QCOMPARE(cities.cityEntries(), (QStringList{"CITYNAME", "CITYNAME", " Other Town "}));
        QCOMPARE(cities.cityZipLines(),
                 (QStringList{"CITYNAME,X,00011,00012", "CITYNAME,00011", " Other Town ,Y,00020"}));
        // Two lines for the same city keep their own zip codes.
        QCOMPARE(chooseCity(cities, 0, "", "CITYNAME").zipEntries,
                 (QStringList{"", "00011", "00012"}));
        QCOMPARE(chooseCity(cities, 1, "", "CITYNAME").zipEntries, QStringList{""});
        // The entry after the skipped lines still finds its own line.
        QCOMPARE(chooseCity(cities, 2, "", " Other Town ").zipEntries, (QStringList{"", "00020"}));
    }

    void emptyFieldsAreKept() {
        const CityList cities = CityList::fromLines({",", "A,,,00011,"});
        QCOMPARE(cities.cityEntries(), (QStringList{"", "A"}));
        QCOMPARE(chooseCity(cities, 1, "", "A").zipEntries, (QStringList{"", "", "00011", ""}));
    }

    void choosingACity_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("currentCity");
        QTest::addColumn<QString>("boxText");
        QTest::addColumn<bool>("rebuild");
        QTest::addColumn<QStringList>("zips");
        QTest::addColumn<QString>("newCurrentCity");
        QTest::newRow("another city")
            << "CITYNAME,X,00011,00012"
            << "OTHER"
            << "CITYNAME" << true << QStringList{"", "00011", "00012"} << "CITYNAME";
        QTest::newRow("no current city")
            << "CITYNAME,X,00011"
            << ""
            << "CITYNAME" << true << QStringList{"", "00011"} << "CITYNAME";
        QTest::newRow("second field never offered")
            << "CITYNAME,00011"
            << ""
            << "CITYNAME" << true << QStringList{""} << "CITYNAME";
        QTest::newRow("the current city keeps the zip")
            << "CITYNAME,X,00011"
            << "CITYNAME"
            << "CITYNAME" << false << QStringList{} << "CITYNAME";
        QTest::newRow("current city compared trimmed")
            << "CITYNAME,X,00011"
            << "  CITYNAME "
            << "CITYNAME" << false << QStringList{} << "CITYNAME";
        QTest::newRow("case counts")
            << "CITYNAME,X,00011"
            << "Cityname"
            << "CITYNAME" << true << QStringList{"", "00011"} << "CITYNAME";
        QTest::newRow("line's blanks count")
            << " CITYNAME,X,00011"
            << "CITYNAME"
            << " CITYNAME" << true << QStringList{"", "00011"} << "CITYNAME";
        QTest::newRow("zips unchanged")
            << "A,X, 00011 ,00012 "
            << ""
            << "A" << true << QStringList{"", " 00011 ", "00012 "} << "A";
    }
    void choosingACity() {
        QFETCH(QString, line);
        QFETCH(QString, currentCity);
        QFETCH(QString, boxText);
        QFETCH(bool, rebuild);
        QFETCH(QStringList, zips);
        QFETCH(QString, newCurrentCity);
        const CityChoice choice = chooseCity(line, currentCity, boxText);
        QCOMPARE(choice.rebuildZipList, rebuild);
        QCOMPARE(choice.zipEntries, zips);
        QCOMPARE(choice.currentCity, newCurrentCity);
    }

    void noSelectionOnlySetsCurrentCity() {
        const CityList cities = CityList::fromLines({"A,X,00011"});
        for (int index : {-1, 1, 100}) {
            const CityChoice choice = chooseCity(cities, index, "B", " typed ");
            QVERIFY(!choice.rebuildZipList);
            QCOMPARE(choice.currentCity, QString("typed"));
        }
    }

    void longFileLoadsWhole() {
        QStringList lines;
        for (int i = 0; i < 40000; ++i)
            lines << QString("CITY%1,X,%2").arg(i).arg(i, 5, 10, QLatin1Char('0'));
        const CityList cities = CityList::fromLines(lines);
        QCOMPARE(cities.count(), 40000);
        QCOMPARE(cities.cityEntries().last(), QString("CITY39999"));
        QCOMPARE(chooseCity(cities, 39999, "", "CITY39999").zipEntries, (QStringList{"", "39999"}));
    }
};

QTEST_GUILESS_MAIN(tst_CityList)
#include "tst_CityList.moc"
