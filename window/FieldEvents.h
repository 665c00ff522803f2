#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>

class QAbstractButton;
class QComboBox;
class QWidget;

// The field events of one window, in the order its handlers rely on:
//
// lostFocus(field): a watched text box, combo box or masked edit box lost the focus to another
//   control of the same window, moved there by the operator (Tab, mouse) or by the program
//   (setFocus). Not raised when the window itself is deactivated (a message box or dialog
//   opens: the focus returns to the same control when it closes) nor when a combo box opens
//   its popup list: both move the focus to another window. Realised on
//   QApplication::focusChanged(old, now), which Qt emits after the focus moved, filtered to
//   both widgets lying in this window.
//   While a lostFocus handler runs, moving the focus away from the control that has only just
//   received it (the handler sending the focus back to its own field) raises no lostFocus of
//   that control: it never held the focus in the operator's eyes.
//
// Order against mouse clicks: a button takes the focus on the mouse press, before its click is
//   raised on the release, so the field's lostFocus always runs first. When the lostFocus
//   handler opens a modal box (a window of its own), the operator's release lands on the
//   blocked window and is lost, which would swallow the click. This class sees the box open
//   (the window receives QEvent::WindowBlocked) and, when the press then reaches the button,
//   takes the press itself and runs the button's click at once, exactly once; a release that
//   still arrives later is dropped.
//
// optionClicked(option): a watched option button became selected, by the operator or by the
//   program (setChecked(true)); not when it was selected already, not when it is cleared.
//
// comboClicked(combo): the operator chose an entry of a watched combo box from its open list
//   (a mouse click, or Enter on the entry), stepped to another entry with the arrow or page
//   keys, or picked one of a drop-down list by its first letter; or the program selected an
//   entry through selectEntry(). Text typed into an editable box is no choice, even when it
//   equals an entry and the operator then presses Enter or leaves the box.
class FieldEvents : public QObject {
    Q_OBJECT
public:
    // window: the top-level widget, built with all its buttons.
    explicit FieldEvents(QWidget* window);

    void watchLostFocus(QWidget* field);
    void watchOptionClick(QAbstractButton* option);
    void watchComboClick(QComboBox* combo);

    // Selects the entry at index as the program does and raises the combo's click; an index
    // outside the list clears the selection and raises nothing.
    void selectEntry(QComboBox* combo, int index);

signals:
    void lostFocus(QWidget* field);
    void optionClicked(QAbstractButton* option);
    void comboClicked(QComboBox* combo);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onFocusChanged(QWidget* old, QWidget* now);
    QWidget* watchedFieldOf(QWidget* widget) const;
    bool takeSwallowedClick(QAbstractButton* button, QEvent* event);
    bool commitTypedText(QObject* watched, QEvent* event);

    QWidget* window_;
    QSet<QWidget*> fields_;
    int windowBlocks_ = 0;
    QPointer<QWidget> justArrived_;
    QPointer<QAbstractButton> clickToRun_;
    QPointer<QAbstractButton> releaseToDrop_;
    // The editable combo box whose typed text is being committed (Enter, loss of focus).
    QPointer<QComboBox> committingTypedText_;
};
