// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/installed_games.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "config/game_edits.h"
#include "support/default_tables.h"
#include "support/files.h"

namespace zorvane {
namespace {

using testing::Write;

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
  // Makes a file (and its folders) under the fake computer.
  static QString Touch(const QString& path, const QByteArray& bytes = "x") {
    QDir().mkpath(QFileInfo(path).path());
    Write(path, bytes);
    return path;
  }
  std::vector<TFoundGame> Find() const { return FindInstalledGames(places); }

  QTemporaryDir root;
  TGameSearchPlaces places;
};

TEST_F(InstalledGamesTest, NothingInstalledFindsNothing) {
  Touch(Home("Documents/System/readme.txt"));
  Touch(Home("Games/quake/id1/pak0.pak"));
  EXPECT_TRUE(Find().empty());
}

TEST_F(InstalledGamesTest, NativeInstallsTakeTheIniFilesUnderHome) {
  // OldUnreal's installer, never started; UT2004 from the Linux installer with its Windows
  // executable beside, already played; UT2003 in the shared folder.
  const QString ut = Touch(Home(".local/share/OldUnreal/UnrealTournament/System64/ut-bin-amd64"));
  Touch(Home(".local/share/OldUnreal/UnrealTournament/System/Core.so"));
  const QString ut2004 = Touch(Home("ut2004/System/ut2004-bin"));
  Touch(Home("ut2004/System/UT2004.exe"));
  Touch(Home(".ut2004/System/UT2004.ini"));
  const QString ut2003 = Touch(Path("usr/local/games/ut2003/System/ut2003-bin"));
  const std::vector<TFoundGame> found = Find();
  ASSERT_EQ(found.size(), 3u);
  struct Expected {
    const char* game;
    QString exe, folder, ini, user;
  };
  const Expected expected[] = {
      {"UT2004", ut2004, Home("ut2004"), Home(".ut2004/System/UT2004.ini"),
       Home(".ut2004/System/User.ini")},
      {"UT", ut, Home(".local/share/OldUnreal/UnrealTournament"),
       Home(".utpg/System/UnrealTournament.ini"), Home(".utpg/System/User.ini")},
      {"UT2003", ut2003, Path("usr/local/games/ut2003"), Home(".ut2003/System/UT2003.ini"),
       Home(".ut2003/System/User.ini")},
  };
  for (const Expected& e : expected) {
    const auto game = std::find_if(found.begin(), found.end(),
                                   [&](const TFoundGame& f) { return f.game == e.game; });
    ASSERT_NE(game, found.end()) << e.game;
    EXPECT_EQ(game->exePath, e.exe);
    EXPECT_EQ(game->folder, e.folder);
    EXPECT_EQ(game->favoritesPath, e.ini);
    EXPECT_EQ(game->userPath, e.user);
    EXPECT_TRUE(game->native);
    EXPECT_EQ(game->source, TGameSource::Native);
  }
}

TEST_F(InstalledGamesTest, IniFilesFollowTheExecutableKind) {
  struct Case {
    const char* exe;                 // under the fake computer
    std::vector<const char*> files;  // made under home first
    const char* ini;                 // expected, "~" the home folder, else under the computer
    const char* user;
  };
  const Case cases[] = {
      {"ut/System/ut-bin",
       {".loki/ut/System/UnrealTournament.ini"},
       "~/.loki/ut/System/UnrealTournament.ini",
       "~/.loki/ut/System/User.ini"},
      {"ut/System/ut-bin",
       {".loki/ut/System/UnrealTournament.ini", ".utpg/System/UnrealTournament.ini"},
       "~/.utpg/System/UnrealTournament.ini",
       "~/.utpg/System/User.ini"},
      {"ut/System/ut-bin",
       {".loki/ut/System/Cache/cache.ini"},
       "~/.loki/ut/System/UnrealTournament.ini",
       "~/.loki/ut/System/User.ini"},
      {"ut/System64/ut-bin-amd64",
       {".loki/ut/System/Cache/cache.ini"},
       "~/.utpg/System/UnrealTournament.ini",
       "~/.utpg/System/User.ini"},
      {"ut2004/System/ut2004-bin-linux-amd64",
       {},
       "~/.ut2004/System/UT2004.ini",
       "~/.ut2004/System/User.ini"},
      {"ut2004/System/UT2004", {}, "~/.ut2004/System/UT2004.ini", "~/.ut2004/System/User.ini"},
      {"ut2003/System/ut2003-bin", {}, "~/.ut2003/System/UT2003.ini", "~/.ut2003/System/User.ini"},
      // A Windows install copied to Linux keeps its files' spelling.
      {"win/System/UnrealTournament.exe",
       {},
       "win/System/unrealtournament.ini",
       "win/System/User.ini"},
      {"win/System/TacticalOps.exe", {}, "win/System/TacticalOps.ini", "win/System/User.ini"},
      {"ut/System/ucc-bin", {}, "", ""},
  };
  Touch(Path("win/System/unrealtournament.ini"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.exe);
    QDir(places.home).removeRecursively();
    for (const char* file : c.files) Touch(Home(file));
    const auto expand = [&](const QString& path) {
      if (path.isEmpty()) return path;
      return path.startsWith("~/") ? Home(path.mid(2)) : Path(path);
    };
    const TIniGuess guess = GuessIniPaths(Path(c.exe), places.home);
    EXPECT_EQ(guess.favoritesPath, expand(c.ini));
    EXPECT_EQ(guess.userPath, expand(c.user));
  }
}

TEST_F(InstalledGamesTest, SteamLibrariesListedInLibraryFoldersAreSearched) {
  const QString steam = Home(".local/share/Steam");
  const QString ut2004 =
      Touch(steam + "/steamapps/common/Unreal Tournament 2004/System/UT2004.exe");
  Touch(steam + "/steamapps/common/Unreal Tournament 2004/System/UT2004.ini");
  const QString ut =
      Touch(Path("disk2/SteamLibrary/steamapps/common/Unreal Tournament/System/"
                 "UnrealTournament.exe"));
  Touch(steam + "/steamapps/common/Half-Life/valve/config.cfg");
  Touch(steam + "/steamapps/libraryfolders.vdf",
        "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + steam.toUtf8() +
            "\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + Path("disk2/SteamLibrary").toUtf8() +
            "\"\n\t}\n}\n");
  QDir().mkpath(Home(".steam"));
  QFile::link(steam, Home(".steam/steam"));  // the same Steam under its other name
  const std::vector<TFoundGame> found = Find();
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].game, "UT2004");
  EXPECT_EQ(found[0].exePath, ut2004);
  EXPECT_EQ(found[0].favoritesPath,
            steam + "/steamapps/common/Unreal Tournament 2004/System/UT2004.ini");
  EXPECT_EQ(found[0].userPath, steam + "/steamapps/common/Unreal Tournament 2004/System/User.ini");
  EXPECT_EQ(found[1].game, "UT");
  EXPECT_EQ(found[1].exePath, ut);
  for (const TFoundGame& game : found) {
    EXPECT_EQ(game.source, TGameSource::Steam);
    EXPECT_FALSE(game.native);
  }
  EXPECT_EQ(FoundGameTitle(found[0]), "UT2004 - Windows version (Steam)");
}

