#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class dlgProviderCode;
}

// The modal dialog in which the operator enters the provider code. Neither button is the
// default or cancel button: Enter presses nothing, and Esc neither presses Cancel nor closes
// the dialog.
class dlgProviderCode : public QDialog {
    Q_OBJECT
public:
    explicit dlgProviderCode(QWidget* parent = nullptr);
    ~dlgProviderCode() override;

    // The code shown in the box when the dialog opens.
    void setEnteredProviderCode(const QString& code) { enteredProviderCode_ = code; }
    // What Cancel hands back.
    void setCodeInForce(const QString& code) { codeInForce_ = code; }

    // Centres the dialog over its parent and runs it modally; true when it was closed with OK.
    bool ShowDialog();

    // Once closed: the typed code (OK), the code in force (Cancel), or the code shown when it
    // opened (closed by its title bar).
    QString enteredProviderCode() const { return enteredProviderCode_; }
    // True unless the dialog was closed with OK.
    bool cancelled() const { return cancelled_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class MainWindowTestAccess; // tests/support: the controls, for tests

    void OKButton_Click();
    void CancelButton_Click();

    std::unique_ptr<Ui::dlgProviderCode> ui_;
    QString enteredProviderCode_;
    QString codeInForce_;
    bool cancelled_ = true;
};
