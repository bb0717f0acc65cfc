// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/query_pacing.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <vector>

namespace zorvane {
namespace {

struct Burst {
  std::vector<int> sleeps;
  std::vector<int> after;  // index of the query each pause followed
};

Burst RunBurst(int power, int count) {
  Burst burst;
  TQueryPacer pacer(power);
  for (int current = 0; current < count; ++current) {
    if (const int ms = pacer.AfterQuery(current, count); ms > 0) {
      burst.sleeps.push_back(ms);
      burst.after.push_back(current);
    }
  }
  EXPECT_EQ(pacer.Pauses(), int(burst.sleeps.size()));
  return burst;
}

TEST(QueryPacerTest, PausesByStrength) {
  const struct {
    int power, count, pauses, ms;
  } cases[] = {{3, 1000, 142, 1}, {9, 10, 9, 1},   {1, 100, 11, 1},  {0, 1000, 0, 0},
               {-4, 100, 0, 0},   {10, 5, 4, 1},   {25, 5, 4, 2},    {10000, 3, 2, 1000},
               {3, 1, 0, 0},      {5, 0, 0, 0}};
  for (const auto& c : cases) {
    const Burst burst = RunBurst(c.power, c.count);
    EXPECT_EQ(int(burst.sleeps.size()), c.pauses) << c.power << "/" << c.count;
    for (int ms : burst.sleeps) EXPECT_EQ(ms, c.ms) << c.power;
  }
}

TEST(QueryPacerTest, StrengthThreePausesAfterEverySeventhButNeverAfterTheLast) {
  const Burst burst = RunBurst(3, 14);
  EXPECT_EQ(burst.after, (std::vector<int>{6}));  // the 14th query is the last
  EXPECT_EQ(RunBurst(3, 15).after, (std::vector<int>{6, 13}));
}

TEST(QueryPacerTest, DebugLogNamesTheLoopAndTheSleep) {
  QStringList lines;
  TQueryPacer pacer(25, [&](const QString& line) { lines << line; });
  pacer.AfterQuery(0, 2);
  pacer.AfterQuery(1, 2);
  EXPECT_EQ(lines, QStringList{"On loop #0, sleep was requested for 2 ms."});
}

}  // namespace
}  // namespace zorvane
