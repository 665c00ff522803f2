#pragma once

#include <QString>
#include <QStringList>

#include <functional>

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

// A document of fixed-pitch lines made a page at a time, so that a list of thousands of pages
// never stands whole in memory.
class PrintedDocument {
public:
    virtual ~PrintedDocument();
    virtual int pageCount() const = 0;
    // The lines of page i, from 0.
    virtual QStringList page(int i) const = 0;
    // Every page's lines, the pages parted by Printer::pageBreak() lines.
    QStringList lines() const;
};

// Lines made all at once, cut into pages at each line that is exactly Printer::pageBreak().
class PagesOfLines : public PrintedDocument {
public:
    explicit PagesOfLines(const QStringList& lines);
    int pageCount() const override { return int(pages_.size()); }
    QStringList page(int i) const override { return pages_.at(i); }

private:
    QList<QStringList> pages_;
};

// Told after each page is drawn: pages done of all. The window's side lets the window repaint.
using PrintProgress = std::function<void(int done, int total)>;

// Prints fixed-pitch lines on the default printer, as one document. When there is no printer to
// take it, the document is written as a PDF to the fallback path instead, so the operator still
// gets it. A line that is exactly pageBreak() starts a new page.
class Printer {
public:
    static QString pageBreak() { return QStringLiteral("\f"); }

    virtual ~Printer();
    virtual PrintOutcome printPage(const QStringList& lines, const QString& pdfFallbackPath) = 0;
    // The pages of document as one print job, each made as it is drawn. By default they are
    // joined by pageBreak() lines and go to printPage().
    virtual PrintOutcome printDocument(const PrintedDocument& document,
                                       const QString& pdfFallbackPath,
                                       const PrintProgress& progress = {});
};
