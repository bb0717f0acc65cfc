// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// TfrmZorvane: the main window. It owns the configuration, the stash, one server view per game
// type plus "Other", "Favorites" and "LAN", the log and its controllers (monitors,
// notifications, favourites, server cache, options, joining, mass refresh, set-up, LAN search,
// server history), most handed the window's context; it builds the menus and pages, routes
// every reply, loads the configuration at start and saves it when it closes.

#include <QMainWindow>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <map>
#include <memory>
#include <vector>

#include "browse/country_lookup.h"
#include "browse/find_search.h"
#include "browse/join_server.h"
#include "browse/mass_refresh.h"
#include "config/configuration.h"
#include "config/game_edits.h"
#include "config/installed_games.h"
#include "config/option_choices.h"
#include "gui/dialogs/window_dialogs.h"
#include "gui/view/server_view.h"
#include "gui/window/window_context.h"
#include "query/server_stash.h"

class QAction;
class QMenu;
class QProgressBar;
class QToolBar;

namespace zorvane {

class TFileWriter;
class TfrmNote;
class TGameDiscovery;
class TGameSetupController;
class TGameTabsOffer;
class THistoryController;
class TLanController;
class TServerCacheController;
class TServerNotifier;
class TSoundPlayer;
class TVersionCheck;
class TkorvINI;
class TJoinController;
class TMapMonitor;
class TMassRefreshController;
class TMonitorsController;
class TOptionsController;
class TNotificationsController;
class TPlayerMonitor;
class TFavoritesController;
class TkorvStringGrid;
class TStatusLine;

struct TStartOptions {
  QString directory;                  // where the configuration files live
  TWineRegistry* registry = nullptr;  // installed-game detection (none: nothing detected)
  TWindowDialogs* dialogs = nullptr;  // none: the real message boxes
  TGameLauncher* launcher = nullptr;  // none: games are started for real
  TSoundPlayer* sounds = nullptr;     // none: sounds are played for real
  // Where installed games are looked for; none: this user's home, environment and the
  // shared install folders.
  std::optional<TGameSearchPlaces> gameSearch;
  // Where sounds are looked up after the start directory; none given: beside the program and
  // in its installed data folder.
  QStringList soundDataFolders;
  // The bus the desktop's notices go to (an address); empty: the session bus.
  QString notificationBus;
};

class TfrmZorvane : public QMainWindow {
  Q_OBJECT
 public:
  explicit TfrmZorvane(const TStartOptions& options, QWidget* parent = nullptr);
  ~TfrmZorvane() override;

  // Runs what comes after the window is first shown: the failure message and close, or the
  // one-time notices and the start-up query.
  void FirstShow();

  bool StartFailed() const { return startFailed_; }
  // A file write handed to the writer thread outlasted the close's wait (a disk that hangs):
  // the process ends without destroying the window, whose writer would wait for it.
  bool WriteStillRunning() const;
  bool StartedUp() const { return startedUp_; }
  bool StartInTray() const { return config_.settings.startInTray; }
  // Whether the process shows the window at start: not when it starts in the tray, unless
  // there is no tray to start in (or the start failed and must say so).
  bool ShowAtStart() const;
  TServerStash& Stash() { return stash_; }
  TFileWriter& Writer() { return *writer_; }
  TConfiguration& Config() { return config_; }
  TMassRefresh& MassRefresh();
  TfrmNote* LogWindow() const { return log_; }
  TGameDiscovery* GameDiscovery() const { return gameDiscovery_; }
  TLanController* Lan() const { return lan_.get(); }
  QTabWidget* Pages() const { return pages_; }
  // The view of a game type ("Other" and "Favorite" included) if it has been made: the views
  // of shown tabs, Favorites and LAN are made at start, a hidden one when its tab is shown.
  TkorvUTServerView* View(const QString& gameType) const;
  // The same, made now if the game type has none yet; null for a type that does not exist.
  TkorvUTServerView* EnsureView(const QString& gameType);
  TkorvUTServerView* FavoritesView() const { return View(QStringLiteral("Favorite")); }
  TkorvUTServerView* CurrentView() const { return currentView_; }
  QAction* FindWindowAction(const QString& name) const;
  TMonitorsController& Monitors() { return *monitors_; }

  void Log(const QString& text);
  void DebugLine(const QString& text);
  // Targets: 1 the window's own bars, 2 every visible view, 4 the current view (without 2).
  void SetStatus(int targets, int panel, bool restore, bool highlight, const QString& text);

