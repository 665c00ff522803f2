#include "reference/CityList.h"

#include "storage/TextValue.h"

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

CityChoice CityLookup::chooseCity(const QString& chosenLine, const QString& currentCity) {
    CityChoice choice;
    const QStringList fields = chosenLine.split(QLatin1Char(','));
    if (fields.first() != TextValue::trimBlanks(currentCity)) {
        choice.rebuildZipList = true;
        choice.zipEntries.append(QString());
        for (qsizetype i = 2; i < fields.size(); ++i)
            choice.zipEntries.append(fields.at(i));
    }
    return choice;
}
