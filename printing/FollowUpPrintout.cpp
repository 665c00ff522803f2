#include "printing/FollowUpPrintout.h"

#include "printing/PrintedPage.h"
#include "printing/Printer.h"
#include "printing/SubmissionReceipt.h"

namespace {

const QString kIndent(10, QLatin1Char(' '));

// A text padded (or cut) to width, then one blank.
QString column(const QString& text, int width) {
    return text.left(width).leftJustified(width) + QLatin1Char(' ');
}

QString withoutTrailingBlanks(QString line) {
    while (line.endsWith(QLatin1Char(' ')))
        line.chop(1);
    return line;
}

QString childLine(const QString& last, const QString& first, const QString& born,
                  const QString& status) {
    return withoutTrailingBlanks(kIndent + column(last, 20) + column(first, 12) + column(born, 10) +
                                 status.left(20));
}

QString testLine(const QString& nextTest, const QString& dueBy, const QString& latest) {
    return withoutTrailingBlanks(kIndent + QStringLiteral("  ") + column(nextTest, 19) +
                                 column(dueBy, 10) + latest.left(40));
}

} // namespace

QStringList FollowUpPrintout::lines(const QString& summary, const QStringList& fileLines,
                                    const QList<FollowUpRow>& rows, const QDateTime& printedAt) {
    return lines(
        summary, fileLines, int(rows.size()), [&rows](int i) { return rows.at(i); }, printedAt);
}

QStringList FollowUpPrintout::lines(const QString& summary, const QStringList& fileLines, int count,
                                    const std::function<FollowUpRow(int)>& rowAt,
                                    const QDateTime& printedAt) {
    return pages(summary, fileLines, count, rowAt, printedAt).lines();
}

PagedList FollowUpPrintout::pages(const QString& summary, const QStringList& fileLines, int count,
                                  std::function<FollowUpRow(int)> rowAt,
                                  const QDateTime& printedAt) {
    auto heading = [summary, fileLines, printedAt](int page, int pages) {
        QStringList lines;
        lines << QString() << QString();
        lines << kIndent + QStringLiteral("Korvanel\u00AE II Blood Lead Result") +
                     QString(12, QLatin1Char(' ')) + PrintedPage::timeStamp(printedAt);
        lines << QString();
        lines << kIndent + QStringLiteral("Follow-Up Due, page %1 of %2").arg(page).arg(pages);
        if (page == 1) {
            lines << kIndent + summary;
            for (const QString& line : fileLines)
                lines << kIndent + line;
        }
        lines << QString();
        lines << childLine(QStringLiteral("Last Name"), QStringLiteral("First Name"),
                           QStringLiteral("Born"), QStringLiteral("Status"));
        lines << testLine(QStringLiteral("Next Test"), QStringLiteral("Due By"),
                          QStringLiteral("Latest Result"));
        lines << childLine(QString(20, QLatin1Char('-')), QString(12, QLatin1Char('-')),
                           QString(10, QLatin1Char('-')), QString(16, QLatin1Char('-')));
        return lines;
    };
    auto row = [rowAt = std::move(rowAt)](int i) {
        const FollowUpRow row = rowAt(i);
        return QStringList{childLine(row.lastName, row.firstName, row.dateOfBirth, row.status),
                           testLine(row.nextTest, row.dueByText, row.latestResult)};
    };
    return PagedList(count, 2, SubmissionReceipt::LinesPerPage, heading, row);
}
