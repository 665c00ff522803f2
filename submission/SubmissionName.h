#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <optional>

// The name of a submission file, built from the provider code, the moment of naming and the
// counter: Submit/Lead_123456_20261206_105255_0001.txt. The moment is to the second and the
// counter never repeats, so two submissions never share a name.
namespace SubmissionName {

// "Lead_" + code without surrounding blanks + "_" + yyyyMMdd_HHmmss + "_" + counter with at
// least four digits + ".txt". Only for a code that ProviderCode::isSet passes.
QString fileName(const QString& providerCode, const QDateTime& moment, int counter);

// What a submission file's name tells.
struct ParsedName {
    QString providerCode;
    QDate date; // the local moment of naming, to the second
    QTime time;
    qulonglong counter = 0;
};

// The parts of a name of the form Lead_<code>_<yyyyMMdd>_<HHmmss>_<counter>.txt, with a code
// free of "_", a real date and time and a counter of 4 to 18 digits; nothing for any other name
// (a copy such as ".txt.bak", the hidden ".part" of a copy being made, a hand-made "Lead_x.txt").
std::optional<ParsedName> parse(const QString& fileName);

// Whether a was made after b. The counter is advanced on the disk before each file is made and
// so never repeats: the higher counter is the newer file. Only when the counter file was lost or
// restored from a backup do numbers start again; equal counters go by the moment of naming.
bool isNewer(const ParsedName& a, const ParsedName& b);

// "MM/DD/YYYY HH:MM", as the history lists the moment of naming.
QString createdText(const ParsedName& name);

// The name relative to AppPath with the platform's separator in front:
// "/Submit/Lead_123456_20261206_105255_0001.txt".
QString relativeName(const QString& fileName);

// The report shown once the file exists.
QString reportTitle();
QString reportText(const QString& appPath, const QString& relativeName);

} // namespace SubmissionName
