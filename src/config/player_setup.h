// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The player keys of the games' user INI files (name, team, spectator class, weapon
// auto-switch) and the files of one run of the player setup dialog. These are the user's own
// files: a key is written only when its text changes, every other byte stays as it was.

#include <QString>
#include <QStringList>
#include <map>
#include <memory>

#include "config/ini_document.h"

namespace zorvane {

struct TGame;
struct TGameTables;

inline constexpr const char* kPlayerSection = "DefaultPlayer";
inline constexpr const char* kPlayerNameKey = "Name";
inline constexpr const char* kPlayerTeamKey = "team";
inline constexpr const char* kPlayerClassKey = "OverrideClass";
inline constexpr const char* kPawnSection = "Engine.PlayerPawn";
inline constexpr const char* kNeverAutoSwitchKey = "bNeverAutoSwitch";
inline constexpr const char* kSpectatorClass = "Botpack.CHSpectator";
inline constexpr const char* kEmptyNameReplacement = "Player1";
inline constexpr int kMaxPlayerNameLength = 20;

// What the dialog's controls show. The spectator and auto-switch boxes count for UT games only.
struct TPlayerValues {
  QString name;
  QString team;  // the colour name ("red" ...), or empty for no team
  bool spectator = false;
  bool autoSwitch = true;

  bool operator==(const TPlayerValues&) const = default;
};

// Whether the game is one of UT's own (its variant is "UT"): only those have the spectator
// class and the auto-switch key.
bool IsUTGame(const TGame& game);

// The team list: empty, "red", "blue", and for UT games "green" and "gold".
QStringList TeamChoices(bool utGame);

// The name as it is written: its first 20 characters, "Player1" when empty.
QString PlayerNameAsWritten(const QString& name);

// The values a user INI holds. Other games' spectator and auto-switch come back as the
// defaults (not ticked, ticked).
TPlayerValues ReadPlayerValues(const TIniDocument& ini, bool utGame);
// Stores the values; a key whose text does not change is not touched. Other games'
// spectator and auto-switch keys are left alone. Returns the name as written.
QString WritePlayerValues(TIniDocument& ini, const TPlayerValues& values, bool utGame);

// The games with a user INI path, in table order.
QStringList PlayerSetupGames(const TGameTables& tables);
// The game shown first: defaultGame when it has a user INI path, else the first game that has
// one; empty when defaultGame names no game at all.
QString FirstPlayerSetupGame(const TGameTables& tables, const QString& defaultGame);

// The user INI files of one opening of the dialog: each loaded on its first use and kept by
// game name until this goes.
class TPlayerSetupFiles {
 public:
  explicit TPlayerSetupFiles(const TGameTables& tables);
  ~TPlayerSetupFiles();

  // The game's user INI, loaded when it is not yet; null when it cannot be opened (missing,
  // unreadable or not a plain file), and then tried again on the next call. OpenError says why.
  TIniDocument* Open(const QString& game);
  // The loaded file, or null.
  TIniDocument* Loaded(const QString& game) const;
  const QString& OpenError() const { return openError_; }
  // Writes every loaded file back; the paths of those that could not be written.
  QStringList WriteAll() const;

 private:
  const TGameTables& tables_;
  std::map<QString, std::unique_ptr<TIniDocument>> files_;  // lower-cased game name -> file
  QString openError_;
};

}  // namespace zorvane
