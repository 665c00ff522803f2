#pragma once

#include "submission/RecordsImport.h"
#include "window/widgets/BackgroundJob.h"

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QVBoxLayout;

// "Import Records": what the check of a file to import found. While the file has problems the
// list names each (Line, Column, Value, What is wrong) and the only button is Close; a clean file
// shows the number of records, the incomplete ones with their gaps and the possible duplicates
// (Line, Patient, To look at), with the buttons Import and Cancel.
//
// check() runs the check in a worker while the window is open, saying "Checking the file: n%"
// with Cancel as its only button; closing the window stops the check and waits for it, so that
// the worker never outlives the window nor what the check reads (the index of the records
// already sent, which nothing changes while this application-modal window is open).
class ImportRecordsDialog : public QDialog {
    Q_OBJECT
public:
    explicit ImportRecordsDialog(const QString& fileName, QWidget* parent = nullptr);
    ImportRecordsDialog(const QString& fileName, const ImportReport& report,
                        QWidget* parent = nullptr);
    ~ImportRecordsDialog() override;

    // Checks the file at path against the context in a worker; the outcome is shown when done.
    void check(const QString& path, const ImportContext& context);
    bool isChecked() const { return checked_; }
    const ImportReport& report() const { return report_; }
    static QString progressText(qint64 done, qint64 total);

    QLabel* summary() const { return summary_; }
    QTreeWidget* list() const { return list_; }
    // Import, or nullptr while the file has problems or is being checked.
    QPushButton* importButton() const { return import_; }
    QDialogButtonBox* buttons() const { return buttons_; }

    void done(int result) override;

signals:
    // After the dialog has closed: the operator chose Import of the records checked.
    void importChosen(const ImportReport& report);

private:
    void showReport(const ImportReport& report);
    void stopCheck();

    QString fileName_;
    ImportReport report_;
    bool checked_ = false;
    BackgroundJob<ImportReport> work_;
    QLabel* summary_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    QPushButton* import_ = nullptr;
    QVBoxLayout* layout_ = nullptr;
    QWidget* stretch_ = nullptr; // fills the window while the list is hidden
};
