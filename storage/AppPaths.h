#pragma once

#include <QDir>
#include <QString>

// The program's files, each AppPath followed by a fixed relative path.
struct AppPaths {
    QString appPath;

    QString join(std::initializer_list<const char*> parts) const {
        QString path = appPath;
        for (const char* part : parts)
            path += QDir::separator() + QLatin1String(part);
        return path;
    }
    QString appData() const { return join({"AppData"}); }
    QString dataFile() const { return join({"AppData", "Korvanel.dat"}); }
    QString submit() const { return join({"Submit"}); }
    QString printed() const { return join({"Printed"}); }
    QString physicianFile() const { return join({"AppData", "physician.txt"}); }
    QString cityFile() const { return join({"AppData", "cmcityzip.txt"}); }
    QString providerFile() const { return join({"AppData", "provider.txt"}); }
    QString counterFile() const { return join({"AppData", "nextfile.txt"}); }

    // The folder that holds the running program, without a trailing separator.
    static QString fromProgramFolder(const QString& folder) {
        QString path = QDir::toNativeSeparators(folder);
        if (path.size() > 1 && path.endsWith(QDir::separator()))
            path.chop(1);
        return path;
    }
};
