// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QMenuBar>
#include <QStyle>
#include <QTabBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "browse/map_monitor.h"
#include "browse/monitor_cells.h"
#include "browse/player_monitor.h"
#include "browse/server_notifier.h"
#include "browse/server_rows.h"
#include "browse/sound_files.h"
#include "browse/tray_state.h"
#include "browse/version_check.h"
#include "config/master_lists.h"
#include "gui/controls/window_fit.h"
#include "gui/dialogs/filters_dialog.h"
#include "gui/grid/string_grid.h"
#include "gui/view/filter_panel.h"
#include "gui/view/server_view.h"
#include "gui/view/status_line.h"
#include "gui/window/game_discovery.h"
#include "gui/window/game_tabs_offer.h"
#include "gui/window/help_menu.h"
#include "gui/window/lan_controller.h"
#include "gui/window/log_window.h"

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

TSortDirection Direction(const TGridSort& sort) {
  return sort.direction;
}

}  // namespace

TfrmZorvane::TfrmZorvane(const TStartOptions& options, QWidget* parent)
    : QMainWindow(parent), dialogs_(DialogsOf(options, ownDialogs_)) {
  if (!options.launcher) ownLauncher_ = std::make_unique<TDetachedLauncher>();
  launcher_ = options.launcher ? options.launcher : ownLauncher_.get();
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
                                        OfferMovedFavoritesImport();
                                        tabsOffer_->OfferForInstalledGames();
                                      });

  TMassRefreshHost& host = *this;
  massRefresh_ = std::make_unique<TMassRefresh>(stash_, host, this);
  connect(&stash_, &TServerStash::OnServerUpdated, this, &TfrmZorvane::ServerUpdated);
  connect(&stash_, &TServerStash::OnLog, this, [this](int level, const QString& text) {
    if (debug_) Log(QString::number(level) + QStringLiteral(" - ") + text);
  });

  pages_ = new QTabWidget(this);
  pages_->setObjectName(QStringLiteral("pgcMain"));
  setCentralWidget(pages_);
  CreateViews();
  lan_ = new TLanController(stash_, config_.settings, View(QString::fromLatin1(kLanType)), this);
  connect(lan_, &TLanController::OnLog, this, &TfrmZorvane::Log);
  connect(lan_, &TLanController::OnStatus, this,
          [this](const QString& text) { SetStatus(1 | 4, 0, false, false, text); });
  connect(lan_, &TLanController::OnServersRemoved, this, [this] { RebuildViews(); });
  CreateMonitors();
  CreateNotifications(options);
  CreateMenus();
  CreateMonitorMenus();
  CreateStopControls();
  CreateDebugMenu();
  tabsOffer_ = std::make_unique<TGameTabsOffer>(
      this, dialogs_, config_.tables, config_.settings.offeredUT2004Tabs,
      [this](const QStringList& gameTypes) {
        for (const QString& name : gameTypes) {
          if (TkorvUTServerView* view = View(name)) {
            ShowTab(view);
            view->PopulateServerGrid(true, true);
          }
        }
        // Their servers leave "Other".
        TkorvUTServerView* other = View(QString::fromLatin1(kOtherGameType));
        if (other && other->IsOnPage()) other->PopulateServerGrid(true, true);
      });
  ApplySettings();
  LoadWatchedLists();
  ImportFavoritesAtStart();
  LoadServerCacheAtStart();  // after the favourites: a favourite stays the one server it is

  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    tray_ = new QSystemTrayIcon(style()->standardIcon(QStyle::SP_ComputerIcon), this);
    tray_->setToolTip(QStringLiteral("Zorvane"));
    trayMenu_ = new QMenu(this);
    trayMenu_->setObjectName(QStringLiteral("popTray"));
    QAction* show = trayMenu_->addAction(QStringLiteral("Show"), this, &TfrmZorvane::ShowFromTray);
    show->setObjectName(QStringLiteral("miTrayShow"));
    QAction* exit = trayMenu_->addAction(QStringLiteral("Exit"), this, &QWidget::close);
    exit->setObjectName(QStringLiteral("miTrayExit"));
    tray_->setContextMenu(trayMenu_);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
      if (r == QSystemTrayIcon::DoubleClick || r == QSystemTrayIcon::Trigger) ShowFromTray();
    });
    tray_->show();
  }
  UpdateTray(QString::fromLatin1(kTraySetupKey));
  connect(pages_, &QTabWidget::currentChanged, this, &TfrmZorvane::PageChanged);
  PageChanged(pages_->currentIndex());
  SetStatus(1 | 2, 1, false, false, QString::fromLatin1(kVersionText));
}

