#include "window/widgets/ControlText.h"

#include "window/widgets/MaskedEdit.h"

#include <QComboBox>

QString controlText(const QWidget* control) {
    if (auto masked = qobject_cast<const MaskedEdit*>(control))
        return masked->rawValue();
    if (auto edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (auto combo = qobject_cast<const QComboBox*>(control))
        return combo->currentText();
    return QString();
}
