// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/player_setup.h"

#include <QFileInfo>

#include "config/game_tables.h"
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

// The defaults a missing key reads as; writing the same text again would only add a line.
constexpr const char* kTeamDefault = "255";
constexpr const char* kNeverAutoSwitchDefault = "False";

void WriteIfChanged(TIniDocument& ini, const char* section, const char* key, const char* def,
                    const QString& text) {
  if (ini.ReadString(L1(section), L1(key), L1(def)) != text)
    ini.WriteString(L1(section), L1(key), text);
}

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

QString WritePlayerValues(TIniDocument& ini, const TPlayerValues& values, bool utGame) {
  const QString name = PlayerNameAsWritten(values.name);
  WriteIfChanged(ini, kPlayerSection, kPlayerNameKey, "", name);
  WriteIfChanged(ini, kPlayerSection, kPlayerTeamKey, kTeamDefault, TeamColourIndex(values.team));
  if (utGame) {
    WriteIfChanged(ini, kPlayerSection, kPlayerClassKey, "",
                   values.spectator ? L1(kSpectatorClass) : QString());
    WriteIfChanged(ini, kPawnSection, kNeverAutoSwitchKey, kNeverAutoSwitchDefault,
                   values.autoSwitch ? QStringLiteral("False") : QStringLiteral("True"));
  }
  return name;
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

TIniDocument* TPlayerSetupFiles::Open(const QString& game) {
  openError_.clear();
  if (TIniDocument* loaded = Loaded(game)) return loaded;
  const TGameInfo* paths = UserPathsOf(tables_, game);
  if (!paths) return nullptr;
  const QString path = paths->UserPath.Value;
  // A missing file is not made up: the game writes its own on its first run.
  if (!QFileInfo(path).isFile()) {
    openError_ = QStringLiteral("Could not find ") + path;
    return nullptr;
  }
  auto file = std::make_unique<TIniDocument>(path);
  if (!file->Load()) {
    openError_ = CouldNotOpenText(*file);
    return nullptr;
  }
  TIniDocument* opened = file.get();
  files_[game.toLower()] = std::move(file);
  return opened;
}

TIniDocument* TPlayerSetupFiles::Loaded(const QString& game) const {
  const auto found = files_.find(game.toLower());
  return found == files_.end() ? nullptr : found->second.get();
}

QStringList TPlayerSetupFiles::WriteAll() const {
  QStringList failed;
  for (const auto& [name, file] : files_)
    if (!file->UpdateFile()) failed << file->Path();
  return failed;
}

}  // namespace zorvane