TEST_F(InstalledGamesTest, HostileLibraryFilesAreNotReadButTheLibraryIsStillSearched) {
  const QString steam = Home(".local/share/Steam");
  Touch(steam + "/steamapps/common/Unreal Tournament 2004/System/UT2004.exe");
  const QString list = steam + "/steamapps/libraryfolders.vdf";
  const QString config = steam + "/config/libraryfolders.vdf";
  QDir().mkpath(QFileInfo(config).path());
  ASSERT_EQ(mkfifo(list.toLocal8Bit().constData(), 0600), 0);  // never gets a writer
  // Larger than any real list: not believed, though it names a library.
  Touch(config,
        "\"LibraryFolders\" { \"1\" \"" + Path("big").toUtf8() + "\" }" + QByteArray(2 << 20, ' '));
  Touch(Path("big/steamapps/common/Unreal Tournament/System/UnrealTournament.exe"));
  QElapsedTimer timer;
  timer.start();
  const std::vector<TFoundGame> found = Find();
  EXPECT_LT(timer.elapsed(), 5000);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].game, "UT2004");
  EXPECT_FALSE(ReadRegularFile(list, 100));
  EXPECT_FALSE(ReadRegularFile(Path("big"), 100));
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
  const QString exe = Touch(prefix + "/drive_c/UT2004/System/UT2004.exe");
  Touch(prefix + "/drive_c/UT2004/System/User.ini");
  QDir().mkpath(prefix + "/dosdevices");
  QFile::link(prefix + "/drive_c", prefix + "/dosdevices/c:");
  const QString drive = QFileInfo(prefix + "/drive_c").canonicalFilePath();
  const std::vector<TFoundGame> found = Find();
  ASSERT_EQ(found.size(), 1u);  // UT2003's executable is not there
  EXPECT_EQ(found[0].game, "UT2004");
  EXPECT_EQ(found[0].source, TGameSource::Wine);
  EXPECT_EQ(found[0].exePath, drive + "/UT2004/System/UT2004.exe");
  EXPECT_EQ(found[0].favoritesPath, drive + "/UT2004/System/UT2004.ini");
  EXPECT_EQ(found[0].userPath, drive + "/UT2004/System/User.ini");
  EXPECT_EQ(found[0].folder, drive + "/UT2004");
  // The same prefix named by the user is searched too, and a registry in a FIFO is not read.
  places.environment.remove("WINEPREFIX");
  EXPECT_EQ(FindGamesInFolder(prefix, places).size(), 1u);
  const QString fifo = Path("prefixes/fifo");
  QDir().mkpath(fifo);
  ASSERT_EQ(mkfifo((fifo + "/system.reg").toLocal8Bit().constData(), 0600), 0);
  EXPECT_TRUE(FindGamesInFolder(fifo, places).empty());
}

