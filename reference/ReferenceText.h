#pragma once

#include "storage/FileStatus.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The reference files (physician.txt, cmcityzip.txt) are 8-bit Windows-1252 text prepared
// outside the program. A line ends with CR LF, a CR alone or a lone LF; the end of the file ends
// the last line, so a final line break adds no empty line. Lines are kept exactly as read: nothing
// is trimmed and empty lines are kept.

namespace ReferenceText {

// The lines of the bytes of a reference file.
QStringList splitLines(const QByteArray& bytes);

// Reads the whole file into lines. On failure lines is empty and the status names the file.
FileStatus readLines(const QString& path, QStringList& lines);

} // namespace ReferenceText
