#include "window/records/CheckAllRecordsDialog.h"

#include "window/widgets/BackgroundJob.h"
#include "window/widgets/ListWindowParts.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {

class ProblemModel : public QAbstractTableModel {
public:
    explicit ProblemModel(QObject* parent) : QAbstractTableModel(parent) {}

    void setProblems(const QList<RecordProblem>& problems) {
        beginResetModel();
        problems_ = problems;
        endResetModel();
    }

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
    : QDialog(parent) {
    build();
    showReport(report);
}

CheckAllRecordsDialog::CheckAllRecordsDialog(RecordsCheckPass pass, QWidget* parent)
    : QDialog(parent), pass_(std::make_unique<RecordsCheckPass>(std::move(pass))) {
    build();
    slices_ = new QTimer(this);
    slices_->setSingleShot(true);
    connect(slices_, &QTimer::timeout, this, &CheckAllRecordsDialog::runSlice);
    runSlice();
}

CheckAllRecordsDialog::~CheckAllRecordsDialog() = default;

void CheckAllRecordsDialog::build() {
    setWindowTitle(QStringLiteral("Check All Records"));
    resize(600, 400);
    summary_ = new QLabel;
    summary_->setWordWrap(true);
    table_ = new QTableView;
    table_->setAccessibleName(QStringLiteral("Problems"));
    table_->setModel(new ProblemModel(this));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    // Without row headers the corner button has nothing to stand beside: hidden, as the table
    // hides it once shown.
    if (auto* corner = table_->findChild<QAbstractButton*>())
        corner->hide();
    table_->setColumnWidth(0, 50);
    table_->setColumnWidth(1, 200);
    table_->horizontalHeader()->setStretchLastSection(true);

    layout_ = new QVBoxLayout(this);
    layout_->addWidget(summary_);
    layout_->addWidget(table_, 1);
    stretch_ = new QWidget;
    stretch_->setVisible(false);
    layout_->addWidget(stretch_, 1);

    connect(new RowChoosing(*table_), &RowChoosing::chosen, this, &CheckAllRecordsDialog::choose);
    table_->setFocus();
}

void CheckAllRecordsDialog::runSlice() {
    QElapsedTimer slice;
    slice.start();
    // The time is looked at after every record: one found among the records already sent is
    // read again from its file, which may answer slowly.
    while (!pass_->step(1)) {
        if (slice.elapsed() >= sliceMs_) {
            summary_->setText(QStringLiteral("Checking record %1 of %2")
                                  .arg(pass_->done() / 2)
                                  .arg(pass_->records()));
            slices_->start(0);
            return;
        }
    }
    // The records and keys are freed on a thread of their own; the report, which shares texts
    // with the window, stays here.
    destroyInBackground(std::make_unique<RecordsCheckPass::WorkingSet>(pass_->takeWorkingSet()));
    const std::unique_ptr<RecordsCheckPass> pass = std::move(pass_);
    showReport(pass->report());
}

void CheckAllRecordsDialog::showReport(const RecordsCheckReport& report) {
    problems_ = report.problems;
    summary_->setText(report.summary());
    static_cast<ProblemModel*>(table_->model())->setProblems(problems_);
    table_->setVisible(!problems_.isEmpty());
    stretch_->setVisible(problems_.isEmpty());
    if (!problems_.isEmpty())
        table_->setCurrentIndex(table_->model()->index(0, 0));
}

void CheckAllRecordsDialog::choose(const QModelIndex& index) {
    if (!index.isValid() || !isComplete())
        return;
    const int number = problems_.at(index.row()).number;
    accept();
    emit recordChosen(number);
}
