// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The player keys of the games' user INI files (name, team, spectator class, weapon
// auto-switch) and the files of one run of the player setup dialog. These are the user's own
// files, and the game may write them while the dialog is open: only what the user changed is
// written, onto the file as it is at that moment, and every other byte stays as it is.

#include <QString>
#include <QStringList>
#include <map>
#include <vector>

#include "config/ini_edits.h"

namespace zorvane {

class TIniDocument;
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
// The keys to write for what the user changed between read and shown: a field left as it was
// read writes nothing, so a key the controls cannot show (another class than the spectator's,
// "bNeverAutoSwitch=1", team 7) stays as the file has it. A changed name is written as
// PlayerNameAsWritten gives it; other games' spectator and auto-switch keys are never written.
std::vector<TIniEdit> PlayerValueEdits(const TPlayerValues& read, const TPlayerValues& shown,
                                       bool utGame);

// The games with a user INI path, in table order.
QStringList PlayerSetupGames(const TGameTables& tables);
// The game shown first: defaultGame when it has a user INI path, else the first game that has
// one; empty when defaultGame names no game at all.
QString FirstPlayerSetupGame(const TGameTables& tables, const QString& defaultGame);

// The user INI files of one opening of the dialog: each read on the first showing of its game,
// with what the controls showed for it kept by game name until this goes.
class TPlayerSetupFiles {
 public:
  explicit TPlayerSetupFiles(const TGameTables& tables);
  ~TPlayerSetupFiles();

  // What to show for the game: its user INI's values, read on the first call, afterwards what
  // Keep stored. Null when the file cannot be read (missing, unreadable, not a plain file or
  // not 8-bit text); OpenError says why, and the next call tries again.
  const TPlayerValues* Open(const QString& game);
  const QString& OpenError() const { return openError_; }
  // Stores what the controls show for an opened game; returns it as kept (a changed name as it
  // is written).
  TPlayerValues Keep(const QString& game, const TPlayerValues& shown);
  // Writes, game by game, what the user changed onto the file as it is now; a file whose game
  // shows what was read is not touched. The messages of the files that could not be written.
  QStringList WriteChanges() const;

 private:
  struct TGameFile {
    QString path;
    bool utGame = false;
    TPlayerValues read;
    TPlayerValues shown;
  };

  const TGameTables& tables_;
  std::map<QString, TGameFile> files_;  // lower-cased game name -> its file
  QString openError_;
};

}  // namespace zorvane
