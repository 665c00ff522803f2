#include "window/services/QtPrinter.h"

#include "printing/PrintedPage.h"
#include "storage/SafeFile.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

QFont pageFont() {
    QFont font;
    // The size is set before the name, as the printer expects.
    font.setPointSize(PrintedPage::FontPointSize);
    font.setFamily(PrintedPage::fontFamily());
    // Where "Courier New" is missing, any fixed-pitch font keeps the columns lined up.
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

// One line per text line at the font's line spacing, from the printable area's top-left corner.
// A page-break line starts a new page, and so does a line that would not fit on this one.
bool drawLines(QPainter& painter, QPagedPaintDevice& device, const QStringList& lines) {
    const QFont font = pageFont();
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    const qreal pageHeight = device.height();
    qreal baseline = metrics.ascent();
    for (const QString& line : lines) {
        const bool pageBreak = line == Printer::pageBreak();
        if (pageBreak ||
            (baseline > metrics.ascent() && baseline + metrics.descent() > pageHeight)) {
            if (!device.newPage())
                return false;
            baseline = metrics.ascent();
            if (pageBreak)
                continue;
        }
        if (!line.isEmpty())
            painter.drawText(QPointF(0, baseline), line);
        baseline += metrics.lineSpacing();
    }
    return true;
}

// Creates every missing folder of the path, each owner-only.
FileStatus makePrivateFolders(const QString& folder) {
    const QString absolute = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    QStringList missing;
    for (QString level = absolute; !QFileInfo::exists(level);
         level = QFileInfo(level).absolutePath()) {
        missing.prepend(level);
        if (level == QFileInfo(level).absolutePath())
            break;
    }
    for (const QString& level : missing) {
        const FileStatus status = SafeFile::makePrivateFolder(level);
        if (!status)
            return status;
    }
    return FileStatus::success();
}

PrintOutcome writePdf(const QStringList& lines, const QString& path, const QString& documentName,
                      const QString& whyNotPrinted, const QStringList& keptOutOf) {
    if (path.isEmpty())
        return PrintOutcome::failed(whyNotPrinted);
    const QString notWritten =
        whyNotPrinted + QStringLiteral(" The PDF file %1 could not be written.").arg(path);
    bool ownFolder = false;
    if (FileStatus status = SafeFile::liesWithin(path, keptOutOf, ownFolder); !status)
        return PrintOutcome::failed(whyNotPrinted + QLatin1Char(' ') + status.describe());
    if (ownFolder)
        return PrintOutcome::failed(
            whyNotPrinted + QStringLiteral(" The PDF file %1 was not written: it would lie among "
                                           "the program's own files (the AppData or Submit "
                                           "folder).")
                                .arg(path));

    // The page is made in memory, with the page and resolution a PDF printer would use, and
    // only then written to the disk as a new owner-only file that replaces any older one.
    QByteArray pdfBytes;
    QBuffer buffer(&pdfBytes);
    buffer.open(QIODevice::WriteOnly);
    {
        const QPrinter layout(QPrinter::HighResolution);
        QPdfWriter pdf(&buffer);
        pdf.setResolution(layout.resolution());
        pdf.setPageLayout(layout.pageLayout());
        pdf.setTitle(documentName);
        QPainter painter;
        if (!painter.begin(&pdf))
            return PrintOutcome::failed(notWritten);
        const bool drawn = drawLines(painter, pdf, lines);
        if (!painter.end() || !drawn)
            return PrintOutcome::failed(notWritten);
    }
    FileStatus status = makePrivateFolders(QFileInfo(path).absolutePath());
    if (status)
        status = SafeFile::replaceWithNewFile(path, pdfBytes);
    if (!status)
        return PrintOutcome::failed(whyNotPrinted + QLatin1Char(' ') + status.describe());
    return PrintOutcome::savedAsPdf(path, whyNotPrinted);
}

} // namespace

QtPrinter::QtPrinter(const QString& documentName) : documentName_(documentName) {}

PrintOutcome QtPrinter::printPage(const QStringList& lines, const QString& pdfFallbackPath) {
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (defaultPrinter.isNull())
        return writePdf(lines, pdfFallbackPath, documentName_,
                        QStringLiteral("No default printer is installed."), keptOutOf_);

    QPrinter printer(defaultPrinter, QPrinter::HighResolution);
    printer.setDocName(documentName_);
    QPainter painter;
    if (!painter.begin(&printer))
        return writePdf(
            lines, pdfFallbackPath, documentName_,
            QStringLiteral("The printer %1 could not be opened.").arg(defaultPrinter.printerName()),
            keptOutOf_);
    const bool drawn = drawLines(painter, printer, lines);
    if (!painter.end() || !drawn || printer.printerState() == QPrinter::Error)
        return writePdf(lines, pdfFallbackPath, documentName_,
                        QStringLiteral("The printer %1 did not take the page.")
                            .arg(defaultPrinter.printerName()),
                        keptOutOf_);
    return PrintOutcome::printed();
}
