// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/installed_games.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "config/game_edits.h"
#include "support/default_tables.h"
#include "support/files.h"

namespace zorvane {
namespace {

// A fake computer in a temporary folder: a home, a shared install root and room elsewhere.
class InstalledGamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    places.home = Path("home");
    places.systemFolders = {Path("usr/local/games")};
    QDir().mkpath(places.home);
  }
  QString Path(const QString& relative) const { return root.filePath(relative); }
  QString Home(const QString& relative) const { return places.home + "/" + relative; }
  static QString Touch(const QString& path, const QByteArray& bytes = "x") {
    QDir().mkpath(QFileInfo(path).path());
    testing::Write(path, bytes);
    return path;
  }
  // "game exe ini user" of each find, in order.
  QStringList Found(const std::vector<TFoundGame>& found) const {
    QStringList lines;
    for (const TFoundGame& f : found)
      lines << QStringList{f.game, f.exePath, f.favoritesPath, f.userPath}.join(' ');
    return lines.replaceInStrings(root.path() + "/", "");
  }

  QTemporaryDir root;
  TGameSearchPlaces places;
};

TEST_F(InstalledGamesTest, NativeInstallsReadTheirIniFilesUnderHome) {
  Touch(Home("Documents/System/readme.txt"));  // no game
  EXPECT_TRUE(FindInstalledGames(places).empty());
  // OldUnreal's installer, never started; UT2004 from the Linux installer with its Windows
  // executable beside, already played; UT2003 in the shared folder.
  Touch(Home(".local/share/OldUnreal/UnrealTournament/System64/ut-bin-amd64"));
  Touch(Home("ut2004/System/ut2004-bin"));
  Touch(Home("ut2004/System/UT2004.exe"));
  Touch(Path("usr/local/games/ut2003/System/ut2003-bin"));
  QStringList found = Found(FindInstalledGames(places));
  found.sort();
  EXPECT_EQ(found,
            (QStringList{"UT home/.local/share/OldUnreal/UnrealTournament/System64/ut-bin-amd64 "
                         "home/.utpg/System/UnrealTournament.ini home/.utpg/System/User.ini",
                         "UT2003 usr/local/games/ut2003/System/ut2003-bin "
                         "home/.ut2003/System/UT2003.ini home/.ut2003/System/User.ini",
                         "UT2004 home/ut2004/System/ut2004-bin home/.ut2004/System/UT2004.ini "
                         "home/.ut2004/System/User.ini"}));
}

TEST_F(InstalledGamesTest, IniFilesFollowTheExecutableKind) {
  struct Case {
    const char* exe;
    std::vector<const char*> homeFiles;  // made first
    const char* ini;                     // "" for nothing guessed; the user INI is beside it
  };
  const Case cases[] = {
      {"ut/System/ut-bin",
       {".loki/ut/System/UnrealTournament.ini"},
       "home/.loki/ut/System/UnrealTournament.ini"},
      {"ut/System/ut-bin",
       {".loki/ut/System/UnrealTournament.ini", ".utpg/System/UnrealTournament.ini"},
       "home/.utpg/System/UnrealTournament.ini"},
      {"ut/System/ut-bin", {".loki/ut/x"}, "home/.loki/ut/System/UnrealTournament.ini"},
      {"ut/System64/ut-bin-amd64", {".loki/ut/x"}, "home/.utpg/System/UnrealTournament.ini"},
      {"ut2004/System/ut2004-bin-linux-amd64", {}, "home/.ut2004/System/UT2004.ini"},
      {"ut2004/System/UT2004", {}, "home/.ut2004/System/UT2004.ini"},
      {"ut2003/System/ut2003-bin", {}, "home/.ut2003/System/UT2003.ini"},
      // A Windows install copied to Linux keeps its files' spelling.
      {"win/System/UnrealTournament.exe", {}, "win/System/unrealtournament.ini"},
      {"win/System/TacticalOps.exe", {}, "win/System/TacticalOps.ini"},
      {"ut/System/ucc-bin", {}, ""},
  };
  Touch(Path("win/System/unrealtournament.ini"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.exe);
    QDir(places.home).removeRecursively();
    for (const char* file : c.homeFiles) Touch(Home(file));
    const TIniGuess guess = GuessIniPaths(Path(c.exe), places.home);
    EXPECT_EQ(guess.favoritesPath, *c.ini ? Path(c.ini) : QString());
    EXPECT_EQ(guess.userPath, *c.ini ? QString(QFileInfo(Path(c.ini)).path() + "/User.ini") : "");
  }
}

