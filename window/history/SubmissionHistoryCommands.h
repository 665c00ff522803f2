#pragma once

#include "storage/FileStatus.h"
#include "storage/SafeFile.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class Clock;
class MessageService;
class Printer;
class PrintedDocument;
class RecordStore;
class ResultRecord;
class SaveFilePrompt;
class SubmissionHistoryDialog;
class QWidget;

// Submission History and the two CSV exports. The history opens in any edit mode and only reads;
// its Print List prints a submission file's records (a PDF when no printer takes them) and its
// Export to CSV writes them to a file the operator chooses, as Export Records to CSV does with
// the data file's records. A file that cannot be read or written is reported through fileFailed.
class SubmissionHistoryCommands : public QObject {
    Q_OBJECT
public:
    SubmissionHistoryCommands(QWidget& window, QString appPath, RecordStore& store,
                              MessageService& messages, Clock& clock, Printer& printer,
                              QObject* parent = nullptr);
    ~SubmissionHistoryCommands() override;

    // Replaces the save dialog, e.g. by a scripted one.
    void setSaveFilePrompt(SaveFilePrompt& prompt) { savePrompt_ = &prompt; }

    void openSubmissionHistory();
    void exportRecords();

    // The two outputs of a list window, the history's and any other's: a spreadsheet file the
    // operator chooses (never in AppData or Submit; written whole or not at all), and printed
    // lines (a PDF at pdfFallbackPath when no printer takes them), each saying what went wrong.
    void exportCsv(const QByteArray& document, const QString& suggestedName);
    // The same with the document made a piece at a time while it is written.
    void exportCsv(const SafeFile::Pieces& document, const QString& suggestedName);
    // The same, telling how many records of how many are written. The document is made and
    // written on a thread of its own, the window live meanwhile ("Exporting records: n of N"
    // after 40 ms): what it reads must not change until exportCsv() returns.
    using Progress = std::function<void(int done, int total)>;
    using CountedPieces =
        std::function<FileStatus(const SafeFile::PieceWriter& write, const Progress& progress)>;
    void exportCsv(const CountedPieces& document, const QString& suggestedName);
    // A printed list, each page made as it is printed while the window is repainted and shows
    // "Printing page n of N".
    void printList(const PrintedDocument& document, const QString& pdfFallbackPath);

    // The folder the save dialog starts in: the user's Documents folder, else the home folder.
    static QString documentsFolder();

signals:
    void fileFailed(const FileStatus& status);

private:
    void printSubmissionFile(const SubmissionHistoryDialog& dialog, int file);
    void exportSubmissionFile(const SubmissionHistoryDialog& dialog, int file);

    QWidget& window_;
    QString appPath_;
    RecordStore& store_;
    MessageService& messages_;
    Clock& clock_;
    Printer& printer_;
    std::unique_ptr<SaveFilePrompt> qtSavePrompt_;
    SaveFilePrompt* savePrompt_ = nullptr;
};
