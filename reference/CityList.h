#pragma once

#include <QString>
#include <QStringList>

// The city list built from the lines of the city file. A line is a city name, a second field that
// is read past, and the city's zip codes, all separated by ",". Each entry of cboCity stays tied
// to its own line: entry i of cityEntries() comes from line i of cityZipLines().
class CityList {
public:
    CityList() = default;

    // Builds the list from the file's lines, in file order. An empty line or a line without ","
    // cannot name a city: it is skipped without a message and the rest loads. There is no limit
    // on the number of lines.
    static CityList fromLines(const QStringList& fileLines);

    // CityZipLines: the kept lines, index i for entry i of cboCity.
    const QStringList& cityZipLines() const { return lines_; }
    // The entries of cboCity: each line's characters before its first ",", unchanged.
    const QStringList& cityEntries() const { return entries_; }
    int count() const { return static_cast<int>(lines_.size()); }

private:
    QStringList lines_;
    QStringList entries_;
};

struct CityChoice {
    // Clear cboZip, add zipEntries in order and select entry 0 (the empty one). When false cboZip
    // keeps its entries and its selection.
    bool rebuildZipList = false;
    QStringList zipEntries;
};

namespace CityLookup {

// The choice of the city whose line is chosenLine while CurrentCity is currentCity. The zip list
// is rebuilt when the line's first field differs (exactly, case included) from the trimmed
// currentCity; it then holds an empty entry and every field from the third on, unchanged
// ("CITYNAME,00011" gives only the empty entry).
CityChoice chooseCity(const QString& chosenLine, const QString& currentCity);

} // namespace CityLookup
