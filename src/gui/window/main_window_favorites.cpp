// SPDX-License-Identifier: GPL-2.0-or-later
// The favourites commands of the views: add, edit and delete a favourite, mark a listed server
// as one, and the exchange with the games' own favourites files. The file formats and merge
// rules live in browse/favorites_exchange; here are the dialogs and the rows.
#include "browse/favorites_exchange.h"
#include "gui/dialogs/game_path_dialog.h"
#include "gui/dialogs/server_dialog.h"
#include "gui/grid/string_grid.h"
#include "gui/window/main_window.h"
#include "query/host_lookup.h"
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

void TfrmZorvane::ConnectFavoriteCommands(TkorvUTServerView* view) {
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
  connect(view, &TkorvUTServerView::OnAddFavorite, this, &TfrmZorvane::AddFavoriteRow);
}

QStringList TfrmZorvane::FavoriteGameNames() const {
  QStringList names;
  for (const auto& game : config_.tables.games) names << game->Name.Value;
  return names;
}

// ---- Add, edit, delete

void TfrmZorvane::AddFavorite(TkorvUTServerView* view) {
  const bool sync = config_.settings.syncFaves;
  TfrmServer dialog(dialogs_, FavoriteGameNames(), sync, this);
  dialog.setWindowTitle(QStringLiteral("Add Favorite"));
  TServerDialogValues values;
  values.version = view->DefaultVersion();
  values.game = QString::fromLatin1(kOtherGameItem);
  for (const auto& game : config_.tables.games)
    if (game->Value.Value.compare(values.version, Qt::CaseInsensitive) == 0) {
      values.game = game->Name.Value;  // the first game of the preselected version
      break;
    }
  dialog.SetValues(values);
  CentreOn(&dialog, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const TServerDialogValues chosen = dialog.Values();
  const QString port = QString::number(chosen.gamePort.toInt() + 1);
  const QString description = StripAfterBackslash(chosen.description);
  // The game box is hidden unless favourites are kept in the games' files: no association.
  const QString association = sync ? dialog.Association() : QString();
  if (stash_.AddServer(chosen.ip, port, association, true, chosen.version,
                       TrueFalse(chosen.autoUpdateDescription), description))
    AddFavoriteRow(chosen.ip + u':' + port, description);
}

void TfrmZorvane::AddFavoriteRow(const QString& key, const QString& name) {
  switch (FavoritesView()->AddFavoriteRow(key, name)) {
    case TkorvUTServerView::TFavoriteRow::NotInStash:
      return;
    case TkorvUTServerView::TFavoriteRow::Filtered:
      dialogs_.Information(
          this, QStringLiteral(
                    "Note: you cannot see your new server due to the current filter criteria."));
      break;
    case TkorvUTServerView::TFavoriteRow::Shown:
      break;
  }
  if (config_.settings.syncFaves) {
    TSilentSink silent;
    zorvane::ExportFavorite(key, true, stash_, config_.tables, silent);
  }
}

void TfrmZorvane::AddServerToFavorites(TkorvUTServerView* view) {
  AddServerKeyToFavorites(view->SelectedServerKey());
}

void TfrmZorvane::AddServerKeyToFavorites(const QString& key) {
  TServer* server = key.isEmpty() ? nullptr : stash_.Find(key);
  if (!server) return;
  if (server->Favorite) {
    dialogs_.Information(this, QStringLiteral("This server is already a favorite."));
    return;
  }
  if (config_.settings.syncFaves && server->GameTypeName().isEmpty() &&
      !config_.tables.FindGameType(server->GameType())) {
    TfrmServer dialog(dialogs_, FavoriteGameNames(), true, this);
    dialog.SetAssociationMode(true);
    TServerDialogValues values;
    values.game = QString::fromLatin1(kOtherGameItem);
    dialog.SetValues(values);
    CentreOn(&dialog, this);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    server = stash_.Find(key);  // the stash may have changed while the dialog was open
    if (!server) return;
    if (accepted) server->SetGameTypeName(dialog.Association());
  }
  server->Favorite = true;
  AddFavoriteRow(key, server->Description());
}

void TfrmZorvane::EditFavorite(TkorvUTServerView* view) {
  if (!view->ServerGrid()->IsValidRow()) {
    dialogs_.Information(this, QStringLiteral("Please choose a valid row to edit."));
    return;
  }
  const QString oldKey = view->SelectedServerKey();
  if (oldKey.isEmpty()) {
    dialogs_.Information(
        this, QStringLiteral("Sorry, this favorite does not have an IP, so it can not be edited."));
    return;
  }
  TServer* server = stash_.Find(oldKey);
  if (!server) return;
  const bool sync = config_.settings.syncFaves;
  const QString oldHost = server->DNSName().isEmpty() ? server->IP() : server->DNSName();
  const int oldPort = server->Port;

  TfrmServer dialog(dialogs_, FavoriteGameNames(), sync, this);
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
      if (const TGameType* type = config_.tables.FindGameType(server->GameType()))
        game = type->Game.Value;
    if (config_.tables.FindGame(game)) values.game = game;
  }
  dialog.SetValues(values);
  CentreOn(&dialog, this);
  if (dialog.exec() != QDialog::Accepted) return;
  server = stash_.Find(oldKey);  // the stash may have changed while the dialog was open
  if (!server) return;
  // The file its entry is in now; a reply during the dialog may have told its game type.
  const TFavoriteGame oldGame = FavoriteGameOf(*server, config_.tables);

  const TServerDialogValues chosen = dialog.Values();
  const int newPort = chosen.gamePort.toInt() + 1;
  const QString newKey = chosen.ip + u':' + QString::number(newPort);
  const QString autoUpdate = TrueFalse(chosen.autoUpdateDescription);
  const QString description = StripAfterBackslash(chosen.description);
  // The game box is hidden unless favourites are kept in the games' files: then the
  // association stays as it is. It goes with the favourite, and only once the edit is made.
  const QString association = sync ? dialog.Association() : server->GameTypeName();

  TServer* edited = nullptr;
  switch (FavoriteKeyChange(stash_, oldKey, newKey)) {
    case TFavoriteKeyChange::OtherFavorite:
      dialogs_.Error(this, FavoriteTakenText(chosen.ip));
      return;
    case TFavoriteKeyChange::ListedServer:
      if (!MoveFavoriteOnto(stash_, oldKey, newKey, description, autoUpdate, chosen.version))
        return;
      edited = stash_.Find(newKey);
      edited->SetGameTypeName(association);
      view->DeleteCurrentRow();
      view->ShowTakenOverFavorite(newKey, description);
      break;
    case TFavoriteKeyChange::SameServer:
      if (!stash_.MoveServer(stash_.IndexOf(oldKey), chosen.ip, newPort)) return;
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
                       config_.tables);
}

