#pragma once

#include "validation/RecordList.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QVector>

// The stored records as a table: No., Last Name, First Name, Date of Birth, Date Taken, Result,
// Status. The records are read once; a row's texts are made when the view first shows it.
class RecordTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        Number,
        LastName,
        FirstName,
        DateOfBirth,
        DateTaken,
        Result,
        Status,
        ColumnCount
    };

    // What the table shows of the records, made before the table (on the thread that read
    // them): every row's search keys and texts. Sorting the table reads every row's texts.
    struct Prepared {
        QVector<RecordSearchKeys> keys;
        QVector<RecordListRow> rows;
    };
    static Prepared prepare(const QList<ResultRecord>& records, const QString& currentProviderCode);

    // records: record 1 first; the status judges them under currentProviderCode. Without
    // prepared rows (or with rows of other records), the keys are made here and each row's texts
    // when the view first shows it.
    RecordTableModel(QList<ResultRecord> records, QString currentProviderCode,
                     Prepared prepared = {}, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const RecordSearchKeys& keys(int sourceRow) const { return keys_.at(sourceRow); }
    const RecordListRow& row(int sourceRow) const;

private:
    QList<ResultRecord> records_;
    QString currentProviderCode_;
    QVector<RecordSearchKeys> keys_;
    mutable QVector<RecordListRow> rows_; // number 0: not made yet
};

// Filters the records by what the operator types and sorts them by any column (dates by time,
// results by value with Low first and High last), comparing the prepared rows directly.
class RecordFilterProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit RecordFilterProxy(RecordTableModel& records, QObject* parent = nullptr);

    void setFilterText(const QString& typed);
    // The record number of a row of this proxy.
    int recordNumber(int proxyRow) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    RecordTableModel& records_;
    RecordFilter filter_;
};
