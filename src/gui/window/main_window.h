// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// TfrmZorvane: the main window. It owns the stash, one server view per shown game type plus
// "Other" and "Favorites", the two monitor pages, the log, the tray icon and the mass refresh,
// loads the configuration at start and saves it when it closes.

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
#include "query/server_stash.h"

class QAction;
class QMenu;
class QProgressBar;
class QToolBar;

namespace zorvane {

class TfrmNote;
class TGameDiscovery;
class TGameTabsOffer;
class TLanController;
class TServerNotifier;
class TSoundPlayer;
class TVersionCheck;
class TkorvINI;
class TMapMonitor;
class TPlayerMonitor;
class TGameFavoritesFile;
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
};

class TfrmZorvane : public QMainWindow, private TMassRefreshHost {
  Q_OBJECT
 public:
  explicit TfrmZorvane(const TStartOptions& options, QWidget* parent = nullptr);
  ~TfrmZorvane() override;

  // Runs what comes after the window is first shown: the failure message and close, or the
  // one-time notices and the start-up query.
  void FirstShow();

  bool StartFailed() const { return startFailed_; }
  bool StartedUp() const { return startedUp_; }
  bool StartInTray() const { return config_.settings.startInTray; }
  // Whether the process shows the window at start: not when it starts in the tray, unless
  // there is no tray to start in (or the start failed and must say so).
  bool ShowAtStart() const { return startFailed_ || !StartInTray() || !tray_; }
  TServerStash& Stash() { return stash_; }
  TConfiguration& Config() { return config_; }
  TMassRefresh& MassRefresh() { return *massRefresh_; }
  TfrmNote* LogWindow() const { return log_; }
  TGameDiscovery* GameDiscovery() const { return gameDiscovery_; }
  TLanController* Lan() const { return lan_; }
  QTabWidget* Pages() const { return pages_; }
  // The view of a game type ("Other" and "Favorite" included), visible or not.
  TkorvUTServerView* View(const QString& gameType) const;
  TkorvUTServerView* FavoritesView() const { return View(QStringLiteral("Favorite")); }
  TkorvUTServerView* CurrentView() const { return currentView_; }
  QAction* FindWindowAction(const QString& name) const;
  QSystemTrayIcon* Tray() const { return tray_; }
  TStatusLine* PlayerMonitorStatus() const { return staPlayerMonitor_; }
  TStatusLine* MapMonitorStatus() const { return staMapMonitor_; }
  TkorvStringGrid* PlayerMonitorGrid() const { return grdPlayerMonitor_; }
  TkorvStringGrid* MapMonitorGrid() const { return grdMapMonitor_; }
  TPlayerMonitor& PlayerMonitor() { return *playerMonitor_; }
  TMapMonitor& MapMonitor() { return *mapMonitor_; }

  void Log(const QString& text);
  void DebugLine(const QString& text);
  // Targets: 1 the window's own bars, 2 every visible view, 4 the current view (without 2).
  void SetStatus(int targets, int panel, bool restore, bool highlight, const QString& text);

  // Starts the game of the server under key (the views' join action).
  void JoinServer(const QString& key);
  // How a join asks for a game's missing executable path (the game-path dialog).
  void SetAskGamePath(TAskExePath ask) { askGamePath_ = std::move(ask); }
  bool AskExePath(const QString& game);

  void StartMassRefresh(const QString& variant = QStringLiteral("UT"));
  void PingAllServerLists();
  void ShowFromTray();

  // ---- Notifications and the version check (main_window_notify.cpp)
  // Asks the "versionHost" setting's host for the newest version (nothing without a host).
  void StartVersionCheck();
  void CloseVersionCheck();
  // The application and tray icons and the tip for the server under key ("setup": none).
  // Nothing during a mass refresh.
  void UpdateTray(const QString& key);
  int TrayImage() const { return trayImage_; }
  QString TrayTip() const { return trayTip_; }
  // A new icon group (the Application Icon dialog's OK).
  void ApplyIconGroup(int group);
  TServerNotifier& Notifier() { return *notifier_; }
  TVersionCheck& VersionCheck() { return *versionCheck_; }

