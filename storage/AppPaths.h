#pragma once

#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QString>

// Every file and folder name of the program: AppPath followed by a fixed relative path.
struct AppPaths {
    QString appPath;

    // Names inside their folders.
    static QString dataFileName() { return QStringLiteral("Korvanel.dat"); }
    static QString tempFileName() { return QStringLiteral("Korvanel.tmp"); }
    static QString submitFolderName() { return QStringLiteral("Submit"); }
    // Hidden, so that nothing collecting Submit/Lead_*.txt takes a copy still being written.
    static QString submissionTemporaryName(const QString& fileName) {
        return QLatin1Char('.') + fileName + QStringLiteral(".part");
    }

    QString join(std::initializer_list<QString> parts) const {
        QString path = appPath;
        for (const QString& part : parts)
            path += QDir::separator() + part;
        return path;
    }
    QString appData() const { return join({QStringLiteral("AppData")}); }
    QString dataFile() const { return join({QStringLiteral("AppData"), dataFileName()}); }
    QString tempFile() const { return join({QStringLiteral("AppData"), tempFileName()}); }
    QString submit() const { return join({submitFolderName()}); }
    QString submissionFile(const QString& fileName) const {
        return join({submitFolderName(), fileName});
    }
    QString submissionTemporary(const QString& fileName) const {
        return join({submitFolderName(), submissionTemporaryName(fileName)});
    }
    QString printed() const { return join({QStringLiteral("Printed")}); }
    // The PDF written when a record could not be printed: Printed/Record_2_20261206_140509.pdf.
    QString printedPage(int record, const QDateTime& moment) const {
        return join({QStringLiteral("Printed"),
                     QStringLiteral("Record_%1_%2.pdf")
                         .arg(record)
                         .arg(QLocale::c().toString(moment, QStringLiteral("yyyyMMdd_HHmmss")))});
    }
    // The PDF written when a submission file's list could not be printed:
    // Printed/List_Lead_123456_20261206_105255_0001_20261207_090000.pdf.
    QString printedList(const QString& submissionFile, const QDateTime& moment) const {
        QString base = submissionFile;
        if (base.endsWith(QLatin1String(".txt")))
            base.chop(4);
        return join(
            {QStringLiteral("Printed"),
             QStringLiteral("List_%1_%2.pdf")
                 .arg(base, QLocale::c().toString(moment, QStringLiteral("yyyyMMdd_HHmmss")))});
    }
    QString physicianFile() const {
        return join({QStringLiteral("AppData"), QStringLiteral("physician.txt")});
    }
    QString cityFile() const {
        return join({QStringLiteral("AppData"), QStringLiteral("cmcityzip.txt")});
    }
    QString providerFile() const {
        return join({QStringLiteral("AppData"), QStringLiteral("provider.txt")});
    }
    QString counterFile() const {
        return join({QStringLiteral("AppData"), QStringLiteral("nextfile.txt")});
    }
    // Names the submission file being made, from before its copy until the data file is gone.
    QString submissionNote() const {
        return join({QStringLiteral("AppData"), QStringLiteral("submitting.txt")});
    }

    // The folder that holds the running program, without a trailing separator.
    static QString fromProgramFolder(const QString& folder) {
        QString path = QDir::toNativeSeparators(folder);
        if (path.size() > 1 && path.endsWith(QDir::separator()))
            path.chop(1);
        return path;
    }
};
