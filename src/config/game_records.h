// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Records of the game-type configuration. Every editable value is held twice: the committed
// value the program uses and saves, and a working copy only the editing dialogs change.

#include <QString>
#include <cstdint>

namespace zorvane {

// Edit state of a configuration record.
enum TEditState : std::uint8_t {
  esNewAccepted = 0,
  esChanged = 1,
  esNewOrDeleted = 2,
  esUnchanged = 3,
};

// A committed value with its working copy. Set() writes both; the dialogs edit Working.
template <typename T>
struct TEditable {
  T Value{};
  T Working{};
  void Set(const T& v) {
    Value = v;
    Working = v;
  }
  void Commit() { Value = Working; }
  void Revert() { Working = Value; }
};

struct TGame {
  TEditable<QString> Name;
  TEditable<QString> Value;  // the game variant the game belongs to
  TEditState EditState = esUnchanged;

  void Commit() { Name.Commit(), Value.Commit(); }
  void Revert() { Name.Revert(), Value.Revert(); }
};

struct TGameType {
  TEditable<QString> Name;         // section name
  TEditable<QString> Game;         // key "game"
  TEditable<QString> Description;  // key "description"
  TEditable<bool> TeamGame;        // key "teamGame"
  bool TabVisible = true;          // key "tabVisible", one copy only
  TEditState EditState = esUnchanged;

  void Commit() { Name.Commit(), Game.Commit(), Description.Commit(), TeamGame.Commit(); }
  void Revert() { Name.Revert(), Game.Revert(), Description.Revert(), TeamGame.Revert(); }
};

struct TGameInfo {
  TEditable<QString> ExePath;        // "gameExePath"
  TEditable<QString> FavoritesPath;  // "gameFavoritesPath"
  TEditable<QString> UserPath;       // "gameUserPath"
  bool FavoritesMoved = false;
  TEditState EditState = esUnchanged;

  void Commit() { ExePath.Commit(), FavoritesPath.Commit(), UserPath.Commit(); }
  void Revert() { ExePath.Revert(), FavoritesPath.Revert(), UserPath.Revert(); }
};

// One UT99 engine key offered by the setup dialog.
struct TINIInfo {
  QString Section;
  QString Key;
  QString Comment;
};

}  // namespace zorvane
