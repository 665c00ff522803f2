#include "validation/DateCheck.h"

#include <QTest>

namespace {

const QDate kToday(2026, 12, 7);
const QString kAdvice = QStringLiteral("\r\nEnter MM/DD/YYYY (4 digit year required).");

} // namespace

class tst_DateCheck : public QObject {
    Q_OBJECT
private slots:
    void validateDate_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("dateTaken");
        QTest::addColumn<QString>("dateOfBirth");
        QTest::addColumn<QString>("analysisDate");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("emptyBox");

        const QString none;
        const QString dtInvalid = "Date Taken is not valid or is incomplete." + kAdvice;
        const QString dobInvalid = "Date of Birth Taken is not valid or is incomplete." + kAdvice;
        const QString adInvalid = "Analysis Date is not valid or is incomplete." + kAdvice;

        QTest::newRow("empty entry never reported") << "" << 1 << ""
                                                    << ""
                                                    << "" << none << false;
        QTest::newRow("empty entry with others set") << "" << 2 << "03012025"
                                                     << ""
                                                     << "03012025" << none << false;

        // Form and calendar.
        QTest::newRow("leap day 2024") << "02292024" << 1 << ""
                                       << ""
                                       << "" << none << false;
        QTest::newRow("leap day 2000") << "02292000" << 2 << ""
                                       << ""
                                       << "" << none << false;
        QTest::newRow("no leap day 2023") << "02292023" << 1 << ""
                                          << ""
                                          << "" << dtInvalid << false;
        QTest::newRow("no leap day 1900") << "02291900" << 2 << ""
                                          << ""
                                          << "" << dobInvalid << false;
        QTest::newRow("april 31") << "04312024" << 3 << ""
                                  << ""
                                  << "" << adInvalid << false;
        QTest::newRow("1899") << "12311899" << 2 << ""
                              << ""
                              << "" << dobInvalid << false;
        QTest::newRow("1900") << "01011900" << 2 << ""
                              << ""
                              << "" << none << false;
        QTest::newRow("2100") << "01012100" << 1 << ""
                              << ""
                              << "" << dtInvalid << false;
        QTest::newRow("month 00") << "00152020" << 1 << ""
                                  << ""
                                  << "" << dtInvalid << false;
        QTest::newRow("day 00") << "01002020" << 1 << ""
                                << ""
                                << "" << dtInvalid << false;
        QTest::newRow("first pair above 12 is no day") << "25122020" << 3 << ""
                                                       << ""
                                                       << "" << adInvalid << false;
        QTest::newRow("month 13") << "13012020" << 1 << ""
                                  << ""
                                  << "" << dtInvalid << false;

        // Short raw values are split by position: first two, third and fourth, last four.
        QTest::newRow("short: 4 digits") << "1206" << 1 << ""
                                         << ""
                                         << "" << dtInvalid << false;
        QTest::newRow("short: 7 digits") << "1207202" << 1 << ""
                                         << ""
                                         << "" << dtInvalid << false;
        QTest::newRow("short: one digit") << "1" << 2 << ""
                                          << ""
                                          << "" << dobInvalid << false;
        QTest::newRow("short: pieces form 01/19/1920") << "011920" << 2 << ""
                                                       << ""
                                                       << "" << none << false;
        QTest::newRow("short: pieces form 01/11/1920") << "0111920" << 1 << ""
                                                       << ""
                                                       << "" << none << false;

        // Future: today passes for every date, tomorrow fails with the date's own text.
        QTest::newRow("date taken today") << "12072026" << 1 << ""
                                          << ""
                                          << "" << none << false;
        QTest::newRow("birth today") << "12072026" << 2 << ""
                                     << ""
                                     << "" << none << false;
        QTest::newRow("analysis today") << "12072026" << 3 << ""
                                        << ""
                                        << "" << none << false;
        QTest::newRow("date taken tomorrow")
            << "12082026" << 1 << ""
            << ""
            << ""
            << "Date Taken must be earlier than or equal to today." << false;
        QTest::newRow("birth tomorrow") << "12082026" << 2 << ""
                                        << ""
                                        << ""
                                        << "Date of Birth must be earlier than today." << false;
        QTest::newRow("analysis tomorrow")
            << "12082026" << 3 << ""
            << ""
            << ""
            << "Analysis Date must be earlier than or equal to today." << false;
        QTest::newRow("next year, earlier month")
            << "01012027" << 1 << ""
            << ""
            << ""
            << "Date Taken must be earlier than or equal to today." << false;
        QTest::newRow("future before order rules")
            << "12082026" << 1 << ""
            << ""
            << "12012026"
            << "Date Taken must be earlier than or equal to today." << false;
        QTest::newRow("calendar before future") << "02302099" << 1 << ""
                                                << ""
                                                << "" << dtInvalid << false;

