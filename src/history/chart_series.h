// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a chart of a server's samples draws, decided without widgets: the runs of samples that
// are joined by a line (a gap in the replies breaks it), and the map changes.

#include <QString>
#include <span>
#include <vector>

#include "history/history_sample.h"

namespace zorvane {

// Samples further apart than this are not joined: nobody asked the server in between.
inline constexpr qint64 kChartGapSecs = 3600;

// [first, last] index ranges of consecutive samples (sorted by time) joined by a line.
struct TChartRun {
  std::size_t first = 0, last = 0;
  bool operator==(const TChartRun&) const = default;
};
std::vector<TChartRun> ChartRuns(std::span<const THistorySample> samples,
                                 qint64 gapSecs = kChartGapSecs);

// Each sample (sorted by time) whose map differs from the sample before it, from the second
// sample on; an empty map (a server that sent none) is no change.
struct TMapChange {
  qint64 time = 0;
  QString map;
  bool operator==(const TMapChange&) const = default;
};
std::vector<TMapChange> MapChanges(std::span<const THistorySample> samples);

}  // namespace zorvane
