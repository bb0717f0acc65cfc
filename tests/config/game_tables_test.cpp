// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/game_tables.h"

#include <gtest/gtest.h>

#include "config/settings.h"

namespace zorvane {
namespace {

TGameTables LoadAll(const TIniDocument& ini) {
  TGameTables tables;
  LoadGames(ini, tables);
  LoadGameTypes(ini, tables);
  LoadGamePaths(ini, tables);
  return tables;
}

QStringList TypeNames(const TGameTables& tables) {
  QStringList names;
  for (const auto& t : tables.gameTypes) names << t->Name.Value;
  return names;
}

TEST(GameTablesTest, DefaultsGiveOtherTwentySevenTypesFavoriteAndLAN) {
  TIniDocument ini;
  WriteDefaultGameTypes(ini);
  TGameTables tables = LoadAll(ini);
  AddBuiltInGameTypes(ini, tables);
  const QStringList names = TypeNames(tables);
  ASSERT_EQ(names.size(), 30);
  EXPECT_EQ(names.first(), "Other");
  EXPECT_EQ(names[1], "ONSOnslaughtGame");
  EXPECT_EQ(names[27], "DeathMatchPlus");
  EXPECT_EQ(names[28], "Favorite");
  EXPECT_EQ(names.last(), "LAN");
  QStringList visible;
  for (const auto& t : tables.gameTypes)
    if (t->TabVisible) visible << t->Name.Value;
  EXPECT_EQ(visible, (QStringList{"Other", "LastManStanding", "Assault", "TeamGamePlus",
                                  "Domination", "CTFGame", "DeathMatchPlus", "Favorite", "LAN"}));
  EXPECT_EQ(tables.FindGameType("ctfgame")->Description.Value, "CTF");
  EXPECT_TRUE(tables.FindGameType("xCTFGame")->TeamGame.Value);
  EXPECT_EQ(tables.FindGameType("Favorite")->Description.Value, "Favorites");
  EXPECT_EQ(tables.FindGameType("Other")->Description.Value, "Other");
  ASSERT_EQ(tables.games.size(), 8u);
  EXPECT_EQ(tables.FindGame("UT2003")->Value.Value, "UT2004");
  EXPECT_EQ(tables.paths.size(), 8u);
  EXPECT_EQ(tables.FindGameType("CTFGame")->EditState, esUnchanged);
  EXPECT_EQ(tables.FindGameType("CTFGame")->Description.Working, "CTF");
}

TEST(GameTablesTest, DuplicateAndBuiltInNamesInTheFile) {
  TIniDocument ini;
  ini.ParseText(
      "[game]\nUT=UT\nut=UT2004\n=x\n[gameType]\nctfgame=\nOther=\nFAVORITE=\nlan=\nCTFGame=\n"
      "[CTFGame]\ndescription=Capture\nteamGame=1\n");
  const TGameTables tables = LoadAll(ini);
  ASSERT_EQ(tables.games.size(), 1u);
  EXPECT_EQ(tables.games[0]->Name.Value, "ut");
  EXPECT_EQ(TypeNames(tables), QStringList{"CTFGame"});
  EXPECT_EQ(tables.gameTypes[0]->Description.Value, "Capture");
  EXPECT_TRUE(tables.gameTypes[0]->TabVisible);  // missing key: shown
}

TEST(GameTablesTest, MigrationsAddMissingTypesHidden) {
  TIniDocument ini;
  ini.ParseText(
      "[game]\nUT=UT\n[gameType]\nxCTFGame=\n[xCTFGame]\ndescription=Mine\nteamGame=1\n"
      "tabVisible=1\ngame=UT2004\n");
  TGameTables tables = LoadAll(ini);
  MigrateGameTypes(tables, "2.70", true);
  EXPECT_EQ(tables.gameTypes.size(), 10u);
  EXPECT_EQ(tables.FindGameType("xCTFGame")->Description.Value, "Mine");  // kept as it was
  EXPECT_TRUE(tables.FindGameType("xCTFGame")->TabVisible);
  const TGameType* ons = tables.FindGameType("ONSOnslaughtGame");
  ASSERT_TRUE(ons);
  EXPECT_FALSE(ons->TabVisible || ons->TeamGame.Value);
  EXPECT_EQ(tables.FindGame("UT2004")->Value.Value, "UT2004");
  EXPECT_EQ(tables.games.size(), tables.paths.size());

  TGameTables older = LoadAll(ini);
  MigrateGameTypes(older, "2.5", true);
  EXPECT_TRUE(older.FindGameType("MonsterHunt") && older.FindGame("BunnyTrack"));
  TGameTables fresh = LoadAll(ini);
  MigrateGameTypes(fresh, "0", false);  // a new game-type file already has them
  EXPECT_EQ(fresh.gameTypes.size(), 1u);
}

TEST(GameTablesTest, PreStampPathsAndVisibility) {
  TIniDocument gameTypes;
  WriteDefaultGameTypes(gameTypes);
  TGameTables tables = LoadAll(gameTypes);
  AddBuiltInGameTypes(gameTypes, tables);
  TIniDocument old;
  old.ParseText(
      "[utDirectory]\nUT=/games/ut\nUT2004=\n[CTFGame]\ntabVisible=0\n"
      "[TO340]\ntabVisible=1\n");
  MigrateGamePaths(old, tables);
  EXPECT_EQ(tables.FindPaths("UT")->ExePath.Value, "/games/ut/system/UnrealTournament.exe");
  EXPECT_EQ(tables.FindPaths("Thievery")->UserPath.Value, "/games/ut/system/ThieveryUser.ini");
  EXPECT_EQ(tables.FindPaths("UT2004")->ExePath.Value, "");
  MigrateTabVisibility(old, tables);
  EXPECT_FALSE(tables.FindGameType("CTFGame")->TabVisible);
  EXPECT_TRUE(tables.FindGameType("TO340")->TabVisible);
  EXPECT_FALSE(tables.FindGameType("TO350")->TabVisible);
  EXPECT_FALSE(tables.FindGameType("xDeathMatch")->TabVisible);
  EXPECT_TRUE(tables.FindGameType("Domination")->TabVisible);
}

TEST(GameTablesTest, SaveWritesBuiltInsOnlyAsTheyShould) {
  TIniDocument ini;
  WriteDefaultGameTypes(ini);
  TGameTables tables = LoadAll(ini);
  AddBuiltInGameTypes(ini, tables);
  tables.paths[0]->ExePath.Set("/games/ut/System/UnrealTournament.exe");
  TSettings settings;
  settings.FiltersOf("Favorite").values[kVersionFilter] = "UT";
  tables.FindGameType("LAN")->TabVisible = false;  // hidden through the Tabs dialog
  SaveGameTypes(ini, tables, settings);
  EXPECT_FALSE(ini.ValueExists("gameType", "LAN"));
  EXPECT_EQ(ini.ReadSection("LAN").size(), 16);  // its tab and its filters
  EXPECT_EQ(ini.ReadString("LAN", "tabVisible", "x"), "0");
  EXPECT_EQ(ini.ReadSection("Favorite").size(), 15);
  EXPECT_EQ(ini.ReadString("Favorite", "versionFilter", "x"), "UT");
  EXPECT_FALSE(ini.ValueExists("gameType", "Other"));
  EXPECT_FALSE(ini.ValueExists("gameType", "Favorite"));
  EXPECT_EQ(ini.ReadSection("Other").size(), 17);
  EXPECT_EQ(ini.ReadString("gameUT", "gameExePath", ""), "/games/ut/System/UnrealTournament.exe");

  TGameTables reloaded = LoadAll(ini);
  AddBuiltInGameTypes(ini, reloaded);
  EXPECT_EQ(TypeNames(reloaded), TypeNames(tables));
  EXPECT_FALSE(reloaded.FindGameType("LAN")->TabVisible);
  EXPECT_EQ(reloaded.paths[0]->ExePath.Value, tables.paths[0]->ExePath.Value);
}

TEST(GameTablesTest, NamesWhoseSectionWouldLandOnAnotherOneAreRecognised) {
  TIniDocument ini;
  WriteDefaultGameTypes(ini);
  TGameTables tables = LoadAll(ini);
  AddBuiltInGameTypes(ini, tables);
  const struct {
    const char* name;
    bool gameCollides, typeCollides;
  } cases[] = {
      {"Type", true, false},       {"TYPE", true, false},
      {"CTFGame", false, false},   {"Other", false, false},
      {"", true, false},  // "game" itself
      {"Game", false, true},       {"gametype", false, true},
      {"gameUT2004", false, true}, {"ONSOnslaughtGame", false, false},
      {"Thievery", false, false},  {"NewMod", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GameNameCollidesWithSection(tables, c.name), c.gameCollides) << c.name;
    EXPECT_EQ(GameTypeNameCollidesWithSection(tables, c.name), c.typeCollides) << c.name;
  }
  // A game type's own section is taken too: a game "CTFGame" is fine, a game "Game" next to
  // a type "gameGame" is not.
  AddGameTypeIfMissing(tables, "UT", "UT", false, "odd", "gameGame");
  EXPECT_TRUE(GameNameCollidesWithSection(tables, "game"));
}

TEST(GameTablesTest, SectionsThatWouldLandOnAnotherOneAreNotWrittenOverIt) {
  TIniDocument ini;
  WriteDefaultGameTypes(ini);
  TGameTables tables = LoadAll(ini);
  AddGameTypeIfMissing(tables, "UT", "Type", false, "Odd", "gameUT");
  AddGameTypeIfMissing(tables, "UT", "UT", false, "Odder", "gameType");
  AddBuiltInGameTypes(ini, tables);
  LoadGamePaths(ini, tables);
  tables.FindPaths("Type")->ExePath.Set("/games/type.exe");
  tables.FindPaths("UT")->ExePath.Set("/games/ut.exe");
  QStringList log;
  SaveGameTypes(ini, tables, TSettings{}, [&](const QString& line) { log << line; });

  TGameTables reloaded = LoadAll(ini);
  AddBuiltInGameTypes(ini, reloaded);
  EXPECT_EQ(TypeNames(reloaded), TypeNames(tables));  // the type list survives
  EXPECT_EQ(reloaded.FindGameType("gameUT")->Description.Value, "Odd");
  EXPECT_EQ(reloaded.FindGameType("CTFGame")->Description.Value, "CTF");
  EXPECT_TRUE(reloaded.FindGame("Type"));
  EXPECT_EQ(reloaded.FindPaths("Type")->ExePath.Value, "");  // kept in memory only
  EXPECT_EQ(tables.FindPaths("Type")->ExePath.Value, "/games/type.exe");
  EXPECT_EQ(reloaded.FindPaths("UT")->ExePath.Value, "");  // "gameUT" is a type's section
  EXPECT_EQ(log.size(), 3);
  EXPECT_TRUE(log.join('\n').contains("Game Type:")) << log.join('\n').toStdString();
}

// A hand-made file may give a game a name with control characters: the saved file holds it as
// its key is written, and the paths under the section of that name.
TEST(GameTablesTest, AGameNameWithControlCharactersKeepsItsPaths) {
  TIniDocument ini;
  ini.ParseText("[game]\n\x01\x02Odd=UT\n");
  TGameTables tables = LoadAll(ini);
  ASSERT_EQ(tables.games.size(), 1u);
  tables.paths[0]->ExePath.Set("/games/odd.exe");
  SaveGameTypes(ini, tables, TSettings{});
  EXPECT_EQ(ini.Sections(), (QStringList{"game", "gameOdd"}));
  TGameTables reloaded = LoadAll(ini);
  ASSERT_EQ(reloaded.games.size(), 1u);
  EXPECT_EQ(reloaded.games[0]->Name.Value, "Odd");
  EXPECT_EQ(reloaded.paths[0]->ExePath.Value, "/games/odd.exe");
}

TEST(GameTablesTest, DetectionFillsOnlyEmptyPathsAndSkipsCompleteGames) {
  TIniDocument ini;
  WriteDefaultGameTypes(ini);
  TGameTables tables = LoadAll(ini);
  tables.FindPaths("UT")->UserPath.Set("/mine/User.ini");
  int lookups = 0;
  const TClassesLookup registry = [&](const QString& key) {
    ++lookups;
    return key.contains("UnrealTournament")
               ? QStringLiteral("\"C:\\UT\\System\\UnrealTournament.exe\" \"%1\"")
               : QString();
  };
  const TPathMapper mapper = [](const QString& dir) {
    return dir == "C:\\UT\\System\\" ? QStringLiteral("/wine/drive_c/UT/System") : QString();
  };
  EXPECT_TRUE(DetectGamePaths(tables, "UT", "UnrealTournament",
                              "\\Applications\\UnrealTournament.exe\\shell\\open\\command",
                              registry, mapper));
  const TGameInfo* ut = tables.FindPaths("UT");
  EXPECT_EQ(ut->ExePath.Value, "/wine/drive_c/UT/System/UnrealTournament.exe");
  EXPECT_EQ(ut->FavoritesPath.Value, "/wine/drive_c/UT/System/UnrealTournament.ini");
  EXPECT_EQ(ut->UserPath.Value, "/mine/User.ini");
  EXPECT_FALSE(DetectGamePaths(tables, "UT2004", "UT2004", "ut2004\\Shell\\open\\command", registry,
                               mapper));
  EXPECT_TRUE(DetectGamePaths(tables, "Unknown", "X", "x", registry, mapper));
  lookups = 0;
  EXPECT_TRUE(DetectGamePaths(tables, "UT", "UnrealTournament", "k", registry, mapper));
  EXPECT_EQ(lookups, 0);  // complete: the registry is not read
}

}  // namespace
}  // namespace zorvane
