#pragma once

#include "storage/FileStatus.h"

#include <QByteArray>
#include <QString>

// The number of the next submission file, kept as record 1 of the counter file
// AppData/nextfile.txt: 6 bytes, decimal digits left-aligned and padded with blanks, no line
// break. Bytes after the sixth belong to nobody and are never read or changed.
//
// The counter never wraps and never repeats: it runs on past 32767 up to 999999, and once the
// next value would not fit in the 6 bytes it refuses instead of starting again.
namespace SubmissionCounter {

constexpr int RecordLength = 6;
constexpr int Largest = 999999;

// The counter that record 1 stands for: its leading number, any fraction dropped; a record
// with no number, 0 or a negative number gives 1.
int valueOf(const QByteArray& record);

// The 6-byte record for a value: its digits left-aligned, padded with blanks ("2     ").
// Only for values from 1 to Largest.
QByteArray format(int value);

// Reads record 1, creating the file empty (0600) when it is missing.
FileStatus read(const QString& path, int& value);

// Writes the value as record 1 in place and returns once it is on the disk; the rest of the
// file is kept.
FileStatus write(const QString& path, int value);

// Takes the counter for a new submission: reads it, writes the following value back (on the
// disk before this returns) and hands out the value read, or lowest when the value read is
// below it (a counter file lost or restored from a backup while Submit already holds higher
// numbers). When the following value would not fit, nothing is written and the failure says
// why.
FileStatus advance(const QString& path, int& taken, qulonglong lowest = 1);

} // namespace SubmissionCounter
