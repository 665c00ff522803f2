#include "window/history/SubmissionHistoryCommands.h"

#include "printing/Printer.h"
#include "printing/SubmissionReceipt.h"
#include "storage/AppPaths.h"
#include "storage/RecordStore.h"
#include "storage/SafeFile.h"
#include "submission/RecordsCsv.h"
#include "submission/SubmissionHistory.h"
#include "window/history/SubmissionHistoryDialog.h"
#include "window/main/StoredRecordsWait.h"
#include "window/services/Clock.h"
#include "window/services/MessageService.h"
#include "window/services/PrintReport.h"
#include "window/services/SaveFilePrompt.h"
#include "window/widgets/LiveWait.h"
#include "window/widgets/ModalDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QWidget>

#include <algorithm>

namespace {

// The records of a submission file as its printed receipt asks for them, one after the other:
// read by position a piece at a time, so that a file of millions of records is never held
// whole. The first read that fails is kept, and so is a file found shorter than when it was
// listed; a record that could not be read prints blank. A piece is read once whatever it gave,
// so that a file gone short or unreadable costs no more reads than a whole one.
class RecordsAhead {
public:
    static constexpr int Piece = 512;

    RecordsAhead(SubmissionHistory history, int file)
        : history_(std::move(history)), file_(file),
          count_(history_.files().at(file).recordCount()) {}

    ResultRecord at(int i) {
        if (i < first_ || qint64(i) - first_ >= Piece) {
            first_ = i;
            const FileStatus status = history_.readRecords(file_, i + 1, Piece, records_);
            if (!status)
                records_.clear();
            if (status_ && !status)
                status_ = status;
            else if (status_ && records_.size() < std::min(Piece, count_ - i))
                status_ = FileStatus::failure(history_.filePath(file_),
                                              QStringLiteral("it holds fewer records than when "
                                                             "it was listed"));
        }
        const qsizetype at = i - first_;
        return at < records_.size() ? records_.at(at) : ResultRecord();
    }
    // The first failure; success while every read gave what was asked.
    const FileStatus& status() const { return status_; }

private:
    SubmissionHistory history_;
    int file_;
    int count_;
    // The piece read last: Piece rows from first_ on (none read yet).
    int first_ = -Piece;
    QList<ResultRecord> records_;
    FileStatus status_;
};

} // namespace

SubmissionHistoryCommands::SubmissionHistoryCommands(QWidget& window, QString appPath,
                                                     RecordStore& store, MessageService& messages,
                                                     Clock& clock, Printer& printer,
                                                     QObject* parent)
    : QObject(parent), window_(window), appPath_(std::move(appPath)), store_(store),
      messages_(messages), clock_(clock), printer_(printer),
      qtSavePrompt_(std::make_unique<QtSaveFilePrompt>(&window)), savePrompt_(qtSavePrompt_.get()) {
}

SubmissionHistoryCommands::~SubmissionHistoryCommands() = default;

QString SubmissionHistoryCommands::documentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void SubmissionHistoryCommands::openSubmissionHistory() {
    // The window opens at once and lists Submit in a worker; a listing that fails is reported
    // and closes it again.
    auto* dialog = new SubmissionHistoryDialog(AppPaths{appPath_}.submit(), &window_);
    connect(dialog, &SubmissionHistoryDialog::printListRequested, this,
            [this, dialog](int file) { printSubmissionFile(*dialog, file); });
    connect(dialog, &SubmissionHistoryDialog::exportRequested, this,
            [this, dialog](int file) { exportSubmissionFile(*dialog, file); });
    connect(dialog, &SubmissionHistoryDialog::readFailed, this,
            &SubmissionHistoryCommands::fileFailed);
    showModalDialog(dialog, window_);
}

void SubmissionHistoryCommands::exportRecords() {
    const QString title = QStringLiteral("Export to CSV");
    QByteArray document;
    if (FileStatus status =
            StoredRecordsWait::readAll(window_, title, store_, nullptr,
                                       [&document](const QList<ResultRecord>& records) {
                                           document = RecordsCsv::document(records);
                                       });
        !status) {
        emit fileFailed(status);
        return;
    }
    exportCsv(document, RecordsCsv::recordsFileName(clock_.now().date()));
}

