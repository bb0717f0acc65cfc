// SPDX-License-Identifier: GPL-2.0-or-later
// The rules of the history that need no file: when a reply makes a sample, what the sample
// holds, how long ago a player was seen, and what a chart joins and marks.
#include <gtest/gtest.h>

#include "history/chart_series.h"
#include "history/last_seen.h"
#include "history/sample_rule.h"
#include "query/server_record.h"

namespace zorvane {
namespace {

TEST(SampleRuleTest, OneSamplePerServerEveryFiveMinutes) {
  const qint64 t = 1700000000;
  struct Case {
    std::optional<qint64> last;
    qint64 now;
    bool due;
  } cases[] = {
      {std::nullopt, t, true},
      {t, t, false},
      {t, t + 299, false},
      {t, t + 300, true},
      {t, t + 3600, true},
      {t, t - 10, false},   // a clock set back a little
      {t, t - 300, true},   // and far: the server is not silenced until the clock catches up
  };
  for (const Case& c : cases)
    EXPECT_EQ(SampleDue(c.last, c.now), c.due) << c.now - c.last.value_or(0);
}

TEST(SampleRuleTest, SampleTakesTheCountTheMaximumAndTheMap) {
  TServer server;
  EXPECT_FALSE(SampleOf(server, 5));  // never answered (or refused): no sample
  server.Online = true;
  server.SetNumPlayers("7");
  server.SetMaxPlayers("16");
  server.SetMapName("DM-Deck16][");
  EXPECT_EQ(SampleOf(server, 5), (THistorySample{5, 7, 16, "DM-Deck16]["}));
  // No count to read: the named slots count, and a junk maximum is 0.
  for (const char* junk : {"", "x", "-1", "12345"}) {
    server.SetNumPlayers(junk);
    server.SetMaxPlayers(junk);
    server.SetPlayerText(0, TPlayerField::Name, u"a");
    server.SetPlayerText(3, TPlayerField::Name, u"b");
    EXPECT_EQ(SampleOf(server, 5)->players, 2) << junk;
    EXPECT_EQ(SampleOf(server, 5)->maxPlayers, 0) << junk;
  }
}

TEST(LastSeenTest, TextsCountWholeUnitsAgo) {
  const qint64 now = 1700000000;
  struct Case {
    qint64 ago;
    const char* text;
  } cases[] = {
      {-30, "now"},         {0, "now"},          {59, "now"},          {60, "1 min ago"},
      {3599, "59 min ago"}, {3600, "1 h ago"},   {7199, "1 h ago"},    {47 * 3600, "47 h ago"},
      {48 * 3600, "2 d ago"}, {40 * 86400, "40 d ago"},
  };
  for (const Case& c : cases) EXPECT_EQ(LastSeenText(now - c.ago, now), c.text) << c.ago;
}

TEST(LastSeenTest, OnlineWinsOverTheSightingAndNeverSeenIsEmpty) {
  const TSighting seen{"Zoe", "127.0.0.1:7778", "The Pit", 1000};
  EXPECT_EQ(LastSeenCells(true, "Bunker 7", seen, 8200), (TLastSeenCells{"now", "Bunker 7"}));
  EXPECT_EQ(LastSeenCells(false, "", seen, 8200), (TLastSeenCells{"2 h ago", "The Pit"}));
  EXPECT_EQ(LastSeenCells(false, "", std::nullopt, 8200), TLastSeenCells{});
}

}  // namespace
}  // namespace zorvane

namespace zorvane {
namespace {

TEST(ChartSeriesTest, GapsBreakTheLineAndMapChangesAreMarked) {
  const std::vector<THistorySample> samples = {
      {0, 1, 8, "DM-A"},    {600, 2, 8, "DM-A"}, {1200, 2, 8, ""},      // no map sent
      {4801, 3, 8, "DM-A"},  // more than an hour later
      {5400, 3, 8, "DM-B"}, {9100, 0, 8, "DM-B"}, {9200, 0, 8, "DM-A"},
  };
  EXPECT_EQ(ChartRuns(samples), (std::vector<TChartRun>{{0, 2}, {3, 4}, {5, 6}}));
  EXPECT_EQ(ChartRuns(samples, 10000), (std::vector<TChartRun>{{0, 6}}));
  EXPECT_TRUE(ChartRuns({}).empty());
  EXPECT_EQ(MapChanges(samples), (std::vector<TMapChange>{{5400, "DM-B"}, {9200, "DM-A"}}));
}

}  // namespace
}  // namespace zorvane
