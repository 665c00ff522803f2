#include "window/QtPrinter.h"

#include "printing/PrintedPage.h"
#include "storage/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
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
void drawLines(QPainter& painter, const QStringList& lines) {
    const QFont font = pageFont();
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    qreal baseline = metrics.ascent();
    for (const QString& line : lines) {
        if (!line.isEmpty())
            painter.drawText(QPointF(0, baseline), line);
        baseline += metrics.lineSpacing();
    }
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
                      const QString& whyNotPrinted) {
    if (path.isEmpty())
        return PrintOutcome::failed(whyNotPrinted);
    FileStatus status = makePrivateFolders(QFileInfo(path).absolutePath());
    // Created owner-only before Qt writes into it, so the page is never readable by others.
    if (status)
        status = SafeFile::createIfMissing(path);
    if (!status)
        return PrintOutcome::failed(whyNotPrinted + QLatin1Char(' ') + status.describe());

    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(path);
    pdf.setDocName(documentName);
    QPainter painter;
    if (!painter.begin(&pdf))
        return PrintOutcome::failed(whyNotPrinted + QStringLiteral(" The PDF file %1 could not be "
                                                                   "written.")
                                                        .arg(path));
    drawLines(painter, lines);
    const bool ended = painter.end();
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!ended || pdf.printerState() == QPrinter::Error)
        return PrintOutcome::failed(whyNotPrinted + QStringLiteral(" The PDF file %1 could not be "
                                                                   "written.")
                                                        .arg(path));
    return PrintOutcome::savedAsPdf(path, whyNotPrinted);
}

} // namespace

QtPrinter::QtPrinter(const QString& documentName) : documentName_(documentName) {}

PrintOutcome QtPrinter::printPage(const QStringList& lines, const QString& pdfFallbackPath) {
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (defaultPrinter.isNull())
        return writePdf(lines, pdfFallbackPath, documentName_,
                        QStringLiteral("No default printer is installed."));

    QPrinter printer(defaultPrinter, QPrinter::HighResolution);
    printer.setDocName(documentName_);
    QPainter painter;
    if (!painter.begin(&printer))
        return writePdf(lines, pdfFallbackPath, documentName_,
                        QStringLiteral("The printer %1 could not be opened.")
                            .arg(defaultPrinter.printerName()));
    drawLines(painter, lines);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return writePdf(lines, pdfFallbackPath, documentName_,
                        QStringLiteral("The printer %1 did not take the page.")
                            .arg(defaultPrinter.printerName()));
    return PrintOutcome::printed();
}
