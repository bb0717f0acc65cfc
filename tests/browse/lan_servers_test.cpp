// SPDX-License-Identifier: GPL-2.0-or-later
// The servers of a LAN search in the stash: listed on the LAN tab alone, never cached, kept
// by a master list, and forgotten by the next search that does not find them again.
#include "browse/lan_servers.h"

#include <gtest/gtest.h>

#include "browse/server_rows.h"
#include "query/server_cache.h"
#include "query/server_stash.h"

namespace zorvane {
namespace {

TEST(LanServersTest, FoundServersAreListedOnTheLanTabKeptByMastersAndNeverCached) {
  TServerStash stash;
  stash.AddServer("127.0.0.1", "7778", {}, false, "UT", "True", {});         // a master's
  stash.AddServer("127.0.0.1", "7780", {}, true, "UT", "Mine", "Mine");      // a favourite
  stash.AddServer("127.0.0.1", "7790", {}, false, "UT", "True", {});         // a master's
  stash.Find("127.0.0.1:7790")->SetGameType("LAN");  // a server calling itself "LAN"
  EXPECT_EQ(TakeLanServer(stash, "127.0.0.1", 7778, "UT"), "127.0.0.1:7778");  // marked
  EXPECT_EQ(TakeLanServer(stash, "127.0.0.1", 7780, "UT"), "127.0.0.1:7780");
  EXPECT_EQ(TakeLanServer(stash, "127.0.0.1", 17001, "UT2004"), "127.0.0.1:17001");
  EXPECT_EQ(TakeLanServer(stash, "127.0.0.1", 0, "UT"), "");  // refused by the stash
  ASSERT_EQ(stash.Count(), 4);
  EXPECT_EQ(stash.Find("127.0.0.1:17001")->Game(), "UT2004");

  const std::vector<std::unique_ptr<TGameType>> types;
  QStringList onLanTab;
  for (int i = 0; i < stash.Count(); ++i)
    if (BelongsToView(*stash.Server(i), "LAN", false, types)) onLanTab << stash.Key(i);
  EXPECT_EQ(onLanTab, (QStringList{"127.0.0.1:7778", "127.0.0.1:7780", "127.0.0.1:17001"}));

  // The cache holds the master's server alone; a new UT list naming none of them keeps the
  // LAN servers.
  const TServerCacheRead cached = ReadServerCache(WriteServerCache(stash));
  ASSERT_EQ(cached.servers.size(), 1u);
  EXPECT_EQ(cached.servers[0]->Port, 7790);
  EXPECT_EQ(stash.ClearServersOfGameExcept("UT", {}), 1);
  EXPECT_FALSE(stash.Find("127.0.0.1:7790"));

  // The next search finds only the UT2004 server: the other one leaves, the favourite stays.
  EXPECT_EQ(ForgetLanServersExcept(stash, {"127.0.0.1:17001"}), 1);
  EXPECT_FALSE(stash.Find("127.0.0.1:7778"));
  ASSERT_TRUE(stash.Find("127.0.0.1:7780"));
  EXPECT_FALSE(stash.Find("127.0.0.1:7780")->FromLan);
  EXPECT_TRUE(stash.Find("127.0.0.1:17001")->FromLan);
}

}  // namespace
}  // namespace zorvane
