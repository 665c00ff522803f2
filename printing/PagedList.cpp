#include "printing/PagedList.h"

#include <algorithm>

PagedList::PagedList(int rows, int linesPerRow, int linesPerPage, Heading heading, Row row)
    : rows_(rows), heading_(std::move(heading)), row_(std::move(row)) {
    // At least one row a page, however long a heading grows.
    firstPageRows_ = std::max(1, (linesPerPage - int(heading_(1, 1).size())) / linesPerRow);
    laterPageRows_ = std::max(1, (linesPerPage - int(heading_(2, 2).size())) / linesPerRow);
    // Counted in 64 bits: a list of nearly INT_MAX rows must not wrap.
    if (rows_ > firstPageRows_)
        pages_ += int((qint64(rows_) - firstPageRows_ + laterPageRows_ - 1) / laterPageRows_);
}

QStringList PagedList::page(int i) const {
    QStringList lines = heading_(i + 1, pages_);
    const qint64 first = i == 0 ? 0 : firstPageRows_ + qint64(i - 1) * laterPageRows_;
    const qint64 end = std::min<qint64>(rows_, first + (i == 0 ? firstPageRows_ : laterPageRows_));
    for (qint64 n = first; n < end; ++n)
        lines << row_(int(n));
    return lines;
}
