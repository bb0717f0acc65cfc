// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The game tables of a fresh installation: the default games, game types and paths, with the
// built-in "Favorite" and "Other" types.

#include "config/game_tables.h"
#include "config/ini_document.h"

namespace zorvane::testing {

inline TGameTables DefaultGameTables() {
  TIniDocument ini;
  WriteDefaultGameTypes(ini);
  TGameTables tables;
  LoadGames(ini, tables);
  LoadGameTypes(ini, tables);
  LoadGamePaths(ini, tables);
  AddBuiltInGameTypes(ini, tables);
  return tables;
}

}  // namespace zorvane::testing
