// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/player_setup.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "config/game_tables.h"
#include "support/files.h"
#include "support/user_ini_samples.h"

namespace zorvane {
namespace {

using testing::kUT2004UserIni;
using testing::kUT99UserIni;

TIniDocument Parsed(const QByteArray& bytes) {
  TIniDocument ini;
  ini.ParseText(bytes);
  return ini;
}

TEST(PlayerSetupTest, ReadValues) {
  const struct {
    const char* text;
    bool ut;
    TPlayerValues values;
  } cases[] = {
      {"[DefaultPlayer]\nName=Gorge\nteam=1\nOverrideClass=botpack.chspectator\n"
       "[Engine.PlayerPawn]\nbNeverAutoSwitch=TRUE\n",
       true,
       {"Gorge", "blue", true, false}},
      // the same keys mean nothing for other games
      {"[DefaultPlayer]\nName=Gorge\nteam=1\nOverrideClass=Botpack.CHSpectator\n"
       "[Engine.PlayerPawn]\nbNeverAutoSwitch=True\n",
       false,
       {"Gorge", "blue", false, true}},
      // a team beyond the colours shows no team; a missing one too (it reads as 255)
      {"[DefaultPlayer]\nteam=7\n", true, {"", "", false, true}},
      {"[DefaultPlayer]\nName=x\n", true, {"x", "", false, true}},
      {"[DefaultPlayer]\nteam=3\n", true, {"", "gold", false, true}},
      // only "True" stops the switch; another class is no spectator
      {"[DefaultPlayer]\nOverrideClass=Botpack.TMale1\n[Engine.PlayerPawn]\nbNeverAutoSwitch=1\n",
       true,
       {"", "", false, true}},
      // the name is kept as it stands, blanks and all
      {"[DefaultPlayer]\nName= Spaced \n", true, {" Spaced ", "", false, true}},
      {"", true, {"", "", false, true}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ReadPlayerValues(Parsed(c.text), c.ut), c.values);
  }
}

// Control bytes, a NUL and bytes above 127 before the name.
QByteArray Junk() {
  static const char kJunk[] = "\x01\xff junk\n[DefaultPlayer]\nno pair here\n\0\x80=\x90\n";
  return QByteArray(kJunk, sizeof kJunk - 1);
}

// Files that are not as tidy: each given a new name must differ only in that line.
TEST(PlayerSetupTest, OddFilesChangeOnlyInTheNameLine) {
  const struct {
    const char* what;
    QByteArray before;
    QByteArray after;
  } cases[] = {
      {"byte-order mark", "\xEF\xBB\xBF[DefaultPlayer]\r\nName=Old\r\nteam=255\r\n",
       "\xEF\xBB\xBF[DefaultPlayer]\r\nName=New\r\nteam=255\r\n"},
      {"lone CRs", "[Engine.PlayerPawn]\rbNeverAutoSwitch=False\r[DefaultPlayer]\rName=Old\r",
       "[Engine.PlayerPawn]\rbNeverAutoSwitch=False\r[DefaultPlayer]\rName=New\r"},
      {"cut off after the value", "[DefaultPlayer]\nteam=255\nName=Old",
       "[DefaultPlayer]\nteam=255\nName=New"},
      {"cut off inside the header", "[DefaultPlayer]\nName=Old\n[Engine.Pla",
       "[DefaultPlayer]\nName=New\n[Engine.Pla"},
      {"junk around", Junk() + "Name=Old\n=\n;Name=Comment\n",
       Junk() + "Name=New\n=\n;Name=Comment\n"},
      // the first copy of a repeated section holds the key
      {"repeated section", "[DefaultPlayer]\nName=Old\n[DefaultPlayer]\nName=Second\n",
       "[DefaultPlayer]\nName=New\n[DefaultPlayer]\nName=Second\n"},
      {"mixed ends, blanks around =", "[DefaultPlayer]\r\nName = Old\nteam=255\r\n",
       "[DefaultPlayer]\r\nName =New\nteam=255\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TIniDocument ini = Parsed(c.before);
    const TPlayerValues read = ReadPlayerValues(ini, true);
    TPlayerValues shown = read;
    shown.name = "New";
    ApplyIniEdits(ini, PlayerValueEdits(read, shown, true));
    EXPECT_EQ(ini.ToBytes(), c.after);
  }
}

// Games "UT", "UT2003", "UT2004" with the given user paths.
void AddGames(TGameTables& tables, const QStringList& userPaths) {
  const char* names[] = {"UT", "UT2003", "UT2004"};
  for (int i = 0; i < 3; ++i) {
    auto game = std::make_unique<TGame>();
    game->Name.Set(names[i]);
    game->Value.Set(names[i]);
    tables.games.push_back(std::move(game));
    auto paths = std::make_unique<TGameInfo>();
    paths->UserPath.Set(userPaths.value(i));
    tables.paths.push_back(std::move(paths));
  }
}

TEST(PlayerSetupTest, GameListAndFirstGame) {
  const struct {
    QStringList userPaths;
    const char* defaultGame;
    QStringList games;
    const char* first;
  } cases[] = {
      {{"u", "", "w"}, "UT", {"UT", "UT2004"}, "UT"},
      {{"u", "", "w"}, "ut2004", {"UT", "UT2004"}, "UT2004"},
      // the default game has no user INI: the first that has one
      {{"", "v", "w"}, "UT", {"UT2003", "UT2004"}, "UT2003"},
      // a default that is no game at all selects nothing
      {{"u", "v", "w"}, "Quake", {"UT", "UT2003", "UT2004"}, ""},
      {{"", "", ""}, "UT", {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.defaultGame);
    TGameTables tables;
    AddGames(tables, c.userPaths);
    EXPECT_EQ(PlayerSetupGames(tables), c.games);
    EXPECT_EQ(FirstPlayerSetupGame(tables, c.defaultGame), c.first);
  }
  TGameTables tables;
  AddGames(tables, {"u", "v", "w"});
  EXPECT_TRUE(IsUTGame(*tables.games[0]));
  tables.games[0]->Value.Set("ut");
  EXPECT_TRUE(IsUTGame(*tables.games[0]));
  EXPECT_FALSE(IsUTGame(*tables.games[2]));
}

class PlayerSetupFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    AddGames(tables,
             {dir.filePath("ut.ini"), dir.filePath("ut2003.ini"), dir.filePath("ut2004.ini")});
  }
  QTemporaryDir dir;
  TGameTables tables;
};

// Each file is read once for the controls; what the user changed goes onto the file as it is
// at OK, so what the game wrote meanwhile stays.
TEST_F(PlayerSetupFilesTest, EditsAreKeptUntilWrittenOntoTheFileAsItIsThen) {
  testing::Write(dir.filePath("ut.ini"), kUT99UserIni);
  testing::Write(dir.filePath("ut2004.ini"), kUT2004UserIni);
  TPlayerSetupFiles files(tables);
  const TPlayerValues* ut = files.Open("UT");
  ASSERT_NE(ut, nullptr);
  EXPECT_EQ(*ut, (TPlayerValues{"Gorge", "blue", false, true}));
  const TPlayerValues kept = files.Keep("UT", {"ABCDEFGHIJKLMNOPQRSTUVWXY", "blue", false, true});
  EXPECT_EQ(kept.name, "ABCDEFGHIJKLMNOPQRST");
  // The game writes the file meanwhile: the controls keep what the user made of them.
  QByteArray byTheGame = kUT99UserIni;
  byTheGame.replace("MouseSensitivity=3.000000", "MouseSensitivity=5.000000");
  byTheGame.replace("skin=CommandoSkins.cmdo", "skin=CommandoSkins.daco");
  testing::Write(dir.filePath("ut.ini"), byTheGame);
  EXPECT_EQ(files.Open("ut")->name, "ABCDEFGHIJKLMNOPQRST");
  ASSERT_NE(files.Open("UT2004"), nullptr);
  EXPECT_TRUE(files.WriteChanges().isEmpty());
  EXPECT_EQ(testing::Read(dir.filePath("ut.ini")),
            byTheGame.replace("Name=Gorge\r\n", "Name=ABCDEFGHIJKLMNOPQRST\r\n"));
  EXPECT_EQ(testing::Read(dir.filePath("ut2004.ini")), kUT2004UserIni);
  // a file never opened is not written
  EXPECT_FALSE(QFile::exists(dir.filePath("ut2003.ini")));
}

TEST_F(PlayerSetupFilesTest, FilesThatCannotBeReadAreNotOpenedNorWritten) {
  // missing, a directory, beyond the size limit
  TPlayerSetupFiles files(tables);
  EXPECT_EQ(files.Open("UT"), nullptr);
  EXPECT_EQ(files.OpenError(), "Could not find " + dir.filePath("ut.ini"));
  EXPECT_FALSE(QFile::exists(dir.filePath("ut.ini")));

  ASSERT_TRUE(QDir(dir.path()).mkdir("ut2003.ini"));
  EXPECT_EQ(files.Open("UT2003"), nullptr);

  {
    QFile big(dir.filePath("ut2004.ini"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(TIniDocument::kMaxFileSize + 1));
  }
  EXPECT_EQ(files.Open("UT2004"), nullptr);
  EXPECT_FALSE(files.OpenError().isEmpty());
  EXPECT_TRUE(files.WriteChanges().isEmpty());
  EXPECT_EQ(QFileInfo(dir.filePath("ut2004.ini")).size(), TIniDocument::kMaxFileSize + 1);

  // UTF-16, as some tools save it: refused as the buddy list refuses it
  const QByteArray utf16("\xff\xfe[\0D\0]\0\r\0\n\0", 12);
  testing::Write(dir.filePath("ut.ini"), utf16);
  EXPECT_EQ(files.Open("UT"), nullptr);
  EXPECT_EQ(files.OpenError(),
            "Could not open " + dir.filePath("ut.ini") + " (it is not 8-bit text)");

  // once readable it opens on the next try
  testing::Write(dir.filePath("ut.ini"), kUT99UserIni);
  EXPECT_NE(files.Open("UT"), nullptr);
  EXPECT_TRUE(files.OpenError().isEmpty());
  // a game without a user path, or no game at all
  tables.paths[0]->UserPath.Set("");
  TPlayerSetupFiles fresh(tables);
  EXPECT_EQ(fresh.Open("UT"), nullptr);
  EXPECT_EQ(fresh.Open("Quake"), nullptr);
}

TEST_F(PlayerSetupFilesTest, AReadOnlyFileIsReportedAndLeftAlone) {
  const QString path = dir.filePath("ut.ini");
  testing::Write(path, kUT99UserIni);
  TPlayerSetupFiles files(tables);
  ASSERT_NE(files.Open("UT"), nullptr);
  files.Keep("UT", {"Edited", "blue", false, true});
  QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup);
  EXPECT_EQ(files.WriteChanges(),
            QStringList{"Could not write " + path + ": the file is read-only."});
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
  EXPECT_EQ(testing::Read(path), kUT99UserIni);
}

}  // namespace
}  // namespace zorvane
