#include "submission/SubmissionName.h"

#include "storage/AppPaths.h"
#include "storage/TextValue.h"

#include <QDir>
#include <QLocale>
#include <QRegularExpression>
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

std::optional<SubmissionName::ParsedName> SubmissionName::parse(const QString& fileName) {
    static const QRegularExpression form(
        QStringLiteral(R"(^Lead_([^_]+)_(\d{8})_(\d{6})_(\d{4,18})\.txt$)"));
    const QRegularExpressionMatch match = form.match(fileName);
    if (!match.hasMatch())
        return std::nullopt;
    ParsedName name;
    name.providerCode = match.captured(1);
    name.date = QDate::fromString(match.captured(2), QStringLiteral("yyyyMMdd"));
    name.time = QTime::fromString(match.captured(3), QStringLiteral("HHmmss"));
    name.counter = match.captured(4).toULongLong();
    if (!name.date.isValid() || !name.time.isValid())
        return std::nullopt;
    return name;
}

bool SubmissionName::isNewer(const ParsedName& a, const ParsedName& b) {
    if (a.counter != b.counter)
        return a.counter > b.counter;
    if (a.date != b.date)
        return a.date > b.date;
    return a.time > b.time;
}

QString SubmissionName::createdText(const ParsedName& name) {
    return QLocale::c().toString(name.date, QStringLiteral("MM/dd/yyyy")) + QLatin1Char(' ') +
           QLocale::c().toString(name.time, QStringLiteral("HH:mm"));
}
