// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/find_search.h"

#include <gtest/gtest.h>

#include "config/game_tables.h"
#include "monitor_test_support.h"
#include "support/recording_sink.h"

namespace zorvane {
namespace {

using testing::AddKnownServer;
using testing::RecordingSink;

// A stash of four servers; every hit shows, except on the keys listed in refused.
struct Finder {
  TServerStash stash;
  RecordingSink messages;
  QStringList refused;
  QString hiddenTab;  // a tab whose hits are skipped
  QStringList shown;  // "key player" of every hit a view selected

  Finder() {
    AddKnownServer(stash, "Joanna's Place", "DM-A", {"Joanna", "Bob", "xAnnx"});  // 10.0.0.1
    AddKnownServer(stash, "Quiet", "DM-B", {});                                  // 10.0.0.2
    AddKnownServer(stash, "ANNA Arena", "DM-C", {"ANNA"}, "Hidden");             // 10.0.0.3
    AddKnownServer(stash, "Last", "DM-D", {"Bob"});                              // 10.0.0.4
  }

  TFindResult Next(TFindSearch& search, bool exact) {
    return search.Next(
        stash, exact, [](const TServer& s) { return s.GameType(); },
        [this](const TFindHit& hit) {
          if (refused.contains(hit.key) || hit.tab == hiddenTab) return false;
          shown << hit.key + " " + hit.player;
          return true;
        },
        messages);
  }
};

TEST(FindSearchTest, FindNextWalksHitsInStashAndSlotOrderThenEnds) {
  const struct {
    const char* text;
    bool exact;
    QStringList shown;
  } cases[] = {
      {"ann", false, {"10.0.0.1:7778 Joanna", "10.0.0.1:7778 xAnnx", "10.0.0.3:7778 ANNA"}},
      {"BOB", true, {"10.0.0.1:7778 BOB", "10.0.0.4:7778 BOB"}},
      {"ann", true, {}},
      {"Joan", true, {}},
  };
  for (const auto& c : cases) {
    Finder f;
    TFindSearch search(TFindKind::Player);
    search.Start(QString::fromLatin1(c.text));
    for (int i = 0; i < c.shown.size(); ++i)
      EXPECT_EQ(f.Next(search, c.exact).outcome, TFindOutcome::Shown) << c.text;
    EXPECT_EQ(f.shown, c.shown) << c.text;
    EXPECT_EQ(f.Next(search, c.exact).outcome, TFindOutcome::NotFound) << c.text;
    // With Exact Match on, a second line says so.
    EXPECT_EQ(f.messages.messages,
              QStringList({"Player " + QString::fromLatin1(c.text) + " not found." +
                           (c.exact ? "\n(Exact Match is on.)" : "")}));
    // After "not found" the next find-next opens the dialog instead of searching.
    EXPECT_FALSE(search.Active());
    EXPECT_EQ(f.Next(search, c.exact).outcome, TFindOutcome::OpenDialog);
    EXPECT_EQ(f.messages.messages.size(), 1);
  }
}

TEST(FindSearchTest, HitsNoTabCanShowAreSkipped) {
  Finder f;
  f.refused = {"10.0.0.1:7778"};
  f.hiddenTab = "Hidden";
  TFindSearch search(TFindKind::Player);
  search.Start("ann");
  EXPECT_EQ(f.Next(search, false).outcome, TFindOutcome::NotFound);
  EXPECT_TRUE(f.shown.isEmpty());

  // A fresh start goes back to the first server.
  f.refused.clear();
  search.Start("bob");
  EXPECT_EQ(f.Next(search, true).hit.key, "10.0.0.1:7778");
  search.Start("bob");
  const TFindResult again = f.Next(search, true);
  EXPECT_EQ(again.outcome, TFindOutcome::Shown);
  EXPECT_EQ(again.hit.key, "10.0.0.1:7778");
  EXPECT_EQ(again.hit.tab, "xDeathMatch");
}

TEST(FindSearchTest, ServersAreFoundByDescription) {
  Finder f;
  TFindSearch search(TFindKind::Server);
  EXPECT_EQ(f.Next(search, true).outcome, TFindOutcome::OpenDialog);
  search.Start("an");
  EXPECT_EQ(f.Next(search, false).hit.key, "10.0.0.1:7778");
  EXPECT_EQ(f.Next(search, false).hit.key, "10.0.0.3:7778");
  EXPECT_EQ(f.Next(search, false).outcome, TFindOutcome::NotFound);
  EXPECT_EQ(f.messages.messages, QStringList({"Server an not found."}));
  search.Start("quiet");
  EXPECT_EQ(f.Next(search, true).hit.key, "10.0.0.2:7778");
  EXPECT_EQ(f.Next(search, true).outcome, TFindOutcome::NotFound);
  EXPECT_EQ(f.messages.messages.last(), "Server quiet not found.\n(Exact Match is on.)");
}

TEST(FindSearchTest, TheTabIsTheFavouritesTheGameTypeOrOther) {
  TGameTables tables;
  for (const auto& [name, visible] : {std::pair{"xCTFGame", true}, std::pair{"xBombingRun", false}}) {
    auto type = std::make_unique<TGameType>();
    type->Name.Set(QString::fromLatin1(name));
    type->TabVisible = visible;
    tables.gameTypes.push_back(std::move(type));
  }
  TServer server;
  const struct {
    bool favorite;
    const char* gameType;
    bool otherShown;
    const char* tab;
  } cases[] = {
      {true, "xCTFGame", false, "Favorite"},   {false, "xctfgame", false, "xCTFGame"},
      {false, "xBombingRun", true, "Other"},   {false, "xBombingRun", false, ""},
      {false, "Unlisted", true, "Other"},      {false, "Unlisted", false, ""},
  };
  for (const auto& c : cases) {
    server.Favorite = c.favorite;
    server.SetGameType(QString::fromLatin1(c.gameType));
    EXPECT_EQ(FindTabOf(server, tables, c.otherShown), c.tab) << c.gameType << c.otherShown;
  }
}

}  // namespace
}  // namespace zorvane
