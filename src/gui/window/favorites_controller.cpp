// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/favorites_controller.h"

#include <QMainWindow>

#include "browse/favorites_exchange.h"
#include "browse/server_route.h"
#include "config/configuration.h"
#include "gui/dialogs/game_path_dialog.h"
#include "gui/dialogs/server_dialog.h"
#include "gui/dialogs/window_dialogs.h"
#include "gui/grid/string_grid.h"
#include "gui/view/server_view.h"
#include "query/host_lookup.h"
#include "query/server_stash.h"
#include "query/vocabulary.h"

namespace zorvane {
namespace {

const QString kFavoritesPathKey = QStringLiteral("gameFavoritesPath");

QString TrueFalse(bool on) {
  return on ? QStringLiteral("True") : QStringLiteral("False");
}

void CentreOn(QWidget* dialog, const QWidget* owner) {
  dialog->adjustSize();  // laid out: its size is known only now
  dialog->move(owner->geometry().center() - dialog->rect().center());
}

}  // namespace

TFavoritesController::TFavoritesController(TWindowContext& context) : context_(context) {}

TFavoritesController::~TFavoritesController() = default;

TkorvUTServerView* TFavoritesController::Favorites() const {
  return context_.view(QString::fromLatin1(kFavoriteGameType));
}

void TFavoritesController::ConnectView(TkorvUTServerView* view) {
  const auto on = [this, view](const char* name, auto&& slot) {
    connect(view->FindViewAction(QString::fromLatin1(name)), &QAction::triggered, this, slot);
  };
  on("actAddFavorite", [this, view] { AddFavorite(view); });
  on("actEditFavorite", [this, view] { EditFavorite(view); });
  on("actDeleteFavorite", [this, view] { DeleteFavorite(view); });
  on("actAddServerToFavorites", [this, view] { AddServerToFavorites(view); });
  on("actImportFavorites", [this] { ImportFavorites(QString(), false); });
  on("actExportFavorites", [this] { ExportFavorites(); });
  on("actExportFavorite", [this, view] { ExportCurrentFavorite(view); });
  connect(view, &TkorvUTServerView::OnAddFavorite, this, &TFavoritesController::AddFavoriteRow);
}

QStringList TFavoritesController::GameNames() const {
  QStringList names;
  for (const auto& game : context_.config.tables.games) names << game->Name.Value;
  return names;
}

// ---- Add, edit, delete

void TFavoritesController::AddFavorite(TkorvUTServerView* view) {
  const bool sync = context_.config.settings.syncFaves;
  TfrmServer dialog(context_.dialogs, GameNames(), sync, context_.window);
  dialog.setWindowTitle(QStringLiteral("Add Favorite"));
  TServerDialogValues values;
  values.version = view->DefaultVersion();
  values.game = QString::fromLatin1(kOtherGameItem);
  for (const auto& game : context_.config.tables.games)
    if (game->Value.Value.compare(values.version, Qt::CaseInsensitive) == 0) {
      values.game = game->Name.Value;  // the first game of the preselected version
      break;
    }
  dialog.SetValues(values);
  CentreOn(&dialog, context_.window);
  if (dialog.exec() != QDialog::Accepted) return;
  const TServerDialogValues chosen = dialog.Values();
  const QString port = QString::number(chosen.gamePort.toInt() + 1);
  const QString description = StripAfterBackslash(chosen.description);
  // The game box is hidden unless favourites are kept in the games' files: no association.
  const QString association = sync ? dialog.Association() : QString();
  if (context_.stash.AddServer(chosen.ip, port, association, true, chosen.version,
                               TrueFalse(chosen.autoUpdateDescription), description))
    AddFavoriteRow(chosen.ip + u':' + port, description);
}

void TFavoritesController::AddFavoriteRow(const QString& key, const QString& name) {
  switch (Favorites()->AddFavoriteRow(key, name)) {
    case TkorvUTServerView::TFavoriteRow::NotInStash:
      return;
    case TkorvUTServerView::TFavoriteRow::Filtered:
      context_.dialogs.Information(
          context_.window,
          QStringLiteral(
              "Note: you cannot see your new server due to the current filter criteria."));
      break;
    case TkorvUTServerView::TFavoriteRow::Shown:
      break;
  }
  if (context_.config.settings.syncFaves) {
    TSilentSink silent;
    zorvane::ExportFavorite(key, true, context_.stash, context_.config.tables, silent);
  }
}

void TFavoritesController::AddServerToFavorites(TkorvUTServerView* view) {
  AddServerKeyToFavorites(view->SelectedServerKey());
}

void TFavoritesController::AddServerKeyToFavorites(const QString& key) {
  TServer* server = key.isEmpty() ? nullptr : context_.stash.Find(key);
  if (!server) return;
  if (server->Favorite) {
    context_.dialogs.Information(context_.window,
                                 QStringLiteral("This server is already a favorite."));
    return;
  }
  if (context_.config.settings.syncFaves && server->GameTypeName().isEmpty() &&
      !context_.config.tables.FindGameType(server->GameType())) {
    TfrmServer dialog(context_.dialogs, GameNames(), true, context_.window);
    dialog.SetAssociationMode(true);
    TServerDialogValues values;
    values.game = QString::fromLatin1(kOtherGameItem);
    dialog.SetValues(values);
    CentreOn(&dialog, context_.window);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    server = context_.stash.Find(key);  // the stash may have changed while the dialog was open
    if (!server) return;
    if (accepted) server->SetGameTypeName(dialog.Association());
  }
  server->Favorite = true;
  AddFavoriteRow(key, server->Description());
}

void TFavoritesController::EditFavorite(TkorvUTServerView* view) {
  if (!view->ServerGrid()->IsValidRow()) {
    context_.dialogs.Information(context_.window,
                                 QStringLiteral("Please choose a valid row to edit."));
    return;
  }
  const QString oldKey = view->SelectedServerKey();
  if (oldKey.isEmpty()) {
    context_.dialogs.Information(
        context_.window,
        QStringLiteral("Sorry, this favorite does not have an IP, so it can not be edited."));
    return;
  }
  TServer* server = context_.stash.Find(oldKey);
  if (!server) return;
  const bool sync = context_.config.settings.syncFaves;
  const QString oldHost = server->DNSName().isEmpty() ? server->IP() : server->DNSName();
  const int oldPort = server->Port;

  TfrmServer dialog(context_.dialogs, GameNames(), sync, context_.window);
  dialog.setWindowTitle(QStringLiteral("Edit Favorite"));
  TServerDialogValues values{server->Game(),
                             QString::fromLatin1(kOtherGameItem),
                             server->Description(),
                             server->AutoUpdateDescription() == u"True",
                             oldHost,
                             QString::number(server->Port - 1)};
  if (sync) {
    QString game = server->GameTypeName();
    if (game.isEmpty())
      if (const TGameType* type = context_.config.tables.FindGameType(server->GameType()))
        game = type->Game.Value;
    if (context_.config.tables.FindGame(game)) values.game = game;
  }
  dialog.SetValues(values);
  CentreOn(&dialog, context_.window);
  if (dialog.exec() != QDialog::Accepted) return;
  server = context_.stash.Find(oldKey);  // the stash may have changed while the dialog was open
  if (!server) return;
  // The file its entry is in now; a reply during the dialog may have told its game type.
  const TFavoriteGame oldGame = FavoriteGameOf(*server, context_.config.tables);

  const TServerDialogValues chosen = dialog.Values();
  const int newPort = chosen.gamePort.toInt() + 1;
  const QString newKey = chosen.ip + u':' + QString::number(newPort);
  const QString autoUpdate = TrueFalse(chosen.autoUpdateDescription);
  const QString description = StripAfterBackslash(chosen.description);
  // The game box is hidden unless favourites are kept in the games' files: then the
  // association stays as it is. It goes with the favourite, and only once the edit is made.
  const QString association = sync ? dialog.Association() : server->GameTypeName();

  TServer* edited = nullptr;
  switch (FavoriteKeyChange(context_.stash, oldKey, newKey)) {
    case TFavoriteKeyChange::OtherFavorite:
      context_.dialogs.Error(context_.window, FavoriteTakenText(chosen.ip));
      return;
    case TFavoriteKeyChange::ListedServer:
      if (!MoveFavoriteOnto(context_.stash, oldKey, newKey, description, autoUpdate,
                            chosen.version))
        return;
      edited = context_.stash.Find(newKey);
      edited->SetGameTypeName(association);
      view->DeleteCurrentRow();
      view->ShowTakenOverFavorite(newKey, description);
      break;
    case TFavoriteKeyChange::SameServer:
      if (!context_.stash.MoveServer(context_.stash.IndexOf(oldKey), chosen.ip, newPort)) return;
      edited = server;
      edited->SetGameTypeName(association);
      edited->SetDescription(description);
      edited->SetAutoUpdateDescription(autoUpdate);
      edited->SetGame(chosen.version);
      edited->QueryVersion = GameQueryVersion(chosen.version);
      view->ShowMovedFavorite(newKey);
      break;
  }
  if (sync)
    MirrorFavoriteEdit(*edited, oldHost, oldPort,
                       oldGame.status == TFavoriteGameStatus::Found ? oldGame.game : QString(),
                       context_.config.tables);
}

void TFavoritesController::DeleteFavorite(TkorvUTServerView* view) {
  if (!view->ServerGrid()->IsValidRow()) return;
  if (view->ConfirmServerDelete() &&
      !context_.dialogs.Confirm(context_.window,
                                QStringLiteral("Are you sure you want to delete this favorite?"),
                                TWindowDialogs::TNoButton::Cancel))
    return;
  if (!view->ServerGrid()->IsValidRow()) return;
  const QString key = view->SelectedServerKey();
  const int index = context_.stash.IndexOf(key);
  context_.stash.DropFavorite(index);  // it stays in the stash, with the name it reports
  view->DeleteCurrentRow();
  if (index < 0) return;
  // Listed in its game type's view too: that row shows its own name again.
  for (TkorvUTServerView* other : context_.allViews())
    if (other != view && other->FindServerRow(key) >= 0) other->ServerUpdated(index);
  if (context_.config.settings.syncFaves)
    MirrorFavoriteDelete(*context_.stash.Server(index), context_.config.tables);
}

// ---- The games' files

std::unique_ptr<TGameFavoritesFile> TFavoritesController::OpenFavoritesFile(const QString& verb,
                                                                            QString& game,
                                                                            bool silent) {
  TGameTables& tables = context_.config.tables;
  // Cancel in either dialog ends the command: nothing is read or written.
  if (game.isEmpty()) {
    game = OnlyGameWithFavoritesPath(tables);
    if (game.isEmpty() && !silent) {
      const auto chosen = AskGamePath(context_.window, context_.dialogs, tables, kFavoritesPathKey,
                                      2, ChooseGamePrompt(verb), false, QString());
      if (!chosen) return nullptr;
      game = *chosen;
    }
    if (game.isEmpty()) return nullptr;
  }
  const TGameInfo* paths = tables.FindPaths(game);
  if (paths && paths->FavoritesPath.Value.isEmpty()) {
    if (silent) return nullptr;
    if (!AskGamePath(context_.window, context_.dialogs, tables, kFavoritesPathKey, 2,
                     QString::fromLatin1(kFavoritesPathPrompt), true, game))
      return nullptr;
  }
  TDialogsSink boxes(context_.dialogs, context_.window);
  TSilentSink quiet;
  return OpenGameFavoritesFile(verb, game, silent, tables,
                               silent ? static_cast<TMessageSink&>(quiet) : boxes);
}

void TFavoritesController::ImportFavorites(const QString& game, bool silent) {
  QString chosen = game;
  const auto file = OpenFavoritesFile(QString::fromLatin1(kVerbImport), chosen, silent);
  if (!file) return;
  TkorvUTServerView* favorites = Favorites();
  favorites->SetPopulating(true);
  TDialogsSink boxes(context_.dialogs, context_.window);
  TSilentSink quiet;
  const auto imported = zorvane::ImportFavorites(
      *file, context_.stash, silent, silent ? static_cast<TMessageSink&>(quiet) : boxes);
  QStringList keys, names;
  for (const TImportedFavorite& entry : imported) keys << entry.key, names << entry.description;
  const int filtered = favorites->AddImportedRows(keys, names, !silent);
  if (!silent && !imported.empty()) {
    Q_EMIT favorites->OnRefreshServerGrid(favorites);
    if (filtered >= 1)
      context_.dialogs.Information(context_.window,
                                   QStringLiteral("Note: some servers may not appear in the list "
                                                  "due to the current filter criteria."));
  }
  favorites->SetPopulating(false);
  if (!silent) favorites->ReloadDetails();
}

void TFavoritesController::ExportFavorites() {
  QString game;
  const auto file = OpenFavoritesFile(QString::fromLatin1(kVerbExport), game, false);
  if (!file) return;
  TDialogsSink boxes(context_.dialogs, context_.window);
  WriteFavoritesToGameFile(FavoriteKeysOfVariant(context_.stash, file->Variant()), *file, false,
                           context_.stash, boxes);
}

void TFavoritesController::ExportCurrentFavorite(TkorvUTServerView* view) {
  const QString key = view->SelectedServerKey();
  // The exchange never asks: a game without a favourites path is asked for here first.
  if (const TServer* server = context_.stash.Find(key)) {
    const TFavoriteGame game = FavoriteGameOf(*server, context_.config.tables);
    const TGameInfo* paths = context_.config.tables.FindPaths(game.game);
    if (game.status == TFavoriteGameStatus::Found && paths &&
        paths->FavoritesPath.Value.isEmpty() &&
        !AskGamePath(context_.window, context_.dialogs, context_.config.tables, kFavoritesPathKey,
                     2, QString::fromLatin1(kFavoritesPathPrompt), true, game.game))
      return;  // cancelled
  }
  TDialogsSink boxes(context_.dialogs, context_.window);
  zorvane::ExportFavorite(key, false, context_.stash, context_.config.tables, boxes);
}

// ---- Start and moved files

void TFavoritesController::ImportAtStart() {
  for (TkorvUTServerView* view : context_.allViews())
    view->SetKeepFavesInSync(context_.config.settings.syncFaves);
  if (context_.config.settings.syncFaves)
    ImportAllGameFavorites(context_.config.tables, context_.stash);
}

void TFavoritesController::OfferMovedImport() {
  QStringList moved;
  for (std::size_t i = 0;
       i < context_.config.tables.paths.size() && i < context_.config.tables.games.size(); ++i)
    if (context_.config.tables.paths[i]->FavoritesMoved)
      moved << context_.config.tables.games[i]->Name.Value;
  if (moved.isEmpty()) return;
  if (!context_.dialogs.Confirm(
          context_.window,
          QStringLiteral("Would you like to import the favorites from the new location(s)?"),
          TWindowDialogs::TNoButton::No))
    return;
  for (const QString& game : moved) ImportFavorites(game, true);
  Favorites()->RefreshCycle().RefreshServerList();
}

void TFavoritesController::ImportAllNow() {
  const auto imported = ImportAllGameFavorites(context_.config.tables, context_.stash);
  if (imported.empty()) return;
  QStringList keys, names;
  for (const TImportedFavorite& entry : imported) keys << entry.key, names << entry.description;
  TkorvUTServerView* favorites = Favorites();
  favorites->SetPopulating(true);
  favorites->AddImportedRows(keys, names, true);
  favorites->SetPopulating(false);
  favorites->ReloadDetails();
}

}  // namespace zorvane