  // Starts the game of the server under key (the views' join action).
  TJoinController& Joining() { return *joining_; }

  void StartMassRefresh(const QString& variant = QStringLiteral("UT"));
  void ShowFromTray();

  TNotificationsController& Notifications() { return *notifications_; }

  TFavoritesController& Favorites() { return *favorites_; }

  THistoryController& History() { return *history_; }

  TServerCacheController& ServerCache() { return *cache_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void CreateMenus();
  void CreateViews();
  TkorvUTServerView* CreateView(const TGameType& type);
  // At start and at close (main_window_settings.cpp).
  void ApplySettings();
  void GatherSettings();
  void PageChanged(int index);
  void BindToView(TkorvUTServerView* view);
  void ServerMenuOpening();
  void ServerUpdated(const QString& key);
  std::vector<TkorvUTServerView*> VisibleViews() const;
  void SetDebug(bool on);
  void StartupQuery();

  // The views made and dropped after start, their tabs (main_window_setup.cpp).
  // A window-wide action (its shortcut works on every page), in menu when one is given.
  QAction* AddWindowAction(QMenu* menu, const char* name, const QString& caption,
                           const QKeySequence& shortcut = {});
  void FollowGameTypeChanges(const TGameTypeCommit& commit);
  // A view made after start, laid out as the favourites are; its filters' values are the
  // stored ones of its game type, or none for a new type.
  TkorvUTServerView* CreateViewLikeFavorites(const TGameType& type, bool storedFilters);
  void ShowTab(TkorvUTServerView* view);
  void HideTab(TkorvUTServerView* view);


  std::unique_ptr<TWindowDialogs> ownDialogs_;  // before dialogs_, which may refer to it
  TWindowDialogs& dialogs_;
  TConfiguration config_;
  TServerStash stash_;
  TWindowContext context_;  // what the controllers are handed
  // The one writer thread: the file writes that may block. Joined at close, or first thing in
  // the destructor, so no job outlives the controllers its results go back to.
  std::unique_ptr<TFileWriter> writer_;
  std::unique_ptr<TCountryLookup> countries_;  // the views' Country column
  std::unique_ptr<TMassRefreshController> refresher_;  // the mass refresh and its controls
  std::unique_ptr<TServerCacheController> cache_;      // the last session's list
  std::unique_ptr<TOptionsController> options_;       // the preferences and quick set-up
  std::unique_ptr<TFavoritesController> favorites_;   // the favourites and the games' files
  std::unique_ptr<TGameSetupController> setup_;       // the System menu's set-up commands
  bool startFailed_ = false;
  bool startedUp_ = false;
  bool firstShow_ = true;
  bool closed_ = false;
  bool favoritesListed_ = false;  // the start-up query has listed and selected the favourites
  bool debug_ = false;
  QString startFailureText_;

  TfrmNote* log_ = nullptr;
  TGameDiscovery* gameDiscovery_ = nullptr;  // a child: the games found by themselves
  QTabWidget* pages_ = nullptr;
  std::map<QString, TkorvUTServerView*> views_;  // lower-cased game type -> view (children)
  QPointer<TkorvUTServerView> currentView_;
  QMenu* serverMenu_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  // Menu items and tool-bar buttons that follow the current view's action of the same name.
  struct TBoundItem {
    QAction* item;
    QString actionName;
    bool toolButton;  // a tool-bar button shows its item's shortcut but does not own it
  };
  std::vector<TBoundItem> boundItems_;
  std::vector<QAction*> windowActions_;
  QTimer timCloseHelper_;

  // The player and map monitors, find and the buddy list (after the stash, which they read).
  std::unique_ptr<TMonitorsController> monitors_;

  // The server history, its charts and columns, the desktop's notices (after the monitors
  // and the writer, which it uses).
  std::unique_ptr<THistoryController> history_;

  // Sounds, tray icon and version check.
  std::unique_ptr<TNotificationsController> notifications_;

  // Asks once whether UT2004's game types get tabs (before their first master list).
  std::unique_ptr<TGameTabsOffer> tabsOffer_;

  // Joining (its launcher and the question for a missing executable path).
  std::unique_ptr<TJoinController> joining_;

  // The LAN search and the LAN tab (after the stash and the views it uses).
  std::unique_ptr<TLanController> lan_;
};

}  // namespace zorvane
