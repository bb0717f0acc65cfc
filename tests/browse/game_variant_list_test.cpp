// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/game_variant_list.h"

#include <gtest/gtest.h>

namespace zorvane {
namespace {

TEST(GameVariantListTest, FillGameVariantListFlags) {
  QStringList all;
  FillGameVariantList(all, kVariantEmpty | kVariantAll);
  EXPECT_EQ(all, (QStringList{"", "[all]", "UT", "UT2003 Demo", "UT2003", "UT2004 Demo", "UT2004"}));
  QStringList trimmed{"keep"};
  FillGameVariantList(trimmed, kVariantNoUT2003Demo | kVariantNoUT2003 | kVariantNoUT2004Demo);
  EXPECT_EQ(trimmed, (QStringList{"keep", "UT", "UT2004"}));
}

}  // namespace
}  // namespace zorvane
