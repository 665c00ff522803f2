// Prepares a program folder for the sweep and the benchmarks: AppData with COUNT complete records
// (last names Record1, Record2...), provider code 123456, PHYSICIANS physicians (two by default)
// and, when CITIES is given, a city file of that many lines.
// Usage: tool_seedfolder APP_PATH COUNT [CITIES [PHYSICIANS]]
#include "support/MainWindowFixture.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tool_seedfolder APP_PATH COUNT [CITIES [PHYSICIANS]]\n");
        return 2;
    }
    const QString appData = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/AppData");
    const int count = QString::fromLatin1(argv[2]).toInt();
    const int cities = argc > 3 ? QString::fromLatin1(argv[3]).toInt() : 0;
    const int physicians = argc > 4 ? QString::fromLatin1(argv[4]).toInt() : 0;
    if (!QDir().mkpath(appData))
        return 1;
    QByteArray records;
    records.reserve(qsizetype(count) * ResultRecord::Size);
    for (int n = 1; n <= count; ++n)
        records += MainWindowFixture::completeRecord(QStringLiteral("Record%1").arg(n)).encode();
    QByteArray physicianLines = "Dr. Jones\r\nDr. Brown\r\n";
    for (int n = 3; n <= physicians; ++n)
        physicianLines += QStringLiteral("Dr. Physician%1\r\n").arg(n).toLatin1();
    bool ok = writeFile(appData + "/Korvanel.dat", records) &&
              writeFile(appData + "/provider.txt", "123456") &&
              writeFile(appData + "/physician.txt", physicianLines);
    if (cities > 0) {
        QByteArray lines;
        for (int n = 1; n <= cities; ++n)
            lines += QStringLiteral("City%1,X,%2,%3\r\n")
                         .arg(n)
                         .arg(10000 + n % 89999, 5, 10, QLatin1Char('0'))
                         .arg(10001 + n % 89998, 5, 10, QLatin1Char('0'))
                         .toLatin1();
        ok = ok && writeFile(appData + "/cmcityzip.txt", lines);
    }
    return ok ? 0 : 1;
}
