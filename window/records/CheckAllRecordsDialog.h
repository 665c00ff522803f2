#pragma once

#include "submission/RecordsCheck.h"

#include <QDialog>

#include <memory>

class QLabel;
class QModelIndex;
class QTableView;
class QTimer;
class QVBoxLayout;

// "Check All Records": the summary of the check of every stored record, and one row per problem
// (No., Patient, Problem). Enter or a double-click on a row chooses that record.
//
// Given a pass still to run, the window opens with its first slice done and runs the rest in
// slices of about 20 ms between its events, saying "Checking record n of N" meanwhile; a check
// that fits in the first slice opens complete.
class CheckAllRecordsDialog : public QDialog {
    Q_OBJECT
public:
    CheckAllRecordsDialog(const RecordsCheckReport& report, QWidget* parent = nullptr);
    CheckAllRecordsDialog(RecordsCheckPass pass, QWidget* parent = nullptr);
    ~CheckAllRecordsDialog() override;

    bool isComplete() const { return !pass_; }
    // The longest time the check may hold the window's events, in milliseconds (20). Tests make
    // it shorter, so that a few thousand records take several slices on any machine.
    static int sliceMs() { return sliceMs_; }
    static void setSliceMs(int ms) { sliceMs_ = ms; }

    QLabel* summary() const { return summary_; }
    QTableView* table() const { return table_; }

signals:
    // After the dialog has closed: the operator chose this record.
    void recordChosen(int recordNumber);

protected:

private:
    void choose(const QModelIndex& index);
    void build();
    void runSlice();
    void showReport(const RecordsCheckReport& report);

    std::unique_ptr<RecordsCheckPass> pass_;
    QTimer* slices_ = nullptr;
    static inline int sliceMs_ = 20;
    QList<RecordProblem> problems_;
    QLabel* summary_ = nullptr;
    QVBoxLayout* layout_ = nullptr;
    QWidget* stretch_ = nullptr; // fills the window while no problem is listed
    QTableView* table_ = nullptr;
};
