#pragma once

#include "ui_dlgProviderCode.h"

#include <QDialog>

#include <memory>

// The modal dialog in which the operator enters the provider code: form().mskProviderCode,
// form().OKButton, form().CancelButton as designed (window/dlgProviderCode.ui). Neither
// button is the default or cancel button: Enter presses nothing and Esc neither presses
// Cancel nor closes the dialog. Closing it through its title bar leaves EnteredProviderCode as
// it was, like Cancel.
class dlgProviderCode : public QDialog {
    Q_OBJECT
public:
    explicit dlgProviderCode(QWidget* parent = nullptr);
    ~dlgProviderCode() override;

    Ui::dlgProviderCode& form() { return *ui_; }

    // Handed between the main window and the dialog: the code shown when the dialog opens, the
    // operator's answer once it has closed.
    QString EnteredProviderCode;
    // What Cancel gives back: the code in force, as the main window shows it.
    QString codeInForce;
    // True unless the dialog was closed with OK.
    bool bCanceled = true;

    // Centres the dialog over its parent, shows EnteredProviderCode in the box and runs the
    // dialog modally; returns 2 when it was cancelled, 1 for OK.
    int ShowDialog();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OKButton_Click();
    void CancelButton_Click();

private:
    std::unique_ptr<Ui::dlgProviderCode> ui_;
};
