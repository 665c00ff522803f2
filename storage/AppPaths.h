#pragma once

#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QString>

// Every file and folder name of the program: AppPath followed by a fixed relative path.
struct AppPaths {
    QString appPath;

    // Names inside their folders.
    static QString appDataFolderName() { return QStringLiteral("AppData"); }
    static QString dataFileName() { return QStringLiteral("Korvanel.dat"); }
    static QString tempFileName() { return QStringLiteral("Korvanel.tmp"); }
    // The data file with records appended all at once, before it takes the data file's place.
    static QString importFileName() { return QStringLiteral("Korvanel.imp"); }
    static QString submitFolderName() { return QStringLiteral("Submit"); }
    static QString printedFolderName() { return QStringLiteral("Printed"); }
    // Hidden, so that nothing collecting Submit/Lead_*.txt takes a copy still being written.
    static QString submissionTemporaryName(const QString& fileName) {
        return QLatin1Char('.') + fileName + submissionTemporarySuffix();
    }
    // The file name whose copy being made has this name; empty for a name of another form.
    static QString submissionOfTemporaryName(const QString& name) {
        const QString suffix = submissionTemporarySuffix();
        if (name.size() <= 1 + suffix.size() || !name.startsWith(QLatin1Char('.')) ||
            !name.endsWith(suffix))
            return QString();
        return name.mid(1, name.size() - 1 - suffix.size());
    }
    // The copy that replaces a file's whole content, written and flushed beside it first.
    static QString replacementPath(const QString& path) { return path + QStringLiteral(".new"); }
    // A hidden name beside fileName that no other program picks, from a random number:
    // .out.csv.3f9c0a17b2d4e851.tmp.
    static QString uniqueTemporaryName(const QString& fileName, quint64 random) {
        return QStringLiteral(".%1.%2.tmp").arg(fileName).arg(random, 16, 16, QLatin1Char('0'));
    }

    QString join(std::initializer_list<QString> parts) const {
        QString path = appPath;
        for (const QString& part : parts)
            path += QDir::separator() + part;
        return path;
    }
    QString appData() const { return join({appDataFolderName()}); }
    QString dataFile() const { return join({appDataFolderName(), dataFileName()}); }
    QString submit() const { return join({submitFolderName()}); }
    QString submissionFile(const QString& fileName) const {
        return join({submitFolderName(), fileName});
    }
    QString submissionTemporary(const QString& fileName) const {
        return join({submitFolderName(), submissionTemporaryName(fileName)});
    }
    QString printed() const { return join({printedFolderName()}); }
    // The PDF written when a record could not be printed: Printed/Record_2_20261206_140509.pdf.
    QString printedPage(int record, const QDateTime& moment) const {
        return join({printedFolderName(),
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
            {printedFolderName(),
             QStringLiteral("List_%1_%2.pdf")
                 .arg(base, QLocale::c().toString(moment, QStringLiteral("yyyyMMdd_HHmmss")))});
    }
    // The PDF written when the Follow-Up Due list could not be printed:
    // Printed/FollowUp_20261207_090000.pdf.
    QString printedFollowUp(const QDateTime& moment) const {
        return join({printedFolderName(),
                     QStringLiteral("FollowUp_%1.pdf")
                         .arg(QLocale::c().toString(moment, QStringLiteral("yyyyMMdd_HHmmss")))});
    }
    QString physicianFile() const {
        return join({appDataFolderName(), QStringLiteral("physician.txt")});
    }
    QString cityFile() const {
        return join({appDataFolderName(), QStringLiteral("cmcityzip.txt")});
    }
    QString providerFile() const {
        return join({appDataFolderName(), QStringLiteral("provider.txt")});
    }
    QString counterFile() const {
        return join({appDataFolderName(), QStringLiteral("nextfile.txt")});
    }
    // Names the submission file being made, from before its copy until the data file is gone.
    QString submissionNote() const {
        return join({appDataFolderName(), QStringLiteral("submitting.txt")});
    }
    // One lock per program folder, kept in AppData beside the data it guards, so that a copy
    // started by another login, another user or another machine on the same folder sees it too.
    // Its name is none of the data files'.
    QString instanceLock() const {
        return join({appDataFolderName(), QStringLiteral("instance.lock")});
    }

    // The folder that holds the running program, without a trailing separator.
    static QString fromProgramFolder(const QString& folder) {
        QString path = QDir::toNativeSeparators(folder);
        if (path.size() > 1 && path.endsWith(QDir::separator()))
            path.chop(1);
        return path;
    }

private:
    static QString submissionTemporarySuffix() { return QStringLiteral(".part"); }
};
