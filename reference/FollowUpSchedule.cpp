#include "reference/FollowUpSchedule.h"

#include <limits>

namespace {

using FollowUpSchedule::Sample;
using FollowUpSchedule::Step;

constexpr double kHighest = std::numeric_limits<double>::infinity();

// CDC, Childhood Lead Poisoning Prevention, "Recommended Actions Based on Blood Lead Level"
// (blood lead reference value 3.5 µg/dL, adopted October 2021). For venous results CDC gives
// early follow-up ranges (3 months; 1-3 months; 2 weeks-1 month; as soon as possible): the
// earliest end of each is the one listed. A new reference value is an edit of kReferenceValue.
constexpr double kReferenceValue = 3.5;
constexpr Step kSchedule[] = {
    {Sample::Capillary, kReferenceValue, 10.0, "Venous confirmation", 3, 0},
    {Sample::Capillary, 10.0, 20.0, "Venous confirmation", 1, 0},
    {Sample::Capillary, 20.0, 45.0, "Venous confirmation", 0, 14},
    {Sample::Capillary, 45.0, kHighest, "Venous confirmation", 0, 2},
    {Sample::Venous, kReferenceValue, 10.0, "Follow-up test", 3, 0},
    {Sample::Venous, 10.0, 20.0, "Follow-up test", 1, 0},
    {Sample::Venous, 20.0, 45.0, "Follow-up test", 0, 14},
    {Sample::Venous, 45.0, kHighest, "Follow-up test", 0, 2},
};

} // namespace

double FollowUpSchedule::referenceValue() {
    return kReferenceValue;
}

const Step* FollowUpSchedule::stepFor(Sample sample, double level) {
    for (const Step& step : kSchedule) {
        // A High Result (infinity) lies in the last range: below is never reached.
        if (step.sample == sample && level >= step.from &&
            (level < step.below || step.below == kHighest))
            return &step;
    }
    return nullptr;
}

QDate FollowUpSchedule::dueBy(const Step& step, const QDate& taken) {
    return taken.addMonths(step.months).addDays(step.days);
}
