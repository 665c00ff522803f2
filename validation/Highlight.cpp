#include "validation/Highlight.h"

#include "validation/EntryRules.h"
#include "validation/TextValue.h"

bool needsHighlight(const QString& controlText) {
    if (controlText == QLatin1String(LowResultText))
        return false;
    return isBlank(controlText);
}