  // ---- Favourites (main_window_favorites.cpp)
  // A new favourite (added, or a listed server marked): its row in the favourites view and,
  // with favourites kept in sync, its entry in its game's file.
  void AddFavoriteRow(const QString& key, const QString& name);
  // Imports a game's favourites file (empty game: the one to ask for) into the favourites view.
  void ImportFavorites(const QString& game, bool silent);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // The mass refresh's view of the window.
  void ActivityLog(const QString& text) override { Log(text); }
  void DebugLog(const QString& text) override { DebugLine(text); }
  void ShowStatus(const QString& text) override { SetStatus(1 | 4, 0, false, false, text); }
  bool StopFavoritesAutoRefresh() override;
  void RestartFavoritesAutoRefresh() override;
  void StopReplyWaitTimers() override;
  void RestartReplyWaitTimers() override;
  void RemoveServersOfGame(const QString& variant) override;
  void SetMassRefreshing(bool on) override;
  void RebuildViews() override;
  int ViewCount() override;
  void RebuildView(int index) override;
  void ReselectServers() override;
  bool ShowLowReplyNotice(const QString& text) override;
  void ShowMasterFailure(const QString& text) override;
  void RefreshCaptionAndMonitors() override;
  void ShowProgress(const TRefreshProgress& progress) override;

  // The mass refresh's progress bar and its Stop command (tool bar, Esc).
  void CreateStopControls();
  void ShowStopControls(bool on);
  void StopNotificationTimers() override;
  void MassRefreshFinished() override;

  void CreateMenus();
  void CreateViews();
  TkorvUTServerView* CreateView(const TGameType& type);
  QWidget* CreateMonitorPage(const QString& title, const QString& firstColumn, int firstWidth,
                             TkorvStringGrid*& grid, TStatusLine*& status);
  void ApplySettings();
  void ApplyMonitorLayout(TkorvStringGrid* grid, const TGridSort& sort,
                          const std::vector<int>& widths);
  void GatherSettings();
  void PageChanged(int index);
  void BindToView(TkorvUTServerView* view);
  void ServerMenuOpening();
  void ServerUpdated(const QString& key);
  std::vector<TkorvUTServerView*> VisibleViews() const;
  void KeepViewsInStep(TkorvUTServerView* view);
  void SetDebug(bool on);
  void StartupQuery();

  // The sounds, the icons and the version check (main_window_notify.cpp).
  void CreateNotifications(const TStartOptions& options);
  void CreateNotifyMenuItems(QMenu* tools);
  void CreateDebugMenu();
  void NotifyServerReply(const QString& key);
  void EditSounds();
  void EditIconGroup();
  void StopNotifications();

  // The favourites commands (main_window_favorites.cpp).
  void ConnectFavoriteCommands(TkorvUTServerView* view);
  void AddFavorite(TkorvUTServerView* view);
  void EditFavorite(TkorvUTServerView* view);
  void DeleteFavorite(TkorvUTServerView* view);
  void AddServerToFavorites(TkorvUTServerView* view);
  // The listed server under key becomes a favourite (asking its game when it needs one).
  void AddServerKeyToFavorites(const QString& key);
  void ExportFavorites();
  void ExportCurrentFavorite(TkorvUTServerView* view);
  // Opens a game's favourites file, asking for the game and its path where they are missing
  // (never when silent); game is the one chosen.
  std::unique_ptr<TGameFavoritesFile> OpenFavoritesFile(const QString& verb, QString& game,
                                                        bool silent);
  QStringList FavoriteGameNames() const;
  // With favourites kept in sync, every game's favourites join the stash at start.
  void ImportFavoritesAtStart();
  // The server cache (main_window_cache.cpp): read once at start, written when a master list's
  // reply wait ends and at close.
  void LoadServerCacheAtStart();
  void ShowCachedServers();
  void ScheduleServerCacheWrite();
  void SaveServerCacheNow();
  // After the favourites paths changed: offers to import from the moved files.
  void OfferMovedFavoritesImport();

  // The set-up commands of the System and Tools menus (main_window_setup.cpp).
  void CreateSystemMenuItems(QMenu* system);
  void CreateToolsMenuItems(QMenu* tools);
  // A window-wide action (its shortcut works on every page), in menu when one is given.
  QAction* AddWindowAction(QMenu* menu, const char* name, const QString& caption,
                           const QKeySequence& shortcut = {});
  void EditLocalPort();
  void EditPaths(const QString& fieldKey);
  void EditGames();
  void EditGameTypes();
  void EditVisibleTabs();
  void FollowGameTypeChanges(const TGameTypeCommit& commit);
  TkorvUTServerView* CreateViewLikeFavorites(const TGameType& type);
  void ShowTab(TkorvUTServerView* view);
  void HideTab(TkorvUTServerView* view);

  // Quick Player Setup and Quick UT 99 Setup (main_window_quick_setup.cpp).
  void CreateQuickSetupItems(QMenu* tools);
  void QuickPlayerSetup();
  void QuickUT99Setup();
  // The options and font dialogs and the refresh-rate keys (main_window_options.cpp).
  void CreateOptionsMenuItems(QMenu* tools);
  void AddOptionsToolButton();
  void EditOptions();
  void EditFont();
  void ApplyOptions(const TOptionsForm& form);
  void SetFavoritesRefreshRate(int ms);
  // With favourites newly kept in sync: every game's favourites join the list at once.
  void ImportAllFavoritesNow();

