#pragma once

#include "printing/Printer.h"

// The default printer through Qt Print Support. Each page is drawn line by line in 12-point
// "Courier New" from the top-left corner of the printable area; the printer's own paper,
// orientation and margins are used unchanged. With no default printer, or one that cannot be
// opened, the same pages are written as a PDF (0600, in a 0700 folder) instead, never into a
// folder it is kept out of.
class QtPrinter : public Printer {
public:
    explicit QtPrinter(const QString& documentName = QStringLiteral("Korvanel Record"));

    PrintOutcome printPage(const QStringList& lines, const QString& pdfFallbackPath) override;
    PrintOutcome printDocument(const PrintedDocument& document, const QString& pdfFallbackPath,
                               const PrintProgress& progress = {}) override;

    // Folders no PDF is ever written into, under any name (the program's AppData and Submit).
    void keepOutOf(const QStringList& folders) { keptOutOf_ = folders; }

private:
    QString documentName_;
    QStringList keptOutOf_;
};
