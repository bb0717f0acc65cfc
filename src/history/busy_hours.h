// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// When a server is usually busiest, from its samples, in local time.
//
// The rule: every sample counts for its local date and hour of the day. An hour of the day's
// mean is the mean over the dates it was sampled on of that date's mean in that hour, so a day
// refreshed often weighs no more than a day refreshed once. Only hours sampled on at least
// kBusyMinDatesPerHour dates count. With fewer than kBusyMinDates dates, or fewer than
// kBusyMinHours hours that count, nothing is said. The busiest hour is the one with the highest
// mean (the earliest on a tie); below kBusyMinPeak players nothing is said. The stretch grows
// from it, hour by hour on either side (across midnight too), while the next hour counts and
// its mean is at least kBusyShare of the busiest one. A stretch longer than kBusyMaxHours is a
// server about as busy all day, and nothing is said.

#include <QString>
#include <QTimeZone>
#include <optional>
#include <span>

#include "history/history_sample.h"

namespace zorvane {

inline constexpr int kBusyMinDates = 3;
inline constexpr int kBusyMinDatesPerHour = 2;
inline constexpr int kBusyMinHours = 12;
inline constexpr double kBusyMinPeak = 1.0;
inline constexpr double kBusyShare = 0.75;
inline constexpr int kBusyMaxHours = 8;

struct TBusyHours {
  int first = 0;  // local hour the stretch starts, 0-23
  int hours = 0;  // how many hours it lasts, 1-kBusyMaxHours
  double peak = 0;
  bool operator==(const TBusyHours&) const = default;
};

std::optional<TBusyHours> BusiestHours(std::span<const THistorySample> samples,
                                       const QTimeZone& zone = QTimeZone::systemTimeZone());

// "20:00–23:00" (an en dash; the end is the hour after the last, "00:00" after 23).
QString BusyHoursRange(const TBusyHours& busy);
// "usually busiest 20:00–23:00", or empty when nothing is known.
QString BusyHoursLine(const std::optional<TBusyHours>& busy);

}  // namespace zorvane
