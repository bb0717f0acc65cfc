// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/game_edits.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "support/default_tables.h"
#include "support/files.h"

namespace zorvane {
namespace {

using testing::DefaultGameTables;

QStringList GameNames(const TGameTables& tables) {
  QStringList names;
  for (const auto& g : tables.games) names << g->Name.Value;
  return names;
}

QStringList TypesOfGame(const TGameTables& tables, const QString& game) {
  QStringList names;
  for (const auto& t : tables.gameTypes)
    if (t->Game.Value == game) names << t->Name.Value;
  return names;
}

bool AllUnchanged(const TGameTables& tables) {
  for (const auto& g : tables.games)
    if (g->EditState != esUnchanged || g->Name.Working != g->Name.Value) return false;
  for (const auto& t : tables.gameTypes)
    if (t->EditState != esUnchanged || t->Name.Working != t->Name.Value) return false;
  return true;
}

TEST(GameListEditorTest, RenamedGameTakesItsGameTypesAndPathsAlong) {
  TGameTables tables = DefaultGameTables();
  tables.FindPaths("UT")->ExePath.Set("/games/ut/System/ut-bin");
  const QStringList utTypes = TypesOfGame(tables, "UT");
  TGameListEditor games(tables);
  ASSERT_EQ(games.At(0)->Name.Working, "UT");
  EXPECT_FALSE(games.Update(0, "UT99", "UT"));
  EXPECT_EQ(games.At(0)->EditState, esChanged);
  EXPECT_EQ(TypesOfGame(tables, "UT"), utTypes);  // nothing moves before OK
  games.Accept();
  EXPECT_TRUE(TypesOfGame(tables, "UT").isEmpty());
  EXPECT_EQ(TypesOfGame(tables, "UT99"), utTypes);
  ASSERT_TRUE(tables.FindPaths("UT99"));
  EXPECT_EQ(tables.FindPaths("UT99")->ExePath.Value, "/games/ut/System/ut-bin");
  EXPECT_TRUE(AllUnchanged(tables));
}

TEST(GameListEditorTest, NewThenCancelLeavesTheListsAsTheyWere) {
  TGameTables tables = DefaultGameTables();
  const QStringList before = GameNames(tables);
  TGameListEditor games(tables);
  const int first = games.New();
  EXPECT_EQ(games.At(first)->Name.Working, "[New1]");
  EXPECT_EQ(games.At(games.New())->Name.Working, "[New2]");
  EXPECT_FALSE(games.Update(first, "Strike", "UT"));
  EXPECT_FALSE(games.Update(0, "Renamed", "UT2004"));
  games.Delete(1);
  games.Cancel();
  EXPECT_EQ(GameNames(tables), before);
  EXPECT_EQ(tables.games.size(), tables.paths.size());
  EXPECT_EQ(tables.FindGame("UT")->Value.Value, "UT");
  EXPECT_TRUE(AllUnchanged(tables));
}

TEST(GameListEditorTest, OnlyUpdatedNewGamesJoinOnOkWithEmptyPaths) {
  TGameTables tables = DefaultGameTables();
  TGameListEditor games(tables);
  const int kept = games.New();
  games.New();  // never updated: dropped
  const int gone = games.New();
  EXPECT_FALSE(games.Update(kept, "Strike", "UT"));
  EXPECT_EQ(games.At(kept)->EditState, esNewAccepted);
  EXPECT_FALSE(games.Update(gone, "Gone", "UT"));
  games.Delete(gone);
  games.Accept();
  EXPECT_EQ(GameNames(tables).last(), "Strike");
  EXPECT_FALSE(tables.FindGame("Gone"));
  EXPECT_FALSE(tables.FindGame("[New2]"));
  ASSERT_TRUE(tables.FindPaths("Strike"));
  EXPECT_TRUE(tables.FindPaths("Strike")->ExePath.Value.isEmpty());
  EXPECT_EQ(tables.games.size(), tables.paths.size());
}

TEST(GameListEditorTest, DeletingAGameEmptiesItsGameTypesAssociation) {
  TGameTables tables = DefaultGameTables();
  tables.FindPaths("UT2004")->ExePath.Set("/games/ut2004/System/ut2004-bin");
  const QStringList types = TypesOfGame(tables, "Thievery");
  ASSERT_EQ(types.size(), 3);
  TGameListEditor games(tables);
  games.Delete(int(GameNames(tables).indexOf("Thievery")));
  EXPECT_EQ(games.Count(), int(tables.games.size()) - 1);
  games.Accept();
  EXPECT_FALSE(tables.FindGame("Thievery"));
  for (const QString& type : types) EXPECT_EQ(tables.FindGameType(type)->Game.Value, "");
  EXPECT_EQ(tables.games.size(), tables.paths.size());
  // The paths of the games after it stay with their games.
  EXPECT_EQ(tables.FindPaths("UT2004")->ExePath.Value, "/games/ut2004/System/ut2004-bin");
}

// Several edits in one opening are one mapping from the names before OK to those after it.
TEST(GameListEditorTest, NamesSwappedThroughATemporaryOneSwapTheirGameTypes) {
  TGameTables tables = DefaultGameTables();
  const QStringList thieveryTypes = TypesOfGame(tables, "Thievery");
  const QStringList utTypes = TypesOfGame(tables, "UT");
  TGameListEditor games(tables);
  const int ut = int(games.Names().indexOf("UT"));
  const int thievery = int(games.Names().indexOf("Thievery"));
  EXPECT_FALSE(games.Update(ut, "Temp", "UT"));
  EXPECT_FALSE(games.Update(thievery, "UT", "UT"));
  EXPECT_FALSE(games.Update(ut, "Thievery", "UT"));
  const TGameRenames renames = games.Accept();
  EXPECT_EQ(TypesOfGame(tables, "UT"), thieveryTypes);
  EXPECT_EQ(TypesOfGame(tables, "Thievery"), utTypes);
  EXPECT_EQ(renames.After("ut"), "Thievery");
  EXPECT_EQ(renames.After("Thievery"), "UT");
  EXPECT_EQ(renames.After("UT2004"), "UT2004");
  EXPECT_TRUE(AllUnchanged(tables));
}

struct TProblemCase {
  const char* name;
  const char* second;  // association (games) or tab title (game types)
  const char* game;    // game types only
  int field;
  const char* text;
  bool warning;
};

TEST(GameListEditorTest, UpdateChecksInOrder) {
  const TProblemCase cases[] = {
      {"", "", "", 0, "The 'Game' cannot be blank.", false},
      {"Strike", "", "", 1, "The 'Version Association' cannot be blank.", false},
      {"ut2004", "UT", "", 0, "The game ut2004 is already in the list.", true},
      {"a=b", "UT", "", 0, "The 'Game' cannot contain '='.", false},
      {";Strike", "UT", "", 0, "The 'Game' cannot begin with ';' or '#'.", false},
      {" Strike", "UT", "", 0, "The 'Game' cannot begin or end with a blank.", false},
      {"Type", "UT", "", 0,
       "The game Type would keep its paths in a section that utGameType.ini uses for something "
       "else.",
       false},
  };
  for (const TProblemCase& c : cases) {
    SCOPED_TRACE(c.name);
    TGameTables tables = DefaultGameTables();
    TGameListEditor games(tables);
    const int index = games.New();
    const auto problem = games.Update(index, c.name, c.second);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->field, c.field);
    EXPECT_EQ(problem->text, c.text);
    EXPECT_EQ(problem->warning, c.warning);
    EXPECT_EQ(games.At(index)->Name.Working, "[New1]");  // nothing taken over
    EXPECT_EQ(games.At(index)->EditState, esNewOrDeleted);
  }
}

TEST(GameTypeListEditorTest, UpdateChecksInOrder) {
  const TProblemCase cases[] = {
      {"", "", "", 0, "The 'Game Type' cannot be blank.", false},
      {"Jailbreak", "", "", 1, "The 'Tab Title' cannot be blank.", false},
      {"Jailbreak", "Jail", "", 3, "The 'Game Association' cannot be blank.", false},
      {"ctfgame", "Jail", "UT", 0, "The game ctfgame is already in the list.", true},
      {"Jail=break", "Jail", "UT", 0, "The 'Game Type' cannot contain '='.", false},
      {"#Jail", "Jail", "UT", 0, "The 'Game Type' cannot begin with ';' or '#'.", false},
      {"favorite", "Jail", "UT", 0, "The game type favorite is built in and cannot be added.",
       false},
      {"Other", "Jail", "UT", 0, "The game type Other is built in and cannot be added.", false},
      {"lan", "Jail", "UT", 0, "The game type lan is built in and cannot be added.", false},
      {"gameUT", "Jail", "UT", 0,
       "The game type gameUT would keep its settings in a section that utGameType.ini uses for "
       "something else.",
       false},
  };
  for (const TProblemCase& c : cases) {
    SCOPED_TRACE(c.name);
    TGameTables tables = DefaultGameTables();
    TGameTypeListEditor types(tables);
    const int index = types.New();
    const auto problem = types.Update(index, c.name, c.second, "False", c.game);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->field, c.field);
    EXPECT_EQ(problem->text, c.text);
    EXPECT_EQ(problem->warning, c.warning);
  }
}

