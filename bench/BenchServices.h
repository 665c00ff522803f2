#pragma once

#include "BenchSupport.h"
#include "printing/Printer.h"
#include "storage/ResultRecord.h"
#include "window/provider/ProviderCodeCheck.h"
#include "window/services/MessageService.h"

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

// Sample records for the window benchmarks: varied names and dates, so that a filter has something
// to find and the duplicate check finds no two alike.
inline const char* const kLastNames[] = {"Smith",  "Johnson", "Garcia",   "Novak",
                                         "Okafor", "Nguyen",  "Kowalski", "Haddad",
                                         "Brown",  "Rossi",   "Tanaka",   "Dubois"};
inline const char* const kFirstNames[] = {"Anna", "Chidi", "Eva", "Maria",
                                          "Omar", "Li",    "Jan", "Zoe"};

inline ResultRecord sampleRecord(int n) {
    ResultRecord record = newRecord(QStringLiteral("123456"));
    record.set(ResultRecord::DateTaken, QStringLiteral("%1%2%3")
                                            .arg(1 + n % 12, 2, 10, QLatin1Char('0'))
                                            .arg(1 + n % 28, 2, 10, QLatin1Char('0'))
                                            .arg(2020 + n % 6));
    record.set(ResultRecord::LastName,
               QStringLiteral("%1%2").arg(QLatin1String(kLastNames[n % 12])).arg(n / 12));
    record.set(ResultRecord::FirstName, QLatin1String(kFirstNames[n % 8]));
    record.set(ResultRecord::DateOfBirth, QStringLiteral("%1%2%3")
                                              .arg(1 + n % 11, 2, 10, QLatin1Char('0'))
                                              .arg(1 + n % 27, 2, 10, QLatin1Char('0'))
                                              .arg(2010 + n % 10));
    for (auto field : {ResultRecord::StreetNumber, ResultRecord::StreetName, ResultRecord::City,
                       ResultRecord::Zip, ResultRecord::PhoneNumber, ResultRecord::AnalysisDate})
        record.set(field, QStringLiteral("1"));
    record.set(ResultRecord::PbResult, QStringLiteral("%1.5").arg(n % 60));
    record.set(ResultRecord::BelowDetection, QStringLiteral("0"));
    return record;
}
