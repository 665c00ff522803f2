#pragma once

class MessageService;
class PrintOutcome;

// What was handed to the printer: a record from the main window, or a list from a list window.
enum class PrintedItem { Record, List };

// Tells the operator, once, what became of a page that did not reach the printer: the PDF
// written in its place and why, or why nothing could be written. Nothing is said of a page
// that was printed.
void reportPrintOutcome(MessageService& messages, const PrintOutcome& outcome, PrintedItem item);
