#include "reference/FollowUpSchedule.h"

#include <QTest>

#include <limits>

using FollowUpSchedule::Sample;

// The schedule at every boundary of its ranges, for both samples, and the due dates it gives
// across month ends and February 29.
class tst_FollowUpSchedule : public QObject {
    Q_OBJECT

private slots:
    void stepAtEveryBoundary_data() {
        QTest::addColumn<bool>("venous");
        QTest::addColumn<double>("level");
        QTest::addColumn<QString>("nextTest"); // empty: no further test
        QTest::addColumn<QDate>("dueBy");      // for a result taken on 03/02/2026

        const double low = -std::numeric_limits<double>::infinity();
        const double high = std::numeric_limits<double>::infinity();
        const QString venousConfirmation("Venous confirmation");
        const QString followUp("Follow-up test");
        struct Line {
            const char* name;
            double level;
            QDate capillaryDue; // invalid: not listed
        };
        const Line lines[] = {
            {"Low Result", low, QDate()},
            {"0", 0.0, QDate()},
            {"3.4", 3.4, QDate()},
            {"3.5", 3.5, QDate(2026, 6, 2)},
            {"9.9", 9.9, QDate(2026, 6, 2)},
            {"10.0", 10.0, QDate(2026, 4, 2)},
            {"19.9", 19.9, QDate(2026, 4, 2)},
            {"20.0", 20.0, QDate(2026, 3, 16)},
            {"44.9", 44.9, QDate(2026, 3, 16)},
            {"45.0", 45.0, QDate(2026, 3, 4)},
            {"65.0", 65.0, QDate(2026, 3, 4)},
            {"High Result", high, QDate(2026, 3, 4)},
        };
        for (const Line& line : lines) {
            const bool listed = line.capillaryDue.isValid();
            QTest::addRow("capillary %s", line.name)
                << false << line.level << (listed ? venousConfirmation : QString())
                << line.capillaryDue;
            QTest::addRow("venous %s", line.name)
                << true << line.level << (listed ? followUp : QString()) << line.capillaryDue;
        }
    }
    void stepAtEveryBoundary() {
        QFETCH(bool, venous);
        QFETCH(double, level);
        QFETCH(QString, nextTest);
        QFETCH(QDate, dueBy);
        const FollowUpSchedule::Step* step =
            FollowUpSchedule::stepFor(venous ? Sample::Venous : Sample::Capillary, level);
        if (nextTest.isEmpty()) {
            QVERIFY(!step);
            return;
        }
        QVERIFY(step);
        QCOMPARE(QString::fromUtf8(step->nextTest), nextTest);
        QCOMPARE(FollowUpSchedule::dueBy(*step, QDate(2026, 3, 2)), dueBy);
    }

    // Calendar months as QDate counts them: the day is kept, or the month's last day taken.
    void dueDatesAcrossMonthEnds_data() {
        QTest::addColumn<double>("level");
        QTest::addColumn<QDate>("taken");
        QTest::addColumn<QDate>("dueBy");
        QTest::newRow("1 month from January 31")
            << 12.0 << QDate(2026, 1, 31) << QDate(2026, 2, 28);
        QTest::newRow("1 month from January 31, leap year")
            << 12.0 << QDate(2028, 1, 31) << QDate(2028, 2, 29);
        QTest::newRow("3 months from November 30")
            << 5.0 << QDate(2026, 11, 30) << QDate(2027, 2, 28);
        QTest::newRow("3 months from February 29")
            << 5.0 << QDate(2028, 2, 29) << QDate(2028, 5, 29);
        QTest::newRow("2 weeks across February 29")
            << 25.0 << QDate(2028, 2, 20) << QDate(2028, 3, 5);
        QTest::newRow("48 hours into March, leap year")
            << 50.0 << QDate(2028, 2, 28) << QDate(2028, 3, 1);
        QTest::newRow("48 hours across the year's end")
            << 50.0 << QDate(2026, 12, 31) << QDate(2027, 1, 2);
    }
    void dueDatesAcrossMonthEnds() {
        QFETCH(double, level);
        QFETCH(QDate, taken);
        QFETCH(QDate, dueBy);
        for (Sample sample : {Sample::Capillary, Sample::Venous}) {
            const FollowUpSchedule::Step* step = FollowUpSchedule::stepFor(sample, level);
            QVERIFY(step);
            QCOMPARE(FollowUpSchedule::dueBy(*step, taken), dueBy);
        }
    }
};

QTEST_APPLESS_MAIN(tst_FollowUpSchedule)
#include "tst_FollowUpSchedule.moc"
