// SPDX-License-Identifier: GPL-2.0-or-later
// When a server is usually busiest: samples made on a simulated clock, day by day in a time
// zone, against the rule's stretch, its minimum of data and its local hours.
#include <gtest/gtest.h>

#include <QDateTime>
#include <functional>

#include "history/busy_hours.h"

namespace zorvane {
namespace {

using TPattern = std::function<int(int hour)>;

// Four samples an hour (at :00, :15, :30, :45 local time) over days days from first, in the
// hours from fromHour to toHour.
std::vector<THistorySample> Days(const TPattern& players, int days, const QTimeZone& zone,
                                 QDate first = QDate(2024, 3, 27), int fromHour = 0,
                                 int toHour = 23) {
  std::vector<THistorySample> samples;
  for (int d = 0; d < days; ++d)
    for (int h = fromHour; h <= toHour; ++h)
      for (int q = 0; q < 4; ++q)
        samples.push_back({QDateTime(first.addDays(d), QTime(h, q * 15), zone).toSecsSinceEpoch(),
                           players(h), 32, "DM-Deck16]["});
  return samples;
}

int Evening(int h) {
  return h >= 20 && h <= 22 ? 10 : h == 19 || h == 23 ? 5 : 1;
}

TEST(BusyHoursTest, StretchOfTheBusiestHoursInLocalTime) {
  const QTimeZone utc(0), india(5 * 3600 + 1800);
  struct Case {
    const char* name;
    std::vector<THistorySample> samples;
    QTimeZone zone;
    const char* line;
  };
  std::vector<THistorySample> oneBusyNoon = Days(Evening, 7, utc);
  // One day refreshed every minute at noon, full: a day counts once, however often sampled.
  for (int m = 0; m < 60; ++m)
    oneBusyNoon.push_back({QDateTime(QDate(2024, 3, 27), QTime(12, m), utc).toSecsSinceEpoch(), 30,
                           32, ""});
  // One player at 20:00 on two dates of four: half a player.
  std::vector<THistorySample> underOne = Days([](int h) { return h == 20; }, 2, utc);
  const auto quiet = Days([](int) { return 0; }, 2, utc, QDate(2024, 4, 10));
  underOne.insert(underOne.end(), quiet.begin(), quiet.end());
  const Case cases[] = {
      {"evenings", Days(Evening, 7, utc), utc, "usually busiest 20:00–23:00"},
      {"evenings in India's time", Days(Evening, 7, india), india, "usually busiest 20:00–23:00"},
      // The same samples on a UTC clock: 19:30 to 20:29 India is a UTC hour half busy.
      {"Indian evenings in UTC", Days(Evening, 7, india), utc, "usually busiest 14:00–18:00"},
      {"across midnight", Days([](int h) { return h == 23 || h == 0 ? 12 : 2; }, 5, utc), utc,
       "usually busiest 23:00–01:00"},
      {"one peak hour", Days([](int h) { return h == 7 ? 4 : 1; }, 3, utc), utc,
       "usually busiest 07:00–08:00"},
      {"a busy noon on one day only", oneBusyNoon, utc, "usually busiest 20:00–23:00"},
      {"two days are too few", Days(Evening, 2, utc), utc, ""},
      {"eleven hours are too few", Days(Evening, 10, utc, QDate(2024, 3, 1), 13, 23), utc, ""},
      {"twelve are enough", Days(Evening, 10, utc, QDate(2024, 3, 1), 12, 23), utc,
       "usually busiest 20:00–23:00"},
      {"as busy all day", Days([](int) { return 10; }, 7, utc), utc, ""},
      {"busy for nine hours", Days([](int h) { return h >= 10 && h <= 18 ? 9 : 1; }, 4, utc), utc,
       ""},
      {"never anyone", Days([](int) { return 0; }, 7, utc), utc, ""},
      {"under one player", underOne, utc, ""},
      {"no samples", {}, utc, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(BusyHoursLine(BusiestHours(c.samples, c.zone)), QString::fromUtf8(c.line)) << c.name;
}

TEST(BusyHoursTest, HoursSeenOnOneDateOnlyDoNotCount) {
  const QTimeZone utc(0);
  // Twelve hours sampled on three dates, the night once: the night's one busy hour is no peak.
  std::vector<THistorySample> samples = Days(Evening, 3, utc, QDate(2024, 5, 1), 12, 23);
  samples.push_back({QDateTime(QDate(2024, 5, 1), QTime(3, 0), utc).toSecsSinceEpoch(), 30, 32, ""});
  const auto busy = BusiestHours(samples, utc);
  ASSERT_TRUE(busy);
  EXPECT_EQ(*busy, (TBusyHours{20, 3, 10.0}));
  samples.pop_back();
  // Eleven hours counted are too few.
  std::erase_if(samples, [&](const THistorySample& s) {
    return QDateTime::fromSecsSinceEpoch(s.time, utc).time().hour() == 12;
  });
  EXPECT_FALSE(BusiestHours(samples, utc));
}

TEST(BusyHoursTest, ClockChangeKeepsTheLocalHours) {
  const QTimeZone berlin("Europe/Berlin");
  if (!berlin.isValid()) GTEST_SKIP() << "no time zone data";
  // 27 March to 2 April 2024: the clocks go forward on the 31st.
  EXPECT_EQ(BusyHoursLine(BusiestHours(Days(Evening, 7, berlin), berlin)),
            QString::fromUtf8("usually busiest 20:00–23:00"));
}

TEST(BusyHoursTest, RangeEndsAfterItsLastHour) {
  EXPECT_EQ(BusyHoursRange({20, 3, 1}), QString::fromUtf8("20:00–23:00"));
  EXPECT_EQ(BusyHoursRange({22, 2, 1}), QString::fromUtf8("22:00–00:00"));
  EXPECT_EQ(BusyHoursRange({23, 3, 1}), QString::fromUtf8("23:00–02:00"));
  EXPECT_EQ(BusyHoursLine(std::nullopt), "");
}

}  // namespace
}  // namespace zorvane