TEST_F(InstalledGamesTest, SteamLibrariesListedInLibraryFoldersAreSearched) {
  const QString steam = Home(".local/share/Steam");
  Touch(steam + "/steamapps/common/Unreal Tournament 2004/System/UT2004.exe");
  Touch(Path("disk2/Lib/steamapps/common/Unreal Tournament/System/UnrealTournament.exe"));
  Touch(steam + "/steamapps/common/Half-Life/valve/config.cfg");
  Touch(steam + "/steamapps/libraryfolders.vdf", "\"libraryfolders\" { \"0\" { \"path\" \"" +
                                                     steam.toUtf8() + "\" } \"1\" { \"path\" \"" +
                                                     Path("disk2/Lib").toUtf8() + "\" } }");
  QDir().mkpath(Home(".steam"));
  QFile::link(steam, Home(".steam/steam"));  // the same Steam under its other name
  const std::vector<TFoundGame> found = FindInstalledGames(places);
  const QString ut2004 = "home/.local/share/Steam/steamapps/common/Unreal Tournament 2004/System/";
  const QString ut = "disk2/Lib/steamapps/common/Unreal Tournament/System/";
  EXPECT_EQ(
      Found(found),
      (QStringList{
          "UT2004 " + ut2004 + "UT2004.exe " + ut2004 + "UT2004.ini " + ut2004 + "User.ini",
          "UT " + ut + "UnrealTournament.exe " + ut + "UnrealTournament.ini " + ut + "User.ini"}));
  EXPECT_EQ(FoundGameTitle(found[0]), "UT2004 - Windows version (Steam)");
}

TEST_F(InstalledGamesTest, HostileFilesAreNotReadAndTheRestIsStillSearched) {
  const QString steam = Home(".local/share/Steam");
  Touch(steam + "/steamapps/common/Unreal Tournament 2004/System/UT2004.exe");
  const QString list = steam + "/steamapps/libraryfolders.vdf";
  ASSERT_EQ(mkfifo(list.toLocal8Bit().constData(), 0600), 0);  // would wait for a writer
  // Larger than any real list: not believed, though it names a library.
  Touch(steam + "/config/libraryfolders.vdf",
        "\"LibraryFolders\" { \"1\" \"" + Path("big").toUtf8() + "\" }" + QByteArray(2 << 20, ' '));
  Touch(Path("big/steamapps/common/Unreal Tournament/System/UnrealTournament.exe"));
  const QString prefix = Path("fifo-prefix");
  QDir().mkpath(prefix);
  ASSERT_EQ(mkfifo((prefix + "/system.reg").toLocal8Bit().constData(), 0600), 0);
  places.folders = {prefix};
  const std::vector<TFoundGame> found = FindInstalledGames(places);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].game, "UT2004");
  EXPECT_EQ(ReadRegularFile(Touch(Path("small"), "12345"), 5), QByteArray("12345"));
  EXPECT_FALSE(ReadRegularFile(Path("small"), 4));
}

TEST_F(InstalledGamesTest, WinePrefixesFindTheGamesTheirRegistryNames) {
  const QString prefix = Path("prefixes/ut");
  places.environment.insert("WINEPREFIX", prefix);
  Touch(prefix + "/system.reg",
        "WINE REGISTRY Version 2\n"
        "[Software\\\\Classes\\\\ut2004\\\\Shell\\\\open\\\\command] 1700000000\n"
        "@=\"\\\"C:\\\\UT2004\\\\System\\\\UT2004.exe\\\" %1\"\n"
        "[Software\\\\Classes\\\\ut2003\\\\Shell\\\\open\\\\command] 1700000000\n"
        "@=\"C:\\\\Gone\\\\System\\\\UT2003.exe\"\n");
  Touch(prefix + "/drive_c/UT2004/System/UT2004.exe");
  QDir().mkpath(prefix + "/dosdevices");
  QFile::link(prefix + "/drive_c", prefix + "/dosdevices/c:");
  const std::vector<TFoundGame> found = FindInstalledGames(places);
  ASSERT_EQ(found.size(), 1u);  // UT2003's executable is not there
  EXPECT_EQ(found[0].source, TGameSource::Wine);
  const QString system = QFileInfo(prefix + "/drive_c").canonicalFilePath() + "/UT2004/System/";
  EXPECT_EQ(found[0].exePath, system + "UT2004.exe");
  EXPECT_EQ(found[0].userPath, system + "User.ini");
  // The same prefix named by the user is searched too.
  places.environment.remove("WINEPREFIX");
  EXPECT_EQ(FindGamesInFolder(prefix, places).size(), 1u);
}

