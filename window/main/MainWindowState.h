#pragma once

#include "storage/ResultRecord.h"

#include <QString>
#include <QStringList>

// Whether the record shown is stored or a new one not yet saved.
enum class Editing { StoredRecord, NewRecord };

// Everything the main window keeps in memory for the run, set up by start-up and changed by the
// commands and rules. Plain data: the behaviour lives in the classes that take it.
struct MainWindowState {
    QString AppPath;           // the program's folder, without a trailing separator
    ResultRecord RecordBuffer; // the record shown, as last read or saved
    int CurrentRecord = 1;     // 1-based number of the record shown
    // The records stored, plus one while an unsaved new record is shown; never below 1.
    int RecordCount = 1;
    Editing EditMode = Editing::StoredRecord;
    bool FirstRecord = false;   // the first record of an empty file is being entered
    QStringList CityZipLines;   // line i belongs to entry i of cboCity
    QString CurrentCity;        // the city whose zip codes cboZip offers
    bool LowResultFlag = false; // the result shown is a Low Result
};
