#include "window/services/PrintReport.h"

#include "printing/Printer.h"
#include "window/services/MessageService.h"

#include <QDir>

void reportPrintOutcome(MessageService& messages, const PrintOutcome& outcome, PrintedItem item) {
    const bool record = item == PrintedItem::Record;
    QString text;
    if (outcome.kind() == PrintOutcome::SavedAsPdf) {
        text = (record ? QStringLiteral("The record was saved, but it was not printed: %1\r\nThe "
                                        "page was written to this file, which can be printed "
                                        "elsewhere:\r\n%2")
                       : QStringLiteral("The list was not printed: %1\r\nIt was written to this "
                                        "file, which can be printed elsewhere:\r\n%2"))
                   .arg(outcome.reason(), QDir::toNativeSeparators(outcome.pdfPath()));
    } else if (outcome.kind() == PrintOutcome::Failed) {
        text = (record ? QStringLiteral("The record was saved, but it could not be printed:\r\n%1")
                       : QStringLiteral("The list could not be printed:\r\n%1"))
                   .arg(outcome.reason());
    } else {
        return;
    }
    messages.show(text, record ? QStringLiteral("Print Record") : QStringLiteral("Print List"),
                  MessageButtons::Ok, MessageIcon::Warning);
}