TEST_F(InstalledGamesTest, AFolderTheUserNamesIsAnInstallItsSystemFolderOrAFolderOfInstalls) {
  const QString ut = Touch(Path("stuff/games/UT/System/ut-bin-x86"));
  const QString ut2004 = Touch(Path("stuff/games/UT2004/system/ut2004.exe"));
  const std::pair<const char*, QStringList> cases[] = {
      {"stuff/games/UT", {ut}},
      {"stuff/games/UT/System/", {ut}},
      {"stuff/games", {ut, ut2004}},
      {"stuff", {}},  // only one level down
  };
  for (const auto& [folder, exes] : cases) {
    QStringList found;
    for (const TFoundGame& game : FindGamesInFolder(Path(folder), places)) found << game.exePath;
    found.sort();
    EXPECT_EQ(found, exes) << folder;
  }
  // The user's folders come first in the whole search, each executable once.
  places.folders = {Path("stuff/games/UT2004"), Path("stuff/games")};
  const std::vector<TFoundGame> found = FindInstalledGames(places);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].exePath, ut2004);
  EXPECT_EQ(found[0].source, TGameSource::Folder);
}

TEST(FoundGamesTablesTest, ApplyingSetsThePathsAndTellsWhichFavoritesMoved) {
  TGameTables tables = testing::DefaultGameTables();
  tables.FindPaths("BunnyTrack")->FavoritesMoved = true;  // from an earlier dialog
  tables.FindPaths("UT2004")->FavoritesPath.Set("/same/UT2004.ini");
  const std::vector<TFoundGame> found = {
      {"UT", TGameSource::Native, true, "/ut", "/ut/ut-bin", "/h/UnrealTournament.ini",
       "/h/User.ini"},
      {"UT2004", TGameSource::Steam, false, "/s", "/s/UT2004.exe", "/same/UT2004.ini",
       "/s/User.ini"},
      {"Unreal", TGameSource::Native, true, "/u", "/u/unreal-bin", "", ""},
  };
  EXPECT_EQ(ApplyFoundGames(tables, found), (QStringList{"UT", "UT2004"}));
  const TGameInfo& ut = *tables.FindPaths("UT");
  EXPECT_EQ(ut.ExePath.Value, "/ut/ut-bin");
  EXPECT_EQ(ut.FavoritesPath.Working, "/h/UnrealTournament.ini");
  EXPECT_EQ(ut.UserPath.Value, "/h/User.ini");
  EXPECT_TRUE(ut.FavoritesMoved);
  EXPECT_FALSE(tables.FindPaths("UT2004")->FavoritesMoved);
  EXPECT_FALSE(tables.FindPaths("BunnyTrack")->FavoritesMoved);
}

TEST(FoundGamesTablesTest, PathDialogsOpenOnTheLastGameElseTheFirstWithoutAPath) {
  TGameTables tables = testing::DefaultGameTables();
  EXPECT_EQ(PathDialogGame(tables, TGamePathField::Exe, ""), "UT");
  EXPECT_EQ(PathDialogGame(tables, TGamePathField::Exe, "bunnytrack"), "BunnyTrack");
  tables.FindPaths("UT")->ExePath.Set("/ut/System/ut-bin");
  EXPECT_EQ(PathDialogGame(tables, TGamePathField::Exe, "Gone"), "UT2003");
  EXPECT_EQ(PathDialogGame(tables, TGamePathField::User, ""), "UT");
}

}  // namespace
}  // namespace zorvane
