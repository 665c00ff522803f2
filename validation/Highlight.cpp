#include "validation/Highlight.h"

#include "storage/TextValue.h"
#include "validation/EntryRules.h"

bool Highlight::needsHighlight(const QString& controlText) {
    if (controlText == QLatin1String(LowResultText))
        return false;
    return TextValue::isBlank(controlText);
}
