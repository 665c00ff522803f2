#pragma once

#include "storage/ResultRecord.h"

#include <QString>
#include <QStringList>

// Everything the main window keeps in memory for the run, set up by start-up and changed by the
// commands and rules. Plain data: the behaviour lives in the classes that take it.
struct MainWindowState {
    QString AppPath;           // the program's folder, without a trailing separator
    ResultRecord RecordBuffer; // the record shown, as last read or saved
    int CurrentRecord = 1;     // 1-based number of the record shown
    int RecordCount = 1;       // records counted, plus one while an unsaved new record is shown
    QString EditMode;          // "new" while an unsaved new record is shown
    QString sFirstRecord;      // "Y" while the first record of an empty file is being entered
    QString CurrentProviderCode = QString(6, QLatin1Char(' '));
    QStringList CityZipLines;   // line i belongs to entry i of cboCity
    QString CurrentCity;        // the city whose zip codes cboZip offers
    bool LowResultFlag = false; // the result shown is a Low Result
    bool bStartup = false;      // true while start-up runs the provider-code check

    bool isNewRecord() const { return EditMode == QLatin1String("new"); }
    bool isFirstRecord() const { return sFirstRecord == QLatin1String("Y"); }
};
