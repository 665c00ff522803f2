// The city file (cmcityzip.txt) as an office may have prepared it, any bytes: its lines are those
// of a plain reading (CR LF, CR or LF end a line; the end of the file ends the last), every byte
// kept; the list holds exactly the lines with a ",", each entry the text before its first ",";
// choosing a city rebuilds the zip list from the line's fields from the third on.
#include "FuzzCheck.h"
#include "reference/CityList.h"
#include "reference/ReferenceText.h"
#include "storage/TextValue.h"
#include "storage/Windows1252.h"

namespace {

// The lines' bytes, read one byte at a time.
QList<QByteArray> plainLines(const QByteArray& bytes) {
    QList<QByteArray> lines;
    QByteArray line;
    bool open = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char byte = bytes.at(i);
        if (byte == '\r' || byte == '\n') {
            lines.append(line);
            line.clear();
            open = false;
            if (byte == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
                ++i;
            continue;
        }
        line.append(byte);
        open = true;
    }
    if (open)
        lines.append(line);
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = FuzzCheck::bytes(data, size);
    const QStringList lines = ReferenceText::splitLines(bytes);
    const QList<QByteArray> expected = plainLines(bytes);
    FUZZ_CHECK(lines.size() == expected.size(),
               QStringLiteral("%1 lines, %2 expected").arg(lines.size()).arg(expected.size()));
    for (qsizetype i = 0; i < lines.size(); ++i)
        FUZZ_CHECK(Windows1252::encode(lines.at(i)) == expected.at(i),
                   QStringLiteral("line %1").arg(i + 1));

    const CityList cities = CityList::fromLines(lines);
    qsizetype withComma = 0;
    for (const QString& line : lines)
        withComma += line.contains(QLatin1Char(',')) ? 1 : 0;
    FUZZ_CHECK(cities.count() == withComma, QString::number(cities.count()));
    FUZZ_CHECK(cities.cityEntries().size() == cities.cityZipLines().size(), "entries and lines");
    for (int i = 0; i < cities.count(); ++i) {
        const QString& line = cities.cityZipLines().at(i);
        const QString& entry = cities.cityEntries().at(i);
        FUZZ_CHECK(line.startsWith(entry + QLatin1Char(',')), QStringLiteral("entry %1").arg(i));
        FUZZ_CHECK(!entry.contains(QLatin1Char(',')), entry);

        // Another city: the list is built again, an empty entry first, then the zip codes.
        const QStringList fields = line.split(QLatin1Char(','));
        // No line holds a line break: "\n" is another city than any.
        const CityChoice other = CityLookup::chooseCity(line, QStringLiteral("\n"));
        FUZZ_CHECK(other.rebuildZipList, "a city that differs kept the zip list");
        FUZZ_CHECK(other.zipEntries.size() == 1 + qMax<qsizetype>(0, fields.size() - 2),
                   QString::number(other.zipEntries.size()));
        FUZZ_CHECK(other.zipEntries.first().isEmpty(), "the first zip entry is not empty");
        for (qsizetype z = 1; z < other.zipEntries.size(); ++z)
            FUZZ_CHECK(other.zipEntries.at(z) == fields.at(z + 1), QString::number(z));
        // The same city again (as the window holds it, blanks around it) keeps the list.
        if (TextValue::trimBlanks(entry) == entry) {
            const CityChoice same = CityLookup::chooseCity(line, QStringLiteral(" %1 ").arg(entry));
            FUZZ_CHECK(!same.rebuildZipList, "the same city rebuilt the zip list");
        }
    }
    return 0;
}
