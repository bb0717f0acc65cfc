// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/server_route.h"

#include <gtest/gtest.h>

namespace zorvane {
namespace {

TEST(ServerRouteTest, WhichViewListsAServer) {
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

// The reply's route and the rebuilt lists name the same views, for every kind of server: the
// LAN view lists what a LAN search found and nothing that merely calls its game type "LAN".
TEST(ServerRouteTest, RouteAndListsAgree) {
  std::vector<std::unique_ptr<TGameType>> types;
  for (const auto& [name, visible] :
       {std::pair{"CTFGame", true}, std::pair{"xDeathMatch", false}, std::pair{"Other", true},
        std::pair{"Favorite", true}, std::pair{"LAN", true}}) {
    types.push_back(std::make_unique<TGameType>());
    types.back()->Name.Set(name);
    types.back()->TabVisible = visible;
  }
  const struct {
    const char* gameType;
    bool favorite;
    bool lan;  // found by the last LAN search
    const char* typeView;
  } cases[] = {{"ctfgame", false, false, "CTFGame"},
               {"CTFGame", true, false, "CTFGame"},
               {"xDeathMatch", false, false, "Other"},
               {"BunnyTrack", true, false, "Other"},
               {"", false, false, "Other"},
               {"other", false, false, "Other"},
               {"Favorite", false, false, "Other"},
               {"CTFGame", false, true, "CTFGame"},
               {"LAN", false, false, "Other"},
               {"lan", true, true, "Other"}};
  for (const auto& c : cases) {
    TServer server;
    server.SetGameType(QString::fromLatin1(c.gameType));
    server.Favorite = c.favorite;
    server.FromLan = c.lan;
    const TServerRoute route = RouteOfServer(server, types);
    EXPECT_EQ(route.typeView, QLatin1String(c.typeView)) << c.gameType;
    EXPECT_EQ(route.other, route.typeView == u"Other") << c.gameType;
    EXPECT_EQ(route.favorites, c.favorite) << c.gameType;
    EXPECT_EQ(route.lan, c.lan) << c.gameType;
    for (const auto& type : types) {
      const QString view = type->Name.Value;
      const bool favoriteView = view == u"Favorite";
      const bool routed = favoriteView     ? route.favorites
                          : view == u"LAN" ? route.lan
                                           : view == route.typeView;
      EXPECT_EQ(BelongsToView(server, view, favoriteView, types), routed)
          << c.gameType << " in " << view.toStdString();
    }
  }
}

TEST(ServerRouteTest, HasNoVisibleTab) {
  std::vector<std::unique_ptr<TGameType>> types;
  types.push_back(std::make_unique<TGameType>());
  types.back()->Name.Set("CTFGame");
  types.push_back(std::make_unique<TGameType>());
  types.back()->Name.Set("xDeathMatch");
  types.back()->TabVisible = false;
  EXPECT_FALSE(HasNoVisibleTab(u"ctfgame", types));
  EXPECT_TRUE(HasNoVisibleTab(u"xDeathMatch", types));
  EXPECT_TRUE(HasNoVisibleTab(u"BunnyTrack", types));
}

}  // namespace
}  // namespace zorvane
