// Loading the city list at start-up: reading a 32,767-line city file, splitting it into lines and
// building the list, against only reading the same file into memory.

#include "reference/CityList.h"
#include "reference/ReferenceText.h"
#include "storage/SafeFile.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kLines = 32767;
constexpr int kRuns = 9;

QByteArray cityFile() {
    QByteArray bytes;
    for (int i = 0; i < kLines; ++i) {
        bytes += "CITY NUMBER " + QByteArray::number(i) + ",X";
        for (int zip = 0; zip < 4; ++zip)
            bytes += ',' + QByteArray::number(10000 + (i * 4 + zip) % 90000);
        bytes += "\r\n";
    }
    return bytes;
}

template <typename Work> double medianMs(Work work) {
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main() {
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QString path = dir.filePath("cmcityzip.txt");
    const QByteArray content = cityFile();
    const FileStatus written = SafeFile::replaceContent(path, content);
    if (!written) {
        std::fprintf(stderr, "%s\n", qPrintable(written.describe()));
        return 1;
    }

    qsizetype sink = 0;
    const double readOnly = medianMs([&] {
        QByteArray bytes;
        SafeFile::readPrefix(path, bytes);
        sink += bytes.size();
    });
    const double load = medianMs([&] {
        QStringList lines;
        ReferenceText::readLines(path, lines);
        const CityList cities = CityList::fromLines(lines);
        sink += cities.count();
    });

    std::printf("city list of %d lines (%lld bytes), median of %d runs\n", kLines,
                static_cast<long long>(content.size()), kRuns);
    std::printf("  read file only:          %8.2f ms\n", readOnly);
    std::printf("  read + split + city list:%8.2f ms\n", load);
    std::printf("  ratio load / read:       %8.1f x\n", readOnly > 0 ? load / readOnly : 0.0);
    std::printf("  (checksum %lld)\n", static_cast<long long>(sink));
    return 0;
}
