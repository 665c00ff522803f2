#pragma once

#include <QByteArray>
#include <QList>

#include <functional>

// Reads a spreadsheet file (RFC 4180) a piece at a time, so that a file of any length needs no
// more memory than its longest row: values separated by commas, rows ended by CR LF or LF, a
// value in quotes may hold commas, line breaks and doubled quotes. A byte-order mark at the
// start is passed over. The values are the file's bytes; decoding them is the caller's.
class CsvReader {
public:
    struct Row {
        qint64 line = 0; // the line of the file the row begins on, from 1
        // The first MaxValues values of the row.
        QList<QByteArray> values;
        // Every value of the row, also those beyond MaxValues (a line of commas), so that the
        // memory of a row never grows with its number of values.
        qint64 valueCount = 0;
        // Values (from 0, below MaxValues) where a quote stands where RFC 4180 allows none:
        // inside a value that is not quoted, or after a closing quote. The quote is kept as a
        // character.
        QList<int> strayQuotes;
    };
    static constexpr int MaxValues = 1024;
    // Takes each row as it is complete; returns false to stop reading.
    using RowHandler = std::function<bool(Row&)>;

    explicit CsvReader(RowHandler handler) : handler_(std::move(handler)) {}

    // Reads the next piece of the file; false once the handler stopped the reading or the file
    // holds a NUL byte (no spreadsheet file does: it is a binary file).
    bool feed(const char* data, qsizetype size);
    // The end of the file: the last row, also without a line end. False as feed().
    bool finish();

    bool sawNul() const { return nulLine_ > 0; }
    qint64 nulLine() const { return nulLine_; }
    // The line on which a quoted value begins that the file never closes; 0 when none.
    qint64 unclosedQuoteLine() const { return unclosedQuoteLine_; }
    // Lines read so far (the last one counted also without a line end).
    qint64 lines() const { return line_; }

private:
    enum class State { ValueStart, Unquoted, Quoted, QuoteInQuoted, AfterCr };
    bool endValue();
    bool endRow();
    void strayQuote();

    RowHandler handler_;
    State state_ = State::ValueStart;
    bool crAfterQuote_ = false; // the CR read last follows a closing quote
    Row row_;
    QByteArray value_;
    qint64 line_ = 1;
    qint64 quoteLine_ = 0;
    qint64 nulLine_ = 0;
    qint64 unclosedQuoteLine_ = 0;
    int bomBytes_ = 0;
    bool stopped_ = false;
    bool rowStarted_ = false;
};
