// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/main_window.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "browse/map_monitor.h"
#include "browse/player_monitor.h"
#include "browse/server_notifier.h"
#include "browse/server_route.h"
#include "browse/server_rows.h"
#include "browse/sound_files.h"
#include "browse/tray_state.h"
#include "browse/version_check.h"
#include "gui/controls/log_window.h"
#include "gui/dialogs/filters_dialog.h"
#include "gui/grid/string_grid.h"
#include "gui/view/filter_panel.h"
#include "gui/view/server_view.h"
#include "gui/view/status_line.h"
#include "gui/window/game_discovery.h"
#include "gui/window/game_setup_controller.h"
#include "gui/window/game_tabs_offer.h"
#include "gui/window/favorites_controller.h"
#include "gui/window/help_menu.h"
#include "gui/window/history_controller.h"
#include "gui/window/join_controller.h"
#include "gui/window/lan_controller.h"
#include "gui/window/mass_refresh_controller.h"
#include "gui/window/monitors_controller.h"
#include "gui/window/notifications_controller.h"
#include "gui/window/options_controller.h"
#include "gui/window/server_cache_controller.h"
#include "gui/window/views_in_step.h"
#include "gui/window/worker_settings.h"
#include "query/file_writer.h"

namespace zorvane {

namespace {

const QString kFavorite = QStringLiteral("Favorite");

TWindowDialogs& DialogsOf(const TStartOptions& options, std::unique_ptr<TWindowDialogs>& own) {
  if (options.dialogs) return *options.dialogs;
  own = std::make_unique<TMessageBoxDialogs>();
  return *own;
}

// The menu names the window binds to the current view's actions of the same name.
struct TBinding {
  const char* menuItem;
  const char* toolButton;
  const char* action;
  // The tool button's own label: the view's caption, which names the tab, is its tip.
  const char* buttonText = nullptr;
};

// How long a close waits for the files handed to the writer thread.
constexpr int kCloseWriteWaitMs = 10000;

constexpr TBinding kBindings[] = {
    {"miRefreshServerGrid", "barRefreshServerGrid", "actRefreshServerGrid", "Ping List"},
    {"miRefreshServer", "barPingServer", "actRefreshServer", "Ping Server"},
    {"miJoinServer", "barJoinServer", "actJoinServer", "Join"},
    {"miQuickSearch", nullptr, "actQuickSearch"},
    {"miAddPlayerToPlayerMonitorList", nullptr, "actAddServerPlayerToPlayerMonitor"},
    {"miAddServerToFavorites", nullptr, "actAddServerToFavorites"},
    {"miImportFavorites", nullptr, "actImportFavorites"},
    {"miExportFavorites", nullptr, "actExportFavorites"},
    {"miExportFavorite", nullptr, "actExportFavorite"},
    {"miCopyServer", nullptr, "actCopyServer"},
    {"miAddMapToMonitor", nullptr, "actAddMapToMonitor"},
    {"miAddFavorite", nullptr, "actAddFavorite"},
    {"miEditFavorite", nullptr, "actEditFavorite"},
    {"miDeleteFavorite", nullptr, "actDeleteFavorite"},
};

}  // namespace

TfrmZorvane::TfrmZorvane(const TStartOptions& options, QWidget* parent)
    : QMainWindow(parent),
      dialogs_(DialogsOf(options, ownDialogs_)),
      context_{this,
               dialogs_,
               config_,
               stash_,
               [this](QMenu* menu, const char* name, const QString& caption,
                      const QKeySequence& shortcut) {
                 return AddWindowAction(menu, name, caption, shortcut);
               },
               [this](const QString& name) { return FindWindowAction(name); },
               [this](const QString& gameType) { return View(gameType); },
               [this] { return currentView_.data(); },
               [this] { return VisibleViews(); },
               [this] {
                 std::vector<TkorvUTServerView*> views;
                 for (const auto& [name, view] : views_) views.push_back(view);
                 return views;
               },
               [this] { BindToView(currentView_); },
               [this](const QString& key) { joining_->JoinServer(key); },
               [this](const QString& key) { favorites_->AddServerKeyToFavorites(key); },
               [this](const QString& text) { Log(text); },
               [this](const QString& text) { DebugLine(text); },
               [this](int targets, int panel, bool restore, bool highlight, const QString& text) {
                 SetStatus(targets, panel, restore, highlight, text);
               },
               [this] { return refresher_->Refresh().MassRefreshing(); },
               [this] { return qobject_cast<TkorvUTServerView*>(pages_->currentWidget()); }} {
  joining_ = std::make_unique<TJoinController>(context_, options.launcher);
  setWindowTitle(QStringLiteral("Zorvane"));
  setObjectName(QStringLiteral("frmZorvane"));
  timCloseHelper_.setInterval(100);
  timCloseHelper_.setSingleShot(true);
  connect(&timCloseHelper_, &QTimer::timeout, this, &QWidget::close);

  TDialogsSink sink(dialogs_, this);
  if (!LoadConfiguration(config_, options.directory, TConfigMode::ReadWrite, stash_, sink,
                         options.registry)) {
    startFailed_ = true;
    startFailureText_ = config_.startFailureText;
    return;
  }
  log_ = new TfrmNote(this);
  config_.log = [this](const QString& line) { Log(line); };
  Log(QStringLiteral("Application Started"));
  countries_ = std::make_unique<TCountryLookup>(DefaultLocationDatabase());
  if (!countries_->IsOpen()) Log(countries_->OpenProblem());
  startedUp_ = true;
  debug_ = config_.settings.debug;
  gameDiscovery_ = new TGameDiscovery(this, dialogs_, config_.tables,
                                      options.gameSearch.value_or(TGameSearchPlaces::OfThisUser()),
                                      [this] {
                                        favorites_->OfferMovedImport();
                                        tabsOffer_->OfferForInstalledGames();
                                      });

  writer_ = std::make_unique<TFileWriter>();
  cache_ = std::make_unique<TServerCacheController>(context_, *writer_);
  favorites_ = std::make_unique<TFavoritesController>(context_);
  refresher_ = std::make_unique<TMassRefreshController>(
      context_, TMassRefreshHooks{
                    [this](const QString& variant) {
                      tabsOffer_->OfferFor(variant);
                      return !closed_;
                    },
                    [this] { monitors_->RefreshAll(); },
                    [this] { notifications_->StopTimers(); },
                    [this] {
                      // A failed master query leaves the stash as it was, and the cache file
                      // too; a cut list adds its servers but is not the list to keep.
                      if (refresher_->Refresh().Plan().replacesCache) cache_->ScheduleWrite();
                      notifications_->UpdateTrayForCurrentView();
                    }});
  connect(&stash_, &TServerStash::OnServerUpdated, this, &TfrmZorvane::ServerUpdated);
  connect(&stash_, &TServerStash::OnLog, this, [this](int level, const QString& text) {
    if (debug_) Log(QString::number(level) + QStringLiteral(" - ") + text);
  });

  pages_ = new QTabWidget(this);
  pages_->setObjectName(QStringLiteral("pgcMain"));
  setCentralWidget(pages_);
  CreateViews();
  lan_ = std::make_unique<TLanController>(stash_, config_.settings,
                                          View(QString::fromLatin1(kLanType)), nullptr);
  connect(lan_.get(), &TLanController::OnLog, this, &TfrmZorvane::Log);
  connect(lan_.get(), &TLanController::OnStatus, this,
          [this](const QString& text) { SetStatus(1 | 4, 0, false, false, text); });
  connect(lan_.get(), &TLanController::OnServersRemoved, this, [this] {
    for (TkorvUTServerView* view : VisibleViews()) view->PopulateServerGrid(true, true);
  });
  monitors_ = std::make_unique<TMonitorsController>(context_, pages_);
  for (const auto& [name, view] : views_) monitors_->ConnectView(view);
  history_ = std::make_unique<THistoryController>(context_, *writer_, *monitors_,
                                                  options.notificationBus);
  for (const auto& [name, view] : views_) history_->ConnectView(view);
  notifications_ = std::make_unique<TNotificationsController>(
      context_, options.sounds, options.soundDataFolders, monitors_->PlayerMonitor());
  CreateMenus();
  monitors_->CreateMenus(toolBar_, serverMenu_);
  refresher_->CreateStopControls(serverMenu_, toolBar_);
  notifications_->CreateDebugMenu();
  notifications_->SetDebugMenuVisible(debug_);
  tabsOffer_ = std::make_unique<TGameTabsOffer>(
      this, dialogs_, config_.tables, config_.settings.offeredUT2004Tabs,
      [this](const QStringList& gameTypes) {
        for (const QString& name : gameTypes) {
          if (TkorvUTServerView* view = EnsureView(name)) {
            ShowTab(view);
            view->PopulateServerGrid(true, true);
          }
        }
        // Their servers leave "Other".
        TkorvUTServerView* other = View(QString::fromLatin1(kOtherGameType));
        if (other && other->IsOnPage()) other->PopulateServerGrid(true, true);
      });
  ApplySettings();
  favorites_->ImportAtStart();
  cache_->Load();  // after the favourites: a favourite stays the one server it is

  notifications_->CreateTray([this] { ShowFromTray(); });
  notifications_->UpdateTray(QString::fromLatin1(kTraySetupKey));
  connect(pages_, &QTabWidget::currentChanged, this, &TfrmZorvane::PageChanged);
  PageChanged(pages_->currentIndex());
  SetStatus(1 | 2, 1, false, false, QString::fromLatin1(kVersionText));
}

TfrmZorvane::~TfrmZorvane() {
  if (history_) history_->HandClose();  // a window dropped without a close (tests) too
  if (writer_) writer_->FlushAndJoin();
}

bool TfrmZorvane::WriteStillRunning() const {
  // Not joined yet (no close) is not "still running": the destructor runs what it holds.
  return writer_ && !writer_->Running() && !writer_->Finished();
}

bool TfrmZorvane::ShowAtStart() const {
  return startFailed_ || !StartInTray() || !notifications_ || !notifications_->Tray();
}

// ---- Views and pages

void TfrmZorvane::CreateViews() {
  for (const auto& type : config_.tables.gameTypes) {
    // A hidden tab's view (most of them: a few hundred kilobytes each) is made when it is
    // first shown. LAN's is kept for the searches, which list their servers there.
    if (!type->TabVisible && type->Name.Value.compare(kLanType, Qt::CaseInsensitive) != 0)
      continue;
    TkorvUTServerView* view = CreateView(*type);
    if (type->TabVisible) {
      pages_->addTab(view, PlainTitle(view->Title()));
      view->SetOnPage(true);
    } else {
      view->hide();
    }
  }
  currentView_ = FavoritesView();
}

TkorvUTServerView* TfrmZorvane::CreateView(const TGameType& type) {
  const QString name = type.Name.Value;
  auto* view = new TkorvUTServerView(this);
  view->setObjectName(QStringLiteral("view") + name);
  view->SetStash(&stash_);
  view->SetCountryLookup(countries_.get());
  view->SetGameTypes(&config_.tables.gameTypes);
  view->SetGameType(name);
  const bool favorite = name.compare(kFavorite, Qt::CaseInsensitive) == 0;
  view->SetIsFavorite(favorite);
  view->SetTitle(favorite ? QStringLiteral("Favorites") : type.Description.Value);
  view->SetIsTeamView(type.TeamGame.Value);
  views_[name.toLower()] = view;
  // The views of the game types, in their order.
  KeepViewsInStep(view, [this] {
    std::vector<TkorvUTServerView*> views;
    for (const auto& type : config_.tables.gameTypes)
      if (TkorvUTServerView* other = View(type->Name.Value)) views.push_back(other);
    return views;
  });
  connect(view, &TkorvUTServerView::OnDebug, this,
          [this](const QString& text) { DebugLine(text); });
  connect(view, &TkorvUTServerView::OnActivityLog, this,
          [this](const QString& text) { Log(text); });
  connect(view, &TkorvUTServerView::OnJoinServer, joining_.get(), &TJoinController::JoinServer);
  // Only the current view's selection is shown in the tray.
  connect(view, &TkorvUTServerView::OnChangeApplicationIcon, this,
          [this](TkorvUTServerView* sender, const QString& key) {
            if (sender == currentView_) notifications_->UpdateTray(key);
          });
  if (monitors_) monitors_->ConnectView(view);  // views made after start
  if (history_) history_->ConnectView(view);
  favorites_->ConnectView(view);
  return view;
}

TkorvUTServerView* TfrmZorvane::View(const QString& gameType) const {
  const auto it = views_.find(gameType.toLower());
  return it == views_.end() ? nullptr : it->second;
}

TkorvUTServerView* TfrmZorvane::EnsureView(const QString& gameType) {
  if (TkorvUTServerView* view = View(gameType)) return view;
  for (const auto& type : config_.tables.gameTypes)
    if (type->Name.Value.compare(gameType, Qt::CaseInsensitive) == 0)
      return CreateViewLikeFavorites(*type, true);
  return nullptr;
}

std::vector<TkorvUTServerView*> TfrmZorvane::VisibleViews() const {
  std::vector<TkorvUTServerView*> views;
  for (const auto& type : config_.tables.gameTypes)
    if (TkorvUTServerView* view = View(type->Name.Value); view && view->IsOnPage())
      views.push_back(view);
  return views;
}

// ---- Menus

QAction* TfrmZorvane::FindWindowAction(const QString& name) const {
  for (QAction* action : windowActions_)
    if (action->objectName() == name) return action;
  for (const TBoundItem& bound : boundItems_)
    if (bound.item->objectName() == name) return bound.item;
  return nullptr;
}

void TfrmZorvane::CreateMenus() {
  const auto windowAction = [this](QMenu* menu, const char* name, const QString& caption,
                                   const QKeySequence& shortcut, auto&& slot) {
    QAction* action = AddWindowAction(menu, name, caption, shortcut);
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  QMenu* system = menuBar()->addMenu(QStringLiteral("S&ystem"));
  setup_ = std::make_unique<TGameSetupController>(
      context_, gameDiscovery_,
      TGameSetupHooks{
          [this](const TGameTypeCommit& commit) { FollowGameTypeChanges(commit); },
          [this](const QString& gameType) {
            const bool made = View(gameType) != nullptr;
            TkorvUTServerView* view = EnsureView(gameType);
            if (!view) return;
            ShowTab(view);
            if (!made) view->PopulateServerGrid(true, true);  // a view made now lists the stash
          },
          [this](TkorvUTServerView* view) { HideTab(view); },
          [this] { favorites_->OfferMovedImport(); }});
  setup_->CreateSystemItems(system);
  windowAction(system, "miExit", QStringLiteral("E&xit"), {}, [this] { close(); });

  QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
  windowAction(tools, "actFilters", QStringLiteral("Use These Filters"), {}, [this] {
    TkorvUTServerView* favorites = FavoritesView();
    const TFilterSet current = favorites->Filters();
    TFilterFlags used{};
    for (int i = 0; i < kFilterCount; ++i) used[i] = current.used[i];
    const auto chosen = ChooseFiltersInUse(this, used);
    if (!chosen) return;
    for (const auto& [name, view] : views_) {
      for (int i = 0; i < kFilterCount; ++i) view->FilterPanel()->SetFilterUsed(i, (*chosen)[i]);
      view->LayoutFilters(true);
    }
  });
  options_ = std::make_unique<TOptionsController>(
      context_, pages_,
      TOptionsHooks{[this]() -> TMassRefresh& { return refresher_->Refresh(); },
                    [this] { return favorites_->GameNames(); },
                    [this] { favorites_->ImportAllNow(); },
                    [this] { notifications_->StartVersionCheck(); },
                    [this](const QString& game) { return gameDiscovery_->OfferUserIni(game); },
                    [this](bool on) { history_->SetEnabled(on); }});
  options_->CreateMenuItems(tools);
  setup_->CreateToolsItems(tools);
  notifications_->CreateMenuItems(tools);

  serverMenu_ = menuBar()->addMenu(QStringLiteral("&Server"));
  serverMenu_->setObjectName(QStringLiteral("miServer"));
  connect(serverMenu_, &QMenu::aboutToShow, this, &TfrmZorvane::ServerMenuOpening);
  // The items hidden for the open menu come back with it closed: a hidden action's shortcut
  // is dead, and the selection may change before the next key.
  connect(serverMenu_, &QMenu::aboutToHide, this, [this] { BindToView(currentView_); });
  toolBar_ = addToolBar(QStringLiteral("Main"));
  toolBar_->setObjectName(QStringLiteral("tlbMain"));
  for (const TBinding& binding : kBindings) {
    auto* item = new QAction(this);
    item->setObjectName(QString::fromLatin1(binding.menuItem));
    serverMenu_->addAction(item);
    addAction(item);  // its shortcut works anywhere in the window
    boundItems_.push_back({item, QString::fromLatin1(binding.action), false});
    if (binding.toolButton) {
      auto* button = new QAction(this);
      button->setObjectName(QString::fromLatin1(binding.toolButton));
      button->setIconText(QString::fromLatin1(binding.buttonText));
      toolBar_->addAction(button);
      boundItems_.push_back({button, QString::fromLatin1(binding.action), true});
    }
  }
  options_->CreateQuickSetupItems(tools, toolBar_);
  options_->AddToolButton();
  serverMenu_->addSeparator();
  windowAction(serverMenu_, "actMasterServerQuery", QStringLiteral("Query UT Master Server"),
               Qt::Key_F8, [this] { StartMassRefresh(); })
      ->setToolTip(QStringLiteral("Query UT 99 Master Server"));
  // The masters list UT2004 and UT2003 servers too, asked for by game name.
  for (const TMasterGame& game : kMasterGames) {
    const QString variant = QString::fromLatin1(game.variant);
    if (variant == u"UT") continue;
    windowAction(serverMenu_, qPrintable(QStringLiteral("actMasterServerQuery") + variant),
                 QStringLiteral("Query ") + QLatin1StringView(game.caption), {},
                 [this, variant] { StartMassRefresh(variant); });
  }
  windowAction(serverMenu_, "actFindLanServers", QStringLiteral("Find LAN Servers"), Qt::Key_F4,
               [this] { lan_->Search(); });
  windowAction(serverMenu_, "actRefreshAllServerGrids", QStringLiteral("Ping All Server Lists"),
               Qt::Key_F10, [this] { refresher_->PingAllServerLists(); });
  windowAction(nullptr, "actDebug", QStringLiteral("Debug"), Qt::CTRL | Qt::Key_F11,
               [this] { SetDebug(!debug_); });

  QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
  windowAction(help, "miLog", QStringLiteral("Log"), {}, [this] {
    log_->show();
    log_->raise();
  });
  new THelpMenu(
      this, help, [this] { return static_cast<QWidget*>(currentView_.data()); }, config_.directory);
  toolBar_->setVisible(config_.settings.showToolbar);
}

void TfrmZorvane::BindToView(TkorvUTServerView* view) {
  for (const TBoundItem& bound : boundItems_) {
    QAction* action = view ? view->FindViewAction(bound.actionName) : nullptr;
    bound.item->disconnect(this);
    QObject::disconnect(bound.item, &QAction::triggered, nullptr, nullptr);
    if (!action) {
      bound.item->setVisible(false);
      continue;
    }
    bound.item->setText(action->text());
    // The menu item alone answers the key: two actions with one shortcut would both stay
    // silent as an ambiguous overload.
    if (bound.toolButton)
      bound.item->setToolTip(action->shortcut().isEmpty()
                                 ? action->text()
                                 : action->text() + QStringLiteral(" (") +
                                       action->shortcut().toString(QKeySequence::NativeText) +
                                       u')');
    else
      bound.item->setShortcut(action->shortcut());
    bound.item->setVisible(action->isVisible());
    connect(bound.item, &QAction::triggered, action, &QAction::trigger);
  }
}

void TfrmZorvane::ServerMenuOpening() {
  TkorvUTServerView* view = currentView_;
  if (!view) return;
  BindToView(view);
  const bool selected = !view->NoServerSelected();
  const bool favorites = view->IsFavorite();
  const auto show = [this](const char* name, bool visible) {
    if (QAction* item = FindWindowAction(QString::fromLatin1(name))) item->setVisible(visible);
  };
  show("miRefreshServer", selected);
  show("miJoinServer", selected);
  show("miCopyServer", selected);
  show("miAddServerToFavorites", selected && !favorites);
  show("miAddFavorite", favorites);
  show("miImportFavorites", favorites);
  show("miEditFavorite", favorites && selected);
  show("miDeleteFavorite", favorites && selected);
}

void TfrmZorvane::PageChanged(int index) {
  if (auto* view = qobject_cast<TkorvUTServerView*>(pages_->widget(index))) {
    currentView_ = view;
    notifications_->UpdateTray(view->SelectedServerKey());
  }
  BindToView(currentView_);
}

// ---- Start, close, tray

void TfrmZorvane::FirstShow() {
  if (!firstShow_) return;
  firstShow_ = false;
  if (startFailed_) {
    if (!startFailureText_.isEmpty())
      dialogs_.Error(this, QStringLiteral("This application will need to close: \r\n\r\n") +
                               startFailureText_);
    timCloseHelper_.start();
    return;
  }
  TSettings& s = config_.settings;
  if (s.stamp == u"0" && config_.settingsFileExisted)
    dialogs_.Information(
        this, QStringLiteral("Version ") % QLatin1String(kVersionText) %
                  QStringLiteral(" one-time only message. Please check to see that your "
                                 "existing directories and file names have correctly been set from "
                                 "your previous zorvane.ini file. They can be checked under the "
                                 "System menu, using Game Exes, Game INIs, and User INIs."));
  if (closed_) return;
  const bool gamesOffered = gameDiscovery_->OfferAtStart(config_.gamePathsLoaded);
  if (closed_) return;
  if (!gamesOffered && !config_.gamesDetected && !s.skipDefaultPathsInfo &&
      (s.stamp == u"0" || !StampBelow(s.stamp, QStringLiteral("2.73")))) {
    const QString sentence = QStringLiteral(
        "This application could not automatically detect where one of UT, UT2003, or UT2004 is "
        "installed.");
    Log(sentence);
    s.skipDefaultPathsInfo = dialogs_.Notice(
        this,
        sentence + QStringLiteral(" Please use the menu items...\r\n\r\nSystem/Game EXEs\r\n"
                                  "System/Game INIs\r\nSystem/User INIs\r\n\r\n...to set all "
                                  "the needed directories."),
        false);
  }
  if (closed_) return;  // closed while a notice was open: nothing more to start
  if (s.autoCheckNewVersion) notifications_->StartVersionCheck();
  StartupQuery();
}

void TfrmZorvane::StartupQuery() {
  const TSettings& s = config_.settings;
  TkorvUTServerView* favorites = FavoritesView();
  favorites->PopulateServerGrid(true, true);
  favorites->SelectServer(s.lastSelectedServer);
  favoritesListed_ = true;
  cache_->ShowListed();
  if (const TMasterGame* game = MasterGameOfCaption(s.startupQuery)) {
    // The cached list is up already; the masters are asked without holding the window.
    StartMassRefresh(QString::fromLatin1(game->variant));
  } else {
    SetStatus(1, 0, false, false,
              QString::number(stash_.Count()) + QStringLiteral(" total servers"));
    for (TkorvUTServerView* view : VisibleViews()) view->UpdateCountText();
    if (s.startupQuery == u"Favorites Only") favorites->RefreshCycle().RefreshServerList();
    if (s.startupQuery == QLatin1StringView(kLanStartupQuery)) lan_->Search();
  }
  favorites->SetAutoRefreshRate(s.refreshRate);
}

void TfrmZorvane::closeEvent(QCloseEvent* event) {
  closed_ = true;
  if (startedUp_) {
    GatherSettings();
    SaveConfiguration(config_, stash_);
    cache_->SaveAtClose();
    history_->HandClose();  // the samples still pending, and the file closed
    // What was handed to the writer is on disk before the process ends; a disk that hangs
    // longer than this is not waited for (the old files stay whole).
    writer_->FlushAndJoin(QDeadlineTimer(kCloseWriteWaitMs));
    for (const auto& [name, view] : views_) {
      view->RefreshCycle().StopAllTimers();
      view->StatusLine()->FlashTimer().stop();
    }
    notifications_->Stop();
    startedUp_ = false;  // saved once
  }
  if (log_) log_->close();
  event->accept();
}

void TfrmZorvane::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Minimising leaves only the tray icon.
  if (event->type() == QEvent::WindowStateChange && isMinimized() && notifications_ &&
      notifications_->Tray())
    QTimer::singleShot(0, this, &QWidget::hide);
}

void TfrmZorvane::ShowFromTray() {
  showNormal();
  raise();
  activateWindow();
}

// ---- Log and status

void TfrmZorvane::Log(const QString& text) {
  if (log_) log_->Log(text);
}

void TfrmZorvane::DebugLine(const QString& text) {
  if (debug_) Log(QStringLiteral(" :: ") + text);
}

void TfrmZorvane::SetDebug(bool on) {
  debug_ = on;
  notifications_->SetDebugMenuVisible(on);
  for (const auto& [name, view] : views_) view->SetDebugging(on);
  Log(on ? QStringLiteral("Debugging on") : QStringLiteral("Debugging off"));
}

void TfrmZorvane::SetStatus(int targets, int panel, bool restore, bool highlight,
                            const QString& text) {
  if (targets & 1) {
    for (TStatusLine* bar : {monitors_ ? monitors_->PlayerStatus() : nullptr,
                             monitors_ ? monitors_->MapStatus() : nullptr}) {
      if (!bar) continue;
      if (panel == 0) bar->SetPanel0(u' ' + text, restore, highlight);
      if (panel == 1) bar->SetPanel1(QStringLiteral(" Version ") + text, highlight);
    }
  }
  if (targets & 2) {
    for (TkorvUTServerView* view : VisibleViews())
      view->SetStatusText(panel, text, restore, highlight);
  } else if ((targets & 4) && currentView_ && currentView_->IsOnPage()) {
    currentView_->SetStatusText(panel, text, restore, highlight);
  }
}

// ---- Replies and refreshes

void TfrmZorvane::ServerUpdated(const QString& key) {
  if (refresher_->Refresh().ServerUpdated(key)) return;
  // The monitors are refreshed whole once a master refresh is over; a reply that comes in
  // meanwhile (a favourite, or a server answering before its master's list) waits for that.
  if (!refresher_->Refresh().MassRefreshing()) monitors_->ServerUpdated(key);
  const int index = stash_.IndexOf(key);
  if (index < 0) return;
  const TServerRoute route = RouteOfServer(*stash_.Server(index), config_.tables.gameTypes);
  // "Other" is given replies only while its tab is shown.
  if (TkorvUTServerView* target = View(route.typeView);
      target && (!route.other || target->IsOnPage()))
    target->ServerUpdated(index);
  if (route.favorites) FavoritesView()->ServerUpdated(index);
  if (route.lan) View(QString::fromLatin1(kLanType))->ServerUpdated(index);
  notifications_->ServerReplied(key);
}

void TfrmZorvane::StartMassRefresh(const QString& variant) { refresher_->Start(variant); }

TMassRefresh& TfrmZorvane::MassRefresh() { return refresher_->Refresh(); }

}  // namespace zorvane
