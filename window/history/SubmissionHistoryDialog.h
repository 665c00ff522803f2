#pragma once

#include "submission/SubmissionHistory.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;
class QPushButton;
class QTableView;
class SubmissionFileModel;
class SubmittedRecordModel;

// "Submission History": the files in Submit, newest first, and below them the records of the
// file selected. Typing a name or a date into the filter box lists instead every record of every
// file that matches, with the file it went in; moving through those selects their file. "Print
// List" and "Export to CSV..." act on the selected file. A file is read when first selected or
// searched; a file that cannot be read is reported once through readFailed and shows no records,
// and a damaged one says how (RecordFile::damage); a search says what it could not read whole.
// Nothing here changes a file.
class SubmissionHistoryDialog : public QDialog {
    Q_OBJECT
public:
    explicit SubmissionHistoryDialog(SubmissionHistory history, QWidget* parent = nullptr);

    const SubmissionHistory& history() const { return history_; }
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTableView* newTable();
    void fileSelected();
    void filterChanged(const QString& typed);
    void foundRecordSelected(const QModelIndex& current);
    bool searching() const;
    // The file's name as the operator reads it.
    QString shownName(int file) const;

    SubmissionHistory history_;
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
