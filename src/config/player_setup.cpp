// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/player_setup.h"

#include <QFileInfo>

#include "config/game_tables.h"
#include "config/ini_document.h"
#include "config/ini_utils.h"
#include "query/vocabulary.h"

namespace zorvane {

namespace {

QString L1(const char* text) {
  return QString::fromLatin1(text);
}

bool SameText(const QString& a, const char* b) {
  return a.compare(QLatin1StringView(b), Qt::CaseInsensitive) == 0;
}

// The defaults a missing key reads as.
constexpr const char* kTeamDefault = "255";
constexpr const char* kNeverAutoSwitchDefault = "False";

const TGameInfo* UserPathsOf(const TGameTables& tables, const QString& game) {
  const TGameInfo* paths = tables.FindPaths(game);
  return paths && !paths->UserPath.Value.isEmpty() ? paths : nullptr;
}

}  // namespace

bool IsUTGame(const TGame& game) {
  return SameText(game.Value.Value, "UT");
}

QStringList TeamChoices(bool utGame) {
  QStringList teams{QString(), QStringLiteral("red"), QStringLiteral("blue")};
  if (utGame) teams << QStringLiteral("green") << QStringLiteral("gold");
  return teams;
}

QString PlayerNameAsWritten(const QString& name) {
  return name.isEmpty() ? L1(kEmptyNameReplacement) : name.left(kMaxPlayerNameLength);
}

TPlayerValues ReadPlayerValues(const TIniDocument& ini, bool utGame) {
  TPlayerValues values;
  values.name = ini.ReadString(L1(kPlayerSection), L1(kPlayerNameKey), QString());
  values.team =
      TeamColourName(ini.ReadString(L1(kPlayerSection), L1(kPlayerTeamKey), L1(kTeamDefault)));
  if (utGame) {
    values.spectator = SameText(ini.ReadString(L1(kPlayerSection), L1(kPlayerClassKey), QString()),
                                kSpectatorClass);
    values.autoSwitch = !SameText(
        ini.ReadString(L1(kPawnSection), L1(kNeverAutoSwitchKey), L1(kNeverAutoSwitchDefault)),
        "True");
  }
  return values;
}

std::vector<TIniEdit> PlayerValueEdits(const TPlayerValues& read, const TPlayerValues& shown,
                                       bool utGame) {
  const QString player = L1(kPlayerSection);
  std::vector<TIniEdit> edits;
  if (shown.name != read.name)
    edits.push_back({player, L1(kPlayerNameKey), PlayerNameAsWritten(shown.name)});
  if (shown.team != read.team)
    edits.push_back({player, L1(kPlayerTeamKey), TeamColourIndex(shown.team)});
  if (!utGame) return edits;
  if (shown.spectator != read.spectator)
    edits.push_back(
        {player, L1(kPlayerClassKey), shown.spectator ? L1(kSpectatorClass) : QString()});
  if (shown.autoSwitch != read.autoSwitch)
    edits.push_back({L1(kPawnSection), L1(kNeverAutoSwitchKey),
                     shown.autoSwitch ? QStringLiteral("False") : QStringLiteral("True")});
  return edits;
}

QStringList PlayerSetupGames(const TGameTables& tables) {
  QStringList games;
  for (const auto& game : tables.games)
    if (UserPathsOf(tables, game->Name.Value)) games << game->Name.Value;
  return games;
}

QString FirstPlayerSetupGame(const TGameTables& tables, const QString& defaultGame) {
  const TGame* game = tables.FindGame(defaultGame);
  if (!game) return QString();
  if (UserPathsOf(tables, game->Name.Value)) return game->Name.Value;
  const QStringList games = PlayerSetupGames(tables);
  return games.isEmpty() ? QString() : games.first();
}

TPlayerSetupFiles::TPlayerSetupFiles(const TGameTables& tables) : tables_(tables) {}

TPlayerSetupFiles::~TPlayerSetupFiles() = default;

const TPlayerValues* TPlayerSetupFiles::Open(const QString& game) {
  openError_.clear();
  const auto found = files_.find(game.toLower());
  if (found != files_.end()) return &found->second.shown;
  const TGameInfo* paths = UserPathsOf(tables_, game);
  const TGame* record = tables_.FindGame(game);
  if (!paths || !record) return nullptr;
  const QString path = paths->UserPath.Value;
  // A missing file is not made up: the game writes its own on its first run.
  if (!QFileInfo(path).isFile()) {
    openError_ = QStringLiteral("Could not find ") + path;
    return nullptr;
  }
  TIniDocument ini(path);
  if (!ini.LoadText()) {
    openError_ = CouldNotOpenText(ini);
    return nullptr;
  }
  TGameFile file{path, IsUTGame(*record), {}, {}};
  file.read = file.shown = ReadPlayerValues(ini, file.utGame);
  return &files_.insert_or_assign(game.toLower(), std::move(file)).first->second.shown;
}

TPlayerValues TPlayerSetupFiles::Keep(const QString& game, const TPlayerValues& shown) {
  const auto found = files_.find(game.toLower());
  if (found == files_.end()) return shown;
  TGameFile& file = found->second;
  file.shown = shown;
  if (shown.name != file.read.name) file.shown.name = PlayerNameAsWritten(shown.name);
  return file.shown;
}

QStringList TPlayerSetupFiles::WriteChanges() const {
  QStringList failures;
  for (const auto& [name, file] : files_) {
    const TIniWrite result =
        WriteIniEdits(file.path, PlayerValueEdits(file.read, file.shown, file.utGame));
    if (result != TIniWrite::Written) failures << IniWriteFailure(result, file.path);
  }
  return failures;
}

}  // namespace zorvane