        // Order rules empty the box.
        QTest::newRow("taken after analysis") << "03022025" << 1 << ""
                                              << ""
                                              << "03012025"
                                              << "Date Taken must be before or equal to Analysis "
                                                 "Date"
                                              << true;
        QTest::newRow("taken before birth")
            << "07031950" << 1 << ""
            << "07041950"
            << ""
            << "Date Taken must be equal to or after Date of Birth" << true;
        QTest::newRow("taken: first rule wins")
            << "03032025" << 1 << ""
            << "03052025"
            << "03012025"
            << "Date Taken must be before or equal to Analysis Date" << true;
        QTest::newRow("taken compares across years") << "12312025" << 1 << ""
                                                     << ""
                                                     << "01012026" << none << false;
        QTest::newRow("birth after taken")
            << "03022025" << 2 << "03012025"
            << ""
            << ""
            << "Date of Birth must be equal to or before Date Taken" << true;
        QTest::newRow("birth after analysis")
            << "03022025" << 2 << ""
            << ""
            << "03012025"
            << "Date of Birth must be equal to or before Analysis Date" << true;
        QTest::newRow("birth: first rule wins")
            << "03022025" << 2 << "03012025"
            << ""
            << "02012025"
            << "Date of Birth must be equal to or before Date Taken" << true;
        QTest::newRow("birth with others empty") << "07041950" << 2 << ""
                                                 << ""
                                                 << "" << none << false;
        QTest::newRow("analysis before taken")
            << "02282025" << 3 << "03012025"
            << ""
            << ""
            << "Analysis Date must be equal to or after Date Taken" << true;
        QTest::newRow("analysis before birth")
            << "03012025" << 3 << ""
            << "03052025"
            << ""
            << "Analysis Date must be equal to or after Date of Birth" << true;
        QTest::newRow("analysis: first rule wins")
            << "02012025" << 3 << "03012025"
            << "01012025"
            << ""
            << "Analysis Date must be equal to or after Date Taken" << true;
        QTest::newRow("all equal, taken") << "03012025" << 1 << "03012025"
                                          << "03012025"
                                          << "03012025" << none << false;
        QTest::newRow("all equal, birth") << "03012025" << 2 << "03012025"
                                          << "03012025"
                                          << "03012025" << none << false;
        QTest::newRow("all equal, analysis") << "03012025" << 3 << "03012025"
                                             << "03012025"
                                             << "03012025" << none << false;
        QTest::newRow("box under test read from the entry") << "03012025" << 1 << "09092025"
                                                            << ""
                                                            << "03012025" << none << false;

        // Codes outside 1 to 3 do nothing, even for an invalid entry.
        QTest::newRow("code 0") << "99999999" << 0 << ""
                                << ""
                                << "" << none << false;
        QTest::newRow("code 4") << "99999999" << 4 << ""
                                << ""
                                << "" << none << false;
    }

    void validateDate() {
        QFETCH(QString, entry);
        QFETCH(int, which);
        QFETCH(QString, dateTaken);
        QFETCH(QString, dateOfBirth);
        QFETCH(QString, analysisDate);
        QFETCH(QString, message);
        QFETCH(bool, emptyBox);

        const DateCheckDecision decision = DateCheck::decideValidateDate(
            entry, static_cast<WhichDate>(which), {dateTaken, dateOfBirth, analysisDate}, kToday);
        QCOMPARE(decision.message, message);
        QCOMPARE(decision.showMessage, !message.isEmpty());
        QCOMPARE(decision.focusBox, !message.isEmpty());
        QCOMPARE(decision.emptyBox, emptyBox);
    }

    void dateNumber_data() {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<int>("number");
        QTest::newRow("complete") << "12062026" << 20261206;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("four digits by position") << "1206" << 12061206;
        QTest::newRow("one digit") << "7" << 77;
    }
    void dateNumber() {
        QFETCH(QString, raw);
        QFETCH(int, number);
        QCOMPARE(DateCheck::dateNumber(raw), number);
    }

    void todayAsRawValue() {
        QCOMPARE(DateCheck::dateRawValue(QDate(2026, 12, 6)), QString("12062026"));
        QCOMPARE(DateCheck::dateRawValue(QDate(1999, 1, 2)), QString("01021999"));
        QCOMPARE(QString(DateEntryErrorTitle), QString("Date Entry Error"));
    }
};

QTEST_GUILESS_MAIN(tst_DateCheck)
#include "tst_DateCheck.moc"
