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
        QCOMPARE(CityLookup::chooseCity(cities.cityZipLines()[0], "").zipEntries,
                 (QStringList{"", "00011", "00012"}));
        QCOMPARE(CityLookup::chooseCity(cities.cityZipLines()[1], "").zipEntries, QStringList{""});
        // The entry after the skipped lines still finds its own line.
        QCOMPARE(CityLookup::chooseCity(cities.cityZipLines()[2], "").zipEntries,
                 (QStringList{"", "00020"}));
    }

    void emptyFieldsAreKept() {
        const CityList cities = CityList::fromLines({",", "A,,,00011,"});
        QCOMPARE(cities.cityEntries(), (QStringList{"", "A"}));
        QCOMPARE(CityLookup::chooseCity(cities.cityZipLines()[1], "").zipEntries,
                 (QStringList{"", "", "00011", ""}));
    }

    void choosingACity_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("currentCity");
        QTest::addColumn<bool>("rebuild");
        QTest::addColumn<QStringList>("zips");
        QTest::newRow("another city") << "CITYNAME,X,00011,00012"
                                      << "OTHER" << true << QStringList{"", "00011", "00012"};
        QTest::newRow("no current city") << "CITYNAME,X,00011"
                                         << "" << true << QStringList{"", "00011"};
        QTest::newRow("second field never offered") << "CITYNAME,00011"
                                                    << "" << true << QStringList{""};
        QTest::newRow("the current city keeps the zip") << "CITYNAME,X,00011"
                                                        << "CITYNAME" << false << QStringList{};
        QTest::newRow("current city compared trimmed") << "CITYNAME,X,00011"
                                                       << "  CITYNAME " << false << QStringList{};
        QTest::newRow("case counts") << "CITYNAME,X,00011"
                                     << "Cityname" << true << QStringList{"", "00011"};
        QTest::newRow("line's blanks count") << " CITYNAME,X,00011"
                                             << "CITYNAME" << true << QStringList{"", "00011"};
        QTest::newRow("zips unchanged") << "A,X, 00011 ,00012 "
                                        << "" << true << QStringList{"", " 00011 ", "00012 "};
    }
    void choosingACity() {
        QFETCH(QString, line);
        QFETCH(QString, currentCity);
        QFETCH(bool, rebuild);
        QFETCH(QStringList, zips);
        const CityChoice choice = CityLookup::chooseCity(line, currentCity);
        QCOMPARE(choice.rebuildZipList, rebuild);
        QCOMPARE(choice.zipEntries, zips);
    }

    void longFileLoadsWhole() {
        QStringList lines;
        for (int i = 0; i < 40000; ++i)
            lines << QString("CITY%1,X,%2").arg(i).arg(i, 5, 10, QLatin1Char('0'));
        const CityList cities = CityList::fromLines(lines);
        QCOMPARE(cities.count(), 40000);
        QCOMPARE(cities.cityEntries().last(), QString("CITY39999"));
        QCOMPARE(CityLookup::chooseCity(cities.cityZipLines()[39999], "").zipEntries,
                 (QStringList{"", "39999"}));
    }
};

QTEST_GUILESS_MAIN(tst_CityList)
#include "tst_CityList.moc"
