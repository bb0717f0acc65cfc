// SPDX-License-Identifier: GPL-2.0-or-later
// The main window's preferences: the options and font dialogs of the Tools menu, and the two
// keys that change the favourites auto refresh rate. The dialogs show the window's live values
// and on OK the window takes the chosen ones at once.

#include <QMenu>
#include <QToolBar>

#include "browse/favorites_exchange.h"
#include "browse/filter_layout.h"
#include "config/master_lists.h"
#include "gui/dialogs/font_dialog.h"
#include "gui/dialogs/options_dialog.h"
#include "gui/window/main_window.h"
#include "query/vocabulary.h"

namespace zorvane {

void TfrmZorvane::CreateOptionsMenuItems(QMenu* tools) {
  QAction* options = AddWindowAction(tools, "actOptions", QStringLiteral("&Options..."),
                                     Qt::Key_F11);
  options->setToolTip(QStringLiteral("Options"));
  connect(options, &QAction::triggered, this, &TfrmZorvane::EditOptions);
  connect(AddWindowAction(tools, "actOptionsFont", QStringLiteral("Font...")),
          &QAction::triggered, this, &TfrmZorvane::EditFont);
  connect(AddWindowAction(nullptr, "actSetRefreshRateToNone",
                          QStringLiteral("Set Refresh Rate To None"), Qt::Key_F7),
          &QAction::triggered, this, [this] { SetFavoritesRefreshRate(0); });
  connect(AddWindowAction(nullptr, "actToggleRefreshRate", QStringLiteral("Toggle Refresh Rate"),
                          Qt::CTRL | Qt::Key_F7),
          &QAction::triggered, this,
          [this] { SetFavoritesRefreshRate(NextRefreshRate(FavoritesView()->AutoRefreshRate())); });
}

void TfrmZorvane::AddOptionsToolButton() {
  toolBar_->addAction(FindWindowAction(QStringLiteral("actOptions")));
}

void TfrmZorvane::SetFavoritesRefreshRate(int ms) {
  config_.settings.refreshRate = ms;  // saved at close like a rate chosen in the dialog
  FavoritesView()->SetAutoRefreshRate(ms);
}

// ---- Options

void TfrmZorvane::EditOptions() {
  const TkorvUTServerView* favorites = FavoritesView();
  // What the window shows now wins over what the settings were loaded with.
  TSettings shown = config_.settings;
  shown.autoPingServer = favorites->PingServerOnSelect();
  shown.morePlayerInfo = favorites->MorePlayerInfo();
  shown.filterLocation = FilterPanelAlignText(favorites->FilterPanelAlign());
  shown.showToolbar = !toolBar_->isHidden();
  shown.tabsMultiline = !pages_->usesScrollButtons();
  shown.queryPower = massRefresh_->QueryPower;
  QStringList variants;
  FillGameVariantList(variants, 0);
  TfrmOptions dialog(dialogs_, variants, FavoriteGameNames(), this);
  dialog.setFont(font());
  dialog.Fill(OptionsFormFrom(shown));
  dialog.adjustSize();
  dialog.move(geometry().center() - dialog.rect().center());
  if (dialog.exec() != QDialog::Accepted) return;
  ApplyOptions(dialog.Form());
}

void TfrmZorvane::ApplyOptions(const TOptionsForm& form) {
  TSettings& s = config_.settings;
  TkorvUTServerView* favorites = FavoritesView();
  const bool syncWasOn = s.syncFaves;
  const bool checkWasOn = s.autoCheckNewVersion;
  const TFilterPanelAlign oldAlign = favorites->FilterPanelAlign();
  StoreOptionsForm(form, s);

  favorites->SetAutoRefreshRate(s.refreshRate);
  favorites->SetAutoRefreshSelectedServerOnly(s.autoRefreshSelectedServerOnly);
  massRefresh_->QueryPower = s.queryPower;
  massRefresh_->Masters = MasterListsOf(s.masterLists);  // the next master query asks these
  // Every view, its tab shown or not: hidden views keep their layout for when they are shown.
  const TFilterPanelAlign align = FilterPanelAlignFromText(s.filterLocation);
  for (const auto& [name, view] : views_) {
    view->SetPingWaitTime(s.pingWaitTime);
    if (align != oldAlign) {
      view->SetFilterPanelAlign(align);
      view->LayoutFilters(false);
    }
    view->SetPingServerOnSelect(s.autoPingServer);
    view->SetMorePlayerInfo(s.morePlayerInfo, true);
    view->SetQueryPower(s.queryPower);
  }
  favorites->SetConfirmServerDelete(s.confirmServerDelete);
  pages_->setUsesScrollButtons(!s.tabsMultiline);
  toolBar_->setVisible(s.showToolbar);
  favorites->SetDefaultVersion(s.defaultVersion);

  for (const auto& [name, view] : views_) view->SetKeepFavesInSync(s.syncFaves);
  if (s.syncFaves && !syncWasOn) ImportAllFavoritesNow();
  if (s.autoCheckNewVersion && !checkWasOn) StartVersionCheck();
}

void TfrmZorvane::ImportAllFavoritesNow() {
  const auto imported = ImportAllGameFavorites(config_.tables, stash_);
  if (imported.empty()) return;
  QStringList keys, names;
  for (const TImportedFavorite& entry : imported) keys << entry.key, names << entry.description;
  TkorvUTServerView* favorites = FavoritesView();
  favorites->SetPopulating(true);
  favorites->AddImportedRows(keys, names, true);
  favorites->SetPopulating(false);
  favorites->ReloadDetails();
}

// ---- Font

void TfrmZorvane::EditFont() {
  TSettings& s = config_.settings;
  TfrmOptionsFont dialog(this);
  dialog.setFont(font());
  dialog.Fill(s.fontName, s.fontSize, FavoritesView()->ServerGrid());
  dialog.move(geometry().center() - dialog.rect().center());
  if (dialog.exec() != QDialog::Accepted) return;
  if (!FontChoiceChanges(dialog.ChosenName(), dialog.ChosenSize(), s.fontName, s.fontSize))
    return;
  s.fontName = dialog.ChosenName();
  s.fontSize = dialog.ChosenSize();
  dialogs_.Information(this, QStringLiteral("You will need to close and re-open the application "
                                            "in order for the font changes to take effect."));
}

}  // namespace zorvane
