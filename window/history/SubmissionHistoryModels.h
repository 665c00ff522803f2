#pragma once

#include "submission/SubmissionHistory.h"
#include "window/widgets/SteppedTableModel.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QVector>

// The submission files as a table, newest first: Created, No., Provider, Records, File.
class SubmissionFileModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Created, Counter, Provider, Records, File, ColumnCount };

    explicit SubmissionFileModel(const SubmissionHistory& history, QObject* parent = nullptr);

    // After the history was listed again.
    void reset();
    // After a file was read, or (-1) any number of them: a count may differ from the one the
    // file's length gave.
    void fileRead(int file);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const SubmissionHistory& history_;
};

// Records of the submission files: those of one file, or those a search found in all of them.
// Columns as Find Record's (No., Last Name, First Name, Date of Birth, Date Taken, Result), then
// Created and File, which tell where a found record went. Only the places of the records are
// held: a row is read from its file when the view first shows it, together with the rows around
// it that lie in the same piece of the same file (one read per screenful), and the texts of a
// few screenfuls are kept. A row that cannot be read shows its number only. The view is given the
// rows in steps, so that a file of millions of records is shown at once.
class SubmittedRecordModel : public SteppedTableModel {
    Q_OBJECT
public:
    enum Column {
        Number,
        LastName,
        FirstName,
        DateOfBirth,
        DateTaken,
        Result,
        Created,
        File,
        ColumnCount
    };

    explicit SubmittedRecordModel(const SubmissionHistory& history, QObject* parent = nullptr);

    void showRecords(QList<SubmittedRecord> records);
    // Every record of the file at this place in the history's files.
    void showFile(int file);
    // The file shown by showFile(), -1 for a search's records or none.
    int fileShown() const { return fileShown_; }
    SubmittedRecord recordAt(int row) const;

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const QStringList& texts(int row) const;
    void readAround(int row) const;

    const SubmissionHistory& history_;
    // The records of a search; for a file shown whole, its record count instead.
    QList<SubmittedRecord> records_;
    int fileShown_ = -1;
    mutable QHash<int, QStringList> texts_; // by row; a few screenfuls at most
};
