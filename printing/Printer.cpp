#include "printing/Printer.h"

PrintedDocument::~PrintedDocument() = default;

QStringList PrintedDocument::lines() const {
    QStringList all;
    for (int i = 0; i < pageCount(); ++i) {
        if (i > 0)
            all << Printer::pageBreak();
        all << page(i);
    }
    return all;
}

PagesOfLines::PagesOfLines(const QStringList& lines) {
    pages_.append(QStringList());
    for (const QString& line : lines) {
        if (line == Printer::pageBreak())
            pages_.append(QStringList());
        else
            pages_.last().append(line);
    }
}

Printer::~Printer() = default;

PrintOutcome Printer::printDocument(const PrintedDocument& document, const QString& pdfFallbackPath,
                                    const PrintProgress& progress) {
    const QStringList lines = document.lines();
    if (progress)
        progress(document.pageCount(), document.pageCount());
    return printPage(lines, pdfFallbackPath);
}
