#pragma once

#include <QPushButton>

// A push button whose caption wraps onto further lines at blanks when it does not fit on one,
// as the small command buttons of the main window need ("Update Record" in 60 pixels). text()
// stays the caption as set.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    explicit CommandButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
