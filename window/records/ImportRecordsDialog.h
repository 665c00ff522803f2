#pragma once

#include "submission/RecordsImport.h"

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QPushButton;
class QTreeWidget;

// "Import Records": what the check of a file to import found. While the file has problems the
// list names each (Line, Column, Value, What is wrong) and the only button is Close; a clean file
// shows the number of records, the incomplete ones with their gaps and the possible duplicates
// (Line, Patient, To look at), with the buttons Import and Cancel.
class ImportRecordsDialog : public QDialog {
    Q_OBJECT
public:
    ImportRecordsDialog(const QString& fileName, const ImportReport& report,
                        QWidget* parent = nullptr);

    QLabel* summary() const { return summary_; }
    QTreeWidget* list() const { return list_; }
    // Import, or nullptr while the file has problems.
    QPushButton* importButton() const { return import_; }
    QDialogButtonBox* buttons() const { return buttons_; }

signals:
    // After the dialog has closed: the operator chose Import.
    void importChosen();

private:
    QLabel* summary_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    QPushButton* import_ = nullptr;
};
