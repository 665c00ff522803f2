#include "window/records/ImportRecordsDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString lineText(qint64 line) {
    return line > 0 ? QString::number(line) : QString();
}

QString moreText(int listed, int all, const char* what) {
    return all > listed ? QStringLiteral(" The first %1 %2 are listed.").arg(listed).arg(what)
                        : QString();
}

} // namespace

ImportRecordsDialog::ImportRecordsDialog(const QString& fileName, const ImportReport& report,
                                         QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Import Records"));
    resize(900, 420);
    const bool clean = report.clean();
    QString text = QStringLiteral("%1\n%2").arg(fileName, report.summary());
    if (clean) {
        text += QStringLiteral("\nIncomplete records can be completed after the import, as a "
                               "typed record is.");
        text += moreText(int(report.gaps.size()), report.incomplete, "incomplete records");
        text +=
            moreText(int(report.duplicateNotes.size()), report.duplicates, "possible duplicates");
    } else {
        text += moreText(int(report.problems.size()), report.problemCount, "problems");
    }
    summary_ = new QLabel(text);
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    list_ = new QTreeWidget;
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setWordWrap(false);
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
    list_->setVisible(list_->topLevelItemCount() > 0);
    if (list_->topLevelItemCount() > 0)
        list_->setCurrentItem(list_->topLevelItem(0));

    buttons_ = new QDialogButtonBox;
    if (clean) {
        import_ = buttons_->addButton(QStringLiteral("&Import"), QDialogButtonBox::AcceptRole);
        buttons_->addButton(QDialogButtonBox::Cancel);
        import_->setDefault(true);
    } else {
        buttons_->addButton(QDialogButtonBox::Close);
    }
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(this, &QDialog::accepted, this, &ImportRecordsDialog::importChosen);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(list_, 1);
    if (list_->topLevelItemCount() == 0)
        layout->addStretch(1);
    layout->addWidget(buttons_);
}
