#pragma once

#include "submission/SubmissionHistory.h"

#include <QAbstractTableModel>
#include <QVector>

// The submission files as a table, newest first: Created, No., Provider, Records, File.
class SubmissionFileModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Created, Counter, Provider, Records, File, ColumnCount };

    explicit SubmissionFileModel(const SubmissionHistory& history, QObject* parent = nullptr);

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
// Created and File, which tell where a found record went. A row's texts are made when the view
// first shows it.
class SubmittedRecordModel : public QAbstractTableModel {
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
    const SubmittedRecord& recordAt(int row) const { return records_.at(row); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const QStringList& texts(int row) const;

    const SubmissionHistory& history_;
    QList<SubmittedRecord> records_;
    mutable QVector<QStringList> texts_; // empty: not made yet
};