TEST(GameTypeListEditorTest, ListsAllButTheBuiltInTypesAndOffersSortedGames) {
  TGameTables tables = DefaultGameTables();
  TGameTypeListEditor types(tables);
  EXPECT_EQ(types.Count(), 27);
  EXPECT_FALSE(types.Names().contains("Other"));
  EXPECT_FALSE(types.Names().contains("Favorite"));
  EXPECT_EQ(types.GameNames().first(), "BunnyTrack");
  EXPECT_EQ(types.GameNames().last(), "UT2004 Demo");
}

TEST(GameTypeListEditorTest, OkReportsNewRenamedAndDeletedTypes) {
  TGameTables tables = DefaultGameTables();
  TGameTypeListEditor types(tables);
  const int ctf = int(types.Names().indexOf("CTFGame"));
  const int dm = int(types.Names().indexOf("DeathMatchPlus"));
  EXPECT_FALSE(types.Update(ctf, "CTFGame", "Capture", "True", "UT"));    // title only
  EXPECT_FALSE(types.Update(dm, "DMPlus", "Death Match", "true", "UT"));  // renamed, team
  types.Delete(int(types.Names().indexOf("Assault")));
  const int fresh = types.New();
  EXPECT_TRUE(types.At(fresh)->TabVisible);
  EXPECT_FALSE(types.Update(fresh, "JailBreak", "Jail", "False", "UT"));
  const TGameTypeCommit commit = types.Accept();

  EXPECT_EQ(commit.deleted, QStringList{"Assault"});
  EXPECT_FALSE(tables.FindGameType("Assault"));
  EXPECT_EQ(tables.gameTypes.back()->Name.Value, "LAN");  // the new type goes before both
  EXPECT_EQ(tables.gameTypes[tables.gameTypes.size() - 2]->Name.Value, "Favorite");
  EXPECT_EQ(tables.gameTypes[tables.gameTypes.size() - 3]->Name.Value, "JailBreak");
  ASSERT_EQ(commit.changed.size(), 3u);
  const TGameTypeChange& jail = commit.changed[0];  // walked from the end
  EXPECT_TRUE(jail.isNew && jail.titleChanged && jail.teamChanged && !jail.renamed);
  const TGameTypeChange& dmPlus = commit.changed[1];
  EXPECT_EQ(dmPlus.oldName, "DeathMatchPlus");
  EXPECT_EQ(dmPlus.type->Name.Value, "DMPlus");
  EXPECT_TRUE(dmPlus.renamed && dmPlus.teamChanged && !dmPlus.titleChanged && !dmPlus.isNew);
  EXPECT_TRUE(dmPlus.type->TeamGame.Value);
  const TGameTypeChange& capture = commit.changed[2];
  EXPECT_TRUE(capture.titleChanged && !capture.renamed && !capture.teamChanged);
  EXPECT_EQ(tables.FindGameType("CTFGame")->Description.Value, "Capture");
  EXPECT_TRUE(AllUnchanged(tables));
}

