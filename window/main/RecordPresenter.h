#pragma once

#include "storage/FileStatus.h"
#include "storage/ResultRecord.h"
#include "validation/Highlight.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <array>

class ProviderCodeCheck;
class QWidget;
class RecordStore;
class frmKorvanel;
namespace Ui {
class frmKorvanel;
}

// Moves one record between the data file and the main window's controls, and marks the empty
// mandatory fields. Neither direction validates anything. It holds the record shown
// (RecordBuffer) and its place in the file (CurrentRecord of RecordCount).
class RecordPresenter : public QObject {
    Q_OBJECT
public:
    RecordPresenter(frmKorvanel& window, Ui::frmKorvanel& controls, RecordStore& store,
                    const ProviderCodeCheck& providerCode);

    // The record shown, as last read or saved.
    const ResultRecord& RecordBuffer() const { return recordBuffer_; }
    // 1-based number of the record shown.
    int CurrentRecord() const { return currentRecord_; }
    // The records stored, plus one while an unsaved new record is shown; never below 1.
    int RecordCount() const { return recordCount_; }

    // The data file was opened holding storedRecords records: the place is record 1 of them, of
    // one (a new record) when there are none. Nothing is shown yet.
    void fileOpened(int storedRecords);
    // The record shown was deleted from the file: one record fewer (never below 1), the place no
    // later than the last, and the values shown are no record's until a record is shown.
    void recordDeleted();
    // Records were appended behind the record shown, which stays where it is: the file now
    // holds storedRecords records.
    void recordsAppended(int storedRecords);

    // The one way to move to a record: reads record n first, and only when that succeeds makes
    // it CurrentRecord (of recordCount) and RecordBuffer and shows it: fields, options, lists,
    // the title with the position, the highlighting; the focus ends in mskDateTaken. On failure
    // the state and the window stay as they were. With childOf, the record read takes that
    // record's child (ChildFields): a new record for the next test of the same child.
    FileStatus showRecord(int n, int recordCount, const ResultRecord* childOf = nullptr);
    // Shows record CurrentRecord again, read from the file.
    FileStatus ShowCurrentRecord();
    // Captures the controls into RecordBuffer and writes it as record CurrentRecord; the focus
    // ends in mskDateTaken. On failure RecordBuffer and the window are left as they were.
    // Refused while the window shows values that were not read from that record.
    FileStatus SaveCurrentRecord();
    // SaveCurrentRecord(), after showing record CurrentRecord again when the window no longer
    // shows it: the first failure of the two.
    FileStatus saveRecordOnForm();

    // The values shown no longer belong to record CurrentRecord (it was deleted and the record
    // that took its number could not be read): nothing is saved until a record is shown.
    void forgetShownRecord() { recordShown_ = false; }
    // False from forgetShownRecord() until showRecord() succeeds.
    bool recordShown() const { return recordShown_; }

    // The record the controls hold, stamped with CurrentProviderCode.
    ResultRecord capture() const;

    void MandatoryFieldHighlight(QWidget* control);
    void SetMandatoryFieldHighlights();

    // The title of the main window for the record position.
    static QString windowTitle(int currentRecord, int recordCount);
    static QString VersionText();

    // Moves the focus as the program does after a command (not the operator leaving a field).
    void moveFocusTo(QWidget* control);

    // True while Show or Save moves the focus itself: such moves are not the operator leaving
    // a field, so the field rules let them pass.
    bool isMovingFocus() const { return movingFocus_ > 0; }

signals:
    // While a record is shown: the city it shows, as soon as cboCity holds it.
    void cityShown(const QString& city);
    // While a record is shown: the Low Result flag of its stored result, before its result
    // option is selected (whose click rule may set the flag again).
    void storedResultShown(bool lowResultFlag);

private:
    // The colour last given to a control, and its palette then: a control whose mark and
    // palette are as they were needs no new palette.
    struct Marking {
        bool highlighted = false;
        qint64 paletteKey = 0;
    };

    void showFields(const ResultRecord& record);
    void showResult(const ResultRecord& record);
    void focusDateTaken();

    frmKorvanel& window_;
    Ui::frmKorvanel& c_;
    RecordStore& store_;
    const ProviderCodeCheck& providerCode_;
    ResultRecord recordBuffer_;
    int currentRecord_ = 1;
    int recordCount_ = 1;
    int movingFocus_ = 0;
    bool recordShown_ = false;
    // The mandatory controls in the order they are coloured.
    std::array<QWidget*, MandatoryFields.size()> mandatory_{};
    QHash<const QWidget*, Marking> markings_;
};
