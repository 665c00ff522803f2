#pragma once

#include "printing/Printer.h"
#include "window/MessageService.h"
#include "window/ProviderCodeCheck.h"

#include <QStringList>

// Services for benchmarks that build the real main window: every box answered at once (its
// title kept), nothing printed, the provider code in force kept.
class QuietMessages : public MessageService {
public:
    MessageAnswer show(const QString&, const QString& title, MessageButtons buttons,
                       MessageIcon) override {
        titles.append(title);
        return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
    void beep() override {}
    QStringList titles;
};

class NoPrinter : public Printer {
public:
    PrintOutcome printPage(const QStringList&, const QString&) override {
        return PrintOutcome::printed();
    }
};

class KeepCode : public ProviderCodePrompt {
public:
    Answer ask(const QString&, const QString& codeInForce) override { return {codeInForce, true}; }
};

// Last names for sample records, so that a filter has something to find.
inline const char* const kLastNames[] = {"Smith",  "Johnson", "Garcia",   "Novak",
                                         "Okafor", "Nguyen",  "Kowalski", "Haddad",
                                         "Brown",  "Rossi",   "Tanaka",   "Dubois"};
