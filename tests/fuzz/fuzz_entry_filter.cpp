// The filter of every text box and editable list box (window/EntryFilter) on any UTF-16 text, as
// typed or pasted, with the cursor anywhere: an entry it accepts holds no control character and
// only characters Windows-1252 can store, is no longer than what was given, keeps the cursor
// inside it, and is accepted again unchanged; an entry it refuses holds a character the code page
// cannot store.
#include "FuzzCheck.h"
#include "storage/RecordText.h"
#include "storage/Windows1252.h"
#include "window/widgets/EntryFilter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const QString given = FuzzCheck::utf16(data + 1, size - 1);
    static EntryFilter filter;
    QString input = given;
    int pos = given.isEmpty() ? 0 : data[0] % (given.size() + 1);
    const QValidator::State state = filter.validate(input, pos);
    const bool storable = Windows1252::decode(Windows1252::encode(given)) == given;
    if (state != QValidator::Acceptable) {
        FUZZ_CHECK(state == QValidator::Invalid, QString::number(state));
        FUZZ_CHECK(!storable, "a storable entry was refused");
        FUZZ_CHECK(input == given, "a refused entry was changed");
        return 0;
    }
    FUZZ_CHECK(storable, "an entry the file cannot hold was accepted");
    FUZZ_CHECK(input.size() <= given.size(), "the entry grew");
    FUZZ_CHECK(pos >= 0 && pos <= input.size(),
               QStringLiteral("cursor %1 in %2 characters").arg(pos).arg(input.size()));
    for (QChar ch : input)
        FUZZ_CHECK(!RecordText::isControl(ch), "a control character was kept");
    FUZZ_CHECK(Windows1252::decode(Windows1252::encode(input)) == input, "not storable");
    QString again = input;
    int againPos = pos;
    FUZZ_CHECK(filter.validate(again, againPos) == QValidator::Acceptable && again == input &&
                   againPos == pos,
               "an accepted entry changed when checked again");
    return 0;
}
