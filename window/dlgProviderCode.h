#pragma once

#include "ui_dlgProviderCode.h"

#include <QDialog>

#include <memory>

// The modal dialog in which the operator enters the provider code: form().mskProviderCode,
// form().OKButton, form().CancelButton as designed (window/dlgProviderCode.ui). Neither
// button is the default or cancel button: Enter presses nothing and Esc neither presses
// Cancel nor closes the dialog. Closing it through its title bar rejects it.
class dlgProviderCode : public QDialog {
    Q_OBJECT
public:
    explicit dlgProviderCode(QWidget* parent = nullptr);
    ~dlgProviderCode() override;

    Ui::dlgProviderCode& form() { return *ui_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::dlgProviderCode> ui_;
};
