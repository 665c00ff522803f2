#pragma once

#include "submission/RecordsCheck.h"

#include <QDialog>

class QLabel;
class QModelIndex;
class QTableView;

// "Check All Records": the summary of the check of every stored record, and one row per problem
// (No., Patient, Problem). Enter or a double-click on a row chooses that record.
class CheckAllRecordsDialog : public QDialog {
    Q_OBJECT
public:
    CheckAllRecordsDialog(const RecordsCheckReport& report, QWidget* parent = nullptr);

    QLabel* summary() const { return summary_; }
    QTableView* table() const { return table_; }

signals:
    // After the dialog has closed: the operator chose this record.
    void recordChosen(int recordNumber);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void choose(const QModelIndex& index);

    QList<RecordProblem> problems_;
    QLabel* summary_ = nullptr;
    QTableView* table_ = nullptr;
};
