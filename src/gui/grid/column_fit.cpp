// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/grid/column_fit.h"

#include <algorithm>
#include <numeric>

namespace zorvane {

std::vector<int> FitColumnWidths(const std::vector<int>& asked, const std::vector<int>& needs,
                                 int stretch, int room) {
  std::vector<int> shown(asked.size(), 0);
  for (std::size_t col = 0; col < asked.size(); ++col)
    if (asked[col] > 0) shown[col] = std::max(asked[col], col < needs.size() ? needs[col] : 0);
  if (stretch >= 0 && std::size_t(stretch) < shown.size() && shown[stretch] > 0) {
    const int used = std::accumulate(shown.begin(), shown.end(), 0);
    shown[stretch] += std::max(0, room - used);
  }
  return shown;
}

}  // namespace zorvane
