// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The games, their paths and the game types, kept in "utGameType.ini". Each game type gets a
// tab (a server view) of its own; "Other", "Favorite" and "LAN" are built in.

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "config/ini_document.h"
#include "config/game_records.h"

namespace zorvane {

struct TSettings;

inline constexpr const char* kGameTypeFileName = "utGameType.ini";
inline constexpr const char* kOtherType = "Other";
inline constexpr const char* kFavoriteType = "Favorite";
// The servers a LAN search found: a view of its own, shown or hidden like the others.
inline constexpr const char* kLanType = "LAN";

// "Other", "Favorite" or "LAN": a view of the program's own, never a type a server reports.
bool IsBuiltInGameType(const QString& name);

struct TGameTables {
  std::vector<std::unique_ptr<TGame>> games;
  std::vector<std::unique_ptr<TGameInfo>> paths;  // one per game, in the same order
  std::vector<std::unique_ptr<TGameType>> gameTypes;

  // Look-ups by name, ignoring case; null when missing.
  TGame* FindGame(const QString& name) const;
  TGameInfo* FindPaths(const QString& gameName) const;
  TGameType* FindGameType(const QString& name) const;
};

// Writes the built-in games and 27 game types into a new game-type file and saves it.
bool CreateDefaultGameTypes(TIniDocument& ini);
// The same defaults, in memory only.
void WriteDefaultGameTypes(TIniDocument& ini);

void LoadGames(const TIniDocument& ini, TGameTables& tables);
void LoadGameTypes(const TIniDocument& ini, TGameTables& tables);
void LoadGamePaths(const TIniDocument& ini, TGameTables& tables);
// "Other" first (from its section), then "Favorite" and "LAN" (its tab shown unless its section
// says otherwise) last.
void AddBuiltInGameTypes(const TIniDocument& ini, TGameTables& tables);

// Adds a game type (and its game, with the family, when missing); nothing when listed.
void AddGameTypeIfMissing(TGameTables& tables, const QString& family, const QString& game,
                          bool tabVisible, const QString& description, const QString& gameType);

// The one-time steps for files of older versions, by the settings file's stamp.
void MigrateGameTypes(TGameTables& tables, const QString& stamp, bool gameTypeFileExisted);
// Pre-stamp settings files kept one directory per game in section "utDirectory".
void MigrateGamePaths(const TIniDocument& settingsIni, TGameTables& tables);
// Pre-stamp settings files kept each type's tab visibility in a section of its own.
void MigrateTabVisibility(const TIniDocument& settingsIni, TGameTables& tables);

// Whether a game of this name would keep its paths in a section the file already uses for
// something else: a game "Type" has its paths in "gameType", the game-type list. The games
// dialog refuses such a name; a game loaded with one keeps its paths in memory only.
bool GameNameCollidesWithSection(const TGameTables& tables, const QString& gameName);
// The same for a game type, whose settings have a section named after it: "game", "gameType"
// and every game's paths section are taken.
bool GameTypeNameCollidesWithSection(const TGameTables& tables, const QString& typeName);

using TLogLine = std::function<void(const QString& line)>;

// Writes the tables (with each type's filter values) into the document and saves it. A
// section that would land on another one (see above) is not written; log says so.
bool SaveGameTypes(TIniDocument& ini, const TGameTables& tables, const TSettings& settings,
                   const TLogLine& log = {});

// Looks up the default value of a key under the registry's root of file classes.
using TClassesLookup = std::function<QString(const QString& key)>;
// Turns a Windows directory from the registry into a local one (empty when it cannot).
using TPathMapper = std::function<QString(const QString& windowsDirectory)>;

// The folder in front of exeBase + ".exe" in a registry open command: C:\UT\System\ of
// "C:\UT\System\UnrealTournament.exe" "%1". Empty when the name does not occur.
QString WindowsDirectoryOfCommand(const QString& command, const QString& exeBase);

// True when the game is not listed, has all three paths, or was found (then only its empty
// paths are filled).
bool DetectGamePaths(TGameTables& tables, const QString& game, const QString& exeBase,
                     const QString& classesKey, const TClassesLookup& lookup,
                     const TPathMapper& mapPath);
// Whether any game has any of its three paths.
bool AnyGamePath(const TGameTables& tables);
// The chain run at start: UT, then UT2003, then UT2004, until one returns true.
bool DetectInstalledGames(TGameTables& tables, const TClassesLookup& lookup,
                          const TPathMapper& mapPath);

}  // namespace zorvane