TEST(GameTypeListEditorTest, CaseOnlyDuplicateRefusedAndCancelRestores) {
  TGameTables tables = DefaultGameTables();
  TGameTypeListEditor types(tables);
  const int fresh = types.New();
  const auto problem = types.Update(fresh, "ctfGAME", "Second CTF", "True", "UT");
  ASSERT_TRUE(problem);
  EXPECT_TRUE(problem->warning);
  EXPECT_FALSE(types.Update(0, "Renamed", "Renamed", "False", "UT"));
  types.Cancel();
  EXPECT_EQ(tables.gameTypes.size(), 30u);
  EXPECT_TRUE(tables.FindGameType("ONSOnslaughtGame"));
  EXPECT_TRUE(AllUnchanged(tables));
}

TEST(IniNameTest, NamesThatReadBackPass) {
  for (const char* name : {"UT", "[New1]", "My Game", "Tac-Ops 3.5", "x;y", "a#b"})
    EXPECT_EQ(IniNameProblem(name, "Game"), "") << name;
  for (const char* name : {"a=b", ";a", "#a", "a ", " a"})
    EXPECT_NE(IniNameProblem(name, "Game"), "") << name;
}

TEST(GamePathTest, DirectoryPartSplitsAtTheLastSeparatorOfItsKind) {
  const std::pair<const char*, const char*> cases[] = {
      {"/games/ut/System/ut-bin", "/games/ut/System/"},
      {"C:\\UT\\System\\UnrealTournament.exe", "C:\\UT\\System\\"},
      {"/home/a\\b/ut.exe", "/home/a\\b/"},  // "\" is an ordinary character in a Linux name
      {"/ut-bin", "/"},
      {"ut.exe", ""},
      {"", ""},
  };
  for (const auto& [path, directory] : cases) EXPECT_EQ(DirectoryPart(path), directory) << path;
}

