#include "storage/ResultRecord.h"

#include "storage/TextValue.h"
#include "storage/Windows1252.h"

namespace {

constexpr std::array<int, ResultRecord::FieldCount> kWidths = {
    8, 20, 12, 1, 8, 1, 6, 20, 4, 20, 5, 12, 20, 3, 8, 1, 2, 8, 4, 1, 1, 6, 20, 5, 2};

constexpr std::array<int, ResultRecord::FieldCount> offsets() {
    std::array<int, ResultRecord::FieldCount> result{};
    int offset = 0;
    for (int i = 0; i < ResultRecord::FieldCount; ++i) {
        result[i] = offset;
        offset += kWidths[i];
    }
    return result;
}

constexpr std::array<int, ResultRecord::FieldCount> kOffsets = offsets();
static_assert(kOffsets[ResultRecord::LineEnd] + kWidths[ResultRecord::LineEnd] ==
                  ResultRecord::Size,
              "the fields fill the record exactly");

} // namespace

int ResultRecord::width(Field field) {
    return kWidths[field];
}

int ResultRecord::offset(Field field) {
    return kOffsets[field];
}

ResultRecord::ResultRecord() {
    blank();
}

void ResultRecord::set(Field field, const QString& value) {
    // Held in memory exactly as it will be stored: one character a byte, unmappable ones as "?".
    const QString storable =
        Windows1252::keepsAsIs(value) ? value : Windows1252::decode(Windows1252::encode(value));
    fields_[field] = storable.left(kWidths[field]).leftJustified(kWidths[field], QLatin1Char(' '));
}

QString ResultRecord::get(Field field) const {
    return fields_[field];
}

QString ResultRecord::trimmed(Field field) const {
    // Only blanks are removed: a tab or other character typed into a field stays part of it.
    return TextValue::trimBlanks(fields_[field]);
}

void ResultRecord::blank() {
    // Shared, so that a new record allocates nothing until a field is set.
    static const std::array<QString, FieldCount> blanks = [] {
        std::array<QString, FieldCount> made;
        for (int i = 0; i < FieldCount; ++i)
            made[size_t(i)] = QString(kWidths[i], QLatin1Char(' '));
        return made;
    }();
    fields_ = blanks;
}

QByteArray ResultRecord::encode() const {
    QByteArray bytes;
    bytes.reserve(Size);
    for (const QString& field : fields_)
        bytes.append(Windows1252::encode(field));
    return bytes;
}

ResultRecord ResultRecord::decode(const QByteArray& bytes) {
    QByteArray padded = bytes.left(Size);
    if (padded.size() < Size)
        padded.append(QByteArray(Size - padded.size(), ' '));
    ResultRecord record;
    // Each field straight from the bytes: a file of records is decoded tens of thousands at once.
    const QByteArrayView whole(padded);
    for (int i = 0; i < FieldCount; ++i)
        record.fields_[i] = Windows1252::decode(whole.sliced(kOffsets[i], kWidths[i]));
    return record;
}
