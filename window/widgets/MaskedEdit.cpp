#include "window/widgets/MaskedEdit.h"

namespace {

const QChar InputPosition = u'#';
const QChar EmptyPosition = u'#';

// Characters with a meaning in QLineEdit's input-mask syntax; as literals they need a "\".
bool isQtMaskMetaCharacter(QChar c) {
    return QStringLiteral("AaNnXx90DdHhBb#><!;[]{}\\").contains(c);
}

QString toQtInputMask(const QString& pattern) {
    QString mask;
    for (QChar c : pattern) {
        if (c == InputPosition) {
            mask += u'9';
        } else {
            if (isQtMaskMetaCharacter(c))
                mask += u'\\';
            mask += c;
        }
    }
    return mask + u';' + EmptyPosition;
}

} // namespace

MaskedEdit::MaskedEdit(QWidget* parent) : QLineEdit(parent) {}

void MaskedEdit::setMaskPattern(const QString& pattern) {
    pattern_ = pattern;
    setInputMask(pattern.isEmpty() ? QString() : toQtInputMask(pattern));
    clear();
}

QString MaskedEdit::rawValue() const {
    if (pattern_.isEmpty())
        return text();
    // text() keeps the literals and drops empty positions, which loses where the typed
    // characters stand; the displayed text has one character per mask position.
    const QString shown = displayText();
    QString raw;
    // Only digits count: a pasted control character can stand in an input position (shown as
    // a blank) and must never reach the date checks as part of the value.
    for (qsizetype i = 0; i < pattern_.size() && i < shown.size(); ++i) {
        if (pattern_[i] == InputPosition && shown[i] >= u'0' && shown[i] <= u'9')
            raw += shown[i];
    }
    return raw;
}

void MaskedEdit::setRawValue(const QString& text) {
    if (pattern_.isEmpty()) {
        setText(text);
        return;
    }
    QString digits;
    for (QChar c : text) {
        if (c.isDigit() && c.unicode() < 128)
            digits += c;
    }
    // QLineEdit places the digits into the input positions in order and skips the literals.
    if (digits.isEmpty())
        clear();
    else
        setText(digits);
}

int MaskedEdit::firstFreePosition() const {
    // The position after the last filled input position: where typing naturally goes on.
    const QString shown = displayText();
    int free = 0;
    for (qsizetype i = 0; i < pattern_.size() && i < shown.size(); ++i) {
        if (pattern_[i] == InputPosition && shown[i] != EmptyPosition)
            free = static_cast<int>(i) + 1;
    }
    while (free < pattern_.size() && pattern_[free] != InputPosition)
        ++free;
    return free;
}

void MaskedEdit::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    // A click behind the typed digits would start the entry in the middle of the mask (a
    // click into an empty date box typing into the year); the cursor goes to the first free
    // position instead. Clicks among typed digits keep their place for corrections.
    if (!pattern_.isEmpty() && !hasSelectedText() && cursorPosition() > firstFreePosition())
        setCursorPosition(firstFreePosition());
}
