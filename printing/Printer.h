#pragma once

#include <QString>
#include <QStringList>

// What became of a page handed to the printer.
class PrintOutcome {
public:
    enum Kind { Printed, SavedAsPdf, Failed };

    static PrintOutcome printed() { return PrintOutcome(Printed, QString()); }
    static PrintOutcome savedAsPdf(const QString& path) { return PrintOutcome(SavedAsPdf, path); }
    static PrintOutcome failed(const QString& reason) { return PrintOutcome(Failed, reason); }

    Kind kind() const { return kind_; }
    // The PDF written instead of printing (SavedAsPdf only).
    QString pdfPath() const { return kind_ == SavedAsPdf ? detail_ : QString(); }
    // Why nothing was printed or saved (Failed only).
    QString reason() const { return kind_ == Failed ? detail_ : QString(); }

private:
    PrintOutcome(Kind kind, const QString& detail) : kind_(kind), detail_(detail) {}
    Kind kind_;
    QString detail_;
};

// Prints one page of fixed-pitch lines on the default printer. When there is no printer to take
// it, the page is written as a PDF to the fallback path instead, so the operator still gets it.
class Printer {
public:
    virtual ~Printer();
    virtual PrintOutcome printPage(const QStringList& lines, const QString& pdfFallbackPath) = 0;
};
