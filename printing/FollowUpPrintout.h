#pragma once

#include "printing/PagedList.h"
#include "submission/FollowUpList.h"

#include <QDateTime>
#include <QList>
#include <QStringList>

#include <functional>

// The printed Follow-Up Due list: the heading with the moment of printing, the summary and the
// files that could not be read, then two lines a child (the child and the status; the next test,
// its due date and the latest result), in the window's order. As many pages as needed, each
// headed again with its page number; pages are separated by Printer::pageBreak() lines.
namespace FollowUpPrintout {

QStringList lines(const QString& summary, const QStringList& fileLines,
                  const QList<FollowUpRow>& rows, const QDateTime& printedAt);
// The same with count rows, row i (from 0) made as its lines are.
QStringList lines(const QString& summary, const QStringList& fileLines, int count,
                  const std::function<FollowUpRow(int)>& row, const QDateTime& printedAt);

// The same pages, each made when it is printed: only the rows of that page are made.
PagedList pages(const QString& summary, const QStringList& fileLines, int count,
                std::function<FollowUpRow(int)> row, const QDateTime& printedAt);

} // namespace FollowUpPrintout
