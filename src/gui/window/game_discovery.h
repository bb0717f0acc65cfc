// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The games found by themselves: the search of the usual places at a first start, the System
// menu's "Find Installed Games...", the game the path dialogs open on, and the way Quick
// Player Setup gets a user INI when no game has one. The main window makes one and calls it.

#include <QObject>
#include <functional>
#include <optional>
#include <vector>

#include "config/game_edits.h"
#include "config/installed_games.h"

class QWidget;

namespace zorvane {

class TWindowDialogs;

class TGameDiscovery : public QObject {
  Q_OBJECT

 public:
  // Shows the found games and returns the ones taken, nothing when cancelled. Tests answer it
  // without the modal dialog.
  using TAskFoundGames =
      std::function<std::optional<std::vector<TFoundGame>>(const std::vector<TFoundGame>& found)>;

  // pathsChanged runs after found games were taken (the window offers their favourites).
  TGameDiscovery(QWidget* window, TWindowDialogs& dialogs, TGameTables& tables,
                 TGameSearchPlaces places, std::function<void()> pathsChanged);

  void SetAskFoundGames(TAskFoundGames ask) { ask_ = std::move(ask); }
  const TGameSearchPlaces& Places() const { return places_; }

  // At a start where the game-type file held no path: the found games, when there are any.
  // True when they were shown.
  bool OfferAtStart(bool gamePathsLoaded);
  // "Find Installed Games...": the dialog even when nothing is found, to name a folder.
  void FindInstalledGames();

  // The game a path dialog of the menu opens on, and the one it ended on.
  QString PathDialogGame(const QString& fieldKey) const;
  void PathDialogClosed(const QString& game) { lastPathGame_ = game; }

  // Quick Player Setup when no game has a user INI: the found games, else the offer to set
  // one. True when a game has a user INI now.
  bool OfferUserIni(const QString& defaultGame);

 private:
  // The games the tables list, as found; nothing when the dialog was cancelled.
  bool Offer(const std::vector<TFoundGame>& found);
  std::vector<TFoundGame> Search(const QString& folder = {}) const;
  std::optional<std::vector<TFoundGame>> AskWithDialog(const std::vector<TFoundGame>& found);

  QWidget* window_;
  TWindowDialogs& dialogs_;
  TGameTables& tables_;
  TGameSearchPlaces places_;
  std::function<void()> pathsChanged_;
  TAskFoundGames ask_;
  QString lastPathGame_;
};

}  // namespace zorvane
