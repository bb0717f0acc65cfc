// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The game variants as the lists of the dialogs, the filters and zorvane-query offer them.

#include <QStringList>

namespace zorvane {

// Flag bits of FillGameVariantList.
enum : int {
  kVariantAll = 1,
  kVariantEmpty = 2,
  kVariantNoUT2003Demo = 4,
  kVariantNoUT2003 = 8,
  kVariantNoUT2004Demo = 16,
};
// Appends the variants ("UT" ... "UT2004"), after an empty entry and "[all]" when asked for,
// leaving out the ones the flags name.
void FillGameVariantList(QStringList& list, int flags);

}  // namespace zorvane
