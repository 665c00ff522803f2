#include "storage/TextValue.h"
#include "validation/EntryRules.h"
#include "validation/Highlight.h"

#include <QTest>

Q_DECLARE_METATYPE(ResultState)

class tst_EntryRules : public QObject {
    Q_OBJECT
private slots:
    void numericValue_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("blanks") << "      " << 0.0;
        QTest::newRow("decimal") << "12.5" << 12.5;
        QTest::newRow("leading blanks") << "   3.3" << 3.3;
        QTest::newRow("trailing text") << "12abc" << 12.0;
        QTest::newRow("second point ends it") << "1.2.3" << 1.2;
        QTest::newRow("lone dot") << "." << 0.0;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("point last") << "5." << 5.0;
        QTest::newRow("minus") << "-2" << -2.0;
        QTest::newRow("plus") << "+4" << 4.0;
        QTest::newRow("sign alone") << "-" << 0.0;
        QTest::newRow("blank after sign") << "- 5" << 0.0;
        QTest::newRow("no number") << "abc" << 0.0;
        QTest::newRow("leading zeros") << "000123" << 123.0;
        QTest::newRow("zeros") << "000000" << 0.0;
        QTest::newRow("inner blank ends it") << "12 456" << 12.0;
        QTest::newRow("no exponent") << "1e3" << 1.0;
    }
    void numericValue() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(TextValue::numericValue(text), value);
    }

    void blankAndHighlight_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("blank");
        QTest::addColumn<bool>("highlighted");
        QTest::newRow("empty") << "" << true << true;
        QTest::newRow("two blanks") << "  " << true << true;
        QTest::newRow("four blanks") << "    " << true << false;
        QTest::newRow("five blanks") << "     " << true << true;
        QTest::newRow("text") << "HHLA" << false << false;
        QTest::newRow("text in blanks") << " a " << false << false;
        QTest::newRow("tab is content") << "\t" << false << false;
    }
    void blankAndHighlight() {
        QFETCH(QString, text);
        QFETCH(bool, blank);
        QFETCH(bool, highlighted);
        QCOMPARE(TextValue::isBlank(text), blank);
        QCOMPARE(Highlight::needsHighlight(text), highlighted);
    }

    void mandatoryFieldsInOrder() {
        QCOMPARE(MandatoryFields.size(), std::size_t(15));
        QCOMPARE(MandatoryFields.front(), ResultRecord::DateTaken);
        QCOMPARE(MandatoryFields[10], ResultRecord::PbResult);
        QCOMPARE(MandatoryFields.back(), ResultRecord::Ancestry);
    }

    void resultBox_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("lowResultFlag");
        QTest::addColumn<bool>("beep");
        QTest::addColumn<ResultState>("state");
        QTest::newRow("70") << "70" << false << true << ResultState::High;
        QTest::newRow("70 with flag") << "70" << true << true << ResultState::High;
        QTest::newRow("65.0") << "65.0" << false << true << ResultState::Measured;
        QTest::newRow("65.1") << "65.1" << false << true << ResultState::High;
        QTest::newRow("15") << "15" << false << false << ResultState::Measured;
        QTest::newRow("15.1") << "15.1" << false << true << ResultState::Measured;
        QTest::newRow("2.0") << "2.0" << false << false << ResultState::Measured;
        QTest::newRow("2.0 with flag") << "2.0" << true << false << ResultState::Low;
        QTest::newRow("3.3 with flag") << "3.3" << true << false << ResultState::Measured;
        QTest::newRow("lone dot") << "." << false << false << ResultState::Measured;
        QTest::newRow("empty with flag") << "" << true << false << ResultState::Low;
    }
    void resultBox() {
        QFETCH(QString, text);
        QFETCH(bool, lowResultFlag);
        QFETCH(bool, beep);
        QFETCH(ResultState, state);
        const ResultBoxDecision decision = EntryRules::decideResultBox(text, lowResultFlag);
        QCOMPARE(decision.beep, beep);
        QCOMPARE(decision.state, state);
    }

    void storedResult_data() {
        QTest::addColumn<QString>("pbResult");
        QTest::addColumn<QString>("belowDetection");
        QTest::addColumn<ResultState>("state");
        QTest::addColumn<bool>("lowResultFlag");
        QTest::newRow("low result") << "    "
                                    << "1" << ResultState::Low << true;
        QTest::newRow("3.2 flagged") << "3.2 "
                                     << "1" << ResultState::Low << true;
        QTest::newRow("3.2 measured") << "3.2 "
                                      << "0" << ResultState::Measured << false;
        QTest::newRow("3.3 flagged") << "3.3 "
                                     << "1" << ResultState::Measured << true;
        QTest::newRow("65") << "65  "
                            << "0" << ResultState::Measured << false;
        QTest::newRow("65.1") << "65.1"
                              << "0" << ResultState::High << false;
        QTest::newRow("66.0") << "66.0"
                              << "0" << ResultState::High << false;
        QTest::newRow("66.0 flagged") << "66.0"
                                      << "1" << ResultState::High << true;
        QTest::newRow("blank record") << "    "
                                      << " " << ResultState::Measured << false;
    }
    void storedResult() {
        QFETCH(QString, pbResult);
        QFETCH(QString, belowDetection);
        QFETCH(ResultState, state);
        QFETCH(bool, lowResultFlag);
        ResultRecord record;
        record.set(ResultRecord::PbResult, pbResult);
        record.set(ResultRecord::BelowDetection, belowDetection);
        const StoredResultDisplay display = EntryRules::storedResultDisplay(record);
        QCOMPARE(display.state, state);
        QCOMPARE(display.lowResultFlag, lowResultFlag);
    }

    void parentsLastName() {
        QCOMPARE(EntryRules::parentsLastAfterLastName("Smith", ""), QString("Smith"));
        QCOMPARE(EntryRules::parentsLastAfterLastName("Smith", "Jones"), QString("Jones"));
        QCOMPARE(EntryRules::parentsLastAfterLastName("Smith", " "), QString(" "));
        QCOMPARE(EntryRules::parentsLastAfterLastName(" Smith ", ""), QString(" Smith "));
        QCOMPARE(EntryRules::parentsLastAfterLastName("", ""), QString(""));
    }
};

QTEST_GUILESS_MAIN(tst_EntryRules)
#include "tst_EntryRules.moc"