TfrmZorvane::~TfrmZorvane() = default;

// ---- Views and pages

void TfrmZorvane::CreateViews() {
  for (const auto& type : config_.tables.gameTypes) {
    TkorvUTServerView* view = CreateView(*type);
    if (type->TabVisible) {
      pages_->addTab(view, PlainTitle(view->Title()));
      view->SetOnPage(true);
    } else {
      view->hide();
    }
  }
  pages_->addTab(CreateMonitorPage(QStringLiteral("Player Monitor"), QStringLiteral("Player"), 150,
                                   grdPlayerMonitor_, staPlayerMonitor_),
                 QStringLiteral("Player Monitor"));
  pages_->addTab(CreateMonitorPage(QStringLiteral("Map Monitor"), QStringLiteral("Map"), 200,
                                   grdMapMonitor_, staMapMonitor_),
                 QStringLiteral("Map Monitor"));
  grdPlayerMonitor_->setObjectName(QStringLiteral("grdPlayerMonitor"));
  grdMapMonitor_->setObjectName(QStringLiteral("grdMapMonitor"));
  staPlayerMonitor_->setObjectName(QStringLiteral("staPlayerMonitor"));
  staMapMonitor_->setObjectName(QStringLiteral("staMapMonitor"));
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
  KeepViewsInStep(view);
  connect(view, &TkorvUTServerView::OnDebug, this,
          [this](const QString& text) { DebugLine(text); });
  connect(view, &TkorvUTServerView::OnActivityLog, this,
          [this](const QString& text) { Log(text); });
  connect(view, &TkorvUTServerView::OnJoinServer, this, &TfrmZorvane::JoinServer);
  // Only the current view's selection is shown in the tray.
  connect(view, &TkorvUTServerView::OnChangeApplicationIcon, this,
          [this](TkorvUTServerView* sender, const QString& key) {
            if (sender == currentView_) UpdateTray(key);
          });
  if (playerMonitor_) ConnectViewToMonitors(view);  // views made after start
  ConnectFavoriteCommands(view);
  return view;
}

QWidget* TfrmZorvane::CreateMonitorPage(const QString& title, const QString& firstColumn,
                                        int firstWidth, TkorvStringGrid*& grid, TStatusLine*& status) {
  auto* page = new QWidget(pages_);
  page->setObjectName(QStringLiteral("tab") + QString(title).remove(u' '));
  auto* holder = new QWidget(page);
  grid = TkorvStringGrid::CreateListGrid(holder, 4, nullptr);  // fills its holder
  const QStringList headings{firstColumn, QStringLiteral("Server"), QStringLiteral("Game Type"),
                             QStringLiteral("IP")};
  for (int i = 0; i < 4; ++i) grid->SetCell(i, 0, headings[i]);
  grid->SetColWidths(0, firstWidth);
  grid->SetColWidths(1, 300);
  grid->SetColWidths(2, 150);
  grid->SetColWidths(3, 0);
  grid->SetStretchColumn(mcServer);
  grid->SetKorvSort(true);
  status = new TStatusLine(page);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(holder, 1);
  layout->addWidget(status);
  return page;
}

TkorvUTServerView* TfrmZorvane::View(const QString& gameType) const {
  const auto it = views_.find(gameType.toLower());
  return it == views_.end() ? nullptr : it->second;
}

std::vector<TkorvUTServerView*> TfrmZorvane::VisibleViews() const {
  std::vector<TkorvUTServerView*> views;
  for (const auto& type : config_.tables.gameTypes)
    if (TkorvUTServerView* view = View(type->Name.Value); view && view->IsOnPage())
      views.push_back(view);
  return views;
}

void TfrmZorvane::KeepViewsInStep(TkorvUTServerView* view) {
  // Every view shares one layout and one sort per grid kind.
  const auto others = [this](const QString& gameType, auto&& apply) {
    for (const auto& type : config_.tables.gameTypes) {
      if (type->Name.Value.compare(gameType, Qt::CaseInsensitive) == 0) continue;
      if (TkorvUTServerView* other = View(type->Name.Value)) apply(other);
    }
  };
  connect(view, &TkorvUTServerView::OnDetailSplitterMoved, this,
          [others](const QString& gameType, int size) {
            others(gameType, [size](TkorvUTServerView* v) { v->SetDetailHeight(size); });
          });
  connect(view, &TkorvUTServerView::OnPlayerSplitterMoved, this,
          [others](const QString& gameType, int size) {
            others(gameType, [size](TkorvUTServerView* v) { v->SetPlayerPanelWidth(size); });
          });
  connect(view, &TkorvUTServerView::OnViewColumnResized, this,
          [others](const QString& gameType, const QString& grid, const std::vector<int>& widths) {
            others(gameType, [&](TkorvUTServerView* v) { v->SetGridColWidths(widths, grid); });
          });
  connect(view, &TkorvUTServerView::OnSort, this,
          [others](const QString& gameType, TGridType grid, int col, TSortDirection direction) {
            others(gameType, [&](TkorvUTServerView* v) { v->ResortGrid(grid, col, direction); });
          });
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
  CreateSystemMenuItems(system);
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
  CreateOptionsMenuItems(tools);
  CreateToolsMenuItems(tools);
  CreateNotifyMenuItems(tools);

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
  CreateQuickSetupItems(tools);
  AddOptionsToolButton();
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
               Qt::Key_F10, [this] { PingAllServerLists(); });
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
    UpdateTray(view->SelectedServerKey());
  }
  BindToView(currentView_);
}