void TfrmZorvane::DeleteFavorite(TkorvUTServerView* view) {
  if (!view->ServerGrid()->IsValidRow()) return;
  if (view->ConfirmServerDelete() &&
      !dialogs_.Confirm(this, QStringLiteral("Are you sure you want to delete this favorite?"),
                        TWindowDialogs::TNoButton::Cancel))
    return;
  if (!view->ServerGrid()->IsValidRow()) return;
  const QString key = view->SelectedServerKey();
  const int index = stash_.IndexOf(key);
  stash_.DropFavorite(index);  // it stays in the stash, with the name it reports
  view->DeleteCurrentRow();
  if (index < 0) return;
  // Listed in its game type's view too: that row shows its own name again.
  for (const auto& [name, other] : views_)
    if (other != view && other->FindServerRow(key) >= 0) other->ServerUpdated(index);
  if (config_.settings.syncFaves) MirrorFavoriteDelete(*stash_.Server(index), config_.tables);
}

// ---- The games' files

std::unique_ptr<TGameFavoritesFile> TfrmZorvane::OpenFavoritesFile(const QString& verb,
                                                                   QString& game, bool silent) {
  TGameTables& tables = config_.tables;
  // Cancel in either dialog ends the command: nothing is read or written.
  if (game.isEmpty()) {
    game = OnlyGameWithFavoritesPath(tables);
    if (game.isEmpty() && !silent) {
      const auto chosen = AskGamePath(this, dialogs_, tables, kFavoritesPathKey, 2,
                                      ChooseGamePrompt(verb), false, QString());
      if (!chosen) return nullptr;
      game = *chosen;
    }
    if (game.isEmpty()) return nullptr;
  }
  const TGameInfo* paths = tables.FindPaths(game);
  if (paths && paths->FavoritesPath.Value.isEmpty()) {
    if (silent) return nullptr;
    if (!AskGamePath(this, dialogs_, tables, kFavoritesPathKey, 2,
                     QString::fromLatin1(kFavoritesPathPrompt), true, game))
      return nullptr;
  }
  TDialogsSink boxes(dialogs_, this);
  TSilentSink quiet;
  return OpenGameFavoritesFile(verb, game, silent, tables,
                               silent ? static_cast<TMessageSink&>(quiet) : boxes);
}

