#pragma once

#include "submission/FollowUpList.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QModelIndex;
class QPushButton;
class QTableView;

// "Follow-Up Due": the summary, the files that could not be read, and one row per child whose
// latest result calls for another test (FollowUpRow's columns), Check the record rows first. A
// Check the record row tells why in its tool tip. Enter or a double-click on a row whose record
// is in the data file chooses that record and closes the window; on a row whose record is in a
// submission file it asks for that file to be named, and the window stays.
//
// The list may be made while the window is open: it opens empty, shows "Reading submission
// files: n of N" as the files are read, and is filled by setList(); Print List and Export to CSV
// wait for it. The work that makes it (watch()) is told to stop when the window closes and let
// go: closing never waits on a slow file, and the program waits for it when it ends.
class BackgroundJobBase;

class FollowUpDueDialog : public QDialog {
    Q_OBJECT
public:
    explicit FollowUpDueDialog(QWidget* parent = nullptr);
    ~FollowUpDueDialog() override;

    // The work that makes the list, let go when the window closes.
    void watch(BackgroundJobBase* work) { work_ = work; }
    // done files read of total.
    void showProgress(int done, int total);
    // The rows are taken over whole, never copied.
    void setList(FollowUpRows rows, const QString& summary, const QStringList& fileLines);
    bool isFilled() const { return filled_; }
    static QString progressText(int done, int total);

    void done(int result) override;

    const FollowUpRows& rows() const { return rows_; }
    const QStringList& fileLines() const { return fileLines_; }
    QLabel* summary() const { return summary_; }
    QLabel* files() const { return files_; }
    QTableView* table() const { return table_; }
    QPushButton* printListButton() const { return printList_; }
    QPushButton* exportButton() const { return export_; }

signals:
    // After the dialog has closed: the operator chose this record of the data file.
    void recordChosen(int recordNumber);
    // The operator chose the row of a record kept in a submission file.
    void sentRecordChosen(const FollowUpRow& row);
    void printListRequested();
    void exportRequested();

protected:

private:
    void choose(const QModelIndex& index);
    void stopWork();

    FollowUpRows rows_;
    QStringList fileLines_;
    bool filled_ = false;
    QPointer<BackgroundJobBase> work_;
    QLabel* summary_ = nullptr;
    QLabel* files_ = nullptr;
    QTableView* table_ = nullptr;
    QPushButton* printList_ = nullptr;
    QPushButton* export_ = nullptr;
};
