// SPDX-License-Identifier: GPL-2.0-or-later
#include "history/busy_hours.h"

#include <QDateTime>
#include <QHash>
#include <array>
#include <map>

namespace zorvane {

namespace {

constexpr qint64 kHourSecs = 3600;
constexpr qint64 kDaySecs = 24 * kHourSecs;

qint64 FloorDiv(qint64 a, qint64 b) {
  return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

// Offsets from UTC change on whole hours, or half hours where the zone does: asked once
// per UTC quarter-hour, not once per sample.
class TLocalClock {
 public:
  explicit TLocalClock(const QTimeZone& zone) : zone_(zone) {}
  qint64 Local(qint64 utc) {
    const qint64 quarter = FloorDiv(utc, 900);
    auto it = offsets_.constFind(quarter);
    if (it == offsets_.cend())
      it = offsets_.insert(
          quarter, zone_.offsetFromUtc(QDateTime::fromSecsSinceEpoch(quarter * 900, Qt::UTC)));
    return utc + *it;
  }

 private:
  QTimeZone zone_;
  QHash<qint64, int> offsets_;
};

struct TBucket {
  double sum = 0;
  int count = 0;
};

}  // namespace

std::optional<TBusyHours> BusiestHours(std::span<const THistorySample> samples,
                                       const QTimeZone& zone) {
  TLocalClock clock(zone);
  // (local date, hour) -> that hour's samples on that date.
  std::map<std::pair<qint64, int>, TBucket> buckets;
  for (const THistorySample& sample : samples) {
    const qint64 local = clock.Local(sample.time);
    const qint64 date = FloorDiv(local, kDaySecs);
    const int hour = int((local - date * kDaySecs) / kHourSecs);
    TBucket& bucket = buckets[{date, hour}];
    bucket.sum += sample.players;
    ++bucket.count;
  }
  std::array<double, 24> meanSum{};
  std::array<int, 24> dates{};
  std::map<qint64, bool> allDates;
  for (const auto& [at, bucket] : buckets) {
    meanSum[std::size_t(at.second)] += bucket.sum / bucket.count;
    ++dates[std::size_t(at.second)];
    allDates[at.first] = true;
  }
  std::array<std::optional<double>, 24> mean;
  int counted = 0;
  for (std::size_t h = 0; h < 24; ++h) {
    if (dates[h] < kBusyMinDatesPerHour) continue;
    mean[h] = meanSum[h] / dates[h];
    ++counted;
  }
  if (int(allDates.size()) < kBusyMinDates || counted < kBusyMinHours) return std::nullopt;

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
