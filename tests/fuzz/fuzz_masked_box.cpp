// The masked boxes (date, telephone, provider code) and their raw value, the only way the
// program reads them: whatever is set or pasted, the raw value is ASCII digits only, never more
// than the mask's input positions, and is read back unchanged when set again; a raw value set
// from text holds that text's first digits.
#include "FuzzCheck.h"
#include "window/widgets/MaskedEdit.h"

#include <QApplication>

// The system's font configuration, loaded once by the toolkit, stays until the process ends.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    static const QString masks[] = {MaskedEdit::DateMask, MaskedEdit::PhoneMask,
                                    MaskedEdit::ProviderCodeMask};
    const QString& mask = masks[data[0] % 3];
    const QString text = FuzzCheck::utf16(data + 1, size - 1);
    const int positions = int(mask.count(QLatin1Char('#')));
    static MaskedEdit box;
    box.setMaskPattern(mask);

    const auto checkRaw = [&](const QString& how) {
        const QString raw = box.rawValue();
        FUZZ_CHECK(raw.size() <= positions, how + ": " + raw);
        for (QChar ch : raw)
            FUZZ_CHECK(ch >= QLatin1Char('0') && ch <= QLatin1Char('9'), how + ": " + raw);
        box.setRawValue(raw);
        FUZZ_CHECK(box.rawValue() == raw, how + ": set again " + box.rawValue() + " from " + raw);
        return raw;
    };

    box.setRawValue(text);
    QString digits;
    for (QChar ch : text) {
        if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9'))
            digits += ch;
    }
    const QString raw = checkRaw(QStringLiteral("set"));
    FUZZ_CHECK(raw == digits.left(positions), raw + " from " + text);

    // Pasted as the operator would, the cursor anywhere.
    box.clear();
    box.setCursorPosition(data[0] % (mask.size() + 1));
    box.insert(text);
    checkRaw(QStringLiteral("pasted"));
    box.setText(text);
    checkRaw(QStringLiteral("setText"));
    return 0;
}