// ---- Settings

void TfrmZorvane::ApplySettings() {
  const TSettings& s = config_.settings;
  if (s.fontName != u"not there") {
    // The named fonts are Windows fonts; where one is missing the desktop's own font is used
    // at the stored size.
    QFont font = QApplication::font();
    if (QFontDatabase::hasFamily(s.fontName)) font.setFamily(s.fontName);
    font.setPointSize(s.fontSize);
    setFont(font);
  }
  stash_.LocalPort = s.localPort;
  // Loaded with the rest, so that a close before the start-up query saves them unchanged.
  massRefresh_->QueryPower = s.queryPower;
  massRefresh_->SkipLowReplyInfo = s.skipPercentageInfo;
  massRefresh_->Masters = MasterListsOf(s.masterLists);
  const TFilterPanelAlign align = FilterPanelAlignFromText(s.filterLocation);
  for (const auto& [name, view] : views_) {
    view->SetFilters(s.FiltersOf(view->GameType()));
    view->SetFilterPanelAlign(align);
    view->LayoutFilters(false);
    if (s.autoPingServer) view->SetPingServerOnSelect(true);
    view->SetPingWaitTime(s.pingWaitTime);
    view->SetQueryPower(s.queryPower);
    view->SetMorePlayerInfo(s.morePlayerInfo, false);
    if (s.infoHeight) view->SetDetailHeight(*s.infoHeight);
    if (s.playerWidth) view->SetPlayerPanelWidth(*s.playerWidth);
    for (int grid = gtServer; grid <= gtSetting; ++grid) {
      const TGridSort& sort = s.sorts[grid - 1];
      view->SetGridSort(TGridType(grid), sort.column, Direction(sort));
    }
    view->SetGridColWidths(s.columnWidths[0], QStringLiteral("grdServer"));
    view->SetGridColWidths(s.columnWidths[1], QStringLiteral("grdPlayer"));
    view->SetGridColWidths(s.columnWidths[2], QStringLiteral("grdSetting"));
    view->SetDebugging(debug_);
  }
  TkorvUTServerView* favorites = FavoritesView();
  favorites->SetDefaultVersion(s.defaultVersion);
  favorites->SetConfirmServerDelete(s.confirmServerDelete);
  favorites->SetAutoRefreshSelectedServerOnly(s.autoRefreshSelectedServerOnly);
  ApplyMonitorLayout(grdPlayerMonitor_, s.sorts[3], s.columnWidths[3]);
  ApplyMonitorLayout(grdMapMonitor_, s.sorts[4], s.columnWidths[4]);
  pages_->setUsesScrollButtons(!s.tabsMultiline);
  if (s.lastActivePageIndex >= 0 && s.lastActivePageIndex < pages_->count())
    pages_->setCurrentIndex(s.lastActivePageIndex);
  // Sized last, when filters and columns are in place: wide enough for every tab and for every
  // page's contents (filters at the side, the grids' columns), where the screen has room.
  const int frame = 2 * pages_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, pages_);
  const TSettings designed;
  resize(FirstWindowSize(
      this, {s.windowWidth, s.windowHeight}, {designed.windowWidth, designed.windowHeight},
      std::max(pages_->tabBar()->sizeHint().width() + frame, sizeHint().width())));
}

void TfrmZorvane::ApplyMonitorLayout(TkorvStringGrid* grid, const TGridSort& sort,
                                     const std::vector<int>& widths) {
  // -2 is the designed sort: by the name column, ascending.
  const TGridSort applied = sort.column == -2 ? TGridSort{0, TSortDirection::Ascending} : sort;
  grid->SetKorvSortCol(applied.column);
  if (grid->KorvSortCol() >= 0)
    grid->SetColumnSortDirection(grid->KorvSortCol(), applied.direction);
  for (int col = 0; col < std::min(int(widths.size()), grid->ColCount()); ++col)
    if (widths[col] >= 0) grid->SetColWidths(col, widths[col]);  // -1: not stored
  grid->SortGrid(false);
}

