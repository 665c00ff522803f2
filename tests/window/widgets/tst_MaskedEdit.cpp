#include "window/widgets/ControlText.h"
#include "window/widgets/MaskedEdit.h"

#include <QComboBox>
#include <QTest>

class tst_MaskedEdit : public QObject {
    Q_OBJECT
private slots:
    // Any warning fails a test, except the offscreen platform noting what it cannot do.
    void init() { QTest::failOnWarning(QRegularExpression("^(?!This plugin does not support).*")); }

    void emptyPositionsShowHash_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("shown");
        QTest::newRow("date") << MaskedEdit::DateMask << "##/##/####";
        QTest::newRow("phone") << MaskedEdit::PhoneMask << "(###) ###-####";
        QTest::newRow("provider") << MaskedEdit::ProviderCodeMask << "######";
    }
    void emptyPositionsShowHash() {
        QFETCH(QString, mask);
        QFETCH(QString, shown);
        MaskedEdit box;
        box.setMaskPattern(mask);
        QCOMPARE(box.displayText(), shown);
        QCOMPARE(box.rawValue(), QString());
        QCOMPARE(controlText(&box), QString());
    }

    // What the operator types, from the start of the box, and what the box then reads.
    void typedRawValue_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("raw");
        QTest::newRow("date complete") << MaskedEdit::DateMask << "12062026"
                                       << "12/06/2026"
                                       << "12062026";
        QTest::newRow("date partial") << MaskedEdit::DateMask << "1206"
                                      << "12/06/####"
                                      << "1206";
        QTest::newRow("date letters refused") << MaskedEdit::DateMask << "1a2/b"
                                              << "12/##/####"
                                              << "12";
        QTest::newRow("date too long") << MaskedEdit::DateMask << "1206202699"
                                       << "12/06/2026"
                                       << "12062026";
        QTest::newRow("phone complete") << MaskedEdit::PhoneMask << "5551234567"
                                        << "(555) 123-4567"
                                        << "5551234567";
        QTest::newRow("phone partial") << MaskedEdit::PhoneMask << "5551"
                                       << "(555) 1##-####"
                                       << "5551";
        QTest::newRow("provider four digits") << MaskedEdit::ProviderCodeMask << "1234"
                                              << "1234##"
                                              << "1234";
        QTest::newRow("provider complete") << MaskedEdit::ProviderCodeMask << "654321"
                                           << "654321"
                                           << "654321";
    }
    void typedRawValue() {
        QFETCH(QString, mask);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, raw);
        MaskedEdit box;
        box.setMaskPattern(mask);
        box.setCursorPosition(0);
        QTest::keyClicks(&box, typed);
        QCOMPARE(box.displayText(), shown);
        QCOMPARE(box.rawValue(), raw);
        QCOMPARE(controlText(&box), raw);
    }

    // A paste holding a control character (a NUL from another program's clipboard): the box
    // reads only the digits it holds, never a blank in a digit's place.
    void pastedControlCharacterIsNoDigit_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("raw");
        QTest::newRow("date, NUL after the month")
            << MaskedEdit::DateMask << QString("12/") + QChar(0) + QString("20") << "1220";
        QTest::newRow("date, NUL first") << MaskedEdit::DateMask << QString(QChar(0)) + "1206"
                                         << "1206";
        QTest::newRow("phone, NUL inside")
            << MaskedEdit::PhoneMask << QString("555") + QChar(0) + "1234"
            << "5551234";
    }
    void pastedControlCharacterIsNoDigit() {
        QFETCH(QString, mask);
        QFETCH(QString, pasted);
        QFETCH(QString, raw);
        MaskedEdit box;
        box.setMaskPattern(mask);
        box.setCursorPosition(0);
        box.insert(pasted);
        QCOMPARE(box.rawValue(), raw);
    }

    // The date checks split whatever the box reports: with gaps between typed positions the
    // raw value is the typed characters in position order, shorter than a complete value.
    void gapsBetweenTypedPositionsAreSkipped() {
        MaskedEdit box;
        box.setMaskPattern(MaskedEdit::DateMask);
        box.setCursorPosition(0);
        QTest::keyClicks(&box, "12");
        box.setCursorPosition(6);
        QTest::keyClicks(&box, "20");
        QCOMPARE(box.displayText(), QString("12/##/20##"));
        QCOMPARE(box.rawValue(), QString("1220"));

        box.clear();
        box.setCursorPosition(3);
        QTest::keyClicks(&box, "06");
        QCOMPARE(box.displayText(), QString("##/06/####"));
        QCOMPARE(box.rawValue(), QString("06"));
    }

    // A click behind the typed digits starts typing at the first free position; a click among
    // them keeps its place, so a digit can be corrected.
    void clickGoesToTheFirstFreePosition() {
        MaskedEdit box;
        box.setMaskPattern(MaskedEdit::DateMask);
        box.resize(120, 22);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(100, 11));
        QCOMPARE(box.cursorPosition(), 0);
        QTest::keyClicks(&box, "1206");
        QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(110, 11));
        QCOMPARE(box.cursorPosition(), 6);
        QTest::keyClicks(&box, "2026");
        QCOMPARE(box.rawValue(), QString("12062026"));

        QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(2, 11));
        QCOMPARE(box.cursorPosition(), 0);
    }

    void writeThenRead_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("raw");
        QTest::newRow("date") << MaskedEdit::DateMask << "12062026"
                              << "12/06/2026"
                              << "12062026";
        QTest::newRow("date empty") << MaskedEdit::DateMask << ""
                                    << "##/##/####"
                                    << "";
        QTest::newRow("phone") << MaskedEdit::PhoneMask << "5551234567"
                               << "(555) 123-4567"
                               << "5551234567";
        QTest::newRow("phone empty") << MaskedEdit::PhoneMask << ""
                                     << "(###) ###-####"
                                     << "";
        QTest::newRow("provider") << MaskedEdit::ProviderCodeMask << "123456"
                                  << "123456"
                                  << "123456";
        QTest::newRow("provider short") << MaskedEdit::ProviderCodeMask << "1234"
                                        << "1234##"
                                        << "1234";
        QTest::newRow("provider blanks") << MaskedEdit::ProviderCodeMask << "      "
                                         << "######"
                                         << "";
        QTest::newRow("non-digits dropped") << MaskedEdit::DateMask << "12 06x2026"
                                            << "12/06/2026"
                                            << "12062026";
    }
    void writeThenRead() {
        QFETCH(QString, mask);
        QFETCH(QString, written);
        QFETCH(QString, shown);
        QFETCH(QString, raw);
        MaskedEdit box;
        box.setMaskPattern(mask);
        box.setRawValue("99999999999999");
        box.setRawValue(written);
        QCOMPARE(box.displayText(), shown);
        QCOMPARE(box.rawValue(), raw);
    }

    void controlTextOfOtherControls() {
        QLineEdit edit;
        edit.setText(" Smith ");
        QCOMPARE(controlText(&edit), QString(" Smith "));
        QComboBox list;
        list.addItems({"Black (1)", "White (3)"});
        list.setCurrentIndex(1);
        QCOMPARE(controlText(&list), QString("White (3)"));
        QComboBox combo;
        combo.setEditable(true);
        combo.setEditText("Springfield");
        QCOMPARE(controlText(&combo), QString("Springfield"));
        QWidget other;
        QCOMPARE(controlText(&other), QString());
    }
};

QTEST_MAIN(tst_MaskedEdit)
#include "tst_MaskedEdit.moc"
