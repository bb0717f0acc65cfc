// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The widths a grid shows its columns at. The width asked for a column (designed, stored or
// dragged by the user) is kept as asked; shown, it is raised to what the column's texts need,
// and one column may take the width the others leave free in the view.

#include <vector>

namespace zorvane {

// asked and needs per column (0 asked: a hidden column, shown 0); stretch is the column that
// takes what is left of room (-1: none).
std::vector<int> FitColumnWidths(const std::vector<int>& asked, const std::vector<int>& needs,
                                 int stretch, int room);

}  // namespace zorvane