TEST_F(InstalledGamesTest, AFolderTheUserNamesIsAnInstallItsSystemFolderOrAFolderOfInstalls) {
  const QString ut = Touch(Path("stuff/games/UT/System/ut-bin-x86"));
  const QString ut2004 = Touch(Path("stuff/games/UT2004/system/ut2004.exe"));
  struct Case {
    const char* folder;
    std::vector<QString> exes;
  };
  const Case cases[] = {
      {"stuff/games/UT", {ut}},
      {"stuff/games/UT/System/", {ut}},
      {"stuff/games", {ut, ut2004}},
      {"stuff", {}},  // only one level down
      {"missing", {}},
  };
  for (const Case& c : cases) {
    std::vector<QString> exes;
    for (const TFoundGame& game : FindGamesInFolder(Path(c.folder), places)) {
      exes.push_back(game.exePath);
      EXPECT_EQ(game.source, TGameSource::Folder);
    }
    std::sort(exes.begin(), exes.end());
    EXPECT_EQ(exes, c.exes) << c.folder;
  }
  // The user's folders come first in the whole search, each executable once.
  places.folders = {Path("stuff/games/UT2004"), Path("stuff/games")};
  const std::vector<TFoundGame> found = Find();
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].exePath, ut2004);
  EXPECT_EQ(found[1].exePath, ut);
}