void SubmissionHistoryCommands::exportSubmissionFile(const SubmissionHistoryDialog& dialog,
                                                     int file) {
    // The writing thread reads its own copy: the window's may take a reading meanwhile.
    const SubmissionHistory history = dialog.history();
    const int total = history.files().at(file).recordCount();
    // Read and written a piece at a time: the document of all the records is the header's
    // document followed by each piece's rows.
    const QByteArray head = RecordsCsv::document(QList<ResultRecord>());
    exportCsv(
        [&](const SafeFile::PieceWriter& write, const Progress& progress) {
            FileStatus written = write(head);
            progress(0, total);
            const FileStatus read =
                history.forEachPiece(file, [&](const RecordFile& piece, int first) {
                    QList<ResultRecord> records;
                    records.reserve(piece.recordCount());
                    for (int n = 1; written && n <= piece.recordCount(); ++n)
                        records.append(piece.record(n));
                    if (written)
                        written = write(RecordsCsv::document(records).mid(head.size()));
                    progress(first + piece.recordCount() - 1, total);
                    return bool(written);
                });
            return written ? read : written;
        },
        RecordsCsv::submissionFileName(history.files().at(file).fileName));
}

void SubmissionHistoryCommands::exportCsv(const QByteArray& document,
                                          const QString& suggestedName) {
    exportCsv([&](const SafeFile::PieceWriter& write) { return write(document); }, suggestedName);
}

void SubmissionHistoryCommands::exportCsv(const SafeFile::Pieces& document,
                                          const QString& suggestedName) {
    exportCsv([&](const SafeFile::PieceWriter& write, const Progress&) { return document(write); },
              suggestedName);
}

void SubmissionHistoryCommands::exportCsv(const CountedPieces& document,
                                          const QString& suggestedName) {
    const QString path = savePrompt_->ask(QStringLiteral("Export to CSV"),
                                          documentsFolder() + QDir::separator() + suggestedName);
    if (path.isEmpty())
        return;
    // The program's own folders are never written to, whatever name or link leads there: a
    // spreadsheet file over the data file would destroy the records.
    const AppPaths paths{appPath_};
    bool ownFolder = false;
    FileStatus status = SafeFile::liesWithin(path, {paths.appData(), paths.submit()}, ownFolder);
    if (status && ownFolder) {
        messages_.show(QStringLiteral("The file was not written:\r\n%1\r\n\r\nIt would lie among "
                                      "the program's own files (the AppData or Submit folder). "
                                      "Please choose another folder, such as Documents.")
                           .arg(QDir::toNativeSeparators(path)),
                       QStringLiteral("Export to CSV"), MessageButtons::Ok, MessageIcon::Warning);
        return;
    }
    // Written whole into a new file of the program's own (0600) and renamed into place: a
    // failure never leaves part of a file under the name chosen, nor touches any other file.
    if (status)
        LiveWait::run(window_, QStringLiteral("Export to CSV"), &ReadingProgressWindow::exportText,
                      [&](const Progress& progress) {
                          status = SafeFile::replaceWithNewFile(
                              path, [&](const SafeFile::PieceWriter& write) {
                                  return document(write, progress);
                              });
                      });
    if (!status)
        emit fileFailed(status);
}

void SubmissionHistoryCommands::printSubmissionFile(const SubmissionHistoryDialog& dialog,
                                                    int file) {
    // Each page is made as it is printed, its records read then; a file that cannot be read now
    // prints nothing.
    const SubmissionHistory history = dialog.history();
    const SubmissionFile chosen = history.files().at(file);
    const QDateTime now = clock_.now();
    auto records = std::make_shared<RecordsAhead>(history, file);
    if (chosen.recordCount() > 0)
        records->at(0);
    if (!records->status()) {
        emit fileFailed(records->status());
        return;
    }
    printList(SubmissionReceipt::pages(
                  chosen.fileName, QDateTime(chosen.name.date, chosen.name.time),
                  chosen.recordCount(), [records](int i) { return records->at(i); }, now),
              AppPaths{appPath_}.printedList(chosen.fileName, now));
    // What could not be read is told after the printing: the printed list lacks it.
    if (!records->status())
        emit fileFailed(records->status());
}

void SubmissionHistoryCommands::printList(const PrintedDocument& document,
                                          const QString& pdfFallbackPath) {
    PrintOutcome outcome = PrintOutcome::printed();
    {
        LiveWait::Steps printing(window_, QStringLiteral("Print List"),
                                 &ReadingProgressWindow::printText);
        outcome =
            printer_.printDocument(document, pdfFallbackPath, [&printing](int done, int total) {
                printing.stepDone(done, total);
            });
    }
    reportPrintOutcome(messages_, outcome, PrintedItem::List);
}
