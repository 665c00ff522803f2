#include "window/records/ImportRecordsDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString lineText(qint64 line) {
    return line > 0 ? QString::number(line) : QString();
}

QString moreText(int listed, int all, const char* what) {
    return all > listed ? QStringLiteral(" The first %1 %2 are listed.").arg(listed).arg(what)
                        : QString();
}

} // namespace

ImportRecordsDialog::ImportRecordsDialog(const QString& fileName, QWidget* parent)
    : QDialog(parent), fileName_(fileName) {
    setWindowTitle(QStringLiteral("Import Records"));
    resize(900, 420);
    summary_ = new QLabel(fileName);
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    list_ = new QTreeWidget;
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setWordWrap(false);
    list_->setVisible(false);

    buttons_ = new QDialogButtonBox;
    // Enter while the file is checked is no Cancel.
    buttons_->addButton(QDialogButtonBox::Cancel)->setAutoDefault(false);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(this, &QDialog::accepted, this, [this] {
        if (checked_ && report_.clean())
            emit importChosen(report_);
    });

    layout_ = new QVBoxLayout(this);
    layout_->addWidget(summary_);
    layout_->addWidget(list_, 1);
    stretch_ = new QWidget;
    layout_->addWidget(stretch_, 1);
    layout_->addWidget(buttons_);
}

ImportRecordsDialog::ImportRecordsDialog(const QString& fileName, const ImportReport& report,
                                         QWidget* parent)
    : ImportRecordsDialog(fileName, parent) {
    showReport(report);
}

ImportRecordsDialog::~ImportRecordsDialog() {
    stopCheck();
}

QString ImportRecordsDialog::progressText(qint64 done, qint64 total) {
    return QStringLiteral("Checking the file: %1%")
        .arg(total > 0 ? std::min<qint64>(100, done * 100 / total) : 0);
}

void ImportRecordsDialog::check(const QString& path, const ImportContext& context) {
    summary_->setText(QStringLiteral("%1\n%2").arg(fileName_, progressText(0, 1)));
    // Progress in percent: a file's bytes may not fit an int.
    connect(&work_, &BackgroundJobBase::progressed, this, [this](int percent) {
        if (!checked_)
            summary_->setText(QStringLiteral("%1\n%2").arg(fileName_, progressText(percent, 100)));
    });
    connect(&work_, &BackgroundJobBase::finished, this, [this] { showReport(work_.takeResult()); });
    work_.start([path, context](JobControl& control) {
        return RecordsImport::checkFile(path, context, {}, [&control](qint64 done, qint64 total) {
            control.report(int(total > 0 ? done * 100 / total : 0), 100);
            return !control.stopRequested();
        });
    });
}

void ImportRecordsDialog::stopCheck() {
    work_.stop();
}

void ImportRecordsDialog::done(int result) {
    stopCheck();
    QDialog::done(result);
}

void ImportRecordsDialog::showReport(const ImportReport& report) {
    report_ = report;
    checked_ = true;
    const bool clean = report.clean();
    QString text = QStringLiteral("%1\n%2").arg(fileName_, report.summary());
    if (clean) {
        text += QStringLiteral("\nIncomplete records can be completed after the import, as a "
                               "typed record is.");
        text += moreText(int(report.gaps.size()), report.incomplete, "incomplete records");
        text +=
            moreText(int(report.duplicateNotes.size()), report.duplicates, "possible duplicates");
    } else {
        text += moreText(int(report.problems.size()), report.problemCount, "problems");
    }
    summary_->setText(text);

    list_->clear();
    if (!clean) {
        list_->setAccessibleName(QStringLiteral("Problems"));
        list_->setHeaderLabels({QStringLiteral("Line"), QStringLiteral("Column"),
                                QStringLiteral("Value"), QStringLiteral("What is wrong")});
        for (const ImportProblem& problem : report.problems)
            new QTreeWidgetItem(
                list_, {lineText(problem.line), problem.column, problem.value, problem.message});
    } else {
        list_->setAccessibleName(QStringLiteral("Records to look at"));
        list_->setHeaderLabels(
            {QStringLiteral("Line"), QStringLiteral("Patient"), QStringLiteral("To look at")});
        QList<ImportNote> notes = report.gaps + report.duplicateNotes;
        std::stable_sort(notes.begin(), notes.end(),
                         [](const ImportNote& a, const ImportNote& b) { return a.line < b.line; });
        for (const ImportNote& note : notes)
            new QTreeWidgetItem(list_, {lineText(note.line), note.patient, note.text});
    }
    list_->header()->resizeSection(0, 60);
    list_->header()->resizeSection(1, clean ? 200 : 130);
    if (!clean)
        list_->header()->resizeSection(2, 110);
    list_->header()->setStretchLastSection(true);
    const bool listed = list_->topLevelItemCount() > 0;
    list_->setVisible(listed);
    stretch_->setVisible(!listed);
    if (listed)
        list_->setCurrentItem(list_->topLevelItem(0));

    buttons_->clear();
    import_ = nullptr;
    if (clean) {
        import_ = buttons_->addButton(QStringLiteral("&Import"), QDialogButtonBox::AcceptRole);
        buttons_->addButton(QDialogButtonBox::Cancel);
        import_->setDefault(true);
    } else {
        buttons_->addButton(QDialogButtonBox::Close);
    }
}