TEST(GamePathTest, ChecksFileThenDirectoryAndLetsEmptyPass) {
  QTemporaryDir dir;
  testing::Write(dir.filePath("ut-bin"), "#!/bin/sh\n");
  const QString caption = "Path and Game Exe";
  EXPECT_FALSE(CheckGamePath("", caption));
  EXPECT_FALSE(CheckGamePath(dir.filePath("ut-bin"), caption));
  EXPECT_EQ(CheckGamePath(dir.filePath("missing"), caption),
            "Either the path or the file name entered in the 'Path and Game Exe' field is "
            "incorrect.");
  EXPECT_TRUE(CheckGamePath(dir.path(), caption));  // a folder is not a file
}

TEST(GamePathTest, FieldKeysTitlesAndCaptions) {
  const TGamePathFieldInfo* exe = GamePathFieldInfo(QString("gameExePath"));
  ASSERT_TRUE(exe);
  EXPECT_EQ(GamePathTitle(*exe, 0, "x"), "Set Path and  Game Exe");
  EXPECT_EQ(GamePathTitle(*GamePathFieldInfo(QString("gameUserPath")), 1, "x"),
            "Where can I find the User ini?");
  EXPECT_EQ(GamePathTitle(*exe, 2, "Export"), "Export");
  EXPECT_EQ(QString(GamePathFieldInfo(QString("gameFavoritesPath"))->caption), "Path and Game ini");
  EXPECT_FALSE(GamePathFieldInfo(QString("gamePath")));
}

TEST(GamePathTest, OkCommitsChangedPathsAndFlagsMovedFavorites) {
  TGameTables tables = DefaultGameTables();
  tables.paths[0]->FavoritesPath.Set("/ut/System/UnrealTournament.ini");
  tables.paths[1]->FavoritesMoved = true;  // from an earlier dialog
  TGamePathEditor favorites(tables, TGamePathField::Favorites);
  favorites.Store(0, "/UT/system/unrealtournament.INI");  // the same ignoring case
  favorites.Store(2, "/ut2004/System/UT2004.ini");
  EXPECT_EQ(favorites.PathOf(2), "/ut2004/System/UT2004.ini");
  EXPECT_EQ(favorites.Accept(), QStringList{"UT2004"});
  EXPECT_FALSE(tables.paths[0]->FavoritesMoved);
  EXPECT_FALSE(tables.paths[1]->FavoritesMoved);
  EXPECT_EQ(tables.paths[2]->FavoritesPath.Value, "/ut2004/System/UT2004.ini");

  TGamePathEditor exes(tables, TGamePathField::Exe);
  exes.Store(0, "/ut/System/ut-bin");
  exes.Cancel();
  EXPECT_EQ(tables.paths[0]->ExePath.Working, "");
  EXPECT_EQ(tables.paths[0]->EditState, esUnchanged);
}

TEST(TabsTest, TickedTypesShowAndOthersHide) {
  TGameTables tables = DefaultGameTables();
  const auto choices = TabChoices(tables);
  EXPECT_EQ(choices.size(), 29u);
  EXPECT_EQ(choices.front()->Name.Value, "Other");
  QStringList ticked;
  for (TGameType* t : choices)
    if (t->TabVisible && t->Name.Value != "CTFGame") ticked << t->Name.Value;
  ticked << "xctfgame";
  const TTabChanges changes = ApplyVisibleTabs(tables, ticked);
  EXPECT_EQ(changes.shown, QStringList{"xCTFGame"});
  EXPECT_EQ(changes.hidden, QStringList{"CTFGame"});
  EXPECT_TRUE(tables.FindGameType("Favorite")->TabVisible);  // never listed, never hidden
}

TEST(LocalPortTest, DigitsOnlyAndAPortNumber) {
  EXPECT_TRUE(AllDigits(""));
  EXPECT_TRUE(AllDigits("7778"));
  EXPECT_FALSE(AllDigits("77a"));
  EXPECT_FALSE(AllDigits("-1"));
  EXPECT_EQ(ParseLocalPort("7778"), 7778);
  EXPECT_EQ(ParseLocalPort("0"), 0);
  EXPECT_EQ(ParseLocalPort(""), std::nullopt);
  EXPECT_EQ(ParseLocalPort("65536"), std::nullopt);
  EXPECT_EQ(ParseLocalPort("99999999999"), std::nullopt);
}

}  // namespace
}  // namespace zorvane