void TfrmZorvane::GatherSettings() {
  TSettings& s = config_.settings;
  TkorvUTServerView* favorites = FavoritesView();
  if (!isMinimized() && !isMaximized()) {
    s.windowWidth = std::clamp(width(), 1, 1999);
    s.windowHeight = std::clamp(height(), 1, 1999);
  }
  s.autoPingServer = favorites->PingServerOnSelect();
  s.filterLocation = FilterPanelAlignText(favorites->FilterPanelAlign());
  s.infoHeight = favorites->DetailHeight();
  s.playerWidth = favorites->PlayerPanelWidth();
  s.morePlayerInfo = favorites->MorePlayerInfo();
  // Until the start-up query lists the favourites, the stored selection is still the user's.
  if (favoritesListed_) s.lastSelectedServer = favorites->SelectedServerKey();
  s.lastActivePageIndex = pages_->currentIndex();
  s.skipPercentageInfo = massRefresh_->SkipLowReplyInfo;
  s.queryPower = massRefresh_->QueryPower;
  for (int grid = gtServer; grid <= gtSetting; ++grid)
    s.sorts[grid - 1] = {favorites->GridSortCol(TGridType(grid)),
                         favorites->GridSortDirection(TGridType(grid))};
  for (auto [grid, index] : {std::pair{grdPlayerMonitor_, 3}, std::pair{grdMapMonitor_, 4}})
    s.sorts[index] = {grid->KorvSortCol(), grid->ColumnSortDirection(grid->KorvSortCol())};
  s.columnWidths[0] = favorites->GridColWidths(QStringLiteral("grdServer"));
  s.columnWidths[1] = favorites->GridColWidths(QStringLiteral("grdPlayer"));
  s.columnWidths[2] = favorites->GridColWidths(QStringLiteral("grdSetting"));
  for (auto [grid, index] : {std::pair{grdPlayerMonitor_, 3}, std::pair{grdMapMonitor_, 4}}) {
    s.columnWidths[index].clear();
    for (int col = 0; col < grid->ColCount(); ++col)
      s.columnWidths[index].push_back(grid->ColWidths(col));
  }
  for (const auto& [name, view] : views_) s.FiltersOf(view->GameType()) = view->Filters();
  // Hidden only when the user hid it: a window in the tray hides its tool bar too.
  s.showToolbar = !toolBar_->isHidden();
  GatherMonitorSettings();
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
  if (s.autoCheckNewVersion) StartVersionCheck();
  StartupQuery();
}

void TfrmZorvane::StartupQuery() {
  const TSettings& s = config_.settings;
  TkorvUTServerView* favorites = FavoritesView();
  favorites->PopulateServerGrid(true, true);
  favorites->SelectServer(s.lastSelectedServer);
  favoritesListed_ = true;
  ShowCachedServers();
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
    // A list whose replies are still coming in would replace the last good one half empty.
    if (cacheWritable_ && !massRefresh_->MassRefreshing()) SaveServerCacheNow();
    for (const auto& [name, view] : views_) {
      view->RefreshCycle().StopAllTimers();
      view->StatusLine()->FlashTimer().stop();
    }
    StopNotifications();
    if (tray_) tray_->hide();
    startedUp_ = false;  // saved once
  }
  if (log_) log_->close();
  event->accept();
}

void TfrmZorvane::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Minimising leaves only the tray icon.
  if (event->type() == QEvent::WindowStateChange && isMinimized() && tray_)
    QTimer::singleShot(0, this, &QWidget::hide);
}

void TfrmZorvane::ShowFromTray() {
  showNormal();
  raise();
  activateWindow();
}

// ---- Joining

void TfrmZorvane::JoinServer(const QString& key) {
  const TJoinOutcome outcome = JoinGame(key, stash_, config_.tables, askGamePath_, *launcher_,
                                        QProcessEnvironment::systemEnvironment());
  switch (outcome.kind) {
    case TJoinOutcome::Nothing:
      break;
    case TJoinOutcome::Information:
      dialogs_.Information(this, outcome.text);
      break;
    case TJoinOutcome::Error:
      dialogs_.Error(this, outcome.text);
      break;
    case TJoinOutcome::Started:
      Log(QStringLiteral("Request to join server: ") + outcome.text);
      // Minimised, the window leaves only its tray icon (changeEvent).
      if (config_.settings.minimizeOnJoin) setWindowState(windowState() | Qt::WindowMinimized);
      break;
  }
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
  if (debugMenu_) debugMenu_->menuAction()->setVisible(on);
  for (const auto& [name, view] : views_) view->SetDebugging(on);
  Log(on ? QStringLiteral("Debugging on") : QStringLiteral("Debugging off"));
}

