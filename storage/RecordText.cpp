#include "storage/RecordText.h"

#include "storage/Windows1252.h"

#include <algorithm>

bool RecordText::isControl(QChar ch) {
    return ch.unicode() < 0x20 || ch.unicode() == 0x7F;
}

ResultRecord RecordText::withControlsBlanked(ResultRecord record) {
    for (int index = 0; index < ResultRecord::LineEnd; ++index) {
        const auto field = static_cast<ResultRecord::Field>(index);
        QString value = record.get(field);
        bool changed = false;
        for (QChar& ch : value) {
            if (isControl(ch)) {
                ch = u' ';
                changed = true;
            }
        }
        if (changed)
            record.set(field, value);
    }
    return record;
}

std::optional<QString> RecordText::fromEntry(const QString& text) {
    // Most text holds neither a control character nor one outside the code page: as it is.
    if (Windows1252::keepsAsIs(text) && std::none_of(text.begin(), text.end(), isControl))
        return text;
    // The code page round trip keeps every character it can hold; anything else comes back "?".
    if (Windows1252::decode(Windows1252::encode(text)) != text)
        return std::nullopt;
    QString entry;
    entry.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (!isControl(ch)) {
            entry += ch;
            continue;
        }
        // CR LF is one line break: one blank.
        if (ch == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        entry += u' ';
    }
    return entry;
}
