// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/buddy_exchange.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "browse/player_monitor.h"
#include "browse/string_table_model.h"
#include "config/game_tables.h"
#include "query/server_stash.h"
#include "support/files.h"
#include "support/recording_sink.h"

namespace zorvane {
namespace {

using testing::Read;
using testing::RecordingSink;
using testing::Write;

// A UT2004 user INI as the game writes it: CR LF, a Latin-1 name, the buddy list in the middle.
QByteArray UserIni() {
  return "[Engine.PlayerReplicationInfo]\r\n"
         "PlayerName=Caf\xe9Player\r\n"
         "\r\n"
         "[GUI2K4.UT2k4Browser_ServerListPageBuddy]\r\n"
         "Buddies=Ann\r\n"
         "Buddies=Bob|Clan\r\n"
         "\r\n"
         "[XInterface.ExtendedConsole]\r\n"
         "Favorites=(ServerID=0,IP=\"10.0.0.1\",Port=7777,QueryPort=7778,ServerName=\"Box\")\r\n"
         "\r\n"
         "[Notes]\r\n"
         "Buddies=Old\r\n";
}

class BuddyExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  QString Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

  QTemporaryDir dir_;
  RecordingSink sink_;
  TServerStash stash_;
  TStringTableModel cells_;
  TPlayerMonitor monitor_{stash_, cells_};
};

TEST_F(BuddyExchangeTest, ImportReadsTheListAndLeavesTheFileAlone) {
  const QString path = Path("User.ini");
  Write(path, UserIni());
  monitor_.LoadWatchedPlayers({"ANN"});
  EXPECT_EQ(ImportBuddies(path, monitor_, sink_), 1);
  EXPECT_EQ(monitor_.WatchedPlayers(), QStringList({"ANN", "Bob|Clan"}));
  EXPECT_TRUE(sink_.messages.isEmpty());
  EXPECT_EQ(Read(path), UserIni());
}

TEST_F(BuddyExchangeTest, ExportInsertsOneLineAndKeepsEveryOtherByte) {
  const QString path = Path("User.ini");
  Write(path, UserIni());
  EXPECT_EQ(ExportBuddy(path, "Zed", sink_), TBuddyExport::Exported);
  QByteArray expected = UserIni();
  expected.replace("Buddies=Ann\r\n", "Buddies=Zed\r\nBuddies=Ann\r\n");
  EXPECT_EQ(Read(path), expected);
  EXPECT_EQ(sink_.messages, QStringList({"Zed was successfully exported."}));

  // Names already there, anywhere after the header and in any case, are not added again.
  for (const char* name : {"zed", "BOB|CLAN", "old"}) {
    sink_.messages.clear();
    EXPECT_EQ(ExportBuddy(path, QString::fromLatin1(name), sink_), TBuddyExport::AlreadyListed);
    EXPECT_EQ(sink_.messages, QStringList({QString::fromLatin1(name) +
                                           " is already in your game file."}));
  }
  EXPECT_EQ(Read(path), expected);

  // And the list read back holds the new name first.
  EXPECT_EQ(ImportBuddies(path, monitor_, sink_), 3);
  EXPECT_EQ(monitor_.WatchedPlayers(), QStringList({"Zed", "Ann", "Bob|Clan"}));
}

TEST_F(BuddyExchangeTest, FilesThatCannotBeUsedAreNeverWritten) {
  const QString kCannotOpen = "Could not open the ini for that game for some unknown reason :(";
  const struct {
    const char* name;
    QByteArray bytes;  // null: no file
    TBuddyExport result;
    QStringList messages;
  } cases[] = {
      {"missing.ini", QByteArray(), TBuddyExport::Unreadable, {kCannotOpen}},
      {"empty.ini", QByteArray(""), TBuddyExport::Unreadable, {kCannotOpen}},
      {"junk.ini",
       QByteArray("\x01\x00\xff[GUI2K4.UT2k4Browser_ServerListPageBuddy]\n", 45),
       TBuddyExport::Unreadable,
       {kCannotOpen}},
  };
  for (const auto& c : cases) {
    const QString path = Path(c.name);
    if (!c.bytes.isNull()) Write(path, c.bytes);
    sink_.messages.clear();
    EXPECT_EQ(ExportBuddy(path, "Zed", sink_), c.result) << c.name;
    EXPECT_EQ(sink_.messages, c.messages) << c.name;
    EXPECT_EQ(QFile::exists(path), !c.bytes.isNull()) << c.name;
    if (!c.bytes.isNull()) {
      EXPECT_EQ(Read(path), c.bytes) << c.name;
    }
    if (c.result != TBuddyExport::Unreadable) continue;
    sink_.messages.clear();
    EXPECT_EQ(ImportBuddies(path, monitor_, sink_), 0) << c.name;
    EXPECT_EQ(sink_.messages, c.messages) << c.name;
  }
  EXPECT_TRUE(monitor_.WatchedPlayers().isEmpty());
}

// A user without buddies yet gets the first line, where the game and the import find it; a
// name is looked for as it is written, so exporting it again adds nothing.
TEST_F(BuddyExchangeTest, TheFirstBuddyIsExportedOnceAndImportedBack) {
  const QString path = Path("User.ini");
  const QByteArray empty =
      "[GUI2K4.UT2k4Browser_ServerListPageBuddy]\r\nWidth=3\r\n\r\n[Notes]\r\nBuddies=Old\r\n";
  Write(path, empty);
  const QString coloured = QStringLiteral("Zed\x1b\x01\xff\x40\t!");
  EXPECT_EQ(ExportBuddy(path, coloured, sink_), TBuddyExport::Exported);
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(ExportBuddy(path, coloured, sink_), TBuddyExport::AlreadyListed);
  EXPECT_EQ(Read(path), QByteArray(empty).replace("Buddy]\r\n", "Buddy]\r\nBuddies=Zed !\r\n"));
  EXPECT_EQ(ImportBuddies(path, monitor_, sink_), 1);
  EXPECT_EQ(monitor_.WatchedPlayers(), QStringList{"Zed !"});
}

TEST_F(BuddyExchangeTest, AReadOnlyFileStaysAsItWas) {
  const QString path = Path("User.ini");
  Write(path, UserIni());
  QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
  EXPECT_EQ(ExportBuddy(path, "Zed", sink_), TBuddyExport::WriteFailed);
  EXPECT_EQ(Read(path), UserIni());
  ASSERT_EQ(sink_.messages.size(), 1);
  EXPECT_TRUE(sink_.messages[0].startsWith("Could not write ")) << qPrintable(sink_.messages[0]);
}

TEST_F(BuddyExchangeTest, TheGameIsOneThatIsNotUTAndHasAUserFile) {
  TGameTables tables;
  const struct {
    const char* name;
    const char* variant;
    const char* userPath;
  } games[] = {{"UnrealTournament", "UT", "/ut/User.ini"},
               {"UT2004", "UT2004", "/ut2004/User.ini"},
               {"UT2003", "UT2003", ""},
               {"XMP", "Unreal 2 XMP", "/xmp/User.ini"}};
  for (const auto& g : games) {
    auto game = std::make_unique<TGame>();
    game->Name.Set(QString::fromLatin1(g.name));
    game->Value.Set(QString::fromLatin1(g.variant));
    tables.games.push_back(std::move(game));
    auto paths = std::make_unique<TGameInfo>();
    paths->UserPath.Set(QString::fromLatin1(g.userPath));
    tables.paths.push_back(std::move(paths));
  }
  EXPECT_EQ(BuddyGameCandidates(tables), QStringList({"UT2004", "XMP"}));
  EXPECT_EQ(BuddyGameStatus("", tables, sink_), TBuddyGame::Unknown);
  EXPECT_EQ(BuddyGameStatus("Quake", tables, sink_), TBuddyGame::Unknown);
  EXPECT_EQ(BuddyGameStatus("ut2003", tables, sink_), TBuddyGame::NoUserPath);
  EXPECT_EQ(BuddyGameStatus("UT2004", tables, sink_), TBuddyGame::Ready);
  EXPECT_EQ(BuddyUserPath("UT2004", tables), "/ut2004/User.ini");
  EXPECT_TRUE(sink_.messages.isEmpty());
  EXPECT_EQ(BuddyGameStatus("UnrealTournament", tables, sink_), TBuddyGame::UTOnly);
  BuddyFileNotSpecified("Export to", sink_);
  EXPECT_EQ(sink_.messages,
            QStringList({"The buddies list in only available in UT2004 or higher game types.",
                         "The file to Export to was not specified."}));
}

}  // namespace
}  // namespace zorvane
