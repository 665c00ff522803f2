#pragma once

class QDialog;
class QWidget;

// Shows a dialog of the main window as the program's list windows appear: application-modal,
// deleted once closed, and the main window given the keyboard back when it closes, with or
// without a window manager to hand it back. Returns at once; the dialog reports through its
// signals.
void showModalDialog(QDialog* dialog, QWidget& mainWindow);
