#pragma once

#include <QDateTime>
#include <QString>

// The name of a submission file, built from the provider code, the moment of naming and the
// counter: Submit/Lead_123456_20261206_105255_0001.txt. The moment is to the second and the
// counter never repeats, so two submissions never share a name.
namespace SubmissionName {

// "Lead_" + code without surrounding blanks + "_" + yyyyMMdd_HHmmss + "_" + counter with at
// least four digits + ".txt". Only for a code that ProviderCode::isSet passes.
QString fileName(const QString& providerCode, const QDateTime& moment, int counter);

// The name relative to AppPath with the platform's separator in front:
// "/Submit/Lead_123456_20261206_105255_0001.txt".
QString relativeName(const QString& fileName);

// The report shown once the file exists.
QString reportTitle();
QString reportText(const QString& appPath, const QString& relativeName);

} // namespace SubmissionName
