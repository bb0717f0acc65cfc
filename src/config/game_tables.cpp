// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/game_tables.h"

#include <QDir>
#include <QSet>

#include "config/ini_utils.h"
#include "config/settings.h"

namespace zorvane {

namespace {

const QString kGameSection = QStringLiteral("game");
const QString kGameTypeSection = QStringLiteral("gameType");

bool Same(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

template <typename T, typename Name>
T* FindByName(const std::vector<std::unique_ptr<T>>& list, const QString& name, Name nameOf) {
  for (const auto& item : list)
    if (Same(nameOf(*item), name)) return item.get();
  return nullptr;
}

// Key names in file order without empty names; of names equal ignoring case the last stays.
QStringList CleanNames(const QStringList& names) {
  QStringList clean;
  QSet<QString> seen;
  for (auto it = names.crbegin(); it != names.crend(); ++it) {
    if (it->isEmpty() || seen.contains(it->toLower())) continue;
    seen.insert(it->toLower());
    clean.prepend(*it);
  }
  return clean;
}

// Built from the name as its key is written, so that a name from a hand-made file with a
// control character at its start finds the same section when the saved file is read again.
QString PathSection(const QString& game) {
  return kGameSection + TIniDocument::NameAsWritten(game);
}

struct TDefaultType {
  const char* name;
  const char* description;
  const char* game;
  bool team;
  bool visible;
};

constexpr TDefaultType kDefaultTypes[] = {
    {"ONSOnslaughtGame", "Onslaught", "UT2004", true, false},
    {"xMutantGame", "Mutant", "UT2004", true, false},
    {"Invasion", "Invasion", "UT2004", true, false},
    {"xBombingRun", "Bombing Run", "UT2004", true, false},
    {"xLastManStandingGame", "2K4 Last Man", "UT2004", false, false},
    {"ASGameInfo", "2K4 Assault", "UT2004", true, false},
    {"xTeamGame", "2K4 Team DM", "UT2004", true, false},
    {"xDoubleDom", "Double Domination", "UT2004", true, false},
    {"xCTFGame", "2K4 CTF", "UT2004", true, false},
    {"xDeathMatch", "2K4 Death Match", "UT2004", false, false},
    {"SmartCTFGame", "Smart CTF", "UT", true, false},
    {"MonsterHunt", "Monster Hunt", "UT", true, false},
    {"BTGame", "BT Game", "BunnyTrack", false, false},
    {"BTctf", "BT CTF", "BunnyTrack", true, false},
    {"BunnyTrackGame", "Bunny Track", "BunnyTrack", false, false},
    {"s_SWATGame", "Tac Ops SWAT", "TacticalOps", true, false},
    {"TO340", "Tac Ops 3.4", "TacticalOps", true, false},
    {"TO350", "Tac Ops 3.5", "TacticalOps", true, false},
    {"ThieveryCooperative", "Thief Co-Op", "Thievery", false, false},
    {"ThieveryThiefMatch", "Thief Match", "Thievery", false, false},
    {"ThieveryDeathMatchPlus", "Thievery", "Thievery", false, false},
    {"LastManStanding", "Last Man", "UT", false, true},
    {"Assault", "Assault", "UT", true, true},
    {"TeamGamePlus", "Team DM", "UT", true, true},
    {"Domination", "Domination", "UT", true, true},
    {"CTFGame", "CTF", "UT", true, true},
    {"DeathMatchPlus", "Death Match", "UT", false, true},
};

}  // namespace

TGame* TGameTables::FindGame(const QString& name) const {
  return FindByName(games, name, [](const TGame& g) { return g.Name.Value; });
}

TGameInfo* TGameTables::FindPaths(const QString& gameName) const {
  for (std::size_t i = 0; i < games.size() && i < paths.size(); ++i)
    if (Same(games[i]->Name.Value, gameName)) return paths[i].get();
  return nullptr;
}

TGameType* TGameTables::FindGameType(const QString& name) const {
  return FindByName(gameTypes, name, [](const TGameType& t) { return t.Name.Value; });
}

bool CreateDefaultGameTypes(TIniDocument& ini) {
  WriteDefaultGameTypes(ini);
  return ini.UpdateFile();
}

void WriteDefaultGameTypes(TIniDocument& ini) {
  static constexpr const char* kGames[][2] = {{"UT", "UT"},
                                              {"UT2003", "UT2004"},
                                              {"UT2004", "UT2004"},
                                              {"UT2003 Demo", "UT2004"},
                                              {"UT2004 Demo", "UT2004"},
                                              {"TacticalOps", "UT"},
                                              {"Thievery", "UT"},
                                              {"BunnyTrack", "UT"}};
  for (const auto& game : kGames)
    ini.WriteString(kGameSection, QString::fromLatin1(game[0]), QString::fromLatin1(game[1]));
  for (const TDefaultType& type : kDefaultTypes) {
    const QString name = QString::fromLatin1(type.name);
    ini.WriteString(kGameTypeSection, name, QString());
    ini.WriteString(name, QStringLiteral("game"), QString::fromLatin1(type.game));
    ini.WriteString(name, QStringLiteral("description"), QString::fromLatin1(type.description));
    WriteFlag(ini, name, QStringLiteral("teamGame"), type.team);
    WriteFlag(ini, name, QStringLiteral("tabVisible"), type.visible);
  }
  ini.WriteString(QString::fromLatin1(kOtherType), QStringLiteral("description"),
                  QString::fromLatin1(kOtherType));
  WriteFlag(ini, QString::fromLatin1(kOtherType), QStringLiteral("tabVisible"), true);
}

void LoadGames(const TIniDocument& ini, TGameTables& tables) {
  for (const QString& name : CleanNames(ini.ReadSection(kGameSection))) {
    auto game = std::make_unique<TGame>();
    game->Name.Set(name);
    game->Value.Set(ini.ReadString(kGameSection, name, QString()));
    tables.games.push_back(std::move(game));
  }
}

bool IsBuiltInGameType(const QString& name) {
  return Same(name, QString::fromLatin1(kOtherType)) ||
         Same(name, QString::fromLatin1(kFavoriteType)) || Same(name, QString::fromLatin1(kLanType));
}

void LoadGameTypes(const TIniDocument& ini, TGameTables& tables) {
  for (const QString& name : CleanNames(ini.ReadSection(kGameTypeSection))) {
    if (IsBuiltInGameType(name)) continue;
    auto type = std::make_unique<TGameType>();
    type->Name.Set(name);
    type->Game.Set(ini.ReadString(name, QStringLiteral("game"), QString()));
    type->Description.Set(ini.ReadString(name, QStringLiteral("description"), QString()));
    type->TeamGame.Set(ini.ReadBool(name, QStringLiteral("teamGame"), false));
    type->TabVisible = ini.ReadBool(name, QStringLiteral("tabVisible"), true);
    tables.gameTypes.push_back(std::move(type));
  }
}

void LoadGamePaths(const TIniDocument& ini, TGameTables& tables) {
  tables.paths.clear();
  for (const auto& game : tables.games) {
    const QString section = PathSection(game->Name.Value);
    auto info = std::make_unique<TGameInfo>();
    info->ExePath.Set(ini.ReadString(section, QStringLiteral("gameExePath"), QString()));
    info->FavoritesPath.Set(
        ini.ReadString(section, QStringLiteral("gameFavoritesPath"), QString()));
    info->UserPath.Set(ini.ReadString(section, QStringLiteral("gameUserPath"), QString()));
    tables.paths.push_back(std::move(info));
  }
}

void AddBuiltInGameTypes(const TIniDocument& ini, TGameTables& tables) {
  const QString other = QString::fromLatin1(kOtherType);
  auto otherType = std::make_unique<TGameType>();
  otherType->Name.Set(other);
  otherType->Description.Set(ini.ReadString(other, QStringLiteral("description"), QString()));
  otherType->TabVisible = ini.ReadBool(other, QStringLiteral("tabVisible"), false);
  tables.gameTypes.insert(tables.gameTypes.begin(), std::move(otherType));

  auto favorite = std::make_unique<TGameType>();
  favorite->Name.Set(QString::fromLatin1(kFavoriteType));
  favorite->Description.Set(QStringLiteral("Favorites"));
  favorite->TabVisible = true;
  tables.gameTypes.push_back(std::move(favorite));

  const QString lanName = QString::fromLatin1(kLanType);
  auto lan = std::make_unique<TGameType>();
  lan->Name.Set(lanName);
  lan->Description.Set(lanName);
  lan->TabVisible = ini.ReadBool(lanName, QStringLiteral("tabVisible"), true);
  tables.gameTypes.push_back(std::move(lan));
}

void AddGameTypeIfMissing(TGameTables& tables, const QString& family, const QString& game,
                          bool tabVisible, const QString& description, const QString& gameType) {
  if (tables.FindGameType(gameType)) return;
  if (!tables.FindGame(game)) {
    auto newGame = std::make_unique<TGame>();
    newGame->Name.Set(game);
    newGame->Value.Set(family);
    tables.games.push_back(std::move(newGame));
    if (tables.paths.size() + 1 == tables.games.size())
      tables.paths.push_back(std::make_unique<TGameInfo>());
  }
  auto type = std::make_unique<TGameType>();
  type->Name.Set(gameType);
  type->Game.Set(game);
  type->Description.Set(description);
  type->TeamGame.Set(false);
  type->TabVisible = tabVisible;
  tables.gameTypes.push_back(std::move(type));
}

void MigrateGameTypes(TGameTables& tables, const QString& stamp, bool gameTypeFileExisted) {
  if (!gameTypeFileExisted) return;
  if (StampBelow(stamp, QStringLiteral("2.69"))) {
    static constexpr const char* kTypes[][3] = {{"BunnyTrackGame", "Bunny Track", "BunnyTrack"},
                                                {"BTctf", "BT CTF", "BunnyTrack"},
                                                {"BTGame", "BT Game", "BunnyTrack"},
                                                {"s_SWATGame", "Tac Ops SWAT", "TacticalOps"},
                                                {"MonsterHunt", "Monster Hunt", "UT"},
                                                {"SmartCTFGame", "Smart CTF", "UT"}};
    for (const auto& t : kTypes)
      AddGameTypeIfMissing(tables, QStringLiteral("UT"), QString::fromLatin1(t[2]), false,
                           QString::fromLatin1(t[1]), QString::fromLatin1(t[0]));
  }
  if (StampBelow(stamp, QStringLiteral("2.71"))) {
    static constexpr const char* kTypes[][2] = {
        {"ASGameInfo", "2K4 Assault"},      {"xCTFGame", "2K4 CTF"},
        {"xDeathMatch", "2K4 Death Match"}, {"xMutantGame", "2K4 Mutant"},
        {"xTeamGame", "2K4 Team DM"},       {"xLastManStandingGame", "2K4 Last Man"},
        {"ONSOnslaughtGame", "Onslaught"},  {"Invasion", "Invasion"},
        {"xBombingRun", "Bombing Run"},     {"xDoubleDom", "Double Domination"}};
    for (const auto& t : kTypes)
      AddGameTypeIfMissing(tables, QStringLiteral("UT2004"), QStringLiteral("UT2004"), false,
                           QString::fromLatin1(t[1]), QString::fromLatin1(t[0]));
  }
}

void MigrateGamePaths(const TIniDocument& settingsIni, TGameTables& tables) {
  static constexpr const char* kOld[][5] = {
      {"UT", "UT", "UnrealTournament.exe", "UnrealTournament.ini", "User.ini"},
      {"UT", "Thievery", "ThAux.exe", "ThAux.ini", "ThieveryUser.ini"},
      {"Tactical Ops", "TacticalOps", "TacticalOps.exe", "TacticalOps.ini", "User.ini"},
      {"UT2003", "UT2003", "UT2003.exe", "UT2003.ini", "User.ini"},
      {"UT2003 Demo", "UT2003 Demo", "UT2003.exe", "UT2003.ini", "User.ini"},
      {"UT2004", "UT2004", "UT2004.exe", "UT2004.ini", "User.ini"},
      {"UT2004 Demo", "UT2004 Demo", "UT2004.exe", "UT2004.ini", "User.ini"}};
  for (const auto& old : kOld) {
    QString directory = settingsIni.ReadString(QStringLiteral("utDirectory"),
                                               QString::fromLatin1(old[0]), QString());
    TGameInfo* paths = tables.FindPaths(QString::fromLatin1(old[1]));
    if (directory.isEmpty() || !paths) continue;
    const auto in = [&](const char* file) {
      return QDir::cleanPath(directory + QStringLiteral("/system/") + QString::fromLatin1(file));
    };
    paths->ExePath.Set(in(old[2]));
    paths->FavoritesPath.Set(in(old[3]));
    paths->UserPath.Set(in(old[4]));
  }
}

void MigrateTabVisibility(const TIniDocument& settingsIni, TGameTables& tables) {
  static const QStringList kNewSince = {
      "s_SWATGame",       "BunnyTrackGame", "BTGame",      "BTctf",
      "MonsterHunt",      "SmartCTFGame",   "ASGameInfo",  "xCTFGame",
      "xDeathMatch",      "xMutantGame",    "xTeamGame",   "xLastManStandingGame",
      "ONSOnslaughtGame", "Invasion",       "xBombingRun", "xDoubleDom"};
  static const QStringList kHiddenByDefault = {"ThieveryDeathMatchPlus", "ThieveryThiefMatch",
                                               "ThieveryCooperative", "TO340", "TO350"};
  for (const auto& type : tables.gameTypes) {
    const QString& name = type->Name.Value;
    if (kNewSince.contains(name, Qt::CaseInsensitive)) {
      type->TabVisible = false;
      continue;
    }
    const QString old =
        settingsIni.ReadString(name, QStringLiteral("tabVisible"), QStringLiteral("-2"));
    type->TabVisible =
        old == u"-2" ? !kHiddenByDefault.contains(name, Qt::CaseInsensitive) : old == u"1";
  }
}

bool GameNameCollidesWithSection(const TGameTables& tables, const QString& gameName) {
  const QString section = PathSection(gameName);
  for (const QString& taken : {kGameSection, kGameTypeSection, QString::fromLatin1(kOtherType),
                               QString::fromLatin1(kFavoriteType), QString::fromLatin1(kLanType)})
    if (Same(section, taken)) return true;
  return tables.FindGameType(section) != nullptr;
}

bool GameTypeNameCollidesWithSection(const TGameTables& tables, const QString& typeName) {
  if (Same(typeName, kGameSection) || Same(typeName, kGameTypeSection)) return true;
  for (const auto& game : tables.games)
    if (Same(typeName, PathSection(game->Name.Value))) return true;
  return false;
}

bool SaveGameTypes(TIniDocument& ini, const TGameTables& tables, const TSettings& settings,
                   const TLogLine& log) {
  const auto note = [&](const QString& line) {
    if (log) log(line);
  };
  ini.EraseSection(kGameTypeSection);
  for (const auto& type : tables.gameTypes) {
    const QString& name = type->Name.Value;
    const bool isOther = Same(name, QString::fromLatin1(kOtherType));
    const bool isLan = Same(name, QString::fromLatin1(kLanType));
    const bool builtIn = IsBuiltInGameType(name);
    if (!builtIn) ini.WriteString(kGameTypeSection, name, QString());
    if (Same(name, kGameSection) || Same(name, kGameTypeSection)) {
      note(QStringLiteral("Game type ") + name +
           QStringLiteral(": its settings are not saved, its section would replace the list of ") +
           (Same(name, kGameSection) ? QStringLiteral("games") : QStringLiteral("game types")));
      continue;
    }
    ini.EraseSection(name);
    if (!builtIn) {
      ini.WriteString(name, QStringLiteral("game"), type->Game.Value);
      ini.WriteString(name, QStringLiteral("description"), type->Description.Value);
      WriteFlag(ini, name, QStringLiteral("teamGame"), type->TeamGame.Value);
      WriteFlag(ini, name, QStringLiteral("tabVisible"), type->TabVisible);
    } else if (isOther) {
      ini.WriteString(name, QStringLiteral("description"), type->Description.Value);
      WriteFlag(ini, name, QStringLiteral("tabVisible"), type->TabVisible);
    } else if (isLan) {
      WriteFlag(ini, name, QStringLiteral("tabVisible"), type->TabVisible);
    }
    const TFilterSet filters = settings.FiltersOf(name);
    for (int i = 0; i < kFilterCount; ++i)
      ini.WriteString(name, QString::fromLatin1(kFilterNames[i]), filters.values[i]);
  }
  ini.EraseSection(kGameSection);
  for (std::size_t i = 0; i < tables.games.size(); ++i) {
    const TGame& game = *tables.games[i];
    ini.WriteString(kGameSection, game.Name.Value, game.Value.Value);
    const QString section = PathSection(game.Name.Value);
    if (GameNameCollidesWithSection(tables, game.Name.Value)) {
      note(QStringLiteral("Game ") + game.Name.Value +
           QStringLiteral(": its paths are not saved, section ") + section +
           QStringLiteral(" holds something else"));
      continue;
    }
    ini.EraseSection(section);
    if (i >= tables.paths.size()) continue;
    const TGameInfo& paths = *tables.paths[i];
    ini.WriteString(section, QStringLiteral("gameExePath"), paths.ExePath.Value);
    ini.WriteString(section, QStringLiteral("gameFavoritesPath"), paths.FavoritesPath.Value);
    ini.WriteString(section, QStringLiteral("gameUserPath"), paths.UserPath.Value);
  }
  return ini.UpdateFile();
}

QString WindowsDirectoryOfCommand(const QString& command, const QString& exeBase) {
  // The command is usually quoted: "C:\Games\UT\System\UnrealTournament.exe" "%1".
  const qsizetype at = command.indexOf(exeBase + QStringLiteral(".exe"), 0, Qt::CaseInsensitive);
  QString directory = at < 0 ? QString() : command.left(at).trimmed();
  if (directory.startsWith(u'"')) directory.remove(0, 1);
  return directory;
}

bool AnyGamePath(const TGameTables& tables) {
  for (const auto& paths : tables.paths)
    if (!paths->ExePath.Value.isEmpty() || !paths->FavoritesPath.Value.isEmpty() ||
        !paths->UserPath.Value.isEmpty())
      return true;
  return false;
}

bool DetectGamePaths(TGameTables& tables, const QString& game, const QString& exeBase,
                     const QString& classesKey, const TClassesLookup& lookup,
                     const TPathMapper& mapPath) {
  TGameInfo* paths = tables.FindPaths(game);
  if (!paths) return true;
  if (!paths->ExePath.Value.isEmpty() && !paths->FavoritesPath.Value.isEmpty() &&
      !paths->UserPath.Value.isEmpty())
    return true;
  const QString windowsDirectory =
      WindowsDirectoryOfCommand(lookup ? lookup(classesKey) : QString(), exeBase);
  const QString directory =
      windowsDirectory.isEmpty() || !mapPath ? QString() : mapPath(windowsDirectory);
  if (directory.isEmpty()) return false;
  const auto fill = [](TEditable<QString>& path, const QString& value) {
    if (path.Value.isEmpty()) path.Set(value);
  };
  fill(paths->ExePath, JoinPath(directory, exeBase + QStringLiteral(".exe")));
  fill(paths->FavoritesPath, JoinPath(directory, exeBase + QStringLiteral(".ini")));
  fill(paths->UserPath, JoinPath(directory, QStringLiteral("User.ini")));
  return true;
}

bool DetectInstalledGames(TGameTables& tables, const TClassesLookup& lookup,
                          const TPathMapper& mapPath) {
  return DetectGamePaths(
             tables, QStringLiteral("UT"), QStringLiteral("UnrealTournament"),
             QStringLiteral("\\Applications\\UnrealTournament.exe\\shell\\open\\command"), lookup,
             mapPath) ||
         DetectGamePaths(tables, QStringLiteral("UT2003"), QStringLiteral("UT2003"),
                         QStringLiteral("ut2003\\Shell\\open\\command"), lookup, mapPath) ||
         DetectGamePaths(tables, QStringLiteral("UT2004"), QStringLiteral("UT2004"),
                         QStringLiteral("ut2004\\Shell\\open\\command"), lookup, mapPath);
}

}  // namespace zorvane
