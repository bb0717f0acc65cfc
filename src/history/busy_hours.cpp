// SPDX-License-Identifier: GPL-2.0-or-later
#include "history/busy_hours.h"

#include <QDateTime>
#include <algorithm>
#include <array>
#include <limits>
#include <vector>

namespace zorvane {

namespace {

constexpr qint64 kHourSecs = 3600;
constexpr qint64 kDaySecs = 24 * kHourSecs;
// Dates further back than this from the newest sample are left out (a clock gone wrong once
// must not make the buckets span decades).
constexpr qint64 kMaxDates = 400;

qint64 FloorDiv(qint64 a, qint64 b) {
  return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

// The zone's offset from UTC over the samples' span: its offset at the start and every
// transition after it, so a sample costs a short search instead of a time zone look-up.
class TLocalClock {
 public:
  TLocalClock(const QTimeZone& zone, qint64 from, qint64 to) {
    const QDateTime start = QDateTime::fromSecsSinceEpoch(from, Qt::UTC);
    changes_.push_back({std::numeric_limits<qint64>::min(), zone.offsetFromUtc(start)});
    if (zone.hasTransitions())
      for (const QTimeZone::OffsetData& t :
           zone.transitions(start, QDateTime::fromSecsSinceEpoch(to, Qt::UTC)))
        changes_.push_back({t.atUtc.toSecsSinceEpoch(), t.offsetFromUtc});
  }
  qint64 Local(qint64 utc) const {
    const auto after = std::upper_bound(changes_.begin(), changes_.end(), utc,
                                        [](qint64 t, const TChange& c) { return t < c.from; });
    return utc + std::prev(after)->offset;
  }

 private:
  struct TChange {
    qint64 from;
    int offset;
  };
  std::vector<TChange> changes_;
};

struct TBucket {
  double sum = 0;
  int count = 0;
};

}  // namespace

std::optional<TBusyHours> BusiestHours(std::span<const THistorySample> samples,
                                       const QTimeZone& zone) {
  if (samples.empty()) return std::nullopt;
  const auto [oldest, newest] = std::minmax_element(
      samples.begin(), samples.end(),
      [](const THistorySample& a, const THistorySample& b) { return a.time < b.time; });
  const TLocalClock clock(zone, oldest->time, newest->time);
  const qint64 lastDate = FloorDiv(clock.Local(newest->time), kDaySecs);
  const qint64 firstDate = std::max(FloorDiv(clock.Local(oldest->time), kDaySecs),
                                    lastDate - kMaxDates + 1);
  // One bucket per date and hour: that hour's samples on that date.
  std::vector<TBucket> buckets(std::size_t(lastDate - firstDate + 1) * 24);
  for (const THistorySample& sample : samples) {
    const qint64 local = clock.Local(sample.time);
    const qint64 date = FloorDiv(local, kDaySecs);
    if (date < firstDate) continue;
    const int hour = int((local - date * kDaySecs) / kHourSecs);
    TBucket& bucket = buckets[std::size_t(date - firstDate) * 24 + std::size_t(hour)];
    bucket.sum += sample.players;
    ++bucket.count;
  }
  std::array<double, 24> meanSum{};
  std::array<int, 24> dates{};
  int datesSampled = 0;
  for (std::size_t day = 0; day * 24 < buckets.size(); ++day) {
    bool sampled = false;
    for (std::size_t h = 0; h < 24; ++h) {
      const TBucket& bucket = buckets[day * 24 + h];
      if (bucket.count == 0) continue;
      meanSum[h] += bucket.sum / bucket.count;
      ++dates[h];
      sampled = true;
    }
    datesSampled += sampled;
  }
  std::array<std::optional<double>, 24> mean;
  int counted = 0;
  for (std::size_t h = 0; h < 24; ++h) {
    if (dates[h] < kBusyMinDatesPerHour) continue;
    mean[h] = meanSum[h] / dates[h];
    ++counted;
  }
  if (datesSampled < kBusyMinDates || counted < kBusyMinHours) return std::nullopt;

  int peak = -1;
  for (int h = 0; h < 24; ++h)
    if (mean[std::size_t(h)] && (peak < 0 || *mean[std::size_t(h)] > *mean[std::size_t(peak)]))
      peak = h;
  const double top = *mean[std::size_t(peak)];
  if (top < kBusyMinPeak) return std::nullopt;
  const auto busy = [&](int h) {
    const auto& m = mean[std::size_t((h % 24 + 24) % 24)];
    return m && *m >= kBusyShare * top;
  };
  int first = peak, hours = 1;
  while (hours < 24 && busy(first - 1)) --first, ++hours;
  while (hours < 24 && busy(first + hours)) ++hours;
  if (hours > kBusyMaxHours) return std::nullopt;
  return TBusyHours{(first % 24 + 24) % 24, hours, top};
}

QString BusyHoursRange(const TBusyHours& busy) {
  const auto hour = [](int h) { return QStringLiteral("%1:00").arg(h % 24, 2, 10, QLatin1Char('0')); };
  return hour(busy.first) + QChar(0x2013) + hour(busy.first + busy.hours);
}

QString BusyHoursLine(const std::optional<TBusyHours>& busy) {
  return busy ? QStringLiteral("usually busiest ") + BusyHoursRange(*busy) : QString();
}

}  // namespace zorvane
