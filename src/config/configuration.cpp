// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/configuration.h"

#include <QFileInfo>

#include "config/ini_utils.h"
#include "query/server_stash.h"

namespace zorvane {

namespace {

// Opens one file: created when missing in read-write mode, read as empty in read-only mode.
bool OpenConfigFile(const QString& directory, const char* name, TConfigMode mode,
                    std::unique_ptr<TIniDocument>& document, bool& existed,
                    TMessageSink& messages) {
  const QString fileName = QString::fromLatin1(name);
  if (mode == TConfigMode::ReadWrite)
    return OpenIniFile(true, document, existed, fileName, messages, directory);
  const QString path = JoinPath(directory, fileName);
  existed = QFileInfo::exists(path);
  document = std::make_unique<TIniDocument>(path);
  if (document->Load()) return true;
  messages.Show(TMessageKind::Plain, CouldNotOpenText(*document));
  document.reset();
  return false;
}

}  // namespace

bool LoadConfiguration(TConfiguration& config, const QString& directory, TConfigMode mode,
                       TServerStash& stash, TMessageSink& messages, const TWineRegistry* registry) {
  config.directory = directory;
  if (!OpenConfigFile(directory, kSettingsFileName, mode, config.settingsIni,
                      config.settingsFileExisted, messages)) {
    config.startFailureText = QStringLiteral("Could not open zorvane.ini for some reason :-[ \r\n");
    return false;
  }
  if (!OpenConfigFile(directory, kGameTypeFileName, mode, config.gameTypeIni,
                      config.gameTypeFileExisted, messages)) {
    config.startFailureText +=
        QStringLiteral("Could not open utGameType.ini for some reason :-( \r\n");
    config.settingsIni.reset();
    return false;
  }
  TIniDocument& settingsIni = *config.settingsIni;
  TIniDocument& gameTypeIni = *config.gameTypeIni;
  TSettings& settings = config.settings;
  TGameTables& tables = config.tables;

  if (!config.gameTypeFileExisted) {
    if (mode == TConfigMode::ReadWrite)
      CreateDefaultGameTypes(gameTypeIni);
    else
      WriteDefaultGameTypes(gameTypeIni);
  }
  LoadGames(gameTypeIni, tables);
  LoadGameTypes(gameTypeIni, tables);
  LoadGamePaths(gameTypeIni, tables);

  LoadStartupSettings(settingsIni, settings);
  MigrateGameTypes(tables, settings.stamp, config.gameTypeFileExisted);
  if (settings.stamp == u"0") MigrateGamePaths(settingsIni, tables);

  config.gamePathsLoaded = AnyGamePath(tables);
  // Every game is looked for, so a UT install does not hide a UT2004 one.
  bool detected = false;
  for (const auto& [game, base, key] :
       {std::tuple{"UT", "UnrealTournament",
                   "\\Applications\\UnrealTournament.exe\\shell\\open\\command"},
        std::tuple{"UT2003", "UT2003", "ut2003\\Shell\\open\\command"},
        std::tuple{"UT2004", "UT2004", "ut2004\\Shell\\open\\command"}}) {
    detected |= DetectGamePaths(
        tables, QString::fromLatin1(game), QString::fromLatin1(base), QString::fromLatin1(key),
        [&](const QString& k) { return registry ? registry->ClassesDefault(k) : QString(); },
        [&](const QString& p) { return registry ? registry->ToLocalPath(p) : QString(); });
  }
  config.gamesDetected = detected;

  AddBuiltInGameTypes(gameTypeIni, tables);
  if (settings.stamp == u"0") MigrateTabVisibility(settingsIni, tables);
  LoadSettings(settingsIni, gameTypeIni, tables.gameTypes, stash, settings);
  return true;
}

bool SaveConfiguration(TConfiguration& config, const TServerStash& stash) {
  bool saved = true;
  if (config.settingsIni) saved &= SaveSettings(*config.settingsIni, config.settings, stash);
  if (config.gameTypeIni)
    saved &= SaveGameTypes(*config.gameTypeIni, config.tables, config.settings, config.log);
  return saved;
}

}  // namespace zorvane
