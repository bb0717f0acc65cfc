// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The program's two configuration files, loaded in start-up order and saved at close.

#include <QString>
#include <memory>

#include "config/game_tables.h"
#include "config/ini_document.h"
#include "config/message_sink.h"
#include "config/settings.h"
#include "config/wine_registry.h"

namespace zorvane {

class TServerStash;

struct TConfiguration {
  QString directory;
  std::unique_ptr<TIniDocument> settingsIni;
  std::unique_ptr<TIniDocument> gameTypeIni;
  bool settingsFileExisted = false;
  bool gameTypeFileExisted = false;
  bool gamesDetected = false;
  // Some game had a path in the file, before the Wine registry filled any.
  bool gamePathsLoaded = false;
  QString startFailureText;  // why start-up could not open the files
  TSettings settings;
  TGameTables tables;
  TLogLine log;  // where saving tells what it left out; may be empty
};

enum class TConfigMode {
  ReadWrite,  // the program: files are created when missing and written at close
  ReadOnly,   // a look from outside: nothing is created or written
};

// Opens both files of directory and loads them: default game types for a new file, the
// games, types and paths, the migrations of older files, game detection through the Wine
// registry, the built-in types, then every setting (favourites go into the stash). False
// (with startFailureText) when a file can be neither opened nor created.
bool LoadConfiguration(TConfiguration& config, const QString& directory, TConfigMode mode,
                       TServerStash& stash, TMessageSink& messages,
                       const TWineRegistry* registry = nullptr);

// Writes the settings file, then the game-type file; only files that were opened.
bool SaveConfiguration(TConfiguration& config, const TServerStash& stash);

}  // namespace zorvane
