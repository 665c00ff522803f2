#pragma once

#include "storage/FileStatus.h"

#include <QObject>
#include <QString>

class DuplicateIndex;
class QDialog;
class RecordPresenter;
class RecordStore;
class QWidget;
struct MainWindowState;

// The Records menu's commands: Find Record and Check All Records open their dialogs over the
// stored records, and a record chosen in either is gone to the way the buttons move: the record
// shown is saved first (as New, Print and Exit save it), then the chosen one is shown as Next
// shows its neighbour. A file that cannot be read or written is reported through fileFailed and
// changes nothing.
class RecordMenuCommands : public QObject {
    Q_OBJECT
public:
    RecordMenuCommands(QWidget& window, MainWindowState& state, RecordStore& store,
                       RecordPresenter& presenter, DuplicateIndex& index, QString submitFolder,
                       QObject* parent = nullptr);

    void openFindRecord();
    void openCheckAllRecords();
    void goToRecord(int recordNumber);

signals:
    void fileFailed(const FileStatus& status);

private:
    void showDialog(QDialog* dialog);

    QWidget& window_;
    MainWindowState& state_;
    RecordStore& store_;
    RecordPresenter& presenter_;
    DuplicateIndex& index_;
    QString submitFolder_;
};
