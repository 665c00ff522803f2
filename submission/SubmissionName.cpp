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

namespace {

// The number written by the digits; false when anything else is there or there are none.
bool digitsValue(QStringView text, qulonglong& value) {
    value = 0;
    for (const QChar ch : text) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return false;
        value = value * 10 + ch.unicode() - '0';
    }
    return !text.isEmpty();
}

int number(QStringView digits) {
    qulonglong value = 0;
    digitsValue(digits, value);
    return int(value);
}

} // namespace

// Read by hand rather than by a pattern and a date format: the history reads every name in
// Submit each time it opens.
std::optional<SubmissionName::ParsedName> SubmissionName::parse(const QString& fileName) {
    const QLatin1String prefix("Lead_");
    const QLatin1String suffix(".txt");
    if (!fileName.startsWith(prefix) || !fileName.endsWith(suffix))
        return std::nullopt;
    const QStringView body =
        QStringView(fileName).mid(prefix.size(), fileName.size() - prefix.size() - suffix.size());
    // code _ yyyyMMdd _ HHmmss _ counter
    const qsizetype counterStart = body.lastIndexOf(QLatin1Char('_')) + 1;
    const qsizetype counterLength = body.size() - counterStart;
    const qsizetype codeLength = counterStart - 1 - 7 - 9;
    if (counterStart <= 0 || counterLength < 4 || counterLength > 18 || codeLength < 1)
        return std::nullopt;
    const QStringView code = body.left(codeLength);
    const QStringView date = body.mid(codeLength + 1, 8);
    const QStringView time = body.mid(codeLength + 10, 6);
    qulonglong unused = 0;
    ParsedName name;
    if (code.contains(QLatin1Char('_')) || body.at(codeLength) != QLatin1Char('_') ||
        body.at(codeLength + 9) != QLatin1Char('_') || !digitsValue(date, unused) ||
        !digitsValue(time, unused) || !digitsValue(body.mid(counterStart), name.counter))
        return std::nullopt;
    name.providerCode = code.toString();
    name.date = QDate(number(date.left(4)), number(date.mid(4, 2)), number(date.mid(6, 2)));
    name.time = QTime(number(time.left(2)), number(time.mid(2, 2)), number(time.mid(4, 2)));
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
