#pragma once

class QButtonGroup;

// Helpers for exclusive groups of option buttons.

// Makes Tab stop only at the selected button of group, wherever it stands in the tab order;
// every button still takes the focus when clicked. Follows later selections by itself. While
// none is selected, Qt's own rule applies: Tab stops at the group's first button in the tab
// order and passes over the others.
void tabStopAtSelectedOption(QButtonGroup& group);

// Clears every button of an exclusive group (a plain setChecked(false) cannot uncheck the
// selected button of an exclusive group). Raises no click.
void clearOptionGroup(QButtonGroup& group);