void TfrmZorvane::ImportFavorites(const QString& game, bool silent) {
  QString chosen = game;
  const auto file = OpenFavoritesFile(QString::fromLatin1(kVerbImport), chosen, silent);
  if (!file) return;
  TkorvUTServerView* favorites = FavoritesView();
  favorites->SetPopulating(true);
  TDialogsSink boxes(dialogs_, this);
  TSilentSink quiet;
  const auto imported = zorvane::ImportFavorites(
      *file, stash_, silent, silent ? static_cast<TMessageSink&>(quiet) : boxes);
  QStringList keys, names;
  for (const TImportedFavorite& entry : imported) keys << entry.key, names << entry.description;
  const int filtered = favorites->AddImportedRows(keys, names, !silent);
  if (!silent && !imported.empty()) {
    Q_EMIT favorites->OnRefreshServerGrid(favorites);
    if (filtered >= 1)
      dialogs_.Information(this, QStringLiteral("Note: some servers may not appear in the list "
                                                "due to the current filter criteria."));
  }
  favorites->SetPopulating(false);
  if (!silent) favorites->ReloadDetails();
}

void TfrmZorvane::ExportFavorites() {
  QString game;
  const auto file = OpenFavoritesFile(QString::fromLatin1(kVerbExport), game, false);
  if (!file) return;
  TDialogsSink boxes(dialogs_, this);
  WriteFavoritesToGameFile(FavoriteKeysOfVariant(stash_, file->Variant()), *file, false, stash_,
                           boxes);
}

void TfrmZorvane::ExportCurrentFavorite(TkorvUTServerView* view) {
  const QString key = view->SelectedServerKey();
  // The exchange never asks: a game without a favourites path is asked for here first.
  if (const TServer* server = stash_.Find(key)) {
    const TFavoriteGame game = FavoriteGameOf(*server, config_.tables);
    const TGameInfo* paths = config_.tables.FindPaths(game.game);
    if (game.status == TFavoriteGameStatus::Found && paths &&
        paths->FavoritesPath.Value.isEmpty() &&
        !AskGamePath(this, dialogs_, config_.tables, kFavoritesPathKey, 2,
                     QString::fromLatin1(kFavoritesPathPrompt), true, game.game))
      return;  // cancelled
  }
  TDialogsSink boxes(dialogs_, this);
  zorvane::ExportFavorite(key, false, stash_, config_.tables, boxes);
}

// ---- Start and moved files

void TfrmZorvane::ImportFavoritesAtStart() {
  for (const auto& [name, view] : views_) view->SetKeepFavesInSync(config_.settings.syncFaves);
  if (config_.settings.syncFaves) ImportAllGameFavorites(config_.tables, stash_);
}

void TfrmZorvane::OfferMovedFavoritesImport() {
  QStringList moved;
  for (std::size_t i = 0; i < config_.tables.paths.size() && i < config_.tables.games.size(); ++i)
    if (config_.tables.paths[i]->FavoritesMoved) moved << config_.tables.games[i]->Name.Value;
  if (moved.isEmpty()) return;
  if (!dialogs_.Confirm(
          this, QStringLiteral("Would you like to import the favorites from the new location(s)?"),
          TWindowDialogs::TNoButton::No))
    return;
  for (const QString& game : moved) ImportFavorites(game, true);
  FavoritesView()->RefreshCycle().RefreshServerList();
}

}  // namespace zorvane
