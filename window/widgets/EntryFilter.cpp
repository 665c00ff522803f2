#include "window/widgets/EntryFilter.h"

#include "storage/RecordText.h"
#include "window/widgets/MaskedEdit.h"

#include <QComboBox>
#include <QLineEdit>

QValidator::State EntryFilter::validate(QString& input, int& pos) const {
    const std::optional<QString> entry = RecordText::fromEntry(input);
    if (!entry)
        return Invalid;
    if (*entry != input) {
        pos = static_cast<int>(RecordText::fromEntry(input.left(pos)).value_or(*entry).size());
        input = *entry;
    }
    return Acceptable;
}

void filterTextEntry(QWidget* window) {
    auto* filter = new EntryFilter(window);
    for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
        if (!qobject_cast<MaskedEdit*>(edit))
            edit->setValidator(filter);
    }
}
