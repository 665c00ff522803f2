#pragma once

#include <algorithm>

// The rows a table view is given of a long list: RowsAtOnce at first, as many more each time it
// is scrolled to its end (a model's canFetchMore()/fetchMore()). A table view keeps a little for
// each row it has, and millions given at once would hold the window for a good part of a second.
class RowsInSteps {
public:
    static constexpr int RowsAtOnce = 50000;

    // A new list of total rows: the first ones given.
    void reset(int total) {
        total_ = std::max(total, 0);
        given_ = std::min(total_, RowsAtOnce);
    }
    int given() const { return given_; }
    bool haveMore() const { return given_ < total_; }
    // The rows to give next; given() counts them once give() is called.
    int next() const { return std::min(total_ - given_, RowsAtOnce); }
    void give(int rows) { given_ += rows; }

private:
    int total_ = 0;
    int given_ = 0;
};