TEST(FoundGamesTablesTest, ApplyingSetsThePathsAndTellsWhichFavoritesMoved) {
  TGameTables tables = testing::DefaultGameTables();
  tables.FindPaths("UT")->FavoritesPath.Set("/old/UnrealTournament.ini");
  tables.FindPaths("BunnyTrack")->FavoritesMoved = true;  // from an earlier dialog
  tables.FindPaths("UT2004")->FavoritesPath.Set("/same/UT2004.ini");
  const std::vector<TFoundGame> found = {
      {"UT", TGameSource::Native, true, "/ut", "/ut/System/ut-bin",
       "/h/.utpg/System/UnrealTournament.ini", "/h/.utpg/System/User.ini"},
      {"UT2004", TGameSource::Steam, false, "/s", "/s/System/UT2004.exe", "/same/UT2004.ini",
       "/s/System/User.ini"},
      {"Unreal", TGameSource::Native, true, "/u", "/u/System/unreal-bin", "", ""},
  };
  EXPECT_EQ(ApplyFoundGames(tables, found), (QStringList{"UT", "UT2004"}));
  const TGameInfo& ut = *tables.FindPaths("UT");
  EXPECT_EQ(ut.ExePath.Value, "/ut/System/ut-bin");
  EXPECT_EQ(ut.FavoritesPath.Working, "/h/.utpg/System/UnrealTournament.ini");
  EXPECT_EQ(ut.UserPath.Value, "/h/.utpg/System/User.ini");
  EXPECT_TRUE(ut.FavoritesMoved);
  EXPECT_FALSE(tables.FindPaths("UT2004")->FavoritesMoved);
  EXPECT_FALSE(tables.FindPaths("BunnyTrack")->FavoritesMoved);
}

TEST(FoundGamesTablesTest, PathDialogsOpenOnTheLastGameElseTheFirstWithoutAPath) {
  TGameTables tables = testing::DefaultGameTables();
  EXPECT_EQ(PathDialogGame(tables, TGamePathField::Exe, ""), "UT");
  EXPECT_EQ(PathDialogGame(tables, TGamePathField::Exe, "bunnytrack"), "BunnyTrack");
  EXPECT_EQ(PathDialogGame(tables, TGamePathField::Exe, "Gone"), "UT");
  tables.FindPaths("UT")->ExePath.Set("/ut/System/ut-bin");
  EXPECT_EQ(PathDialogGame(tables, TGamePathField::Exe, ""), "UT2003");
  EXPECT_EQ(PathDialogGame(tables, TGamePathField::User, ""), "UT");
  for (const auto& paths : tables.paths) paths->UserPath.Set("/User.ini");
  EXPECT_EQ(PathDialogGame(tables, TGamePathField::User, ""), "UT");
}

TEST(FoundGamesTablesTest, AChosenExecutableFillsOnlyTheEmptyIniPaths) {
  TGameTables tables = testing::DefaultGameTables();
  TGamePathEditor editor(tables, TGamePathField::Exe);
  const int ut2004 = 2;
  ASSERT_EQ(tables.games[ut2004]->Name.Value, "UT2004");
  tables.paths[ut2004]->UserPath.Set("/mine/User.ini");
  const TIniGuess filled = editor.FillIniPaths(ut2004, "/g/System/ut2004-bin", "/h");
  EXPECT_EQ(filled.favoritesPath, "/h/.ut2004/System/UT2004.ini");
  EXPECT_EQ(filled.userPath, "");
  EXPECT_EQ(tables.paths[ut2004]->FavoritesPath.Value, "");  // not before OK
  editor.Accept();
  EXPECT_EQ(tables.paths[ut2004]->FavoritesPath.Value, "/h/.ut2004/System/UT2004.ini");
  EXPECT_EQ(tables.paths[ut2004]->UserPath.Value, "/mine/User.ini");
  EXPECT_TRUE(tables.paths[ut2004]->FavoritesMoved);
  editor.FillIniPaths(0, "/g/System/ucc-bin", "/h");  // no game binary: nothing to fill
  editor.Cancel();
  EXPECT_EQ(tables.paths[0]->FavoritesPath.Value, "");
}

}  // namespace
}  // namespace zorvane
