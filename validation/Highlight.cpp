#include "validation/Highlight.h"

#include "validation/TextValue.h"

bool needsHighlight(const QString& controlText) {
    if (controlText == QLatin1String("    "))
        return false;
    return isBlank(controlText);
}
