#pragma once

#include "storage/RecordFile.h"
#include "storage/ResultRecord.h"
#include "submission/SubmissionHistory.h"
#include "support/TestRecords.h"
#include "validation/RecordList.h"

#include <QDir>
#include <QFile>
#include <QStringList>

// The history as reading every submission file whole at once tells it, in the files' order the
// listing gives, to hold the streamed and threaded history against; and a folder of files whose
// records cross the pieces a file is read in, damaged in every way a file can be.
namespace HistoryReference {

inline ResultRecord patient(int i) {
    static const char* const last[] = {"Smith", "Novak", "Peña", "SMITHSON", "Okafor", "Jones"};
    static const char* const first[] = {"Anna", "Eva", "José", "Carl", "Chidi", "Li", "Ivo"};
    ResultRecord record = TestRecords::newRecord("123456");
    record.set(ResultRecord::LastName, QString::fromUtf8(last[i % 6]) + QString::number(i % 7));
    record.set(ResultRecord::FirstName, QString::fromUtf8(first[i % 7]));
    record.set(ResultRecord::DateOfBirth, QString("%1%2%3")
                                              .arg(1 + i % 12, 2, 10, QChar('0'))
                                              .arg(1 + i % 28, 2, 10, QChar('0'))
                                              .arg(2010 + i % 13));
    record.set(ResultRecord::DateTaken, QString("0%1152025").arg(1 + i % 9));
    return record;
}

inline QByteArray records(int from, int count) {
    QByteArray bytes;
    for (int i = from; i < from + count; ++i)
        bytes += patient(i).encode();
    return bytes;
}

inline bool write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Files of a few records, and files that end or lose a line end where one piece read ends and
// the next begins (2,048 records).
inline bool writeFolder(const QString& folder) {
    QByteArray lineEndsLost = records(5000, 4097);
    for (int n : {2047, 2048, 2049, 4097})
        lineEndsLost[qsizetype(n) * ResultRecord::Size - 1] = 'x';
    return write(folder + "/Lead_123456_20250105_093000_0001.txt", records(0, 3)) &&
           write(folder + "/Lead_123456_20250106_093000_0002.txt",
                 records(10, 2100) + records(3000, 1).left(150)) &&
           write(folder + "/Lead_123456_20250107_093000_0003.txt", lineEndsLost.chopped(1)) &&
           write(folder + "/Lead_123456_20250108_093000_0004.txt", QByteArray()) &&
           write(folder + "/Lead_123456_20250109_093000_0005.txt", records(20, 1).left(60)) &&
           write(folder + "/Lead_123456_20250110_093000_0006.txt",
                 records(30, 2048) + records(40, 1).left(99)) &&
           write(folder + "/notes.txt", "kept by the office");
}

// Between two openings: a file added, one removed, one grown, one cut short, one rewritten.
inline bool changeFolder(const QString& folder) {
    QFile grown(folder + "/Lead_123456_20250105_093000_0001.txt");
    return QFile::remove(folder + "/Lead_123456_20250108_093000_0004.txt") &&
           grown.open(QIODevice::Append) && grown.write(records(8000, 5)) > 0 &&
           QFile::resize(folder + "/Lead_123456_20250106_093000_0002.txt", 2049 * 198 + 100) &&
           write(folder + "/Lead_123456_20250110_093000_0006.txt", records(9000, 7)) &&
           write(folder + "/Lead_123456_20250111_093000_0007.txt", records(9100, 2500));
}

struct Whole {
    QStringList files; // name, record count, damage
    QList<RecordFile> contents;
    QStringList names;
};

// Each file the history lists, read whole.
inline Whole read(const SubmissionHistory& listed) {
    Whole whole;
    for (int f = 0; f < listed.files().size(); ++f) {
        RecordFile content;
        RecordFile::read(listed.filePath(f), content);
        whole.names << listed.files().at(f).fileName;
        whole.files << QString("%1 %2 %3")
                           .arg(listed.files().at(f).fileName)
                           .arg(content.recordCount())
                           .arg(content.damage());
        whole.contents << content;
    }
    return whole;
}

// Every record the filter accepts, as "file name:record number", newest file first.
inline QStringList found(const Whole& whole, const QString& typed) {
    const RecordFilter filter(typed);
    QStringList places;
    if (filter.isEmpty())
        return places;
    using F = ResultRecord;
    for (int f = 0; f < whole.contents.size(); ++f) {
        const RecordFile& content = whole.contents.at(f);
        for (int n = 1; n <= content.recordCount(); ++n) {
            if (filter.accepts({content.field(n, F::LastName).toCaseFolded(),
                                content.field(n, F::FirstName).toCaseFolded(),
                                content.field(n, F::DateOfBirth), content.field(n, F::DateTaken)}))
                places << QString("%1:%2").arg(whole.names.at(f)).arg(n);
        }
    }
    return places;
}

// What the history tells of its files once read.
inline QStringList files(const SubmissionHistory& history) {
    QStringList files;
    for (const SubmissionFile& file : history.files())
        files << QString("%1 %2 %3").arg(file.fileName).arg(file.recordCount()).arg(file.damage());
    return files;
}

inline QStringList places(const SubmissionHistory& history, const QList<SubmittedRecord>& found) {
    QStringList places;
    for (const SubmittedRecord& place : found)
        places << QString("%1:%2").arg(history.files().at(place.file).fileName).arg(place.number);
    return places;
}

inline const QStringList& searches() {
    static const QStringList texts = {"smith", "peña", "ivo", "07/04", "2019", "06-1", "zz"};
    return texts;
}

} // namespace HistoryReference
