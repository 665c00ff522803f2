#pragma once

#include <QString>
#include <QStringList>

// What became of a page handed to the printer.
class PrintOutcome {
public:
    enum Kind { Printed, SavedAsPdf, Failed };

    static PrintOutcome printed() { return PrintOutcome(Printed, QString(), QString()); }
    static PrintOutcome savedAsPdf(const QString& path, const QString& whyNotPrinted) {
        return PrintOutcome(SavedAsPdf, path, whyNotPrinted);
    }
    static PrintOutcome failed(const QString& reason) {
        return PrintOutcome(Failed, QString(), reason);
    }

    Kind kind() const { return kind_; }
    // The PDF written instead of printing (SavedAsPdf only).
    const QString& pdfPath() const { return pdfPath_; }
    // Why the page was not printed (SavedAsPdf) or not saved either (Failed).
    const QString& reason() const { return reason_; }

private:
    PrintOutcome(Kind kind, const QString& pdfPath, const QString& reason)
        : kind_(kind), pdfPath_(pdfPath), reason_(reason) {}
    Kind kind_;
    QString pdfPath_;
    QString reason_;
};

// Prints fixed-pitch lines on the default printer, as one document. When there is no printer to
// take it, the document is written as a PDF to the fallback path instead, so the operator still
// gets it. A line that is exactly pageBreak() starts a new page.
class Printer {
public:
    static QString pageBreak() { return QStringLiteral("\f"); }

    virtual ~Printer();
    virtual PrintOutcome printPage(const QStringList& lines, const QString& pdfFallbackPath) = 0;
};
