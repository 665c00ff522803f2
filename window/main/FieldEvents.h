#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>

class QAbstractButton;
class QComboBox;
class QWidget;

// The field events of one window.
//
// lostFocus(field): a watched field lost the focus to another control of the same window. A
//   message box or a combo's popup taking the focus is no departure: the focus comes back. A
//   handler sending the focus back to its own field raises nothing more.
// A button takes the focus on the mouse press, so the field's lostFocus runs before the click.
//   When that handler opens a modal box, the box swallows the release; the press then runs the
//   button's click itself, exactly once.
// leaveFocusedField(): raises lostFocus of the field that holds the window's focus (kept while
//   a menu or a dialog of its own has the keyboard), as a click on a button of the window would,
//   without moving the focus. Commands that leave the shown record from outside the window's
//   controls run the field's rule through it.
// optionClicked(option): an option button became selected, by the operator or the program.
// comboClicked(combo): the operator chose an entry from the open list, stepped to another with
//   the arrow or page keys, or picked one of a drop-down list by its first letter; or the
//   program selected one through selectEntry(). Text typed into an editable box is no choice,
//   even when it equals an entry.
class FieldEvents : public QObject {
    Q_OBJECT
public:
    // window: the top-level widget, built with all its buttons.
    explicit FieldEvents(QWidget* window);

    void watchLostFocus(QWidget* field);
    void watchOptionClick(QAbstractButton* option);
    void watchComboClick(QComboBox* combo);

    void leaveFocusedField();

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
