#include "window/records/CheckAllRecordsDialog.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

class ProblemModel : public QAbstractTableModel {
public:
    ProblemModel(const QList<RecordProblem>& problems, QObject* parent)
        : QAbstractTableModel(parent), problems_(problems) {}

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : int(problems_.size());
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 3; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || role != Qt::DisplayRole)
            return QVariant();
        const RecordProblem& problem = problems_.at(index.row());
        switch (index.column()) {
        case 0:
            return problem.number;
        case 1:
            return problem.patient;
        default:
            return problem.problem;
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QAbstractTableModel::headerData(section, orientation, role);
        const char* titles[] = {"No.", "Patient", "Problem"};
        return section >= 0 && section < 3 ? QString::fromLatin1(titles[section]) : QVariant();
    }

private:
    QList<RecordProblem> problems_;
};

} // namespace

CheckAllRecordsDialog::CheckAllRecordsDialog(const RecordsCheckReport& report, QWidget* parent)
    : QDialog(parent), problems_(report.problems) {
    setWindowTitle(QStringLiteral("Check All Records"));
    resize(600, 400);
    summary_ = new QLabel(report.summary());
    summary_->setWordWrap(true);
    table_ = new QTableView;
    table_->setAccessibleName(QStringLiteral("Problems"));
    table_->setModel(new ProblemModel(problems_, this));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    table_->setColumnWidth(0, 50);
    table_->setColumnWidth(1, 200);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setVisible(!problems_.isEmpty());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(table_, 1);
    if (problems_.isEmpty())
        layout->addStretch(1);

    connect(table_, &QTableView::doubleClicked, this, &CheckAllRecordsDialog::choose);
    table_->installEventFilter(this);
    if (!problems_.isEmpty())
        table_->setCurrentIndex(table_->model()->index(0, 0));
    table_->setFocus();
}

void CheckAllRecordsDialog::choose(const QModelIndex& index) {
    if (!index.isValid())
        return;
    const int number = problems_.at(index.row()).number;
    accept();
    emit recordChosen(number);
}

bool CheckAllRecordsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            choose(table_->currentIndex());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
