#include "window/widgets/OptionGroup.h"

#include <QAbstractButton>
#include <QButtonGroup>

namespace {

void updateTabStops(QButtonGroup& group) {
    QAbstractButton* selected = group.checkedButton();
    for (QAbstractButton* button : group.buttons()) {
        const bool tabStop = !selected || button == selected;
        button->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

} // namespace

void tabStopAtSelectedOption(QButtonGroup& group) {
    updateTabStops(group);
    QObject::connect(&group, &QButtonGroup::buttonToggled, &group,
                     [&group](QAbstractButton*, bool) { updateTabStops(group); });
}

void clearOptionGroup(QButtonGroup& group) {
    const bool exclusive = group.exclusive();
    group.setExclusive(false);
    for (QAbstractButton* button : group.buttons())
        button->setChecked(false);
    group.setExclusive(exclusive);
}
