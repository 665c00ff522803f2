#include "reference/CityList.h"

#include "validation/TextValue.h"

CityList CityList::fromLines(const QStringList& fileLines) {
    CityList cities;
    cities.lines_.reserve(fileLines.size());
    cities.entries_.reserve(fileLines.size());
    for (const QString& line : fileLines) {
        const qsizetype comma = line.indexOf(QLatin1Char(','));
        if (comma < 0)
            continue;
        cities.lines_.append(line);
        cities.entries_.append(line.left(comma));
    }
    return cities;
}

CityChoice chooseCity(const QString& chosenLine, const QString& currentCity,
                      const QString& cityBoxText) {
    CityChoice choice;
    const QStringList fields = chosenLine.split(QLatin1Char(','));
    if (fields.first() != trimBlanks(currentCity)) {
        choice.rebuildZipList = true;
        choice.zipEntries.append(QString());
        for (qsizetype i = 2; i < fields.size(); ++i)
            choice.zipEntries.append(fields.at(i));
    }
    choice.currentCity = trimBlanks(cityBoxText);
    return choice;
}

CityChoice chooseCity(const CityList& cities, int selectedIndex, const QString& currentCity,
                      const QString& cityBoxText) {
    if (selectedIndex < 0 || selectedIndex >= cities.count()) {
        CityChoice choice;
        choice.currentCity = trimBlanks(cityBoxText);
        return choice;
    }
    return chooseCity(cities.cityZipLines().at(selectedIndex), currentCity, cityBoxText);
}
