// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// How the grids are sorted: the direction, the stored sort of each of the five grids whose
// sort and column widths are kept, and their names in the settings file.

#include <array>
#include <cstdint>

namespace zorvane {

enum class TSortDirection : std::uint8_t { Ascending = 0, Descending = 1, None = 2 };

// The five grids whose sort and column widths are kept, in file order.
enum TGridNumber { gnServer = 1, gnPlayer = 2, gnSetting = 3, gnMonitor = 4, gnMap = 5 };
inline constexpr std::array<const char*, 5> kGridNames = {"serverGrid", "playerGrid",
                                                          "settingGrid", "monitorGrid", "mapGrid"};

struct TGridSort {
  int column = -2;  // -2: the grid's designed sort (resolved here for the view grids)
  TSortDirection direction = TSortDirection::Ascending;
  bool operator==(const TGridSort&) const = default;
};

}  // namespace zorvane
