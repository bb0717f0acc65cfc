#include "app/configuration.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

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
  EXPECT_EQ(config.tables.gameTypes.size(), 29u);
  EXPECT_FALSE(Read(dir.filePath("utGameType.ini")).isEmpty());  // written at once
  ASSERT_TRUE(SaveConfiguration(config, stash));

  TIniDocument saved(dir.filePath("zorvane.ini"));
  ASSERT_TRUE(saved.Load());
  for (const char* key :
       {"Zorvane", "localPort", "refreshRate", "windowWidth", "windowHeight", "pingWaitTime",
        "defaultVersion", "defaultGame", "serverOnlineSound", "serverPopulatedSound",
        "playerOnlineSound", "fontName", "fontSize", "autoRefreshSelectedServerOnly",
        "confirmServerDelete", "confirmPlayerDelete", "confirmMapDelete", "exactMatchPlayer",
        "exactMatchServer", "morePlayerInfo", "skipPercentageInfo", "skipDefaultPathsInfo",
        "lastSelectedServer", "startupQuery", "lastActivePageIndex", "infoHeight", "playerWidth",
        "autoPingServer", "tabsMultiline", "minimizeOnJoin", "syncFaves", "autoCheckNewVersion",
        "showToolbar", "startInTray", "serverGridSortCol", "mapGridSortColDirection",
        "filterLocation", "queryPower", "iconGroup", "ut99iniWidth", "ut99iniHeight"})
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
  EXPECT_EQ(again.tables.gameTypes.size(), 29u);
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
  EXPECT_EQ(config.tables.gameTypes.size(), 29u);
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
  EXPECT_EQ(config.tables.gameTypes.size(), 18u);
  EXPECT_FALSE(SaveConfiguration(config, stash));
  EXPECT_EQ(Read(dir.filePath("zorvane.ini")), junk);
}

TEST(ConfigurationTest, WinePrefixDetectsUTAndFillsOnlyEmptyPaths) {
  QTemporaryDir dir, prefix;
  QDir(prefix.path()).mkpath("drive_c/UnrealTournament/System");
  QDir(prefix.path()).mkpath("dosdevices");
  QFile::link(prefix.filePath("drive_c"), prefix.filePath("dosdevices/c:"));
  Write(prefix.filePath("system.reg"),
        "WINE REGISTRY Version 2\n\n"
        "[Software\\\\Classes\\\\Applications\\\\UnrealTournament.exe\\\\shell\\\\open\\\\command] 1\n"
        "@=\"\\\"C:\\\\UnrealTournament\\\\System\\\\UnrealTournament.exe\\\" \\\"%1\\\"\"\n");
  Write(dir.filePath("utGameType.ini"),
        "[game]\nUT=UT\nUT2004=UT2004\n[gameUT]\ngameUserPath=/home/me/User.ini\n");
  TWineRegistry registry(prefix.path());
  ASSERT_TRUE(registry.Load());
  testing::RecordingSink sink;
  TServerStash stash;
  TConfiguration config;
  ASSERT_TRUE(LoadConfiguration(config, dir.path(), TConfigMode::ReadWrite, stash, sink, &registry));
  EXPECT_TRUE(config.gamesDetected);
  const QString system = QFileInfo(prefix.filePath("drive_c")).canonicalFilePath() +
                         "/UnrealTournament/System/";
  const TGameInfo* ut = config.tables.FindPaths("UT");
  EXPECT_EQ(ut->ExePath.Value, system + "UnrealTournament.exe");
  EXPECT_EQ(ut->FavoritesPath.Value, system + "UnrealTournament.ini");
  EXPECT_EQ(ut->UserPath.Value, "/home/me/User.ini");
  EXPECT_EQ(config.tables.FindPaths("UT2004")->ExePath.Value, "");
}

}  // namespace
}  // namespace zorvane
