// SPDX-License-Identifier: GPL-2.0-or-later
#include "history/chart_series.h"

namespace zorvane {

std::vector<TChartRun> ChartRuns(std::span<const THistorySample> samples, qint64 gapSecs) {
  std::vector<TChartRun> runs;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    if (runs.empty() || samples[i].time - samples[i - 1].time > gapSecs)
      runs.push_back({i, i});
    else
      runs.back().last = i;
  }
  return runs;
}

std::vector<TMapChange> MapChanges(std::span<const THistorySample> samples) {
  std::vector<TMapChange> changes;
  QString current;
  for (const THistorySample& sample : samples) {
    if (sample.map.isEmpty()) continue;
    if (!current.isEmpty() && sample.map != current) changes.push_back({sample.time, sample.map});
    current = sample.map;
  }
  return changes;
}

}  // namespace zorvane
