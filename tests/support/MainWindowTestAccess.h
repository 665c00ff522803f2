#pragma once

#include "storage/RecordStore.h"
#include "storage/ResultRecord.h"
#include "ui_dlgProviderCode.h"
#include "ui_frmKorvanel.h"
#include "window/history/SubmissionHistoryCommands.h"
#include "window/main/AfterFirstPaint.h"
#include "window/main/FieldRules.h"
#include "window/main/MainMenu.h"
#include "window/main/MainWindowController.h"
#include "window/main/RecordCommands.h"
#include "window/main/RecordPresenter.h"
#include "window/main/SentRecordsReading.h"
#include "window/main/SubmissionCommand.h"
#include "window/main/frmKorvanel.h"
#include "window/provider/ProviderCodeCheck.h"
#include "window/provider/dlgProviderCode.h"
#include "window/records/FollowUpCommands.h"
#include "window/records/ImportRecordsCommand.h"

#include <QString>
#include <QStringList>

// The run's state as the classes that own it tell it, read at one moment.
struct RunState {
    ResultRecord RecordBuffer;
    int CurrentRecord = 0;
    int RecordCount = 0;
    Editing EditMode = Editing::StoredRecord;
    bool FirstRecord = false;
    QString CurrentProviderCode;
    QStringList CityZipLines;
    QString CurrentCity;
    bool LowResultFlag = false;
};

// What tests and benchmarks reach inside the main window that no part of the program needs: the
// controls of the two forms and the parts the controller builds. frmKorvanel, dlgProviderCode and
// MainWindowController let it in as a friend. Header only, so that benchmarks use it too.
class MainWindowTestAccess {
public:
    explicit MainWindowTestAccess(MainWindowController& controller) : c_(controller) {}

    static Ui::frmKorvanel& controls(frmKorvanel& window) { return *window.ui_; }
    static Ui::dlgProviderCode& controls(dlgProviderCode& dialog) { return *dialog.ui_; }

    RecordStore& store() const { return *c_.store_; }
    RecordPresenter& presenter() const { return *c_.presenter_; }
    FieldRules& fieldRules() const { return *c_.fieldRules_; }
    ProviderCodeCheck& providerCodeCheck() const { return *c_.providerCodeCheck_; }
    RecordCommands& commands() const { return *c_.commands_; }
    SubmissionCommand& submission() const { return *c_.submission_; }
    MainMenu& menu() const { return *c_.menu_; }
    SubmissionHistoryCommands& historyCommands() const { return *c_.historyCommands_; }
    ImportRecordsCommand& importRecords() const { return *c_.importRecords_; }
    FollowUpCommands& followUp() const { return *c_.followUp_; }
    SentRecordsReading& sentReading() const { return *c_.sentReading_; }

    // True until the city list read at start-up is in cboCity.
    bool cityListPending() const { return c_.pendingCities_ && c_.pendingCities_->pending(); }

    RunState state() const {
        RunState state;
        state.RecordBuffer = presenter().RecordBuffer();
        state.CurrentRecord = presenter().CurrentRecord();
        state.RecordCount = presenter().RecordCount();
        state.EditMode = commands().EditMode();
        state.FirstRecord = commands().FirstRecord();
        state.CurrentProviderCode = providerCodeCheck().CurrentProviderCode();
        state.CityZipLines = fieldRules().CityZipLines();
        state.CurrentCity = fieldRules().CurrentCity();
        state.LowResultFlag = fieldRules().LowResultFlag();
        return state;
    }

private:
    MainWindowController& c_;
};
