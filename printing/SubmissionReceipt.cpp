#include "printing/SubmissionReceipt.h"

#include "printing/PrintedPage.h"
#include "printing/Printer.h"
#include "validation/RecordList.h"

#include <algorithm>

namespace {

const QString kIndent(10, QLatin1Char(' '));

// The columns: a text padded (or cut) to width, then one blank.
QString column(const QString& text, int width) {
    return text.left(width).leftJustified(width) + QLatin1Char(' ');
}

// One line of the record table, without trailing blanks. A number column wider than its usual 4
// takes the room from the indent, so that no line is wider than a page holds.
QString recordLine(int numberWidth, const QString& number, const QString& last,
                   const QString& first, const QString& born, const QString& taken,
                   const QString& result) {
    const int indent = std::max(0, int(kIndent.size()) - (numberWidth - 4));
    QString line = QString(indent, QLatin1Char(' ')) + column(number, numberWidth) +
                   column(last, 20) + column(first, 12) + column(born, 10) + column(taken, 10) +
                   result.left(6);
    while (line.endsWith(QLatin1Char(' ')))
        line.chop(1);
    return line;
}

} // namespace

QStringList SubmissionReceipt::lines(const QString& fileName, const QDateTime& created,
                                     const QList<ResultRecord>& records,
                                     const QDateTime& printedAt) {
    return pages(fileName, created, records, printedAt).lines();
}

PagedList SubmissionReceipt::pages(const QString& fileName, const QDateTime& created,
                                   const QList<ResultRecord>& records, const QDateTime& printedAt) {
    // The records are shared with the caller's list, not copied.
    return pages(
        fileName, created, int(records.size()), [records](int i) { return records.at(i); },
        printedAt);
}

PagedList SubmissionReceipt::pages(const QString& fileName, const QDateTime& created, int count,
                                   std::function<ResultRecord(int)> recordAt,
                                   const QDateTime& printedAt) {
    using F = ResultRecord;
    // Wide enough for the last record's number, so that every number prints whole.
    const int numberWidth = std::max(4, int(QString::number(count).size()));
    auto heading = [fileName, created, printedAt, count, numberWidth](int page, int pages) {
        QStringList lines;
        lines << QString() << QString();
        lines << kIndent + QStringLiteral("Korvanel\u00AE II Blood Lead Result") +
                     QString(12, QLatin1Char(' ')) + PrintedPage::timeStamp(printedAt);
        lines << QString();
        lines << kIndent + QStringLiteral("Submission Receipt, page %1 of %2").arg(page).arg(pages);
        lines << kIndent + QStringLiteral("File:     ") + fileName;
        // The first page's heading is two lines longer; every later page holds the same number.
        if (page == 1) {
            lines << kIndent + QStringLiteral("Created:  ") + PrintedPage::timeStamp(created);
            lines << kIndent + QStringLiteral("Records:  ") + QString::number(count);
        }
        lines << QString();
        lines << recordLine(numberWidth, QStringLiteral("No."), QStringLiteral("Last Name"),
                            QStringLiteral("First Name"), QStringLiteral("Born"),
                            QStringLiteral("Taken"), QStringLiteral("Result"));
        lines << recordLine(numberWidth, QString(numberWidth, QLatin1Char('-')),
                            QString(20, QLatin1Char('-')), QString(12, QLatin1Char('-')),
                            QString(10, QLatin1Char('-')), QString(10, QLatin1Char('-')),
                            QString(6, QLatin1Char('-')));
        return lines;
    };
    auto row = [recordAt = std::move(recordAt), numberWidth](int i) {
        const ResultRecord record = recordAt(i);
        return QStringList{recordLine(numberWidth, QString::number(i + 1),
                                      record.trimmed(F::LastName), record.trimmed(F::FirstName),
                                      RecordList::displayDate(record.trimmed(F::DateOfBirth)),
                                      RecordList::displayDate(record.trimmed(F::DateTaken)),
                                      RecordList::displayResult(record))};
    };
    return PagedList(count, 1, LinesPerPage, heading, row);
}
