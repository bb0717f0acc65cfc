// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Whether a server value fits a filter's text, and whether a server fits a view's filters.
//
// Numbers are read with "." as the decimal separator whatever the locale: the filter items are
// written that way and servers report "0.35" the same way on every system. They are read as
// reals, so "0.35" and "0.350" are the same value.

#include <QStringView>

#include "browse/filter_table.h"
#include "config/filter_set.h"
#include "query/server_record.h"

namespace zorvane {

// Equality ignoring the case of A-Z only (other letters compare exactly).
bool AsciiEqualsIgnoreCase(QStringView a, QStringView b);

// A decimal number: optional blanks, an optional sign, digits with at most one ".", optional
// blanks. No exponents, no hex, no "inf".
bool ReadDecimal(QStringView text, double& value);

// The test of one filter (its compare type and current text) against one server value.
bool Matches(TCompareType compareType, QStringView filterText, QStringView value);

// Whether a server fits the filters in use: the version filter always, the other fourteen only
// with allFilters. Team filters apply whenever they are used, also in a view that hides them
// (a non-team game type); a filter not in use passes everything. The values are the texts
// the boxes show (see FilterItemFor for stored values that are not among the items).
// Whether the server belongs to the view at all is BelongsToView's question, not this one's.
bool PassesFilters(const TServer& server, const TFilterSet& filters, bool allFilters);

}  // namespace zorvane
