// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The grids' sort order, decided without widgets: the text keys a column sorts by and the row
// order those keys give.
//
// Numeric columns are not parsed into numbers: every cell becomes a text padded to the
// column's longest text, so that a plain text collation puts empty cells first, then negative
// numbers, then "0", then positive numbers, and "12/16" sorts by its "12".

#include <QCollator>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "config/grid_sort.h"

namespace zorvane {

// 0 and 1 both sort as text; 2 is numeric; 3 sorts "IP:port" addresses by their numbers.
enum TColumnSortKind : std::uint8_t {
  cskText = 0,
  cskPlainText = 1,
  cskNumeric = 2,
  cskAddress = 3
};

// The key of one cell of a numeric column whose longest cell text has `longest` characters.
// Leading and trailing blanks are ignored, in the cell and in the longest length alike.
// A number in brackets (a ping not yet refreshed) sorts as the number.
QString NumericSortKey(QStringView cell, int longest);

// The key of an "a.b.c.d:port" cell: every number padded ("010.000.000.002:07777"), so that
// 10.0.0.2 sorts before 10.0.0.12. Other texts (host names) are kept as they are.
QString AddressSortKey(QStringView cell);

// The keys of a column's data cells, in row order.
QStringList ColumnSortKeys(const QStringList& cells, TColumnSortKind kind);

// The collation the grids sort with: the user's locale, case ignored, no numeric mode (the
// keys are padded already).
QCollator GridCollator(const QLocale& locale = QLocale());

// The rows in sorted order: entry i names the row that goes to position i. Equal keys stand in
// reverse row order when ascending (each new row goes before the equal ones already placed)
// and in row order when descending (the ascending list reversed). None keeps the rows as
// they are.
std::vector<int> SortedRowOrder(const QStringList& keys, TSortDirection direction,
                                const QCollator& collator);

}  // namespace zorvane
