#pragma once

class QButtonGroup;

// Helpers for exclusive groups of option buttons.

// Makes Tab stop only at the selected button of group; while none is selected every button of
// the group is a Tab stop. Every button still takes the focus when clicked. Follows later
// selections by itself.
void tabStopAtSelectedOption(QButtonGroup& group);

// Clears every button of an exclusive group (a plain setChecked(false) cannot uncheck the
// selected button of an exclusive group). Raises no click.
void clearOptionGroup(QButtonGroup& group);