  // The player and map monitors, find and the buddy list (main_window_monitors.cpp).
  void CreateMonitors();
  void ConnectViewToMonitors(TkorvUTServerView* view);
  void CreateMonitorMenus();
  void LoadWatchedLists();
  void GatherMonitorSettings();
  void UpdateMonitorsForServer(const QString& key);
  void AddWatchedPlayer();
  void DeleteWatchedPlayer();
  void AddWatchedMap();
  void DeleteWatchedMap();
  void JoinMonitorRow(TkorvStringGrid* grid);
  void CopyMonitorName(TkorvStringGrid* grid);
  void PlayerPopupOpening(int row);
  void MapPopupOpening(int row);
  void FindDialog(TFindKind kind);
  void FindNext(TFindKind kind);
  void ImportPlayers();
  void ExportPlayer();
  QString ChooseBuddyFile(const QString& verb);

  std::unique_ptr<TWindowDialogs> ownDialogs_;  // before dialogs_, which may refer to it
  TWindowDialogs& dialogs_;
  TDialogsSink iniUTMessages_{dialogs_, this};
  TConfiguration config_;
  TServerStash stash_;
  std::unique_ptr<TCountryLookup> countries_;  // the views' Country column
  std::unique_ptr<TMassRefresh> massRefresh_;
  bool startFailed_ = false;
  bool startedUp_ = false;
  bool firstShow_ = true;
  bool closed_ = false;
  bool favoritesListed_ = false;  // the start-up query has listed and selected the favourites
  int cachedServers_ = 0;         // servers listed from the cache at start
  // False while the cache file holds a list this session could not read (damaged, or from a
  // newer version): closing does not overwrite it unless a master list has come in since.
  bool cacheWritable_ = true;
  bool debug_ = false;
  QString startFailureText_;

  TfrmNote* log_ = nullptr;
  TGameDiscovery* gameDiscovery_ = nullptr;  // a child: the games found by themselves
  TLanController* lan_ = nullptr;            // a child: the LAN search and the LAN tab
  // The INI store of UT's main INI file (a child), made on the first Quick UT 99 Setup.
  TkorvINI* iniUT_ = nullptr;
  QTabWidget* pages_ = nullptr;
  std::map<QString, TkorvUTServerView*> views_;  // lower-cased game type -> view (children)
  QPointer<TkorvUTServerView> currentView_;
  TkorvStringGrid* grdPlayerMonitor_ = nullptr;
  TkorvStringGrid* grdMapMonitor_ = nullptr;
  TStatusLine* staPlayerMonitor_ = nullptr;
  TStatusLine* staMapMonitor_ = nullptr;
  QSystemTrayIcon* tray_ = nullptr;
  QMenu* trayMenu_ = nullptr;
  QMenu* serverMenu_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QAction* stopAction_ = nullptr;
  // Menu items and tool-bar buttons that follow the current view's action of the same name.
  struct TBoundItem {
    QAction* item;
    QString actionName;
    bool toolButton;  // a tool-bar button shows its item's shortcut but does not own it
  };
  std::vector<TBoundItem> boundItems_;
  std::vector<QAction*> windowActions_;
  QTimer timCloseHelper_;

  // The monitors write into their grids' cells; they go before the grids and the stash.
  std::unique_ptr<TPlayerMonitor> playerMonitor_;
  std::unique_ptr<TMapMonitor> mapMonitor_;
  QMenu* playerMonitorMenu_ = nullptr;
  QMenu* popPlayerMonitor_ = nullptr;
  QMenu* popMapMonitor_ = nullptr;
  TFindSearch findPlayer_{TFindKind::Player};
  TFindSearch findServer_{TFindKind::Server};

  // Sounds, tray icon and version check.
  std::unique_ptr<TSoundPlayer> ownSounds_;
  TSoundPlayer* sounds_ = nullptr;
  std::unique_ptr<TServerNotifier> notifier_;
  std::unique_ptr<TVersionCheck> versionCheck_;
  QMenu* debugMenu_ = nullptr;
  int trayImage_ = 0;
  QString trayTip_;

  // Asks once whether UT2004's game types get tabs (before their first master list).
  std::unique_ptr<TGameTabsOffer> tabsOffer_;

  // Joining.
  std::unique_ptr<TGameLauncher> ownLauncher_;
  TGameLauncher* launcher_ = nullptr;
  // Joining asks for a missing executable path through the game-path dialog, locked on the
  // server's game; tests put their own answer in its place.
  TAskExePath askGamePath_ = [this](const QString& game) { return AskExePath(game); };
};

}  // namespace zorvane
