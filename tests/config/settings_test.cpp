// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/settings.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "config/game_tables.h"
#include "query/server_stash.h"

namespace zorvane {
namespace {

// Loads a settings text against the default game types.
struct Loaded {
  explicit Loaded(const QByteArray& text, const QString& stamp = {}) {
    ini.ParseText(text);
    WriteDefaultGameTypes(gameTypeIni);
    LoadGameTypes(gameTypeIni, tables);
    AddBuiltInGameTypes(gameTypeIni, tables);
    LoadStartupSettings(ini, settings);
    if (!stamp.isEmpty()) settings.stamp = stamp;
    LoadSettings(ini, gameTypeIni, tables.gameTypes, stash, settings);
  }
  TIniDocument ini, gameTypeIni;
  TGameTables tables;
  TServerStash stash;
  TSettings settings;
};

QByteArray Settings(const QByteArray& lines) {
  return "[settings]\nZorvane=2.91\n" + lines;
}

TEST(SettingsTest, EmptyFileLoadsTheDefaults) {
  Loaded l("");
  const TSettings& s = l.settings;
  EXPECT_EQ(s.stamp, "0");
  EXPECT_EQ(s.windowWidth, 871);
  EXPECT_EQ(s.windowHeight, 600);
  EXPECT_FALSE(s.infoHeight || s.playerWidth);
  EXPECT_EQ(s.startupQuery, "Favorites Only");
  EXPECT_EQ(s.sorts[gnServer - 1], (TGridSort{2, TSortDirection::Ascending}));
  EXPECT_EQ(s.sorts[gnPlayer - 1], (TGridSort{1, TSortDirection::Descending}));
  EXPECT_EQ(s.sorts[gnSetting - 1], (TGridSort{-1, TSortDirection::None}));
  EXPECT_EQ(l.stash.Count(), 0);
  EXPECT_EQ(s.ut99Keys.size(), 12u);
  EXPECT_EQ(s.ut99Keys.front().Section, "Core.System");  // sorted by section, then key
  EXPECT_EQ(s.localPort, 7778);
  EXPECT_EQ(s.pingWaitTime, 2000);
  EXPECT_EQ(s.queryPower, 3);
  EXPECT_TRUE(s.syncFaves && s.autoCheckNewVersion && s.autoPingServer && s.morePlayerInfo);
  EXPECT_EQ(s.filterLocation, "right");
  EXPECT_EQ(s.fontName, "not there");
  EXPECT_EQ(s.masterServer, "master.333networks.com");
  // A file from before the stamps: every filter in use, as the old layout had it.
  EXPECT_TRUE(s.FiltersOf("CTFGame").used[3]);
}

TEST(SettingsTest, RangesAndFallbacks) {
  const struct {
    const char* line;
    int TSettings::*field;
    int expected;
  } cases[] = {
      {"refreshRate=1800000", &TSettings::refreshRate, 1800000},
      {"refreshRate=1800001", &TSettings::refreshRate, 0},
      {"refreshRate=-1", &TSettings::refreshRate, 0},
      {"pingWaitTime=1999", &TSettings::pingWaitTime, 3000},
      {"pingWaitTime=2000", &TSettings::pingWaitTime, 2000},
      {"pingWaitTime=4000", &TSettings::pingWaitTime, 4000},
      {"pingWaitTime=4001", &TSettings::pingWaitTime, 3000},
      {"pingWaitTime=abc", &TSettings::pingWaitTime, 3000},
      {"queryPower=20000", &TSettings::queryPower, 10000},
      {"queryPower=-3", &TSettings::queryPower, 0},
      {"queryPower=x", &TSettings::queryPower, 3},
      {"iconGroup=5", &TSettings::iconGroup, 5},
      {"iconGroup=6", &TSettings::iconGroup, 1},
      {"ut99iniWidth=49", &TSettings::ut99iniWidth, 650},
      {"ut99iniHeight=1600", &TSettings::ut99iniHeight, 1600},
      {"fontSize=40", &TSettings::fontSize, 12},
      {"fontSize=big", &TSettings::fontSize, 8},
      {"localPort=port", &TSettings::localPort, 7778},
      {"localPort=0", &TSettings::localPort, 0},
      {"localPort=65535", &TSettings::localPort, 65535},
      {"localPort=65536", &TSettings::localPort, 7778},
      {"localPort=-1", &TSettings::localPort, 7778},
      {"pingWaitTime=", &TSettings::pingWaitTime, 3000},
      {"queryPower= 7 ", &TSettings::queryPower, 7},
      {"iconGroup=0", &TSettings::iconGroup, 1},
      {"ut99iniWidth=2000", &TSettings::ut99iniWidth, 2000},
      {"ut99iniWidth=2001", &TSettings::ut99iniWidth, 650},
      {"ut99iniHeight=49", &TSettings::ut99iniHeight, 585},
      {"ut99iniHeight=1601", &TSettings::ut99iniHeight, 585},
      {"fontSize=5", &TSettings::fontSize, 6},
      {"lastActivePageIndex=-7", &TSettings::lastActivePageIndex, -7},
      {"lastActivePageIndex=2147483647", &TSettings::lastActivePageIndex, 2147483647},
      {"lastActivePageIndex=2147483648", &TSettings::lastActivePageIndex, 0},
      {"lanSearchWait=99", &TSettings::lanSearchWait, 2000},
      {"lanSearchWait=100", &TSettings::lanSearchWait, 100},
      {"lanSearchWait=60001", &TSettings::lanSearchWait, 2000},
  };
  for (const auto& c : cases) {
    Loaded l(Settings(QByteArray(c.line) + "\n"));
    EXPECT_EQ(l.settings.*c.field, c.expected) << c.line;
  }
}

TEST(SettingsTest, TextChoicesIgnoreCase) {
  EXPECT_EQ(Loaded(Settings("startupQuery=favorites only\n")).settings.startupQuery,
            "Favorites Only");
  EXPECT_EQ(Loaded(Settings("startupQuery=sometimes\n")).settings.startupQuery, "UT Master Server");
  EXPECT_EQ(Loaded(Settings("startupQuery=lan servers\n")).settings.startupQuery, "LAN Servers");
  EXPECT_EQ(Loaded(Settings("filterLocation=LEFT\n")).settings.filterLocation, "left");
  EXPECT_EQ(Loaded(Settings("filterLocation=middle\n")).settings.filterLocation, "top");
  EXPECT_EQ(Loaded(Settings("fontName=Tahoma\n")).settings.fontName, "Tahoma");
  EXPECT_EQ(Loaded(Settings("fontName=tahoma\n")).settings.fontName, "Tahoma");
  // A desktop family chosen in the Font dialog survives the restart it asks for.
  EXPECT_EQ(Loaded(Settings("fontName=DejaVu Sans\n")).settings.fontName, "DejaVu Sans");
  EXPECT_EQ(Loaded(Settings("fontName= \n")).settings.fontName, "MS Sans Serif");
  EXPECT_EQ(Loaded(Settings("masterServer= 127.0.0.1:28900 \n")).settings.masterServer,
            "127.0.0.1:28900");
  EXPECT_EQ(Loaded(Settings("masterServer= \n")).settings.masterServer, "master.333networks.com");
  EXPECT_EQ(Loaded(Settings("defaultGame= UT2004\n")).settings.defaultGame, " UT2004");
  EXPECT_TRUE(Loaded(Settings("debug=x\n")).settings.debug);
  EXPECT_TRUE(Loaded(Settings("skipDefaultPathsInfo=7\n")).settings.skipDefaultPathsInfo);
  EXPECT_TRUE(Loaded(Settings("")).settings.syncFaves);
  EXPECT_FALSE(Loaded(Settings("syncFaves=0\n")).settings.syncFaves);
  EXPECT_FALSE(Loaded(Settings("syncFaves=-2\n")).settings.syncFaves);
}

TEST(SettingsTest, GuardedLayoutBlock) {
  const struct {
    const char* lines;
    int width, height, info, player;  // -1: as designed
  } cases[] = {
      {"windowWidth=1000\nwindowHeight=700\ninfoHeight=300\nplayerWidth=400\n", 1000, 700, 300,
       400},
      {"windowWidth=2000\nwindowHeight=700\ninfoHeight=300\n", 871, 600, 300, -1},
      {"windowWidth=wide\nwindowHeight=700\ninfoHeight=300\nplayerWidth=400\n", 871, 600, -1, -1},
      {"windowWidth=1000\nwindowHeight=500\ninfoHeight=x\nplayerWidth=400\n", 1000, 500, -1, -1},
      {"windowWidth=1000\nwindowHeight=500\ninfoHeight=1400\nplayerWidth=1200\n", 1000, 500, 500,
       1000},
      {"windowWidth=1000\nwindowHeight=500\ninfoHeight=1500\nplayerWidth=0\n", 1000, 500, -1, -1},
  };
  for (const auto& c : cases) {
    const TSettings s = Loaded(Settings(c.lines)).settings;
    EXPECT_EQ(s.windowWidth, c.width) << c.lines;
    EXPECT_EQ(s.windowHeight, c.height) << c.lines;
    EXPECT_EQ(s.infoHeight.value_or(-1), c.info) << c.lines;
    EXPECT_EQ(s.playerWidth.value_or(-1), c.player) << c.lines;
  }
}

TEST(SettingsTest, FavouriteEntries) {
  Loaded l(Settings("") +
           "[server]\nserverCount=6\n"
           "server[0]=10.0.0.1\\7778\\False\\Four fields\n"
           "server[1]=10.0.0.2\\7778\\True\\Five\\UT2004\n"
           "server[2]=10.0.0.3\\77a8\\False\\Bad port\n"
           "server[3]=\n"
           "server[4]=10.0.0.4\\7778\\True\\Six\\surplus\\UT2003\n"
           "server[5]=10.0.0.5\\7778\\True\\Empty game\\\n");
  ASSERT_EQ(l.stash.Count(), 4);
  const TServer* four = l.stash.Find("10.0.0.1:7778");
  EXPECT_TRUE(four->Favorite);
  EXPECT_EQ(four->Game(), "UT");
  EXPECT_EQ(four->Description(), "Four fields");
  EXPECT_EQ(four->AutoUpdateDescription(), "False");
  EXPECT_EQ(l.stash.Find("10.0.0.2:7778")->Game(), "UT2004");
  EXPECT_EQ(l.stash.Find("10.0.0.2:7778")->QueryVersion, 128);
  EXPECT_EQ(l.stash.Find("10.0.0.4:7778")->Game(), "UT2003");
  EXPECT_EQ(l.stash.Find("10.0.0.5:7778")->Game(), "UT");
}

TEST(SettingsTest, SortKeys) {
  const TSettings s = Loaded(Settings("serverGridSortCol=4\nserverGridSortColDirection=DOWN\n"
                                      "playerGridSortCol=zz\nplayerGridSortColDirection=up\n"
                                      "settingGridSortCol=0\nsettingGridSortColDirection=sideways\n"
                                      "monitorGridSortCol=-1\nmonitorGridSortColDirection=down\n"))
                          .settings;
  EXPECT_EQ(s.sorts[0], (TGridSort{4, TSortDirection::Descending}));
  EXPECT_EQ(s.sorts[1], (TGridSort{1, TSortDirection::Descending}));  // unreadable: designed
  EXPECT_EQ(s.sorts[2], (TGridSort{0, TSortDirection::Ascending}));
  EXPECT_EQ(s.sorts[3], (TGridSort{-1, TSortDirection::None}));
  EXPECT_EQ(s.sorts[4], (TGridSort{-2, TSortDirection::Ascending}));

  TIniDocument ini;
  SaveGridSort(ini, "settingGrid", {-1, TSortDirection::None});
  EXPECT_EQ(ini.ReadString("settings", "settingGridSortCol", ""), "-1");
  EXPECT_EQ(ini.ReadString("settings", "settingGridSortColDirection", ""), "down");
}

TEST(SettingsTest, ColumnWidths) {
  const TSettings s = Loaded(Settings("") +
                             "[serverGrid]\ncolWidth[0]=1500\ncolWidth[1]=abc\ncolWidth[2]=-5\n"
                             "colWidth[3]=-1\ncolWidth[4]=80\n")
                          .settings;
  EXPECT_EQ(s.columnWidths[0], (std::vector<int>{1000, -1, 0}));
}

TEST(SettingsTest, Ut99KeysParseSortAndDeduplicate) {
  const struct {
    const char* entry;
    bool valid;
    const char* section;
    const char* key;
    const char* comment;
  } cases[] = {{"Engine.Player|Speed|fast", true, "Engine.Player", "Speed", "fast"},
               {"Engine.Player|Speed", true, "Engine.Player", "Speed", ""},
               {"Sec|Key|with|bars", true, "Sec", "Key", "with|bars"},
               {"Sec||Key", true, "Sec", "|Key", ""},
               {"|Key", false, "", "", ""},
               {"NoBar", false, "", "", ""},
               {"Sec|", false, "", "", ""}};
  for (const auto& c : cases) {
    const auto info = ParseUt99Entry(QString::fromLatin1(c.entry));
    ASSERT_EQ(info.has_value(), c.valid) << c.entry;
    if (!info) continue;
    EXPECT_EQ(info->Section, c.section);
    EXPECT_EQ(info->Key, c.key);
    EXPECT_EQ(info->Comment, c.comment);
  }
  // A stamp below 2.91 seeds the list again; the file's copies are not duplicated.
  const TSettings s = Loaded(
                          "[settings]\nZorvane=2.9\n[ut99ini]\ncount=2\n"
                          "[0]=engine.player|configuredlanspeed|mine\n[1]=A.B|Z\n")
                          .settings;
  EXPECT_EQ(s.ut99Keys.size(), 13u);
  EXPECT_EQ(s.ut99Keys.front().Section, "A.B");
  const TSettings current = Loaded(Settings("[ut99ini]\ncount=1\n[0]=A.B|Z\n")).settings;
  EXPECT_EQ(current.ut99Keys.size(), 1u);
}

TEST(SettingsTest, StampsCompareAsText) {
  EXPECT_TRUE(StampBelow("2.9", "2.91"));
  EXPECT_TRUE(StampBelow("0", "2.69"));
  EXPECT_FALSE(StampBelow("2.91", "2.91"));
  EXPECT_FALSE(StampBelow("3", "2.91"));
  EXPECT_TRUE(StampBelow("10.0", "2.91"));  // as text, not as a number
}

TEST(SettingsTest, RefreshRateTexts) {
  EXPECT_EQ(RefreshRateFromText("5 seconds"), 5000);
  EXPECT_EQ(RefreshRateFromText("30 MINUTES"), 1800000);
  EXPECT_EQ(RefreshRateFromText("none"), 0);
  EXPECT_EQ(RefreshRateFromText("7 seconds"), 0);
}

TEST(SettingsTest, FiltersOldAndNewLayout) {
  const QByteArray current = Settings("versionFilter=UT2004\n") +
                             "[filterInfo]\nbotSkillFilterUsed=1\n[CTFGame]\nbotSkillFilter=old\n";
  Loaded l(current);
  l.gameTypeIni.WriteString("CTFGame", "botSkillFilter", "godlike");
  LoadFilters(l.ini, l.gameTypeIni, "CTFGame", l.settings);
  const TFilterSet ctf = l.settings.FiltersOf("ctfgame");
  EXPECT_TRUE(ctf.used[1]);
  EXPECT_FALSE(ctf.used[2]);
  EXPECT_EQ(ctf.values[1], "godlike");
  EXPECT_EQ(Loaded(current).settings.FiltersOf("Favorite").values[kVersionFilter], "UT2004");
  EXPECT_TRUE(Loaded(current).settings.FiltersOf("Other").used[kVersionFilter]);

  Loaded old("[CTFGame]\nbotSkillFilter=old\nbotSkillFilterUsed=0\n");
  EXPECT_EQ(old.settings.FiltersOf("CTFGame").values[1], "old");
  EXPECT_FALSE(old.settings.FiltersOf("CTFGame").used[1]);
  EXPECT_TRUE(old.settings.FiltersOf("CTFGame").used[2]);
}

TEST(SettingsTest, SaveThenLoadReproducesEveryValue) {
  Loaded first(Settings("") +
               "[server]\nserverCount=1\nserver[0]=10.0.0.9\\7778\\False\\Mine\\UT2004\n");
  TSettings s = first.settings;
  s.tabsMultiline = true;
  s.autoPingServer = false;
  s.filterLocation = "bottom";
  s.localPort = 7000;
  s.refreshRate = 60000;
  s.pingWaitTime = 4000;
  s.autoRefreshSelectedServerOnly = true;
  s.windowWidth = 1024;
  s.windowHeight = 768;
  s.infoHeight = 250;
  s.playerWidth = 300;
  s.watchedPlayers = {"Bob", "Alice"};
  s.watchedMaps = {"CTF-Face"};
  s.confirmServerDelete = s.confirmPlayerDelete = s.confirmMapDelete = false;
  s.lastSelectedServer = "10.0.0.9:7778";
  s.defaultVersion = "UT2004";
  s.defaultGame = "Thievery";
  s.serverOnlineSound = "a.wav";
  s.serverPopulatedSound = "b.wav";
  s.playerOnlineSound = "c.wav";
  s.startupQuery = "none";
  s.lastActivePageIndex = 3;
  s.exactMatchPlayer = s.exactMatchServer = false;
  s.skipPercentageInfo = s.skipDefaultPathsInfo = true;
  s.sorts = {TGridSort{5, TSortDirection::Descending}, TGridSort{0, TSortDirection::Ascending},
             TGridSort{-1, TSortDirection::None}, TGridSort{1, TSortDirection::Descending},
             TGridSort{2, TSortDirection::Ascending}};
  s.columnWidths = {std::vector<int>{100, 200}, {50}, {60, 70}, {10, 20, 30}, {}};
  s.morePlayerInfo = false;
  s.minimizeOnJoin = true;
  s.syncFaves = false;
  s.autoCheckNewVersion = false;
  s.queryPower = 25;
  s.showToolbar = false;
  s.iconGroup = 4;
  s.startInTray = true;
  s.fontName = "Verdana";
  s.fontSize = 10;
  AddUt99Key(s.ut99Keys, {"Zeta.Section", "Key", "a comment"});
  s.masterServer = "127.0.0.1:28901";
  s.versionHost = "127.0.0.1:8080";
  s.lanSearchWait = 750;
  s.lanAddresses = "127.0.0.1, 127.0.0.2";
  s.offeredUT2004Tabs = true;
  s.serverHistory = false;
  s.desktopNotifications = true;
  s.ut99iniWidth = 700;
  s.ut99iniHeight = 500;
  s.FiltersOf("Favorite").used = {true, false, true};

  TIniDocument saved;
  SaveSettings(saved, s, first.stash);
  EXPECT_EQ(saved.ReadString("settings", "Zorvane", ""), "2.91");
  EXPECT_FALSE(saved.ValueExists("settings", "debug"));
  EXPECT_EQ(saved.ReadString("server", "server[0]", ""), "10.0.0.9\\7778\\False\\Mine\\UT2004");
  EXPECT_EQ(saved.ReadString("serverGrid", "colWidth[2]", ""), "-1");  // terminator
  EXPECT_FALSE(saved.ValueExists("monitorGrid", "colWidth[3]"));

  Loaded again(saved.ToBytes());
  TSettings r = again.settings;
  r.filters = s.filters;  // filter values live in the game-type file
  r.stamp = s.stamp;
  EXPECT_EQ(again.settings.FiltersOf("Favorite").used, s.FiltersOf("Favorite").used);
#define SAME(field) EXPECT_EQ(r.field, s.field) << #field;
  SAME(tabsMultiline)
  SAME(autoPingServer) SAME(filterLocation) SAME(localPort) SAME(refreshRate) SAME(pingWaitTime)
      SAME(autoRefreshSelectedServerOnly) SAME(windowWidth) SAME(windowHeight) SAME(infoHeight)
          SAME(playerWidth) SAME(watchedPlayers) SAME(watchedMaps) SAME(confirmServerDelete)
              SAME(confirmPlayerDelete) SAME(confirmMapDelete) SAME(lastSelectedServer)
                  SAME(defaultVersion) SAME(defaultGame) SAME(serverOnlineSound)
                      SAME(serverPopulatedSound) SAME(playerOnlineSound) SAME(startupQuery)
                          SAME(lastActivePageIndex) SAME(exactMatchPlayer) SAME(exactMatchServer)
                              SAME(skipPercentageInfo) SAME(skipDefaultPathsInfo) SAME(sorts)
                                  SAME(columnWidths) SAME(morePlayerInfo) SAME(minimizeOnJoin)
                                      SAME(syncFaves) SAME(autoCheckNewVersion) SAME(queryPower)
                                          SAME(showToolbar) SAME(iconGroup) SAME(startInTray)
                                              SAME(fontName) SAME(fontSize) SAME(ut99iniWidth) SAME(
                                                  ut99iniHeight) SAME(masterServer) SAME(versionHost)
                                                      SAME(lanSearchWait) SAME(lanAddresses)
                                                          SAME(offeredUT2004Tabs) SAME(serverHistory)
                                                          SAME(desktopNotifications)
#undef SAME
                                                  ASSERT_EQ(r.ut99Keys.size(), s.ut99Keys.size());
  EXPECT_EQ(r.ut99Keys.back().Comment, "a comment");
  ASSERT_EQ(again.stash.Count(), 1);
  EXPECT_EQ(again.stash.Key(0), "10.0.0.9:7778");
  EXPECT_EQ(again.stash.Server(0)->Description(), "Mine");
}

TEST(SettingsTest, NewFileHoldsTheDefaultsInItsOwnOrder) {
  TIniDocument ini;
  SaveSettings(ini, TSettings(), TServerStash());
  const QByteArray saved = ini.ToBytes();
  EXPECT_EQ(saved.left(saved.indexOf("\n\n[server]\n") + 1),
            "[settings]\nZorvane=2.91\nlocalPort=7778\nrefreshRate=0\nwindowWidth=871\n"
            "windowHeight=600\npingWaitTime=2000\ndefaultVersion=UT\ndefaultGame=UT\n"
            "serverOnlineSound=server.wav\nserverPopulatedSound=ready.wav\n"
            "playerOnlineSound=player.wav\nfontName=not there\nfontSize=8\n"
            "autoRefreshSelectedServerOnly=0\nconfirmServerDelete=1\nconfirmPlayerDelete=1\n"
            "confirmMapDelete=1\nexactMatchPlayer=1\nexactMatchServer=1\nmorePlayerInfo=1\n"
            "skipPercentageInfo=0\nskipDefaultPathsInfo=0\nlastSelectedServer=\n"
            "startupQuery=Favorites Only\nlastActivePageIndex=0\ninfoHeight=0\nplayerWidth=0\n"
            "autoPingServer=1\ntabsMultiline=0\nminimizeOnJoin=0\nsyncFaves=1\n"
            "autoCheckNewVersion=1\nshowToolbar=1\nstartInTray=0\n"
            "serverGridSortCol=-2\nserverGridSortColDirection=up\n"
            "playerGridSortCol=-2\nplayerGridSortColDirection=up\n"
            "settingGridSortCol=-2\nsettingGridSortColDirection=up\n"
            "monitorGridSortCol=-2\nmonitorGridSortColDirection=up\n"
            "mapGridSortCol=-2\nmapGridSortColDirection=up\n"
            "filterLocation=right\nqueryPower=3\niconGroup=1\nut99iniWidth=650\n"
            "ut99iniHeight=585\nmasterServer=master.333networks.com\nversionHost=\n"
            "lanSearchWait=2000\nlanAddresses=\nofferedUT2004Tabs=0\n"
            "serverHistory=1\ndesktopNotifications=0\n");
  // The other sections follow in their own order.
  QList<QByteArray> sections;
  for (const QByteArray& line : saved.split('\n'))
    if (line.startsWith('[')) sections << line;
  EXPECT_EQ(sections, (QList<QByteArray>{"[settings]", "[server]", "[player]", "[map]",
                                         "[filterInfo]", "[ut99ini]", "[serverGrid]",
                                         "[playerGrid]", "[settingGrid]", "[masterServers]"}));
}

TEST(SettingsTest, SavingDropsObsoleteKeysAndThePreStampSections) {
  Loaded l(
      "[settings]\nutDirectory=C:\\UT\ngameTypeFilter=x\n[utDirectory]\nUT=C:\\UT\n"
      "[CTFGame]\ntabVisible=1\n[Keep]\nk=v\n");
  SaveSettings(l.ini, l.settings, l.stash);
  EXPECT_FALSE(l.ini.ValueExists("settings", "utDirectory"));
  EXPECT_FALSE(l.ini.ValueExists("settings", "gameTypeFilter"));
  EXPECT_FALSE(l.ini.SectionExists("utDirectory"));
  EXPECT_FALSE(l.ini.SectionExists("CTFGame"));
  EXPECT_TRUE(l.ini.SectionExists("Keep"));
}

QStringList FavoriteKeys(const TServerStash& stash) {
  QStringList keys;
  for (int i = 0; i < stash.Count(); ++i)
    if (stash.Server(i)->Favorite) keys << stash.Key(i);
  return keys;
}

// Saves what was loaded and loads the result again.
Loaded SavedAndLoaded(Loaded& first) {
  SaveSettings(first.ini, first.settings, first.stash);
  return Loaded(first.ini.ToBytes());
}

TEST(SettingsTest, CountedListsWithGapsKeepEveryEntryBelowTheCount) {
  Loaded l(Settings("") +
           "[server]\nserverCount=5\n"
           "server[0]=10.0.0.1\\7778\\False\\A\\UT\n"
           "server[3]=10.0.0.4\\7778\\False\\D\\UT\n"
           "server[4]=10.0.0.5\\7778\\False\\E\\UT\n"
           "server[5]=10.0.0.6\\7778\\False\\beyond the count\\UT\n"
           "server[03]=10.0.0.7\\7778\\False\\not an index\\UT\n"
           "[player]\nplayerCount=3\nplayer[2]=Carol\nplayer[0]=Alice\n"
           "[map]\nmapCount=2\nmap[1]=CTF-Face\n"
           "[ut99ini]\ncount=3\n[2]=Z.Z|Two\n");
  const QStringList favorites = {"10.0.0.1:7778", "10.0.0.4:7778", "10.0.0.5:7778"};
  EXPECT_EQ(FavoriteKeys(l.stash), favorites);
  EXPECT_EQ(l.settings.watchedPlayers, (QStringList{"Alice", "Carol"}));  // index order
  EXPECT_EQ(l.settings.watchedMaps, QStringList{"CTF-Face"});
  EXPECT_EQ(l.settings.ut99Keys.back().Section, "Z.Z");

  Loaded again = SavedAndLoaded(l);
  EXPECT_EQ(FavoriteKeys(again.stash), favorites);
  EXPECT_EQ(again.settings.watchedPlayers, (QStringList{"Alice", "Carol"}));
  EXPECT_EQ(again.settings.watchedMaps, QStringList{"CTF-Face"});
  EXPECT_EQ(again.ini.ReadString("server", "serverCount", ""), "3");
}

TEST(SettingsTest, RepeatedSectionsLoseNothingOverSaveAndLoad) {
  Loaded l(
      "[settings]\nZorvane=2.91\nwindowWidth=1000\n"
      "[server]\nserverCount=2\nserver[0]=10.0.0.1\\7778\\False\\A\\UT\n"
      "[player]\nplayerCount=1\nplayer[0]=Alice\n"
      "[mine]\nnote=first\nrepeated=1\n"
      "[server]\nserver[1]=10.0.0.2\\7778\\False\\B\\UT2004\n"
      "[settings]\nwindowHeight=700\nown=kept\n"
      "[mine]\nrepeated=2\nother=x\n");
  EXPECT_EQ(l.settings.windowWidth, 1000);
  EXPECT_EQ(l.settings.windowHeight, 700);
  EXPECT_EQ(FavoriteKeys(l.stash), (QStringList{"10.0.0.1:7778", "10.0.0.2:7778"}));

  Loaded again = SavedAndLoaded(l);
  EXPECT_EQ(FavoriteKeys(again.stash), (QStringList{"10.0.0.1:7778", "10.0.0.2:7778"}));
  EXPECT_EQ(again.stash.Find("10.0.0.2:7778")->Game(), "UT2004");
  EXPECT_EQ(again.settings.watchedPlayers, QStringList{"Alice"});
  const QByteArray saved = l.ini.ToBytes();
  EXPECT_EQ(saved.count("[server]"), 1);  // the rewritten lists are written once
  EXPECT_EQ(saved.count("[player]"), 1);
  for (const char* kept : {"note=first", "repeated=1", "repeated=2", "other=x", "own=kept"})
    EXPECT_TRUE(saved.contains(kept)) << kept;
  EXPECT_EQ(again.settings.windowHeight, 700);
  // A second round changes nothing more.
  Loaded third = SavedAndLoaded(again);
  const QByteArray second = third.ini.ToBytes();
  SaveSettings(third.ini, third.settings, third.stash);
  EXPECT_EQ(third.ini.ToBytes(), second);
}

TEST(SettingsTest, ByteOrderMarkAndLoneCarriageReturnsHideNoSetting) {
  const QByteArray cases[] = {
      "\xEF\xBB\xBF[settings]\r\nZorvane=2.91\r\nwindowWidth=1000\r\nwindowHeight=700\r\n",
      "[settings]\rZorvane=2.91\rwindowWidth=1000\rwindowHeight=700\r",
      "[settings]\nZorvane=2.91\nwindowHeight=700\nwindowWidth=1000\r",
  };
  for (const QByteArray& text : cases) {
    Loaded l(text);
    EXPECT_EQ(l.settings.stamp, "2.91") << text.constData();
    EXPECT_EQ(l.settings.windowWidth, 1000) << text.constData();
    Loaded again = SavedAndLoaded(l);
    EXPECT_EQ(again.settings.windowWidth, 1000);
    EXPECT_EQ(l.ini.ToBytes().startsWith("\xEF\xBB\xBF"), text.startsWith("\xEF\xBB\xBF"));
  }
}

TEST(SettingsTest, NamesFromServersCannotChangeTheFavouritesSection) {
  const QString colour = QString(QChar(0x1B)) + QChar(0x0A) + QChar(0xFF) + QChar(0x0D);
  const struct {
    QString description;
    const char* game;
    QString storedName;
  } cases[] = {
      {"Evil\r\nserverCount=0", "UT", "Evil  serverCount=0"},
      {colour + "Red" + colour + "Clan", "UT2004", "RedClan"},
      {"//\\\\ Clan //\\\\", "UT2004", "//"},
      {"a\\b\\c\\d", "UT2003", "a"},
      // A colour code whose colour bytes are backslashes must not split the line's fields.
      {"Clan" + QString(QChar(0x1B)) + "\\\\\\" + "Name", "UT2004", "ClanName"},
      {"Cut" + QString(QChar(0x1B)) + "\\", "UT2004", "Cut "},
  };
  Loaded l(Settings(""));
  int port = 7778;
  for (const auto& c : cases) {
    ASSERT_TRUE(l.stash.AddServer("10.0.0.1", QString::number(port++), "", true, c.game, "True",
                                  "placeholder"));
    l.stash.Server(l.stash.Count() - 1)->SetDescription(c.description);
  }
  Loaded again = SavedAndLoaded(l);
  ASSERT_EQ(again.stash.Count(), int(std::size(cases)));
  for (int i = 0; i < again.stash.Count(); ++i) {
    const TServer* s = again.stash.Server(i);
    EXPECT_EQ(s->Description(), cases[i].storedName);
    EXPECT_EQ(s->Game(), cases[i].game);
    EXPECT_EQ(s->AutoUpdateDescription(), "True");
  }
  EXPECT_EQ(again.ini.ReadString("server", "serverCount", ""), "6");
}

TEST(SettingsTest, FavouriteGameFieldsThatAreNoVariantReadAsUT) {
  const struct {
    const char* entry;
    const char* game;
  } cases[] = {
      {"h\\7778\\False\\Name\\UT2004", "UT2004"},
      {"h\\7778\\False\\Name\\ut2004 demo", "ut2004 demo"},
      {"h\\7778\\False\\//\\\\ Clan //\\\\\\UT2004", "UT"},  // stored by older versions
      {"h\\7778\\False\\Name\\Quake", "UT"},
      {"h\\7778\\False\\Name\\x\\Unreal 2 XMP", "Unreal 2 XMP"},
  };
  for (const auto& c : cases) {
    const auto entry = ParseFavoriteEntry(QString::fromLatin1(c.entry));
    ASSERT_TRUE(entry) << c.entry;
    EXPECT_EQ(entry->game, c.game) << c.entry;
    EXPECT_EQ(entry->port, "7778");
  }
}

TEST(SettingsTest, LongDescendingUt99ListLoadsSortedWithoutDuplicates) {
  QByteArray text = Settings("") + "[ut99ini]\ncount=100001\n";
  for (int i = 0; i < 100000; ++i) {
    const int n = 99999 - i;  // descending: the worst order for inserting one by one
    text += "[" + QByteArray::number(i) + "]=S" + QByteArray::number(n % 100) + "|K" +
            QByteArray::number(n) + "|c" + QByteArray::number(i) + "\n";
  }
  text += "[100000]=s99|k99999|duplicate\n";
  Loaded l(text);
  const auto& keys = l.settings.ut99Keys;
  ASSERT_EQ(keys.size(), 100000u);
  const auto before = [](const TINIInfo& a, const TINIInfo& b) {
    const int bySection = a.Section.compare(b.Section, Qt::CaseInsensitive);
    return bySection != 0 ? bySection < 0 : a.Key.compare(b.Key, Qt::CaseInsensitive) < 0;
  };
  EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end(), before));
  EXPECT_TRUE(std::adjacent_find(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
                return !before(a, b);
              }) == keys.end());
  const auto last =
      std::find_if(keys.begin(), keys.end(), [](const TINIInfo& k) { return k.Key == u"K99999"; });
  ASSERT_NE(last, keys.end());
  EXPECT_EQ(last->Comment, "c0");  // the first of two equal entries stays
}

TEST(SettingsTest, JunkFilesLoadWithDefaults) {
  QRandomGenerator random(3);
  for (int round = 0; round < 100; ++round) {
    QByteArray junk(random.bounded(3000), '\0');
    for (char& c : junk) c = char(random.bounded(256));
    Loaded l(junk);
    EXPECT_GE(l.settings.windowWidth, 1);
  }
  // A count of two billion is not two billion look-ups.
  Loaded huge(Settings("") + "[server]\nserverCount=2000000000\n[player]\nplayerCount=99999999\n");
  EXPECT_EQ(huge.stash.Count(), 0);
}

}  // namespace
}  // namespace zorvane
