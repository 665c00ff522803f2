#include "window/widgets/ModalDialog.h"

#include <QDialog>

void showModalDialog(QDialog* dialog, QWidget& mainWindow) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    QObject::connect(dialog, &QDialog::finished, &mainWindow,
                     [window = &mainWindow] { window->activateWindow(); });
    dialog->show();
}
