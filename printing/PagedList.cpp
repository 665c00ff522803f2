#include "printing/PagedList.h"

#include <algorithm>

PagedList::PagedList(int rows, int linesPerRow, int linesPerPage, Heading heading, Row row)
    : rows_(rows), heading_(std::move(heading)), row_(std::move(row)) {
    // At least one row a page, however long a heading grows.
    firstPageRows_ = std::max(1, (linesPerPage - int(heading_(1, 1).size())) / linesPerRow);
    laterPageRows_ = std::max(1, (linesPerPage - int(heading_(2, 2).size())) / linesPerRow);
    if (rows_ > firstPageRows_)
        pages_ += (rows_ - firstPageRows_ + laterPageRows_ - 1) / laterPageRows_;
}

QStringList PagedList::page(int i) const {
    QStringList lines = heading_(i + 1, pages_);
    const int first = i == 0 ? 0 : firstPageRows_ + (i - 1) * laterPageRows_;
    const int end = std::min(rows_, first + (i == 0 ? firstPageRows_ : laterPageRows_));
    for (int n = first; n < end; ++n)
        lines << row_(n);
    return lines;
}
