#include "submission/CsvReader.h"

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

} // namespace

bool CsvReader::endValue() {
    if (row_.values.size() < MaxValues)
        row_.values.append(value_);
    ++row_.valueCount;
    value_.clear();
    return true;
}

// The value being read holds a stray quote; told once a value. Values are read in order, so
// the value can only be the last one told.
void CsvReader::strayQuote() {
    const qint64 index = row_.valueCount;
    if (index < MaxValues && (row_.strayQuotes.isEmpty() || row_.strayQuotes.last() != index))
        row_.strayQuotes.append(int(index));
}

bool CsvReader::endRow() {
    endValue();
    Row row = std::move(row_);
    row_ = Row();
    rowStarted_ = false;
    state_ = State::ValueStart;
    if (!handler_(row))
        stopped_ = true;
    return !stopped_;
}

bool CsvReader::feed(const char* data, qsizetype size) {
    if (stopped_)
        return false;
    for (qsizetype i = 0; i < size; ++i) {
        const char ch = data[i];
        // The byte-order mark is only ever the first three bytes of the file.
        if (bomBytes_ < 3 && line_ == 1 && !rowStarted_ && value_.size() == bomBytes_ &&
            row_.valueCount == 0) {
            if (ch == kBom[bomBytes_]) {
                value_.append(ch);
                if (++bomBytes_ == 3)
                    value_.clear();
                continue;
            }
            bomBytes_ = 3;
        }
        if (ch == '\0') {
            nulLine_ = line_;
            stopped_ = true;
            return false;
        }
        if (!rowStarted_) {
            rowStarted_ = true;
            row_.line = line_;
        }
        if (state_ == State::AfterCr) {
            // A CR is a line end only before LF; elsewhere it is part of the value, and after a
            // closing quote it is text after the quote.
            state_ = State::Unquoted;
            if (ch == '\n') {
                ++line_;
                if (!endRow())
                    return false;
                continue;
            }
            if (crAfterQuote_)
                strayQuote();
            value_.append('\r');
        }
        switch (state_) {
        case State::ValueStart:
            if (ch == '"') {
                state_ = State::Quoted;
                quoteLine_ = line_;
                break;
            }
            state_ = State::Unquoted;
            [[fallthrough]];
        case State::Unquoted:
            if (ch != ',' && ch != '\n' && ch != '\r' && ch != '"' && ch != '\0') {
                // A run of ordinary bytes goes into the value at once.
                qsizetype end = i + 1;
                while (end < size && data[end] != ',' && data[end] != '\n' && data[end] != '\r' &&
                       data[end] != '"' && data[end] != '\0')
                    ++end;
                value_.append(data + i, end - i);
                i = end - 1;
            } else if (ch == ',') {
                endValue();
                state_ = State::ValueStart;
            } else if (ch == '\n') {
                ++line_;
                if (!endRow())
                    return false;
            } else if (ch == '\r') {
                crAfterQuote_ = false;
                state_ = State::AfterCr;
            } else {
                if (ch == '"')
                    strayQuote();
                value_.append(ch);
            }
            break;
        case State::Quoted:
            if (ch == '"') {
                state_ = State::QuoteInQuoted;
            } else if (ch != '\n' && ch != '\0') {
                qsizetype end = i + 1;
                while (end < size && data[end] != '"' && data[end] != '\n' && data[end] != '\0')
                    ++end;
                value_.append(data + i, end - i);
                i = end - 1;
            } else {
                if (ch == '\n')
                    ++line_;
                value_.append(ch);
            }
            break;
        case State::QuoteInQuoted:
            if (ch == '"') {
                value_.append('"');
                state_ = State::Quoted;
            } else if (ch == ',') {
                endValue();
                state_ = State::ValueStart;
            } else if (ch == '\n') {
                ++line_;
                if (!endRow())
                    return false;
            } else if (ch == '\r') {
                crAfterQuote_ = true;
                state_ = State::AfterCr;
            } else {
                // Text after the closing quote: kept, with the quote, and reported.
                strayQuote();
                value_.append(ch);
                state_ = State::Unquoted;
            }
            break;
        case State::AfterCr:
            break;
        }
    }
    return true;
}

bool CsvReader::finish() {
    if (stopped_)
        return false;
    if (state_ == State::AfterCr) {
        state_ = State::Unquoted;
        value_.append('\r');
    }
    if (state_ == State::Quoted) {
        unclosedQuoteLine_ = quoteLine_;
        stopped_ = true;
        return false;
    }
    if (rowStarted_ || !value_.isEmpty() || row_.valueCount > 0)
        return endRow();
    // The last line end ended the last row; the line after it holds nothing.
    if (line_ > 1)
        --line_;
    return true;
}
