// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/configuration.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "query/server_stash.h"
#include "support/files.h"
#include "support/recording_sink.h"

namespace zorvane {
namespace {

using testing::Read;
using testing::Write;

TEST(ConfigurationTest, EmptyFolderGetsBothFilesWithEveryKeyAndLoadsThemBack) {
  QTemporaryDir dir;
  testing::RecordingSink sink;
  TServerStash stash;
  TConfiguration config;
  ASSERT_TRUE(LoadConfiguration(config, dir.path(), TConfigMode::ReadWrite, stash, sink));
  EXPECT_FALSE(config.settingsFileExisted || config.gameTypeFileExisted);
  EXPECT_TRUE(sink.messages.isEmpty());
  EXPECT_EQ(config.tables.gameTypes.size(), 30u);
  EXPECT_FALSE(Read(dir.filePath("utGameType.ini")).isEmpty());  // written at once
  ASSERT_TRUE(SaveConfiguration(config, stash));

  TIniDocument saved(dir.filePath("zorvane.ini"));
  ASSERT_TRUE(saved.Load());
  for (const char* key : {"Zorvane",
                          "localPort",
                          "refreshRate",
                          "windowWidth",
                          "windowHeight",
                          "pingWaitTime",
                          "defaultVersion",
                          "defaultGame",
                          "serverOnlineSound",
                          "serverPopulatedSound",
                          "playerOnlineSound",
                          "fontName",
                          "fontSize",
                          "autoRefreshSelectedServerOnly",
                          "confirmServerDelete",
                          "confirmPlayerDelete",
                          "confirmMapDelete",
                          "exactMatchPlayer",
                          "exactMatchServer",
                          "morePlayerInfo",
                          "skipPercentageInfo",
                          "skipDefaultPathsInfo",
                          "lastSelectedServer",
                          "startupQuery",
                          "lastActivePageIndex",
                          "infoHeight",
                          "playerWidth",
                          "autoPingServer",
                          "tabsMultiline",
                          "minimizeOnJoin",
                          "syncFaves",
                          "autoCheckNewVersion",
                          "showToolbar",
                          "startInTray",
                          "serverGridSortCol",
                          "mapGridSortColDirection",
                          "filterLocation",
                          "queryPower",
                          "iconGroup",
                          "ut99iniWidth",
                          "ut99iniHeight"})
    EXPECT_TRUE(saved.ValueExists("settings", key)) << key;
  EXPECT_EQ(saved.ReadString("settings", "Zorvane", ""), "2.91");
  EXPECT_EQ(saved.ReadString("ut99ini", "count", ""), "12");

  TServerStash stash2;
  TConfiguration again;
  ASSERT_TRUE(LoadConfiguration(again, dir.path(), TConfigMode::ReadWrite, stash2, sink));
  EXPECT_TRUE(again.settingsFileExisted && again.gameTypeFileExisted);
  EXPECT_EQ(again.settings.stamp, "2.91");
  EXPECT_EQ(again.settings.windowWidth, config.settings.windowWidth);
  EXPECT_EQ(again.settings.ut99Keys.size(), 12u);
  EXPECT_EQ(again.tables.gameTypes.size(), 30u);
  // The filters in use come back as they were saved (the first save wrote the pre-stamp
  // defaults of the new file: all in use).
  EXPECT_EQ(again.settings.FiltersOf("CTFGame").used, config.settings.FiltersOf("Favorite").used);
  // A second round writes the same values (rewritten lists may move within the file).
  ASSERT_TRUE(SaveConfiguration(again, stash2));
  TIniDocument resaved(dir.filePath("zorvane.ini"));
  ASSERT_TRUE(resaved.Load());
  EXPECT_EQ(resaved.Sections().size(), saved.Sections().size());
  for (const QString& section : saved.Sections())
    for (const QString& key : saved.ReadSection(section))
      EXPECT_EQ(resaved.ReadString(section, key, "<missing>"), saved.ReadString(section, key, ""))
          << section.toStdString() << "/" << key.toStdString();
}

TEST(ConfigurationTest, ReadOnlyModeCreatesAndWritesNothing) {
  QTemporaryDir dir;
  testing::RecordingSink sink;
  TServerStash stash;
  TConfiguration config;
  ASSERT_TRUE(LoadConfiguration(config, dir.path(), TConfigMode::ReadOnly, stash, sink));
  EXPECT_EQ(config.tables.gameTypes.size(), 30u);
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST(ConfigurationTest, FileThatCannotBeOpenedStopsTheStartAndIsNeverWritten) {
  QTemporaryDir dir;
  QDir(dir.path()).mkdir("utGameType.ini");  // a folder in the way
  testing::RecordingSink sink;
  TServerStash stash;
  TConfiguration config;
  EXPECT_FALSE(LoadConfiguration(config, dir.path(), TConfigMode::ReadWrite, stash, sink));
  EXPECT_EQ(config.startFailureText, "Could not open utGameType.ini for some reason :-( \r\n");
  EXPECT_EQ(sink.messages, QStringList{"Could not open " + dir.filePath("utGameType.ini")});
  EXPECT_TRUE(SaveConfiguration(config, stash));  // nothing was opened: nothing written
  EXPECT_TRUE(Read(dir.filePath("zorvane.ini")).isEmpty());
}

TEST(ConfigurationTest, RandomBytesAndReadOnlyFilesLoadWithDefaults) {
  QTemporaryDir dir;
  QByteArray junk(5000, '\0');
  QRandomGenerator random(5);
  for (char& c : junk) c = char(random.bounded(256));
  Write(dir.filePath("zorvane.ini"), junk);
  Write(dir.filePath("utGameType.ini"), junk);
  QFile::setPermissions(dir.filePath("zorvane.ini"), QFile::ReadOwner);
  testing::RecordingSink sink;
  TServerStash stash;
  TConfiguration config;
  ASSERT_TRUE(LoadConfiguration(config, dir.path(), TConfigMode::ReadWrite, stash, sink));
  EXPECT_EQ(config.settings.pingWaitTime, 2000);
  // The junk carries no stamp: the migrations of old files add their 16 types.
  EXPECT_EQ(config.tables.gameTypes.size(), 19u);
  EXPECT_FALSE(SaveConfiguration(config, stash));
  EXPECT_EQ(Read(dir.filePath("zorvane.ini")), junk);
}

TEST(ConfigurationTest, SpecialAndOversizedFilesAreRefusedAndNeverWritten) {
  const QByteArray bigMessage = "the file is larger than 16 MiB";
  for (const char* kind : {"fifo", "big", "device"}) {
    SCOPED_TRACE(kind);
    QTemporaryDir dir;
    const QString path = dir.filePath("zorvane.ini");
    const QString kindText = kind;
    if (kindText == "fifo") {
      ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }
    if (kindText == "device") {
      ASSERT_TRUE(QFile::link("/dev/zero", path));
    }
    if (kindText == "big") {
      QFile file(path);
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      ASSERT_TRUE(file.resize(TIniDocument::kMaxFileSize + 1));
    }
    for (const TConfigMode mode : {TConfigMode::ReadWrite, TConfigMode::ReadOnly}) {
      testing::RecordingSink sink;
      TServerStash stash;
      TConfiguration config;
      EXPECT_FALSE(LoadConfiguration(config, dir.path(), mode, stash, sink));
      EXPECT_EQ(sink.messages,
                QStringList{"Could not open " + path + " (" +
                            (kindText == "big" ? bigMessage : "it is not a regular file") + ")"});
      EXPECT_TRUE(SaveConfiguration(config, stash));  // nothing opened, nothing written
    }
    if (kindText == "big") {
      EXPECT_EQ(QFileInfo(path).size(), TIniDocument::kMaxFileSize + 1);
    } else {
      EXPECT_FALSE(QFileInfo(path).isFile());
    }
  }
}

// Loads the folder's files, saves them and tells what was loaded.
struct Round {
  QStringList favorites;
  QStringList watched;
  QStringList gameTypes;
  int windowWidth = 0;
  bool operator==(const Round&) const = default;
};

Round LoadAndSave(const QString& directory) {
  testing::RecordingSink sink;
  TServerStash stash;
  TConfiguration config;
  Round round;
  EXPECT_TRUE(LoadConfiguration(config, directory, TConfigMode::ReadWrite, stash, sink));
  for (int i = 0; i < stash.Count(); ++i)
    round.favorites << stash.Key(i) + u' ' + stash.Server(i)->Description() + u' ' +
                           stash.Server(i)->Game();
  round.watched = config.settings.watchedPlayers + config.settings.watchedMaps;
  for (const auto& type : config.tables.gameTypes)
    round.gameTypes << type->Name.Value + u' ' + type->Description.Value;
  round.windowWidth = config.settings.windowWidth;
  SaveConfiguration(config, stash);
  return round;
}

TEST(ConfigurationTest, DamagedFilesLoadAndSaveStablyWithoutLosingFavourites) {
  const QByteArray settings =
      "\xEF\xBB\xBF[settings]\r\nZorvane=2.91\r\nwindowWidth=1000\r\nwindowHeight=700\r\n"
      "[server]\r\nserverCount=4\r\nserver[0]=10.0.0.1\\7778\\True\\Alpha\\UT\r\n"
      "server[2]=10.0.0.2\\7778\\True\\Beta\\UT2004\r\n[player]\r\nplayerCount=1\r\n"
      "player[0]=Bob\r\n[server]\r\nserver[3]=10.0.0.3\\7778\\False\\Gamma\r";
  const QByteArray gameTypes =
      "[game]\nUT=UT\nType=UT\n[gameType]\nCTFGame=\n[CTFGame]\ndescription=CTF\n"
      "[gameType]\nxCTFGame=\n[xCTFGame]\ndescription=2K4 CTF\ngame=UT2004\n";
  QRandomGenerator random(17);
  for (int round = 0; round < 16; ++round) {
    SCOPED_TRACE(round);
    QByteArray damagedSettings = settings, damagedTypes = gameTypes;
    // Damage after the favourites' lines: junk, NULs, a very long line, or a cut.
    switch (round % 4) {
      case 0:
        for (int i = 0; i < 40; ++i) damagedSettings += char(random.bounded(256));
        break;
      case 1:
        damagedSettings += QByteArray("\n[x]\nk=") + QByteArray(random.bounded(100), '\0') + "\n";
        damagedTypes += QByteArray("\0\0[\0]\n", 6);
        break;
      case 2:
        damagedSettings += "\n[long]\nk=" + QByteArray(200000 + random.bounded(1000), 'x');
        damagedTypes += QByteArray(100000, '=');
        break;
      case 3:
        damagedTypes.truncate(random.bounded(damagedTypes.size()));
        break;
    }
    QTemporaryDir dir;
    Write(dir.filePath("zorvane.ini"), damagedSettings);
    Write(dir.filePath("utGameType.ini"), damagedTypes);
    const Round first = LoadAndSave(dir.path());
    EXPECT_EQ(first.favorites.size(), 3);
    EXPECT_EQ(first.watched, QStringList{"Bob"});
    EXPECT_EQ(first.windowWidth, 1000);
    const QByteArray savedSettings = Read(dir.filePath("zorvane.ini"));
    const QByteArray savedTypes = Read(dir.filePath("utGameType.ini"));
    EXPECT_EQ(LoadAndSave(dir.path()), first);
    EXPECT_EQ(LoadAndSave(dir.path()), first);
    // From the second save on the files stay as they are.
    const QByteArray secondSettings = Read(dir.filePath("zorvane.ini"));
    EXPECT_EQ(LoadAndSave(dir.path()), first);
    EXPECT_EQ(Read(dir.filePath("zorvane.ini")), secondSettings);
    EXPECT_TRUE(savedSettings.startsWith("\xEF\xBB\xBF"));
    EXPECT_FALSE(savedTypes.isEmpty());
  }
}

TEST(ConfigurationTest, WinePrefixDetectsUTAndFillsOnlyEmptyPaths) {
  QTemporaryDir dir, prefix;
  QDir(prefix.path()).mkpath("drive_c/UnrealTournament/System");
  QDir(prefix.path()).mkpath("dosdevices");
  QFile::link(prefix.filePath("drive_c"), prefix.filePath("dosdevices/c:"));
  Write(prefix.filePath("system.reg"),
        "WINE REGISTRY Version 2\n\n"
        "[Software\\\\Classes\\\\Applications\\\\UnrealTournament.exe\\\\shell\\\\open\\\\command] "
        "1\n"
        "@=\"\\\"C:\\\\UnrealTournament\\\\System\\\\UnrealTournament.exe\\\" \\\"%1\\\"\"\n");
  Write(dir.filePath("utGameType.ini"),
        "[game]\nUT=UT\nUT2004=UT2004\n[gameUT]\ngameUserPath=/home/me/User.ini\n");
  TWineRegistry registry(prefix.path());
  ASSERT_TRUE(registry.Load());
  testing::RecordingSink sink;
  TServerStash stash;
  TConfiguration config;
  ASSERT_TRUE(
      LoadConfiguration(config, dir.path(), TConfigMode::ReadWrite, stash, sink, &registry));
  EXPECT_TRUE(config.gamesDetected);
  const QString system =
      QFileInfo(prefix.filePath("drive_c")).canonicalFilePath() + "/UnrealTournament/System/";
  const TGameInfo* ut = config.tables.FindPaths("UT");
  EXPECT_EQ(ut->ExePath.Value, system + "UnrealTournament.exe");
  EXPECT_EQ(ut->FavoritesPath.Value, system + "UnrealTournament.ini");
  EXPECT_EQ(ut->UserPath.Value, "/home/me/User.ini");
  EXPECT_EQ(config.tables.FindPaths("UT2004")->ExePath.Value, "");
  EXPECT_TRUE(config.gamePathsLoaded);
  // Paths the registry gave are not paths the file held: the start still offers found games.
  Write(dir.filePath("utGameType.ini"), "[game]\nUT=UT\nUT2004=UT2004\n");
  TConfiguration fresh;
  ASSERT_TRUE(LoadConfiguration(fresh, dir.path(), TConfigMode::ReadOnly, stash, sink, &registry));
  EXPECT_EQ(fresh.tables.FindPaths("UT")->ExePath.Value, system + "UnrealTournament.exe");
  EXPECT_FALSE(fresh.gamePathsLoaded);
}

}  // namespace
}  // namespace zorvane
