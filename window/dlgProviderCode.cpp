#include "window/dlgProviderCode.h"

#include "window/WindowLook.h"

#include <QKeyEvent>

dlgProviderCode::dlgProviderCode(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::dlgProviderCode>()) {
    ui_->setupUi(this);
    // A dialog of the main window (kept out of the task bar), fixed border, no minimize or
    // maximize button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size());
    setWindowIcon(programIcon());
    setFont(layoutFont());
    setSizeGripEnabled(false);
}

dlgProviderCode::~dlgProviderCode() = default;

void dlgProviderCode::keyPressEvent(QKeyEvent* event) {
    // QDialog would reject on Esc; the dialog closes only through its buttons.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
