#pragma once

#include <QValidator>

class QWidget;

// Keeps what the operator types or pastes into a text box or an editable list box to what a
// record can hold: a pasted line break or tab becomes one blank, and an entry holding a
// character outside Windows-1252 (Greek, Chinese, an emoji) is refused as a whole, so the
// window never shows text that the file would not hold. Maximum lengths are the boxes' own.
class EntryFilter : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// Gives every text box and editable list box of window the filter; masked boxes take digits
// only and keep their mask.
void filterTextEntry(QWidget* window);
