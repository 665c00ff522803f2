#include "window/services/OpenFilePrompt.h"

#include <QFileDialog>

QString QtOpenFilePrompt::ask(const QString& title, const QString& startFolder) {
    QFileDialog dialog(parent_, title, startFolder,
                       QStringLiteral("Spreadsheet and record files (*.csv *.txt *.dat);;"
                                      "All files (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
