#include "window/services/QtPrinter.h"

#include "printing/PrintedPage.h"
#include "storage/SafeFile.h"

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
// Each page of the document starts a new page, and so does a line that would not fit on this one.
// Only the page being drawn is made.
bool drawDocument(QPainter& painter, QPagedPaintDevice& device, const PrintedDocument& document,
                  const PrintProgress& progress) {
    const QFont font = pageFont();
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    const qreal pageHeight = device.height();
    const int pages = document.pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !device.newPage())
            return false;
        qreal baseline = metrics.ascent();
        for (const QString& line : document.page(i)) {
            if (baseline > metrics.ascent() && baseline + metrics.descent() > pageHeight) {
                if (!device.newPage())
                    return false;
                baseline = metrics.ascent();
            }
            if (!line.isEmpty())
                painter.drawText(QPointF(0, baseline), line);
            baseline += metrics.lineSpacing();
        }
        if (progress)
            progress(i + 1, pages);
    }
    return true;
}

// What the PDF writer writes, handed on to a file being made a megabyte at a time, so that a PDF
// of thousands of pages is never held whole.
class PieceDevice : public QIODevice {
public:
    explicit PieceDevice(const SafeFile::PieceWriter& write) : write_(write) {
        open(QIODevice::WriteOnly);
    }
    bool isSequential() const override { return true; }
    // Writes what is left; the first failure of the writer, if any.
    FileStatus finish() {
        writePiece();
        return status_;
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (!status_)
            return -1;
        piece_.append(data, size);
        if (piece_.size() >= kPieceBytes)
            writePiece();
        return status_ ? size : -1;
    }

private:
    static constexpr qsizetype kPieceBytes = 1 << 20;
    void writePiece() {
        if (status_ && !piece_.isEmpty())
            status_ = write_(piece_);
        piece_.clear();
    }
    const SafeFile::PieceWriter& write_;
    QByteArray piece_;
    FileStatus status_ = FileStatus::success();
};

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

PrintOutcome writePdf(const PrintedDocument& document, const QString& path,
                      const QString& documentName, const QString& whyNotPrinted,
                      const QStringList& keptOutOf, const PrintProgress& progress) {
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

    // The pages are drawn with the page and resolution a PDF printer would use into a new
    // owner-only file, which replaces any older one only once it is whole.
    FileStatus status = makePrivateFolders(QFileInfo(path).absolutePath());
    bool notDrawn = false;
    if (status)
        status = SafeFile::replaceWithNewFile(path, [&](const SafeFile::PieceWriter& write) {
            PieceDevice device(write);
            {
                const QPrinter layout(QPrinter::HighResolution);
                QPdfWriter pdf(&device);
                pdf.setResolution(layout.resolution());
                pdf.setPageLayout(layout.pageLayout());
                pdf.setTitle(documentName);
                QPainter painter;
                notDrawn = !painter.begin(&pdf);
                if (!notDrawn) {
                    const bool drawn = drawDocument(painter, pdf, document, progress);
                    notDrawn = !painter.end() || !drawn;
                }
                if (notDrawn)
                    return FileStatus::failure(path, QStringLiteral("the PDF could not be drawn"));
            }
            return device.finish();
        });
    if (notDrawn)
        return PrintOutcome::failed(notWritten);
    if (!status)
        return PrintOutcome::failed(whyNotPrinted + QLatin1Char(' ') + status.describe());
    return PrintOutcome::savedAsPdf(path, whyNotPrinted);
}

} // namespace

QtPrinter::QtPrinter(const QString& documentName) : documentName_(documentName) {}

PrintOutcome QtPrinter::printPage(const QStringList& lines, const QString& pdfFallbackPath) {
    return printDocument(PagesOfLines(lines), pdfFallbackPath);
}

PrintOutcome QtPrinter::printDocument(const PrintedDocument& document,
                                      const QString& pdfFallbackPath,
                                      const PrintProgress& progress) {
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (defaultPrinter.isNull())
        return writePdf(document, pdfFallbackPath, documentName_,
                        QStringLiteral("No default printer is installed."), keptOutOf_, progress);

    QPrinter printer(defaultPrinter, QPrinter::HighResolution);
    printer.setDocName(documentName_);
    QPainter painter;
    if (!painter.begin(&printer))
        return writePdf(
            document, pdfFallbackPath, documentName_,
            QStringLiteral("The printer %1 could not be opened.").arg(defaultPrinter.printerName()),
            keptOutOf_, progress);
    const bool drawn = drawDocument(painter, printer, document, progress);
    if (!painter.end() || !drawn || printer.printerState() == QPrinter::Error)
        return writePdf(document, pdfFallbackPath, documentName_,
                        QStringLiteral("The printer %1 did not take the page.")
                            .arg(defaultPrinter.printerName()),
                        keptOutOf_, progress);
    return PrintOutcome::printed();
}
