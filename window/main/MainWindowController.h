#pragma once

#include "storage/FileStatus.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class AfterFirstPaint;
class Clock;
class DeleteRecovery;
class DuplicateIndex;
class DuplicateWarning;
class MainMenu;
class ImportRecordsCommand;
class RecordMenuCommands;
class FieldRules;
class FollowUpCommands;
class HelpCommands;
class MessageService;
class Printer;
class ProviderCodeCheck;
class ProviderCodePrompt;
class RecordCommands;
class RecordPresenter;
class RecordStore;
class SentRecordsReading;
class SubmissionCommand;
class SubmissionHistoryCommands;
class frmKorvanel;
namespace Ui {
class frmKorvanel;
}

// The platform services the main window works through; tests give scripted ones.
struct MainWindowServices {
    MessageService& messages;
    Clock& clock;
    Printer& printer;
    ProviderCodePrompt& providerCodePrompt;
};

// Gives the main window its behaviour: owns the data file and the classes that work on the
// window, each handed the controls and services it uses, runs start-up, and connects them. Made
// by frmKorvanel::makeController; its creator owns it and keeps the window alive longer.
class MainWindowController : public QObject {
    Q_OBJECT
public:
    MainWindowController(frmKorvanel& window, Ui::frmKorvanel& controls, QString appPath,
                         MainWindowServices services);
    ~MainWindowController() override;

    // Start-up from the folders to the focus. False when the program must end: the operator
    // has then been told why, and finished() tells the exit status.
    bool StartUp();

signals:
    // The program must end now, with this exit status.
    void finished(int exitCode);

private:
    friend class MainWindowTestAccess; // tests/support: the parts, for tests and benchmarks

    // Shows one message naming the file and the system's reason.
    void reportFileFailure(const FileStatus& status);
    bool failStartUp(const FileStatus& status);
    // The click of cmdChangeProviderCode, or start-up's check (startup).
    void runProviderCodeCheck(bool startup);
    void keepTypedListText();
    void centreWindow();
    void fillFixedLists();
    void buildRecordsMenu();
    void buildHelpMenu();
    FileStatus loadPhysicians();
    FileStatus loadCities();
    void fillCities(const QByteArray& cityFile);

    frmKorvanel& window_;
    Ui::frmKorvanel& controls_;
    MainWindowServices services_;
    const QString appPath_; // the program's folder, without a trailing separator
    std::unique_ptr<RecordStore> store_;
    std::unique_ptr<ProviderCodeCheck> providerCodeCheck_;
    std::unique_ptr<RecordPresenter> presenter_;
    std::unique_ptr<FieldRules> fieldRules_;
    std::unique_ptr<DeleteRecovery> deleteRecovery_;
    std::unique_ptr<SubmissionCommand> submission_;
    std::unique_ptr<RecordCommands> commands_;
    std::unique_ptr<DuplicateIndex> duplicates_;
    // Reads Submit for duplicates_ in a worker, started once the window is first drawn; declared
    // after the index, so that it is stopped (and its worker waited for) before the index goes.
    std::unique_ptr<SentRecordsReading> sentReading_;
    MainMenu* menu_ = nullptr;
    RecordMenuCommands* recordMenu_ = nullptr;
    ImportRecordsCommand* importRecords_ = nullptr;
    DuplicateWarning* duplicateWarning_ = nullptr;
    SubmissionHistoryCommands* historyCommands_ = nullptr;
    FollowUpCommands* followUp_ = nullptr;
    HelpCommands* help_ = nullptr;
    // Until the city list read at start-up is in cboCity (it is filled once the window is first
    // drawn, or when the operator first reaches for the list).
    QPointer<AfterFirstPaint> pendingCities_;
};
