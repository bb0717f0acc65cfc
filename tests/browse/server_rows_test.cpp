// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/server_rows.h"

#include <gtest/gtest.h>

namespace zorvane {
namespace {

TEST(ServerRowsTest, WhichViewListsAServer) {
  std::vector<std::unique_ptr<TGameType>> types;
  for (const auto& [name, visible] :
       {std::pair{"CTFGame", true}, std::pair{"xDeathMatch", false}}) {
    types.push_back(std::make_unique<TGameType>());
    types.back()->Name.Set(name);
    types.back()->TabVisible = visible;
  }
  TServer ctf, hidden, unknown;
  ctf.SetGameType("ctfgame");
  hidden.SetGameType("xDeathMatch");
  unknown.SetGameType("BunnyTrack");
  unknown.Favorite = true;
  EXPECT_TRUE(BelongsToView(ctf, "CTFGame", false, types));
  EXPECT_FALSE(BelongsToView(ctf, "Other", false, types));
  EXPECT_TRUE(BelongsToView(hidden, "Other", false, types));
  EXPECT_TRUE(BelongsToView(unknown, "Other", false, types));
  EXPECT_TRUE(BelongsToView(unknown, "Favorite", true, types));
  EXPECT_FALSE(BelongsToView(ctf, "Favorite", true, types));
}

TEST(ServerRowsTest, GameTypeCellShowsTheTabTitleOfAListedType) {
  std::vector<std::unique_ptr<TGameType>> types;
  for (const auto& [name, description] :
       {std::pair{"Other", "Other"}, std::pair{"xDeathMatch", "2K4 Death &Match"},
        std::pair{"Untitled", ""}, std::pair{"Favorite", "Favorites"}}) {
    types.push_back(std::make_unique<TGameType>());
    types.back()->Name.Set(name);
    types.back()->Description.Set(description);
    types.back()->TabVisible = false;  // a hidden tab has its title too
  }
  const std::pair<const char*, const char*> cases[] = {
      {"xDeathMatch", "2K4 Death Match"},        // without its "&"
      {"XDEATHMATCH", "2K4 Death Match"},        // letter case ignored
      {"ONSOnslaughtGame", "ONSOnslaughtGame"},  // not listed: the class
      {"Untitled", "Untitled"},                  // no title: the class
      {"Other", "Other"},                        // the built-in views are no game type
      {"Favorite", "Favorite"},
      {"", ""},
  };
  for (const auto& [reported, shown] : cases) EXPECT_EQ(GameTypeText(reported, types), shown);
  TServer server;
  server.SetGameType("xDeathMatch");
  EXPECT_EQ(ServerRowTexts(server, "k", false, nullptr, &types)[scGameType], "2K4 Death Match");
  EXPECT_EQ(ServerRowTexts(server, "k", false)[scGameType], "xDeathMatch");
  EXPECT_EQ(server.GameType(), "xDeathMatch");
}

TEST(ServerRowsTest, AddressAndPasswordCells) {
  TServer ut, locked2004, open2004, named, unknown;
  ut.SetIP("10.0.0.5");
  ut.Port = 7778;
  ut.SetPassword("True");
  locked2004.SetIP("10.0.0.6");
  locked2004.Port = 1;
  locked2004.SetSetting(0, u"ServerMode", u"dedicated");
  locked2004.SetSetting(1, u"GamePassword", u"True");
  open2004.SetSetting(0, u"gamepassword", u"False");
  open2004.SetPassword("False");
  named.SetDNSName("ut.example.org");
  named.Port = 7778;
  EXPECT_EQ(AddressText(ut), "10.0.0.5:7777");  // the game port players join
  EXPECT_EQ(AddressText(locked2004), "10.0.0.6:0");
  EXPECT_EQ(AddressText(named), "ut.example.org:7777");
  EXPECT_EQ(AddressText(unknown), "");
  EXPECT_EQ(ServerRowTexts(ut, "k", false)[scAddress], "10.0.0.5:7777");
  for (const auto& [server, needs] : {std::pair{&ut, true}, std::pair{&locked2004, true},
                                      std::pair{&open2004, false}, std::pair{&unknown, false}}) {
    EXPECT_EQ(NeedsPassword(*server), needs);
    EXPECT_EQ(ServerRowTexts(*server, "k", false)[scPassword], needs ? "Yes" : "");
  }
}

TEST(ServerRowsTest, PlayersTextWithAndWithoutTheMaximum) {
  TServer s;
  s.SetNumPlayers("3");
  s.SetMaxPlayers("16");
  EXPECT_EQ(PlayersText(s, true), "3/16");
  EXPECT_EQ(PlayersText(s, false), "3");
  s.SetMaxPlayers("");
  EXPECT_EQ(PlayersText(s, true), "3");
}

// A server listed from the last session shows its ping in brackets until it is asked again.
TEST(ServerRowsTest, PingCellMarksAServerNotYetRefreshed) {
  TServer s;
  s.SetPing("52");
  EXPECT_EQ(ServerRowTexts(s, "k", false)[scPing], "52");
  s.FromCache = true;
  EXPECT_EQ(ServerRowTexts(s, "k", false)[scPing], "(52)");
  s.ResetValues(false);
  EXPECT_EQ(ServerRowTexts(s, "k", false)[scPing], "9999");
}

TEST(ServerRowsTest, SettingRowsOfUTAndOfUT2004) {
  TServer ut;
  ut.SetIP("1.2.3.4");
  ut.Port = 7778;
  ut.SetGame("UT");
  ut.SetAdminName("Ann");
  ut.SetMutators("InstaGib");
  ut.SetSetting(0, u"ignored", u"for UT");
  const auto rows = SettingRows(ut);
  ASSERT_EQ(rows.size(), 4u);  // no "Admin Email" row for an empty e-mail
  EXPECT_EQ(rows[0], (std::pair<QString, QString>{"IP Address", "1.2.3.4:7777"}));
  EXPECT_EQ(rows[1], (std::pair<QString, QString>{"Version", "UT"}));
  EXPECT_EQ(rows[2], (std::pair<QString, QString>{"Admin Name", "Ann"}));
  EXPECT_EQ(rows[3], (std::pair<QString, QString>{"Mutators", "InstaGib"}));

  TServer ut2004;
  ut2004.SetDNSName("game.example");
  ut2004.SetGame("UT2004");
  // An empty value (AdminName="") is left out and the settings after it still shown; a free
  // slot ends the list.
  ut2004.SetSetting(0, u"ServerMode", u"dedicated");
  ut2004.SetSetting(1, u"AdminName", u"");
  ut2004.SetSetting(2, u"Mutator", u"after the empty value");
  ut2004.SetSetting(3, u"", u"no name");
  ut2004.SetSetting(5, u"Hidden", u"after the free slot");
  const auto other = SettingRows(ut2004);
  ASSERT_EQ(other.size(), 6u);
  EXPECT_EQ(other[0].second, "unresolved");
  EXPECT_EQ(other[1], (std::pair<QString, QString>{"DNS", "game.example"}));
  EXPECT_EQ(other[3], (std::pair<QString, QString>{"ServerMode", "dedicated"}));
  EXPECT_EQ(other[4], (std::pair<QString, QString>{"Mutator", "after the empty value"}));
  EXPECT_EQ(other[5], (std::pair<QString, QString>{"", "no name"}));
}

TEST(ServerRowsTest, CountTexts) {
  EXPECT_EQ(CountText(0, false, "&CTF"), "0 CTF servers");
  EXPECT_EQ(CountText(1, false, "&CTF"), "0 CTF servers");
  EXPECT_EQ(CountText(1, true, "&CTF"), "1 CTF server");
  EXPECT_EQ(CountText(3, true, "C&&TF"), "3 C&TF servers");
}

}  // namespace
}  // namespace zorvane
