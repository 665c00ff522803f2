#pragma once

#include "printing/Printer.h"

#include <functional>

// A printed list: each page headed, then as many rows as the page holds below its heading, each
// row the same number of lines. A page is made only when it is asked for, with only its rows.
class PagedList : public PrintedDocument {
public:
    // The heading of page (from 1) of pages; the first page's may be longer than the others',
    // every later page's the same length.
    using Heading = std::function<QStringList(int page, int pages)>;
    // The lines of row i, from 0: linesPerRow of them.
    using Row = std::function<QStringList(int i)>;

    PagedList(int rows, int linesPerRow, int linesPerPage, Heading heading, Row row);
    int pageCount() const override { return pages_; }
    QStringList page(int i) const override;

private:
    int rows_;
    Heading heading_;
    Row row_;
    int firstPageRows_ = 0;
    int laterPageRows_ = 0;
    int pages_ = 1;
};
