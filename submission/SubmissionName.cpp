#include "submission/SubmissionName.h"

#include "storage/AppPaths.h"
#include "storage/TextValue.h"

#include <QDir>
#include <QLocale>
#include <QStringList>

QString SubmissionName::fileName(const QString& providerCode, const QDateTime& moment,
                                 int counter) {
    return QStringLiteral("Lead_%1_%2_%3.txt")
        .arg(TextValue::trimBlanks(providerCode),
             QLocale::c().toString(moment, QStringLiteral("yyyyMMdd_HHmmss")),
             QStringLiteral("%1").arg(counter, 4, 10, QLatin1Char('0')));
}

QString SubmissionName::relativeName(const QString& fileName) {
    const QChar separator = QDir::separator();
    return separator + AppPaths::submitFolderName() + separator + fileName;
}

QString SubmissionName::reportTitle() {
    return QStringLiteral("Electronic Submission File Created");
}

QString SubmissionName::reportText(const QString& appPath, const QString& relativeName) {
    const QStringList lines = {
        QStringLiteral("Electronic Submission File:"),
        QStringLiteral("Path: ") + appPath,
        QStringLiteral("File: ") + relativeName,
        QStringLiteral("has been created."),
        QString(),
        QStringLiteral("Application will now exit."),
    };
    return lines.join(QStringLiteral("\r\n"));
}