void TfrmZorvane::SetStatus(int targets, int panel, bool restore, bool highlight,
                            const QString& text) {
  if (targets & 1) {
    for (TStatusLine* bar : {staPlayerMonitor_, staMapMonitor_}) {
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
  if (massRefresh_->ServerUpdated(key)) return;
  // The monitors are refreshed whole once a master refresh is over; a reply that comes in
  // meanwhile (a favourite, or a server answering before its master's list) waits for that.
  if (!massRefresh_->MassRefreshing()) UpdateMonitorsForServer(key);
  const int index = stash_.IndexOf(key);
  if (index < 0) return;
  const TServer& server = *stash_.Server(index);
  const TGameType* type = config_.tables.FindGameType(server.GameType());
  TkorvUTServerView* target = nullptr;
  if (type && type->TabVisible && server.GameType().compare(kFavorite, Qt::CaseInsensitive) != 0)
    target = View(type->Name.Value);
  else if (TkorvUTServerView* other = View(QString::fromLatin1(kOtherGameType));
           other && other->IsOnPage())
    target = other;
  if (target) target->ServerUpdated(index);
  if (server.Favorite) FavoritesView()->ServerUpdated(index);
  if (server.FromLan) View(QString::fromLatin1(kLanType))->ServerUpdated(index);
  NotifyServerReply(key);
}

void TfrmZorvane::StartMassRefresh(const QString& variant) {
  if (massRefresh_->MassRefreshing()) return;
  // Asked before the list comes in, so that the new tabs are filled with it.
  tabsOffer_->OfferFor(variant);
  if (closed_ || massRefresh_->MassRefreshing()) return;
  massRefresh_->StartMassRefresh(variant);
}

void TfrmZorvane::PingAllServerLists() {
  TRefreshCycle& favorites = FavoritesView()->RefreshCycle();
  const bool autoWasOn = favorites.StopAutoRefresh();
  favorites.StopReplyWait();
  for (const auto& type : config_.tables.gameTypes) {
    if (type->Name.Value.compare(kFavorite, Qt::CaseInsensitive) == 0) continue;
    TkorvUTServerView* view = View(type->Name.Value);
    if (view && view->IsOnPage()) view->RefreshCycle().RefreshServerList();
  }
  if (autoWasOn) favorites.StartAutoRefresh();
  favorites.RestartReplyWait();
}

bool TfrmZorvane::StopFavoritesAutoRefresh() {
  return FavoritesView()->RefreshCycle().StopAutoRefresh();
}

void TfrmZorvane::RestartFavoritesAutoRefresh() {
  FavoritesView()->RefreshCycle().StartAutoRefresh();
}

void TfrmZorvane::StopReplyWaitTimers() {
  for (TkorvUTServerView* view : VisibleViews()) view->RefreshCycle().StopReplyWait();
}

void TfrmZorvane::RestartReplyWaitTimers() {
  for (TkorvUTServerView* view : VisibleViews()) view->RefreshCycle().RestartReplyWait();
}

void TfrmZorvane::RemoveServersOfGame(const QString& variant) {
  for (TkorvUTServerView* view : VisibleViews()) view->RemoveServersOfGame(variant);
}

void TfrmZorvane::SetMassRefreshing(bool on) {
  for (TkorvUTServerView* view : VisibleViews()) view->SetMassRefresh(on);
  ShowStopControls(on);
}

void TfrmZorvane::RebuildViews() {
  for (TkorvUTServerView* view : VisibleViews()) view->PopulateServerGrid(true, true);
}

int TfrmZorvane::ViewCount() {
  return int(VisibleViews().size());
}

void TfrmZorvane::RebuildView(int index) {
  const std::vector<TkorvUTServerView*> views = VisibleViews();
  if (index >= 0 && index < int(views.size())) views[index]->PopulateServerGrid(true, true);
}

void TfrmZorvane::ReselectServers() {
  for (TkorvUTServerView* view : VisibleViews())
    if (!view->SelectServerIfNotCurrent(view->LastSelectedServerKey())) view->ReloadDetails();
}

bool TfrmZorvane::ShowLowReplyNotice(const QString& text) {
  return dialogs_.Notice(this, text, false);
}

}  // namespace zorvane
