// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/options_controller.h"

#include <QDialog>
#include <QMainWindow>
#include <QMenu>
#include <QTabWidget>
#include <QToolBar>

#include "browse/filter_layout.h"
#include "browse/game_variant_list.h"
#include "browse/server_route.h"
#include "config/configuration.h"
#include "config/ut99_setup.h"
#include "gui/dialogs/font_dialog.h"
#include "gui/dialogs/korv_ini.h"
#include "gui/dialogs/options_dialog.h"
#include "gui/dialogs/player_setup_dialog.h"
#include "gui/view/server_view.h"
#include "gui/window/worker_settings.h"

namespace zorvane {

TOptionsController::TOptionsController(TWindowContext& context, QTabWidget* pages,
                                       TOptionsHooks hooks)
    : context_(context), pages_(pages), hooks_(std::move(hooks)) {}

TkorvUTServerView* TOptionsController::Favorites() const {
  return context_.view(QString::fromLatin1(kFavoriteGameType));
}

void TOptionsController::CreateMenuItems(QMenu* tools) {
  QAction* options =
      context_.addAction(tools, "actOptions", QStringLiteral("&Options..."), Qt::Key_F11);
  options->setToolTip(QStringLiteral("Options"));
  connect(options, &QAction::triggered, this, &TOptionsController::EditOptions);
  connect(context_.addAction(tools, "actOptionsFont", QStringLiteral("Font..."), {}),
          &QAction::triggered, this, &TOptionsController::EditFont);
  connect(context_.addAction(nullptr, "actSetRefreshRateToNone",
                             QStringLiteral("Set Refresh Rate To None"), Qt::Key_F7),
          &QAction::triggered, this, [this] { SetFavoritesRefreshRate(0); });
  connect(context_.addAction(nullptr, "actToggleRefreshRate", QStringLiteral("Toggle Refresh Rate"),
                             Qt::CTRL | Qt::Key_F7),
          &QAction::triggered, this,
          [this] { SetFavoritesRefreshRate(NextRefreshRate(Favorites()->AutoRefreshRate())); });
}

void TOptionsController::AddToolButton() {
  toolBar_->addAction(context_.findAction(QStringLiteral("actOptions")));
}

void TOptionsController::SetFavoritesRefreshRate(int ms) {
  context_.config.settings.refreshRate = ms;  // saved at close like a rate chosen in the dialog
  Favorites()->SetAutoRefreshRate(ms);
}

// ---- Options

void TOptionsController::EditOptions() {
  // The tool bar can be hidden from its own menu: the dialog shows it as it is.
  TSettings shown = context_.config.settings;
  shown.showToolbar = !toolBar_->isHidden();
  shown.tabsMultiline = !pages_->usesScrollButtons();
  QStringList variants;
  FillGameVariantList(variants, 0);
  QMainWindow* window = context_.window;
  TfrmOptions dialog(context_.dialogs, variants, hooks_.favoriteGameNames(), window);
  dialog.setFont(window->font());
  dialog.Fill(OptionsFormFrom(shown));
  dialog.adjustSize();
  dialog.move(window->geometry().center() - dialog.rect().center());
  if (dialog.exec() != QDialog::Accepted) return;
  ApplyOptions(dialog.Form());
}

void TOptionsController::ApplyOptions(const TOptionsForm& form) {
  TSettings& s = context_.config.settings;
  TkorvUTServerView* favorites = Favorites();
  const bool syncWasOn = s.syncFaves;
  const bool checkWasOn = s.autoCheckNewVersion;
  const bool historyWasOn = s.serverHistory;
  const TFilterPanelAlign oldAlign = favorites->FilterPanelAlign();
  StoreOptionsForm(form, s);

  favorites->SetAutoRefreshRate(s.refreshRate);
  favorites->SetAutoRefreshSelectedServerOnly(s.autoRefreshSelectedServerOnly);
  const std::vector<TkorvUTServerView*> views = context_.allViews();
  TellWorkers(s, &hooks_.massRefresh(), views, true);
  // Every view, its tab shown or not: hidden views keep their layout for when they are shown.
  const TFilterPanelAlign align = FilterPanelAlignFromText(s.filterLocation);
  for (TkorvUTServerView* view : views) {
    if (align != oldAlign) {
      view->SetFilterPanelAlign(align);
      view->LayoutFilters(false);
    }
  }
  favorites->SetConfirmServerDelete(s.confirmServerDelete);
  pages_->setUsesScrollButtons(!s.tabsMultiline);
  toolBar_->setVisible(s.showToolbar);
  favorites->SetDefaultVersion(s.defaultVersion);

  for (TkorvUTServerView* view : views) view->SetKeepFavesInSync(s.syncFaves);
  if (s.syncFaves && !syncWasOn) hooks_.importAllFavorites();
  if (s.autoCheckNewVersion && !checkWasOn) hooks_.startVersionCheck();
  if (s.serverHistory != historyWasOn && hooks_.serverHistoryChanged)
    hooks_.serverHistoryChanged(s.serverHistory);
}

// ---- Font

void TOptionsController::EditFont() {
  TSettings& s = context_.config.settings;
  QMainWindow* window = context_.window;
  TfrmOptionsFont dialog(window);
  dialog.setFont(window->font());
  dialog.Fill(s.fontName, s.fontSize, Favorites()->ServerGrid());
  dialog.move(window->geometry().center() - dialog.rect().center());
  if (dialog.exec() != QDialog::Accepted) return;
  if (!FontChoiceChanges(dialog.ChosenName(), dialog.ChosenSize(), s.fontName, s.fontSize)) return;
  s.fontName = dialog.ChosenName();
  s.fontSize = dialog.ChosenSize();
  context_.dialogs.Information(window,
                               QStringLiteral("You will need to close and re-open the application "
                                              "in order for the font changes to take effect."));
}

// ---- Quick set-up

void TOptionsController::CreateQuickSetupItems(QMenu* tools, QToolBar* toolBar) {
  toolBar_ = toolBar;
  QAction* player = context_.addAction(
      tools, "actPlayerSetup", QStringLiteral("Quick Player Setup..."), Qt::CTRL | Qt::Key_Q);
  player->setToolTip(QStringLiteral("Quick Player Setup"));
  // The same action on the tool bar: one shortcut, no ambiguous twin.
  toolBar_->addAction(player);
  connect(player, &QAction::triggered, this, &TOptionsController::QuickPlayerSetup);
  connect(context_.addAction(tools, "actUT99Setup", QStringLiteral("Quick UT 99 Setup..."),
                             Qt::CTRL | Qt::Key_U),
          &QAction::triggered, this, &TOptionsController::QuickUT99Setup);
}

void TOptionsController::QuickPlayerSetup() {
  // Without any user INI, the found games or the path dialog first.
  if (!hooks_.offerUserIni(context_.config.settings.defaultGame)) return;
  zorvane::QuickPlayerSetup(context_.window, context_.dialogs, context_.config.tables,
                            context_.config.settings.defaultGame);
}

void TOptionsController::QuickUT99Setup() {
  const QString path = Ut99MainIniPath(context_.config.tables);
  if (path.isEmpty()) {
    context_.dialogs.Information(context_.window,
                                 QStringLiteral("Please use System/Game INIs to enter the path to "
                                                "the unrealtournament.ini file."));
    return;
  }
  if (!iniUT_) {
    iniUT_ = new TkorvINI(iniUTMessages_, context_.window);
    iniUT_->setObjectName(QStringLiteral("iniUT"));
    // A fresh read on every run: the game may have changed the file in between.
    iniUT_->SetOwnerOfMemFile(true);
  }
  iniUT_->SetFileName(path);
  iniUT_->SetMasterControl(iniUT_->CreateDialog(true));
  for (const QString& line : Ut99SetupNotes(iniUT_->FileName())) iniUT_->AddNote(line);
  for (const TINIInfo& item : context_.config.settings.ut99Keys)
    iniUT_->AddField(item.Section, item.Key, item.Comment);
  QDialog* editor = iniUT_->Dialog();
  editor->setObjectName(QStringLiteral("frmUT99Setup"));
  editor->resize(context_.config.settings.ut99iniWidth, context_.config.settings.ut99iniHeight);
  iniUT_->Execute();
  context_.config.settings.ut99iniWidth = editor->width();
  context_.config.settings.ut99iniHeight = editor->height();
}

}  // namespace zorvane
