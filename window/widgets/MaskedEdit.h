#pragma once

#include <QLineEdit>

// An edit box restricted to the positions of a mask, used for the date, telephone and
// provider-code boxes.
//
// Mask notation: "#" is an input position for one digit, every other character is a literal
// shown in place ("##/##/####"). Empty input positions show "#".
//
// The program reads and writes these boxes only through their raw value: the characters typed
// into the input positions, in position order, without the literals. Empty positions add
// nothing, so a partly filled box gives a shorter text: typing "12" into the month and "20"
// into the year of "##/##/####" reads "1220". Callers that split the raw value (the date
// checks) must not assume it is complete.
class MaskedEdit : public QLineEdit {
    Q_OBJECT
public:
    static inline const QString DateMask = QStringLiteral("##/##/####");
    static inline const QString PhoneMask = QStringLiteral("(###) ###-####");
    static inline const QString ProviderCodeMask = QStringLiteral("######");

    explicit MaskedEdit(QWidget* parent = nullptr);

    // Sets the mask in the notation above; the box is emptied. An empty pattern removes the
    // mask and the box accepts any text.
    void setMaskPattern(const QString& pattern);
    QString maskPattern() const { return pattern_; }

    // The typed characters of the input positions, in order, without literals; "" when empty.
    QString rawValue() const;

    // Fills the input positions in order from text; characters that an input position cannot
    // take (non-digits) are dropped, positions beyond the text stay empty. "" clears the box.
    void setRawValue(const QString& text);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    int firstFreePosition() const;

    QString pattern_;
};
