// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/parted_pass.h"

#include <gtest/gtest.h>

#include <QList>
#include <QThread>
#include <utility>

namespace zorvane {
namespace {

// A slice spent ends the turn; the next one goes on with the same item, not as its first part,
// and Restart starts the first item again.
TEST(PartedPassTest, ASpentSliceResumesTheItemWhereItStood) {
  TPartedPass pass;
  QList<std::pair<int, bool>> calls;
  const auto step = [&](int item, bool first) {
    calls << std::pair{item, first};
    QThread::msleep(3);
    return !first;  // two parts an item
  };
  EXPECT_FALSE(pass.Run(2, 2, step));
  EXPECT_EQ(calls, (QList<std::pair<int, bool>>{{0, true}}));
  EXPECT_TRUE(pass.Run(2, 1000, step));
  EXPECT_EQ(calls, (QList<std::pair<int, bool>>{{0, true}, {0, false}, {1, true}, {1, false}}));
  EXPECT_TRUE(pass.Run(2, 1000, step));  // done: nothing more runs
  EXPECT_EQ(calls.size(), 4);
  pass.Restart();
  EXPECT_FALSE(pass.Run(2, 2, step));
  EXPECT_EQ(calls.last(), std::pair(0, true));
}

}  // namespace
}  // namespace zorvane
