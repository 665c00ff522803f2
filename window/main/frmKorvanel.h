#pragma once

#include "window/main/FieldEvents.h"

#include <QWidget>

#include <memory>

class MainWindowController;
class QAbstractButton;
class QComboBox;
namespace Ui {
class frmKorvanel;
}
class QMenuBar;
struct MainWindowServices;

// The main data-entry window: its controls (window/main/frmKorvanel.ui) and the field events of
// every text box, combo box, masked edit box and option button (see FieldEvents). No record logic.
class frmKorvanel : public QWidget {
    Q_OBJECT
public:
    explicit frmKorvanel(QWidget* parent = nullptr);
    ~frmKorvanel() override;

    // Gives the window its behaviour: the controller of the program folder appPath, built over
    // this window's controls and working through services. The controls leave the window this
    // way only. The caller owns the controller and keeps the window alive longer.
    std::unique_ptr<MainWindowController> makeController(const QString& appPath,
                                                         const MainWindowServices& services);

    // Puts the menu bar above the form: the window grows by the bar's height and every control
    // moves down by it, so the form below keeps its size and its controls their places.
    void installMenuBar(QMenuBar* bar);

    // Selects entry index of combo as the program and raises its comboClicked.
    void selectEntry(QComboBox* combo, int index) { events_->selectEntry(combo, index); }
    // Raises lostFocus of the field that has the focus, as a click on a button would.
    void leaveFocusedField() { events_->leaveFocusedField(); }

signals:
    void lostFocus(QWidget* field);
    void optionClicked(QAbstractButton* option);
    void comboClicked(QComboBox* combo);

private:
    friend class MainWindowTestAccess; // tests/support: the controls, for tests and benchmarks

    void applyFixedColours();
    void nameListTextBoxes();
    void watchFieldEvents();

    std::unique_ptr<Ui::frmKorvanel> ui_;
    FieldEvents* events_ = nullptr;
};
