// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The favourites commands of the views: add, edit and delete a favourite, mark a listed server
// as one, and the exchange with the games' own favourites files. The file formats and merge
// rules live in browse/favorites_exchange; here are the dialogs and the rows.

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

#include "gui/window/window_context.h"

namespace zorvane {

class TGameFavoritesFile;

class TFavoritesController : public QObject {
  Q_OBJECT
 public:
  explicit TFavoritesController(TWindowContext& context);
  ~TFavoritesController() override;

  // A view's favourites commands reach the controller.
  void ConnectView(TkorvUTServerView* view);
  // The names of the games, as the dialogs offer them.
  QStringList GameNames() const;
  // A new favourite (added, or a listed server marked): its row in the favourites view and,
  // with favourites kept in sync, its entry in its game's file.
  void AddFavoriteRow(const QString& key, const QString& name);
  // The listed server under key becomes a favourite (asking its game when it needs one).
  void AddServerKeyToFavorites(const QString& key);
  // Imports a game's favourites file (empty game: the one to ask for) into the favourites view.
  void ImportFavorites(const QString& game, bool silent);
  // With favourites kept in sync, every game's favourites join the stash at start.
  void ImportAtStart();
  // With favourites newly kept in sync: every game's favourites join the list at once.
  void ImportAllNow();
  // After the favourites paths changed: offers to import from the moved files.
  void OfferMovedImport();

 private:
  TkorvUTServerView* Favorites() const;
  void AddFavorite(TkorvUTServerView* view);
  void EditFavorite(TkorvUTServerView* view);
  void DeleteFavorite(TkorvUTServerView* view);
  void AddServerToFavorites(TkorvUTServerView* view);
  void ExportFavorites();
  void ExportCurrentFavorite(TkorvUTServerView* view);
  // Opens a game's favourites file, asking for the game and its path where they are missing
  // (never when silent); game is the one chosen.
  std::unique_ptr<TGameFavoritesFile> OpenFavoritesFile(const QString& verb, QString& game,
                                                        bool silent);

  TWindowContext& context_;
};

}  // namespace zorvane
