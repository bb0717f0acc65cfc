// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/settings.h"

#include <QRegularExpression>
#include <algorithm>

#include "config/ini_utils.h"
#include "query/network_text.h"
#include "query/server_stash.h"
#include "query/vocabulary.h"

namespace zorvane {

namespace {

const QString kSettings = QString::fromLatin1(kSettingsSection);

QString Indexed(const char* prefix, int i) {
  return QString::fromLatin1(prefix) + u'[' + QString::number(i) + u']';
}

bool ReadIntIn(const TIniDocument& ini, const QString& key, const QString& def, int& value) {
  return ReadInteger(ini.ReadString(kSettings, key, def), value);
}

// The value when it reads and lies in lo..hi, else fallback.
int RangedInteger(const TIniDocument& ini, const QString& key, int def, int lo, int hi,
                  int fallback) {
  int value = 0;
  if (!ReadIntIn(ini, key, QString::number(def), value)) return fallback;
  return value >= lo && value <= hi ? value : fallback;
}

bool Flag(const TIniDocument& ini, const char* key, const char* def) {
  return ReadFlag(ini, kSettings, QString::fromLatin1(key), QString::fromLatin1(def));
}

QString Text(const TIniDocument& ini, const char* key, const QString& def) {
  return ini.ReadString(kSettings, QString::fromLatin1(key), def);
}

// One of the accepted texts (returned in its own spelling), or fallback.
QString OneOf(const QString& value, std::initializer_list<const char*> accepted,
              const QString& fallback) {
  for (const char* text : accepted)
    if (value.compare(QLatin1StringView(text), Qt::CaseInsensitive) == 0)
      return QString::fromLatin1(text);
  return fallback;
}

// The entries of a counted list ("serverCount" and "server[N]", "count" and "[N]").
QStringList ReadCountedList(const TIniDocument& ini, const QString& section,
                            const QString& countKey, const char* prefix) {
  return ReadIndexedEntries(ini, section, QString::fromLatin1(prefix),
                            SafeReadInteger(ini, section, countKey, 0));
}

QStringList ReadNameList(const TIniDocument& ini, const char* section, const char* prefix) {
  const QString name = QString::fromLatin1(section);
  QStringList names = ReadCountedList(ini, name, name + QStringLiteral("Count"), prefix);
  names.removeAll(QString());
  return names;
}

void WriteNameList(TIniDocument& ini, const char* section, const char* prefix,
                   const QStringList& names) {
  const QString name = QString::fromLatin1(section);
  ini.EraseSection(name);
  ini.WriteInteger(name, name + QStringLiteral("Count"), names.size());
  for (int i = 0; i < names.size(); ++i) ini.WriteString(name, Indexed(prefix, i), names[i]);
}

void LoadFavorites(const TIniDocument& ini, TServerStash& stash) {
  const QString section = QStringLiteral("server");
  for (const QString& line :
       ReadCountedList(ini, section, QStringLiteral("serverCount"), "server")) {
    const auto entry = ParseFavoriteEntry(line);
    if (entry)
      stash.AddServer(entry->address, entry->port, QString(), true, entry->game,
                      entry->autoUpdateDescription, entry->description);
  }
}

void SaveFavorites(TIniDocument& ini, const TServerStash& stash) {
  const QString section = QStringLiteral("server");
  ini.EraseSection(section);
  int written = 0;
  for (int i = 0; i < stash.Count(); ++i) {
    const TServer* s = stash.Server(i);
    if (!s->Favorite) continue;
    const QString address = s->DNSName().isEmpty() ? s->IP() : s->DNSName();
    // The fields are separated by backslashes and cannot escape one: a name is cut at its
    // first, as a typed description is. Colour codes go first, since their colour bytes may be
    // backslashes too.
    ini.WriteString(section, Indexed("server", written++),
                    QStringList{address, QString::number(s->Port), s->AutoUpdateDescription(),
                                StripAfterBackslash(StripColourCodes(s->Description())), s->Game()}
                        .join(u'\\'));
  }
  ini.WriteInteger(section, QStringLiteral("serverCount"), written);
}

// The sort a grid has when its stored column is "-2".
TGridSort DesignedSort(int grid) {
  switch (grid) {
    case gnServer:
      return {2, TSortDirection::Ascending};
    case gnPlayer:
      return {1, TSortDirection::Descending};
    case gnSetting:
      return {-1, TSortDirection::None};
    default:
      return {-2, TSortDirection::Ascending};  // resolved by the monitor grids
  }
}

TGridSort LoadGridSort(const TIniDocument& ini, int grid) {
  const QString name = QString::fromLatin1(kGridNames[grid - 1]);
  int column = 0;
  if (!ReadInteger(
          ini.ReadString(kSettings, name + QStringLiteral("SortCol"), QStringLiteral("-2")),
          column) ||
      column == -2)
    return DesignedSort(grid);
  if (column < 0) return {-1, TSortDirection::None};
  const QString direction =
      ini.ReadString(kSettings, name + QStringLiteral("SortColDirection"), QStringLiteral("up"));
  return {column, direction.compare(u"down", Qt::CaseInsensitive) == 0 ? TSortDirection::Descending
                                                                       : TSortDirection::Ascending};
}

constexpr int kUnsetWidth = -1;
constexpr int kDesignedWidth = 64;

std::vector<int> LoadColumnWidths(const TIniDocument& ini, const char* grid) {
  const QString section = QString::fromLatin1(grid);
  std::vector<int> widths;
  for (int i = 0;; ++i) {
    const QString text = ini.ReadString(section, Indexed("colWidth", i), QStringLiteral("-1"));
    if (text == u"-1") break;
    int width = 0;
    widths.push_back(ReadInteger(text, width) ? std::clamp(width, 0, 1000) : kUnsetWidth);
  }
  return widths;
}

void SaveColumnWidths(TIniDocument& ini, const char* grid, const std::vector<int>& widths,
                      bool terminate) {
  const QString section = QString::fromLatin1(grid);
  ini.EraseSection(section);
  int i = 0;
  for (int width : widths)
    ini.WriteInteger(section, Indexed("colWidth", i++),
                     width == kUnsetWidth ? kDesignedWidth : width);
  if (terminate) ini.WriteInteger(section, Indexed("colWidth", i), -1);
}

// The layout block: an unreadable number ends it, leaving the rest as designed.
void LoadWindowLayout(const TIniDocument& ini, TSettings& s) {
  int width = 0, height = 0, info = 0, player = 0;
  if (!ReadIntIn(ini, QStringLiteral("windowWidth"), QStringLiteral("0"), width)) return;
  if (!ReadIntIn(ini, QStringLiteral("windowHeight"), QStringLiteral("0"), height)) return;
  const bool sized = width >= 1 && width <= 1999 && height >= 1 && height <= 1999;
  s.windowWidth = sized ? width : 871;
  s.windowHeight = sized ? height : 600;
  if (!ReadIntIn(ini, QStringLiteral("infoHeight"), QStringLiteral("0"), info)) return;
  if (info >= 1 && info <= 1499) s.infoHeight = std::min(info, s.windowHeight);
  if (!ReadIntIn(ini, QStringLiteral("playerWidth"), QStringLiteral("0"), player)) return;
  if (player >= 1 && player <= 1499) s.playerWidth = std::min(player, s.windowWidth);
}

}  // namespace

bool StampBelow(const QString& stamp, const QString& than) {
  return stamp < than;
}

void LoadUt99Keys(const TIniDocument& ini, TSettings& s) {
  std::vector<TINIInfo> read;
  const QString section = QStringLiteral("ut99ini");
  for (const QString& line : ReadCountedList(ini, section, QStringLiteral("count"), ""))
    if (const auto key = ParseUt99Entry(line)) read.push_back(*key);
  AddUt99Keys(s.ut99Keys, std::move(read));
}

void LoadStartupSettings(const TIniDocument& ini, TSettings& s) {
  s.stamp = Text(ini, "Zorvane", QStringLiteral("0"));
  const QString font = Text(ini, "fontName", QStringLiteral("not there"));
  s.fontName = font == u"not there"
                   ? font
                   : OneOf(font, {"MS Sans Serif", "Tahoma", "Times New Roman", "Verdana"},
                           QStringLiteral("MS Sans Serif"));
  int size = 8;
  s.fontSize = ReadIntIn(ini, QStringLiteral("fontSize"), QStringLiteral("8"), size)
                   ? std::clamp(size, 6, 12)
                   : 8;
  s.skipDefaultPathsInfo = ini.ReadBool(kSettings, QStringLiteral("skipDefaultPathsInfo"), false);
  s.debug = !Text(ini, "debug", QString()).isEmpty();
}

void LoadFilters(const TIniDocument& ini, const TIniDocument& gameTypeIni, const QString& gameType,
                 TSettings& s) {
  TFilterSet& set = s.FiltersOf(gameType);
  const bool preStamp = s.stamp == u"0";
  for (int i = 0; i < kFilterCount; ++i) {
    const QString key = QString::fromLatin1(kFilterNames[i]);
    if (preStamp) {
      set.used[i] = ReadFlag(ini, gameType, key + QStringLiteral("Used"), QStringLiteral("1"));
      set.values[i] = ini.ReadString(gameType, key, QString());
    } else {
      set.used[i] = ReadFlag(ini, QStringLiteral("filterInfo"), key + QStringLiteral("Used"),
                             QStringLiteral("0"));
      set.values[i] = gameTypeIni.ReadString(gameType, key, QString());
    }
  }
}

void LoadSettings(const TIniDocument& ini, const TIniDocument& gameTypeIni,
                  const std::vector<std::unique_ptr<TGameType>>& gameTypes, TServerStash& stash,
                  TSettings& s) {
  s.tabsMultiline = Flag(ini, "tabsMultiline", "0");
  for (const auto& type : gameTypes) LoadFilters(ini, gameTypeIni, type->Name.Value, s);
  for (const int filter : {kVersionFilter, kPlayersFilter}) {
    const QString key = QString::fromLatin1(kFilterNames[filter]);
    if (!ini.ValueExists(kSettings, key)) continue;
    const QString value = ini.ReadString(kSettings, key, QString());
    for (const auto& type : gameTypes) {
      TFilterSet& set = s.FiltersOf(type->Name.Value);
      set.values[filter] = value;
      set.used[filter] = true;
    }
  }
  s.autoPingServer = Flag(ini, "autoPingServer", "1");
  s.filterLocation = OneOf(Text(ini, "filterLocation", QStringLiteral("right")),
                           {"top", "bottom", "left", "right"}, QStringLiteral("top"));
  s.localPort = RangedInteger(ini, QStringLiteral("localPort"), 7778, 0, 65535, 7778);
  s.refreshRate = RangedInteger(ini, QStringLiteral("refreshRate"), 0, 0, 1800000, 0);
  s.pingWaitTime = RangedInteger(ini, QStringLiteral("pingWaitTime"), 2000, 2000, 4000, 3000);
  s.autoRefreshSelectedServerOnly = Flag(ini, "autoRefreshSelectedServerOnly", "0");
  LoadWindowLayout(ini, s);

  LoadFavorites(ini, stash);
  s.watchedPlayers = ReadNameList(ini, "player", "player");
  s.watchedMaps = ReadNameList(ini, "map", "map");

  s.confirmServerDelete = Flag(ini, "confirmServerDelete", "1");
  s.confirmPlayerDelete = Flag(ini, "confirmPlayerDelete", "1");
  s.confirmMapDelete = Flag(ini, "confirmMapDelete", "1");
  s.lastSelectedServer = Text(ini, "lastSelectedServer", QString());
  s.defaultVersion = Text(ini, "defaultVersion", QStringLiteral("UT"));
  s.defaultGame = Text(ini, "defaultGame", QStringLiteral("UT"));
  s.serverOnlineSound = Text(ini, "serverOnlineSound", QStringLiteral("server.wav"));
  s.serverPopulatedSound = Text(ini, "serverPopulatedSound", QStringLiteral("ready.wav"));
  s.playerOnlineSound = Text(ini, "playerOnlineSound", QStringLiteral("player.wav"));
  s.startupQuery =
      OneOf(Text(ini, "startupQuery", QStringLiteral("Favorites Only")),
            {"UT Master Server", "Favorites Only", "none"}, QStringLiteral("UT Master Server"));
  s.lastActivePageIndex = SafeReadInteger(ini, kSettings, QStringLiteral("lastActivePageIndex"), 0);
  s.exactMatchPlayer = Flag(ini, "exactMatchPlayer", "1");
  s.exactMatchServer = Flag(ini, "exactMatchServer", "1");
  s.skipPercentageInfo = Flag(ini, "skipPercentageInfo", "0");

  for (int grid = gnServer; grid <= gnMap; ++grid) s.sorts[grid - 1] = LoadGridSort(ini, grid);
  for (int grid = 0; grid < 5; ++grid)
    s.columnWidths[grid] = LoadColumnWidths(ini, kGridNames[grid]);

  s.morePlayerInfo = Flag(ini, "morePlayerInfo", "1");
  s.minimizeOnJoin = Flag(ini, "minimizeOnJoin", "0");
  s.syncFaves = Text(ini, "syncFaves", QStringLiteral("1")) == u"1";
  s.autoCheckNewVersion = Flag(ini, "autoCheckNewVersion", "1");
  int power = 3;
  s.queryPower = ReadIntIn(ini, QStringLiteral("queryPower"), QStringLiteral("3"), power)
                     ? std::clamp(power, 0, 10000)
                     : 3;
  s.showToolbar = Flag(ini, "showToolbar", "1");
  s.iconGroup = RangedInteger(ini, QStringLiteral("iconGroup"), 1, 1, kIconGroups, 1);
  s.startInTray = Flag(ini, "startInTray", "0");
  // GameSpy's own masters closed; the community masters speak the same protocol.
  s.masterServer = Text(ini, "masterServer", QStringLiteral("master.333networks.com")).trimmed();
  if (s.masterServer.isEmpty()) s.masterServer = QStringLiteral("master.333networks.com");

  if (StampBelow(s.stamp, QString::fromLatin1(kVersionStamp))) SeedUt99Keys(s.ut99Keys);
  LoadUt99Keys(ini, s);
  s.ut99iniWidth = RangedInteger(ini, QStringLiteral("ut99iniWidth"), 650, 50, 2000, 650);
  s.ut99iniHeight = RangedInteger(ini, QStringLiteral("ut99iniHeight"), 585, 50, 1600, 585);
}

void SaveGridSort(TIniDocument& ini, const QString& gridName, const TGridSort& sort) {
  ini.WriteInteger(kSettings, gridName + QStringLiteral("SortCol"), sort.column);
  ini.WriteString(
      kSettings, gridName + QStringLiteral("SortColDirection"),
      sort.direction == TSortDirection::Ascending ? QStringLiteral("up") : QStringLiteral("down"));
}

bool SaveSettings(TIniDocument& ini, const TSettings& s, const TServerStash& stash) {
  const auto text = [&](const char* key, const QString& value) {
    ini.WriteString(kSettings, QString::fromLatin1(key), value);
  };
  const auto number = [&](const char* key, qint64 value) {
    ini.WriteInteger(kSettings, QString::fromLatin1(key), value);
  };
  const auto flag = [&](const char* key, bool value) {
    WriteFlag(ini, kSettings, QString::fromLatin1(key), value);
  };

  text("Zorvane", QString::fromLatin1(kVersionStamp));
  SaveFavorites(ini, stash);
  WriteNameList(ini, "player", "player", s.watchedPlayers);
  WriteNameList(ini, "map", "map", s.watchedMaps);

  number("localPort", s.localPort);
  number("refreshRate", s.refreshRate);
  number("windowWidth", s.windowWidth);
  number("windowHeight", s.windowHeight);
  number("pingWaitTime", s.pingWaitTime);
  text("defaultVersion", s.defaultVersion);
  text("defaultGame", s.defaultGame);
  text("serverOnlineSound", s.serverOnlineSound);
  text("serverPopulatedSound", s.serverPopulatedSound);
  text("playerOnlineSound", s.playerOnlineSound);
  text("fontName", s.fontName);
  number("fontSize", s.fontSize);

  flag("autoRefreshSelectedServerOnly", s.autoRefreshSelectedServerOnly);
  flag("confirmServerDelete", s.confirmServerDelete);
  flag("confirmPlayerDelete", s.confirmPlayerDelete);
  flag("confirmMapDelete", s.confirmMapDelete);
  flag("exactMatchPlayer", s.exactMatchPlayer);
  flag("exactMatchServer", s.exactMatchServer);
  flag("morePlayerInfo", s.morePlayerInfo);
  flag("skipPercentageInfo", s.skipPercentageInfo);
  flag("skipDefaultPathsInfo", s.skipDefaultPathsInfo);

  text("lastSelectedServer", s.lastSelectedServer);
  text("startupQuery", s.startupQuery);
  number("lastActivePageIndex", s.lastActivePageIndex);
  number("infoHeight", s.infoHeight.value_or(0));
  number("playerWidth", s.playerWidth.value_or(0));

  flag("autoPingServer", s.autoPingServer);
  flag("tabsMultiline", s.tabsMultiline);
  flag("minimizeOnJoin", s.minimizeOnJoin);
  flag("syncFaves", s.syncFaves);
  flag("autoCheckNewVersion", s.autoCheckNewVersion);
  flag("showToolbar", s.showToolbar);
  flag("startInTray", s.startInTray);

  for (int grid = 0; grid < 5; ++grid)
    SaveGridSort(ini, QString::fromLatin1(kGridNames[grid]), s.sorts[grid]);

  text("filterLocation", s.filterLocation);
  number("queryPower", s.queryPower);
  number("iconGroup", s.iconGroup);
  number("ut99iniWidth", s.ut99iniWidth);
  number("ut99iniHeight", s.ut99iniHeight);
  text("masterServer", s.masterServer);

  const TFilterSet favorites = s.FiltersOf(QStringLiteral("Favorite"));
  for (int i = 0; i < kFilterCount; ++i)
    WriteFlag(ini, QStringLiteral("filterInfo"),
              QString::fromLatin1(kFilterNames[i]) + QStringLiteral("Used"), favorites.used[i]);

  const QString ut99 = QStringLiteral("ut99ini");
  ini.EraseSection(ut99);
  ini.WriteInteger(ut99, QStringLiteral("count"), qint64(s.ut99Keys.size()));
  for (int i = 0; i < int(s.ut99Keys.size()); ++i) {
    const TINIInfo& key = s.ut99Keys[i];
    ini.WriteString(
        ut99, Indexed("", i),
        key.Section + u'|' + key.Key + (key.Comment.isEmpty() ? QString() : u'|' + key.Comment));
  }

  for (int grid = 0; grid < 5; ++grid)
    SaveColumnWidths(ini, kGridNames[grid], s.columnWidths[grid], grid < 3);

  for (const char* key : {"utDirectory", "gameTypeFilter", "selectPlayerWillSelectServer",
                          "estimateTimeRemainingNot", "versionFilter", "playersFilter"})
    ini.DeleteKey(kSettings, QString::fromLatin1(key));
  if (s.stamp == u"0") {
    for (const char* section :
         {"utDirectory", "Favorite", "DeathMatchPlus", "CTFGame", "Domination", "TeamGamePlus",
          "Assault", "LastManStanding", "ThieveryDeathMatchPlus", "ThieveryThiefMatch",
          "ThieveryCooperative", "TO340", "TO350", "Other"})
      ini.EraseSection(QString::fromLatin1(section));
  }
  return ini.UpdateFile();
}

int RefreshRateFromText(const QString& text) {
  static constexpr struct {
    const char* text;
    int ms;
  } kRates[] = {{"5 seconds", 5000},    {"10 seconds", 10000},  {"30 seconds", 30000},
                {"1 minute", 60000},    {"2 minutes", 120000},  {"5 minutes", 300000},
                {"10 minutes", 600000}, {"15 minutes", 900000}, {"30 minutes", 1800000}};
  for (const auto& rate : kRates)
    if (text.compare(QLatin1StringView(rate.text), Qt::CaseInsensitive) == 0) return rate.ms;
  return 0;
}

std::optional<TFavoriteEntry> ParseFavoriteEntry(const QString& entry) {
  if (entry.isEmpty()) return std::nullopt;
  const QStringList parts = entry.split(u'\\');
  TFavoriteEntry f;
  f.address = parts.value(0);
  f.port = parts.value(1);
  f.autoUpdateDescription = parts.value(2);
  f.description = parts.value(3);
  // One surplus field between the description and the game is skipped.
  if (parts.size() == 5) f.game = parts[4];
  if (parts.size() > 5) f.game = parts.mid(5).join(u'\\');
  // A game that is no variant (a name with a backslash once shifted the fields) would never
  // be queried; the server is kept with the default one.
  if (QueryProtocolOf(f.game) == TQueryProtocol::None) f.game = QStringLiteral("UT");
  static const QRegularExpression kPort(QStringLiteral("^-?[0-9]+$"));
  if (!kPort.match(f.port).hasMatch()) return std::nullopt;
  return f;
}

std::optional<TINIInfo> ParseUt99Entry(const QString& entry) {
  const qsizetype bar = entry.indexOf(u'|');
  if (bar <= 0) return std::nullopt;
  TINIInfo info;
  info.Section = entry.left(bar);
  const QString rest = entry.mid(bar + 1);
  const qsizetype next = rest.indexOf(u'|');
  if (next > 0) {
    info.Key = rest.left(next);
    info.Comment = rest.mid(next + 1);
  } else {
    info.Key = rest;
  }
  if (info.Section.isEmpty() || info.Key.isEmpty()) return std::nullopt;
  return info;
}

namespace {

bool Ut99KeyBefore(const TINIInfo& a, const TINIInfo& b) {
  const int bySection = a.Section.compare(b.Section, Qt::CaseInsensitive);
  return bySection != 0 ? bySection < 0 : a.Key.compare(b.Key, Qt::CaseInsensitive) < 0;
}

}  // namespace

bool AddUt99Key(std::vector<TINIInfo>& keys, const TINIInfo& key) {
  const auto at = std::lower_bound(keys.begin(), keys.end(), key, Ut99KeyBefore);
  if (at != keys.end() && !Ut99KeyBefore(key, *at)) return false;
  keys.insert(at, key);
  return true;
}

void AddUt99Keys(std::vector<TINIInfo>& keys, std::vector<TINIInfo> more) {
  // One sort for the lot: a sorted insert per entry is quadratic in a long list.
  keys.insert(keys.end(), std::make_move_iterator(more.begin()),
              std::make_move_iterator(more.end()));
  std::stable_sort(keys.begin(), keys.end(), Ut99KeyBefore);
  // Of equal entries the earliest stays: those already listed, then file order.
  const auto same = [](const TINIInfo& a, const TINIInfo& b) {
    return !Ut99KeyBefore(a, b) && !Ut99KeyBefore(b, a);
  };
  keys.erase(std::unique(keys.begin(), keys.end(), same), keys.end());
}

void SeedUt99Keys(std::vector<TINIInfo>& keys) {
  const QString adsl = QStringLiteral("Typically 20000 for ADSL connection");
  const TINIInfo seeds[] = {
      {"Engine.Player", "ConfiguredInternetSpeed", adsl},
      {"Engine.Player", "ConfiguredLanSpeed", adsl},
      {"WinDrv.WindowsClient", "StartupFullscreen", {}},
      {"Core.System", "PurgeCacheDays", {}},
      {"Engine.GameEngine", "CacheSizeMegs", "They say that 384 is the most you will ever need"},
      {"Engine.GameReplicationInfo", "ServerName", {}},
      {"Engine.GameReplicationInfo", "AdminName", {}},
      {"Engine.GameReplicationInfo", "AdminEmail", {}},
      {"Engine.GameReplicationInfo", "MOTDLine1", "MOTD stands for Message Of The Day"},
      {"Engine.GameReplicationInfo", "MOTDLine2", {}},
      {"Engine.GameReplicationInfo", "MOTDLine3", {}},
      {"Engine.GameReplicationInfo", "MOTDLine4", {}},
  };
  for (const TINIInfo& seed : seeds) AddUt99Key(keys, seed);
}

}  // namespace zorvane
