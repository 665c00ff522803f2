#include "window/services/SaveFilePrompt.h"

#include <QFileDialog>

QString QtSaveFilePrompt::ask(const QString& title, const QString& suggestedPath) {
    QFileDialog dialog(parent_, title, suggestedPath,
                       QStringLiteral("CSV files (*.csv);;All files (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.selectFile(suggestedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
