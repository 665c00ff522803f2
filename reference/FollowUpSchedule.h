#pragma once

#include <QDate>
#include <QString>

// When a blood lead result calls for another test, and which: a capillary result at or above the
// reference value is confirmed by a venous test, a venous one is followed up, within a time that
// shrinks as the level rises. The table itself lives in FollowUpSchedule.cpp, in one place.
namespace FollowUpSchedule {

enum class Sample { Capillary, Venous };

// One line of the schedule: a result of this sample whose level lies in [from, below) calls
// for nextTest within months calendar months plus days days of the date taken.
struct Step {
    Sample sample;
    double from; // µg/dL
    double below;
    const char* nextTest;
    int months;
    int days;
};

// The blood lead reference value, µg/dL: a result below it calls for no further test.
double referenceValue();

// The step for a level (a Low Result below every level, a High Result above every level); none
// for a level below the reference value.
const Step* stepFor(Sample sample, double level);

// The day the next test is due by: months as QDate::addMonths counts them (January 31 plus one
// month is the last day of February), then days.
QDate dueBy(const Step& step, const QDate& taken);

} // namespace FollowUpSchedule
