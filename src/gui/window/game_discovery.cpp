// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/game_discovery.h"

#include "config/player_setup.h"
#include "gui/dialogs/found_games_dialog.h"
#include "gui/dialogs/game_path_dialog.h"
#include "gui/dialogs/window_dialogs.h"

namespace zorvane {

TGameDiscovery::TGameDiscovery(QWidget* window, TWindowDialogs& dialogs, TGameTables& tables,
                               TGameSearchPlaces places, std::function<void()> pathsChanged)
    : QObject(window),
      window_(window),
      dialogs_(dialogs),
      tables_(tables),
      places_(std::move(places)),
      pathsChanged_(std::move(pathsChanged)) {
  ask_ = [this](const std::vector<TFoundGame>& found) { return AskWithDialog(found); };
}

std::vector<TFoundGame> TGameDiscovery::Search(const QString& folder) const {
  std::vector<TFoundGame> found =
      folder.isEmpty() ? zorvane::FindInstalledGames(places_) : FindGamesInFolder(folder, places_);
  // A game the user deleted or renamed has no paths to fill.
  std::erase_if(found, [this](const TFoundGame& game) { return !tables_.FindPaths(game.game); });
  return found;
}

std::optional<std::vector<TFoundGame>> TGameDiscovery::AskWithDialog(
    const std::vector<TFoundGame>& found) {
  TfrmFoundGames dialog(dialogs_, tables_, places_.home, found, window_);
  dialog.SetFolderSearch([this](const QString& folder) { return Search(folder); });
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Chosen();
}

bool TGameDiscovery::Offer(const std::vector<TFoundGame>& found) {
  const auto chosen = ask_(found);
  if (!chosen || chosen->empty()) return false;
  ApplyFoundGames(tables_, *chosen);
  if (pathsChanged_) pathsChanged_();
  return true;
}

bool TGameDiscovery::OfferAtStart(bool gamePathsLoaded) {
  if (gamePathsLoaded) return false;
  const std::vector<TFoundGame> found = Search();
  if (found.empty()) return false;
  Offer(found);
  return true;
}

void TGameDiscovery::FindInstalledGames() {
  Offer(Search());
}

QString TGameDiscovery::PathDialogGame(const QString& fieldKey) const {
  const TGamePathFieldInfo* field = GamePathFieldInfo(fieldKey);
  return field ? zorvane::PathDialogGame(tables_, field->field, lastPathGame_) : QString();
}

bool TGameDiscovery::OfferUserIni(const QString& defaultGame) {
  if (!PlayerSetupGames(tables_).isEmpty()) return true;
  const std::vector<TFoundGame> found = Search();
  if (!found.empty()) {
    Offer(found);
  } else if (dialogs_.Confirm(window_,
                              QStringLiteral("No game has the path of its User.ini yet. Would you "
                                             "like to set it now?"),
                              TWindowDialogs::TNoButton::No)) {
    const QString game = tables_.FindGame(defaultGame)
                             ? defaultGame
                             : PathDialogGame(QStringLiteral("gameUserPath"));
    PathDialogClosed(EditGamePath(window_, dialogs_, tables_, QStringLiteral("gameUserPath"), 0,
                                  QString(), false, game));
  }
  return !PlayerSetupGames(tables_).isEmpty();
}

}  // namespace zorvane
