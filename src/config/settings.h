// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The settings file "zorvane.ini": every preference, the favourites, the watched players and
// maps, the layout and the UT99 engine keys. Read once at start, written once at close; in
// between the values live here (and, once they exist, in the window and its views).

#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "config/filter_set.h"
#include "config/grid_sort.h"
#include "config/ini_document.h"
#include "config/version.h"
#include "config/game_records.h"

namespace zorvane {

class TServerStash;

inline constexpr const char* kSettingsFileName = "zorvane.ini";
// The stamp written to the settings file is the program's version.
inline constexpr const char* kVersionStamp = kVersionText;
inline constexpr const char* kSettingsSection = "settings";

// The plain values (those without an initialiser here) take their defaults from the table in
// settings_table.cpp, which also names their keys and ranges.
struct TSettings {
  TSettings();

  QString stamp = QStringLiteral("0");  // the stamp read at start
  QString fontName;
  int fontSize;
  bool skipDefaultPathsInfo;
  bool debug = false;
  bool tabsMultiline;
  bool autoPingServer;
  QString filterLocation;
  int localPort;
  int refreshRate;
  int pingWaitTime;
  bool autoRefreshSelectedServerOnly;
  int windowWidth;
  int windowHeight;
  std::optional<int> infoHeight;   // empty: as designed
  std::optional<int> playerWidth;  // empty: as designed
  QStringList watchedPlayers;
  QStringList watchedMaps;
  bool confirmServerDelete;
  bool confirmPlayerDelete;
  bool confirmMapDelete;
  QString lastSelectedServer;
  QString defaultVersion;
  QString defaultGame;
  QString serverOnlineSound;
  QString serverPopulatedSound;
  QString playerOnlineSound;
  QString startupQuery;
  int lastActivePageIndex;
  bool exactMatchPlayer;
  bool exactMatchServer;
  bool skipPercentageInfo;
  std::array<TGridSort, 5> sorts{};
  std::array<std::vector<int>, 5> columnWidths;
  bool morePlayerInfo;
  bool minimizeOnJoin;
  bool syncFaves;
  bool autoCheckNewVersion;
  int queryPower;
  bool showToolbar;
  int iconGroup;
  bool startInTray;
  std::vector<TINIInfo> ut99Keys;  // sorted by section and key, ignoring case
  QString masterServer;            // "HOST" or "HOST:PORT": the first of the UT masters
  // The masters asked for each game's list, by variant ("UT", "UT2004", "UT2003"); section
  // "masterServers" (master_lists.h).
  std::map<QString, QStringList> masterLists;
  QString versionHost;             // "HOST" or "HOST:PORT"; empty: no version check
  int lanSearchWait;               // milliseconds a LAN search listens for answers
  QString lanAddresses;            // whom a LAN search asks; blank: every interface's broadcast
  bool serverHistory;              // replies are kept in "history.sqlite"
  bool desktopNotifications;       // watched players and maps through the desktop's notices
  int ut99iniWidth;
  int ut99iniHeight;
  bool offeredUT2004Tabs;  // the tabs of UT2004's game types were offered (tab_offer.h)
  // Filters by game-type name (lower-cased); the favourites' set is saved as "filterInfo".
  QHash<QString, TFilterSet> filters;

  TFilterSet& FiltersOf(const QString& gameType) { return filters[gameType.toLower()]; }
  TFilterSet FiltersOf(const QString& gameType) const { return filters.value(gameType.toLower()); }
};

inline constexpr int kIconGroups = 5;

// Stamps compare as plain text, character by character ("2.9" is below "2.91").
bool StampBelow(const QString& stamp, const QString& than);

// Reads the values start-up needs before anything else: the stamp, the font, the
// "no installation found" flag and debug.
void LoadStartupSettings(const TIniDocument& ini, TSettings& settings);

// Reads everything else. The game types name the filter sets to load; favourites are added
// to the stash. settings.stamp must hold the stamp read at start.
void LoadSettings(const TIniDocument& ini, const TIniDocument& gameTypeIni,
                  const std::vector<std::unique_ptr<TGameType>>& gameTypes, TServerStash& stash,
                  TSettings& settings);
void LoadFilters(const TIniDocument& ini, const TIniDocument& gameTypeIni, const QString& gameType,
                 TSettings& settings);

// Writes the settings file's values into the document and the document to disk.
bool SaveSettings(TIniDocument& ini, const TSettings& settings, const TServerStash& stash);
void SaveGridSort(TIniDocument& ini, const QString& gridName, const TGridSort& sort);

// "5 seconds" -> 5000 ... "30 minutes" -> 1800000; "none" and anything else -> 0.
int RefreshRateFromText(const QString& text);

// One favourite of section "server": address\port\autoUpdate\description[\...\game].
struct TFavoriteEntry {
  QString address, port, autoUpdateDescription, description, game;
};
std::optional<TFavoriteEntry> ParseFavoriteEntry(const QString& entry);

// One entry of section "ut99ini": section|key[|comment].
std::optional<TINIInfo> ParseUt99Entry(const QString& entry);
// Adds keeping the list sorted; false for an entry whose section and key are present.
bool AddUt99Key(std::vector<TINIInfo>& keys, const TINIInfo& key);
// Adds many at once (sorting once); an entry whose section and key are present, or appear
// earlier in more, is dropped.
void AddUt99Keys(std::vector<TINIInfo>& keys, std::vector<TINIInfo> more);
void SeedUt99Keys(std::vector<TINIInfo>& keys);
// Adds the entries of section "ut99ini" to settings.ut99Keys.
void LoadUt99Keys(const TIniDocument& ini, TSettings& settings);

}  // namespace zorvane
