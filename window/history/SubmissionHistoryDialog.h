#pragma once

#include "submission/SubmissionHistory.h"

#include <QDialog>
#include <QList>

#include <memory>

class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;
class QPushButton;
class QStringListModel;
class QTableView;
class QTimer;
class SubmissionFileModel;
class SubmittedRecordModel;
struct HistoryJob;
struct HistoryWork;

// "Submission History": the files in Submit, newest first, and below them the records of the
// file selected. Typing a name or a date into the filter box lists instead every record of every
// file that matches, with the file it went in; moving through those selects their file. "Print
// List" and "Export to CSV..." act on the selected file. Nothing here changes a file.
//
// Submit is read by worker threads while the window stays live: the listing when the window
// opens, a file when it is first selected (its count and damage; its rows are read by position
// as the list shows them), and the search of every file, which a new search text replaces. The
// progress line says what is being read. A file that cannot be read is reported once through
// readFailed and shows no records, and a damaged one says how (RecordFile::damage); a search says
// what it could not read whole. Closing the window stops and waits for every worker.
class SubmissionHistoryDialog : public QDialog {
    Q_OBJECT
public:
    explicit SubmissionHistoryDialog(const QString& submitFolder, QWidget* parent = nullptr);
    ~SubmissionHistoryDialog() override;

    const SubmissionHistory& history() const { return history_; }
    // Whether Submit was listed; false while the listing runs and after it failed.
    bool isListed() const { return listed_; }
    // Whether a worker is reading Submit.
    bool isReading() const { return !jobs_.isEmpty(); }
    QLabel* progressLine() const { return progress_; }
    void done(int result) override;
    // The place in history().files() of the file selected; -1 when none is.
    int selectedFile() const;

    QLineEdit* filterBox() const { return filterBox_; }
    QTableView* files() const { return filesView_; }
    QListView* otherFiles() const { return otherView_; }
    QTableView* records() const { return recordsView_; }
    QPushButton* printListButton() const { return printList_; }
    QPushButton* exportButton() const { return export_; }

signals:
    void printListRequested(int file);
    void exportRequested(int file);
    void readFailed(const FileStatus& status);
    // Every worker has finished, for now.
    void readingFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTableView* newTable();
    void startJob(HistoryJob* job);
    void jobFinished(HistoryJob* job);
    void stopAll();
    void showProgress();
    void listed(HistoryWork& work);
    void fileRead(HistoryWork& work);
    void searched(HistoryWork& work, bool current);
    void readFile(int file);
    void showFound(const QList<SubmittedRecord>& found);
    void showSelectedFile(bool rowsChanged);
    void fileSelected();
    void filterChanged(const QString& typed);
    void foundRecordSelected(const QModelIndex& current);
    bool searching() const;
    // The file's name as the operator reads it.
    QString shownName(int file) const;

    QString submitFolder_;
    SubmissionHistory history_;
    bool listed_ = false;
    QList<HistoryJob*> jobs_;
    quint64 searchNumber_ = 0;
    bool showingFound_ = false;
    QLabel* progress_ = nullptr;
    QTimer* progressTimer_ = nullptr;
    QStringListModel* otherModel_ = nullptr;
    SubmissionFileModel* fileModel_ = nullptr;
    SubmittedRecordModel* recordModel_ = nullptr;
    QLineEdit* filterBox_ = nullptr;
    QTableView* filesView_ = nullptr;
    QLabel* otherLabel_ = nullptr;
    QListView* otherView_ = nullptr;
    QLabel* recordsLabel_ = nullptr;
    QTableView* recordsView_ = nullptr;
    QPushButton* printList_ = nullptr;
    QPushButton* export_ = nullptr;
};
