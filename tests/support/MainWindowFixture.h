#pragma once

#include "FixedClock.h"
#include "MainWindowTestAccess.h"
#include "ScriptedMessageService.h"
#include "TestRecords.h"
#include "printing/Printer.h"
#include "storage/ResultRecord.h"
#include "ui_frmKorvanel.h"
#include "window/provider/ProviderCodeCheck.h"

#include <QByteArray>
#include <QList>
#include <QQueue>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

class MainWindowController;
class frmKorvanel;

// A printer that keeps the pages it is given and answers with a chosen outcome.
class FakePrinter : public Printer {
public:
    PrintOutcome printPage(const QStringList& lines, const QString& pdfFallbackPath) override;
    // A document is kept as its lines, one entry of pages, and handed on whole when passTo is set.
    PrintOutcome printDocument(const PrintedDocument& document, const QString& pdfFallbackPath,
                               const PrintProgress& progress) override;

    QList<QStringList> pages;
    QString lastPdfPath;
    std::optional<PrintOutcome> nextOutcome; // printed when unset
    Printer* passTo = nullptr; // when set, the page goes on to it and its outcome is returned
};

// Answers the provider-code dialog from a script; with nothing queued it answers as Cancel.
class ScriptedProviderCodePrompt : public ProviderCodePrompt {
public:
    Answer ask(const QString& enteredProviderCode, const QString& codeInForce) override;

    // OK with this raw value in the box.
    void answerOk(const QString& code) { answers.enqueue(code); }
    // Cancel (or closing the dialog): the code in force comes back.
    void answerCancel() { answers.enqueue(std::nullopt); }

    QQueue<std::optional<QString>> answers;
    // Runs while the dialog "is open", before the answer is given.
    std::function<void()> whileOpen;
    int asked = 0;
    QString lastShown;       // EnteredProviderCode when the dialog opened
    QString lastCodeInForce; // what Cancel would give back
};

// The main window with scripted services on a program folder of its own (a temporary folder
// that stands for AppPath). Prepare AppData files first, then start().
class MainWindowFixture {
public:
    MainWindowFixture();
    // The window on a program folder that already exists and outlives the fixture, e.g. to
    // start again where another fixture left its files.
    explicit MainWindowFixture(const QString& appPath);
    ~MainWindowFixture();

    QString appPath() const;
    // AppPath + "/" + relative, e.g. path("AppData/Korvanel.dat").
    QString path(const QString& relative) const;
    void writeFile(const QString& relative, const QByteArray& bytes) const;
    QByteArray readFile(const QString& relative) const;
    bool exists(const QString& relative) const;
    // Writes AppData/Korvanel.dat holding these records (creating AppData).
    void writeRecords(const QList<ResultRecord>& records) const;
    // The records of AppData/Korvanel.dat, each 198 bytes decoded.
    QList<ResultRecord> storedRecords() const;
    // Writes AppData/provider.txt.
    void setProviderFile(const QByteArray& bytes) const;

    // Builds the window and its controller and runs start-up; the window is shown and active,
    // and the city list is in its box.
    // Returns what StartUp() returned.
    bool start();

    frmKorvanel& window();
    Ui::frmKorvanel& form();
    // The parts of the controller, e.g. controller().presenter().
    MainWindowTestAccess controller();
    // The run's state, read from its owners at this moment.
    RunState state();

    // What the operator sees of the window's state in one line: record numbers, edit mode,
    // enabled buttons, the Delete caption, two typed fields and the title's position.
    QString describeWindowState();

    // A complete record: every mandatory field filled, provider code 123456, result 12.5.
    static ResultRecord completeRecord(const QString& lastName = QStringLiteral("Smith")) {
        return TestRecords::completeRecord(lastName);
    }

    ScriptedMessageService messages;
    // Set before start(): the window shows real modal message boxes (answer them with a
    // ModalBoxAnswerer); messages then records nothing.
    bool realMessageBoxes = false;
    FixedClock clock;
    FakePrinter printer;
    ScriptedProviderCodePrompt prompt;
    // Set before start(): runs on the controller's parts once they are built, before start-up.
    std::function<void(MainWindowTestAccess)> beforeStartUp;
    // Set when the program asked to end, with its exit status.
    std::optional<int> exitCode;

private:
    QTemporaryDir dir_;
    QString appPath_; // set when the fixture works on a given folder instead of dir_
    QtMessageService realMessages_;
    std::unique_ptr<frmKorvanel> window_;
    std::unique_ptr<MainWindowController> controller_;
};
