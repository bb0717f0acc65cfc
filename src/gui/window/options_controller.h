// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The window's preferences and quick set-up: the Options and Font dialogs of the Tools menu,
// the two keys that change the favourites' automatic refresh rate, Quick Player Setup and Quick
// UT 99 Setup. The dialogs show the settings as they are and on OK the window takes the chosen
// ones at once.

#include <QMainWindow>
#include <QObject>
#include <QStringList>
#include <functional>

#include "config/option_choices.h"
#include "gui/dialogs/window_dialogs.h"
#include "gui/window/window_context.h"

class QTabWidget;
class QToolBar;

namespace zorvane {

class TMassRefresh;
class TkorvINI;

// What the options reach beyond the views and the settings.
struct TOptionsHooks {
  std::function<TMassRefresh&()> massRefresh;
  std::function<QStringList()> favoriteGameNames;
  std::function<void()> importAllFavorites;  // favourites newly kept in sync
  std::function<void()> startVersionCheck;   // the version check newly turned on
  // Without any user INI, the found games or the path dialog first; false: nothing to set up.
  std::function<bool(const QString& game)> offerUserIni;
  std::function<void(bool on)> serverHistoryChanged;  // "serverHistory" turned on or off
};

class TOptionsController : public QObject {
  Q_OBJECT
 public:
  TOptionsController(TWindowContext& context, QTabWidget* pages, TOptionsHooks hooks);

  // Options, Font and the refresh-rate keys in tools.
  void CreateMenuItems(QMenu* tools);
  // The two quick set-ups in tools, Quick Player Setup on the tool bar too.
  void CreateQuickSetupItems(QMenu* tools, QToolBar* toolBar);
  // Options on the tool bar, after the set-up.
  void AddToolButton();

  void EditOptions();
  // Takes the dialog's choices into the settings and everything that follows them.
  void ApplyOptions(const TOptionsForm& form);

 private:
  TkorvUTServerView* Favorites() const;
  void EditFont();
  void SetFavoritesRefreshRate(int ms);
  void QuickPlayerSetup();
  void QuickUT99Setup();

  TWindowContext& context_;
  QTabWidget* pages_;
  TOptionsHooks hooks_;
  QToolBar* toolBar_ = nullptr;
  TDialogsSink iniUTMessages_{context_.dialogs, context_.window};
  // The INI store of UT's main INI file (a child of the window), made on the first Quick UT 99
  // Setup.
  TkorvINI* iniUT_ = nullptr;
};

}  // namespace zorvane
