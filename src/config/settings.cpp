// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/settings.h"

#include <QRegularExpression>
#include <algorithm>

#include "config/ini_utils.h"
#include "config/master_lists.h"
#include "config/settings_table.h"
#include "query/network_text.h"
#include "query/server_stash.h"
#include "query/vocabulary.h"

namespace zorvane {

namespace {

const QString kSettings = QString::fromLatin1(kSettingsSection);
const QString kStampKey = QStringLiteral("Zorvane");

QString Indexed(const char* prefix, int i) {
  return QString::fromLatin1(prefix) + u'[' + QString::number(i) + u']';
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
  const auto read = [&](const TSettingMember& member, int& value) {
    return ReadInteger(ini.ReadString(kSettings, SettingKey(member), QStringLiteral("0")), value);
  };
  int width = 0, height = 0, info = 0, player = 0;
  if (!read(&TSettings::windowWidth, width)) return;
  if (!read(&TSettings::windowHeight, height)) return;
  const bool sized = width >= 1 && width <= 1999 && height >= 1 && height <= 1999;
  const TSettings designed;
  s.windowWidth = sized ? width : designed.windowWidth;
  s.windowHeight = sized ? height : designed.windowHeight;
  if (!read(&TSettings::infoHeight, info)) return;
  if (info >= 1 && info <= 1499) s.infoHeight = std::min(info, s.windowHeight);
  if (!read(&TSettings::playerWidth, player)) return;
  if (player >= 1 && player <= 1499) s.playerWidth = std::min(player, s.windowWidth);
}

}  // namespace

TSettings::TSettings() {
  for (const TSettingEntry& entry : SettingsTable()) SetDefault(entry, *this);
  for (const TMasterGame& game : kMasterGames) {
    const QString variant = QString::fromLatin1(game.variant);
    masterLists[variant] = DefaultMasterList(variant);
  }
}

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
  s.stamp = ini.ReadString(kSettings, kStampKey, QStringLiteral("0"));
  for (const TSettingEntry& entry : SettingsTable())
    if (entry.atStartup) LoadSetting(ini, entry, s);
  s.debug = !ini.ReadString(kSettings, QStringLiteral("debug"), QString()).isEmpty();
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
  for (const TSettingEntry& entry : SettingsTable())
    if (!entry.atStartup) LoadSetting(ini, entry, s);
  LoadWindowLayout(ini, s);
  LoadMasterLists(ini, s);

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

  LoadFavorites(ini, stash);
  s.watchedPlayers = ReadNameList(ini, "player", "player");
  s.watchedMaps = ReadNameList(ini, "map", "map");

  for (int grid = gnServer; grid <= gnMap; ++grid) s.sorts[grid - 1] = LoadGridSort(ini, grid);
  for (int grid = 0; grid < 5; ++grid)
    s.columnWidths[grid] = LoadColumnWidths(ini, kGridNames[grid]);

  if (StampBelow(s.stamp, QString::fromLatin1(kVersionStamp))) SeedUt99Keys(s.ut99Keys);
  LoadUt99Keys(ini, s);
}

void SaveGridSort(TIniDocument& ini, const QString& gridName, const TGridSort& sort) {
  ini.WriteInteger(kSettings, gridName + QStringLiteral("SortCol"), sort.column);
  ini.WriteString(
      kSettings, gridName + QStringLiteral("SortColDirection"),
      sort.direction == TSortDirection::Ascending ? QStringLiteral("up") : QStringLiteral("down"));
}

bool SaveSettings(TIniDocument& ini, const TSettings& s, const TServerStash& stash) {
  ini.WriteString(kSettings, kStampKey, QString::fromLatin1(kVersionStamp));
  SaveFavorites(ini, stash);
  WriteNameList(ini, "player", "player", s.watchedPlayers);
  WriteNameList(ini, "map", "map", s.watchedMaps);

  for (const TSettingEntry& entry : SettingsTable()) {
    // A new file holds the grid sorts between startInTray and filterLocation.
    if (entry.member == TSettingMember(&TSettings::filterLocation))
      for (int grid = 0; grid < 5; ++grid)
        SaveGridSort(ini, QString::fromLatin1(kGridNames[grid]), s.sorts[grid]);
    SaveSetting(ini, entry, s);
  }

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
  SaveMasterLists(ini, s);

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
