// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/view/server_view.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <utility>

#include "browse/filter_match.h"
#include "browse/quick_search.h"
#include "browse/server_rows.h"
#include "config/option_choices.h"
#include "gui/grid/string_grid.h"
#include "gui/grid/string_grid_header.h"
#include "gui/view/country_flag_delegate.h"
#include "gui/view/filter_panel.h"
#include "gui/view/password_lock_delegate.h"
#include "gui/view/quick_search_box.h"
#include "gui/view/status_line.h"
#include "query/network_text.h"
#include "query/server_stash.h"
#include "query/vocabulary.h"

namespace zorvane {

namespace {

struct TColumn {
  const char* heading;
  int width;  // 0: hidden until the header menu shows it
  TColumnSortKind kind;
  const char* widest = "";  // a hidden column is shown as wide as this text (and its heading)
};

constexpr TColumn kServerColumns[] = {
    {"Server", 320, cskText},    {"Players", 45, cskNumeric},
    {"Ping", 45, cskNumeric},    {"Map", 150, cskText},
    {"Game Type", 100, cskText}, {"IP", 0, cskNumeric},
    {"Country", 50, cskText},    {"Address", 0, cskAddress, "255.255.255.255:65535"},
    {"Password", 0, cskText},    {"Busiest", 0, cskText, "00:00 - 00:00"}};
// The columns the header menu shows and hides: all but the name and the hidden key.
constexpr int kOptionalServerColumns[] = {scPlayers, scPing,    scMap,     scGameType,
                                          scCountry, scAddress, scPassword, scBusy};
constexpr TColumn kPlayerColumns[] = {{"Player", 150, cskText},
                                      {"Frags", 40, cskNumeric},
                                      {"Ping", 40, cskNumeric},
                                      {"Team", 40, cskText}};
constexpr TColumn kSettingColumns[] = {{"Setting", 125, cskText}, {"Value", 241, cskText}};

template <std::size_t N>
void SetColumns(TkorvStringGrid* grid, const TColumn (&columns)[N]) {
  grid->SetColCount(int(N));
  for (int i = 0; i < int(N); ++i) {
    grid->SetCell(i, 0, QString::fromLatin1(columns[i].heading));
    grid->SetColWidths(i, columns[i].width);
    grid->SetColumnSortKind(i, columns[i].kind);
  }
  grid->SetKorvSort(true);
}

std::vector<int> Widths(const TkorvStringGrid* grid) {
  std::vector<int> widths;
  for (int i = 0; i < grid->ColCount(); ++i) widths.push_back(grid->ColWidths(i));
  return widths;
}

}  // namespace

QString TkorvUTServerView::CurrentCell(const TkorvStringGrid* grid, int col) {
  return grid->IsValidRow() ? grid->Cells(col, grid->Row()) : QString();
}

QString TkorvUTServerView::CurrentGameType() const {
  const TServer* server = stash_ ? stash_->Find(SelectedServerKey()) : nullptr;
  return server ? server->GameType() : QString();
}

TkorvUTServerView::TkorvUTServerView(QWidget* parent) : QWidget(parent) {
  filterPanel_ = new TFilterPanel(this);
  content_ = new QWidget(this);
  searchBox_ = new TQuickSearchBox(content_);
  connect(searchBox_, &QLineEdit::textChanged, this,
          [this](const QString& text) { SearchTextChanged(text); });
  mainSplitter_ = new QSplitter(Qt::Vertical, content_);
  mainSplitter_->setHandleWidth(3);
  mainSplitter_->setChildrenCollapsible(false);

  const auto handlers = [this](TGridType type) {
    TkorvStringGrid::TListGridHandlers h;
    h.columnResized = [this, type] {
      const TkorvStringGrid* grid = Grid(type);
      Q_EMIT OnViewColumnResized(gameType_, grid->objectName(), Widths(grid));
    };
    h.preContextMenu = [this, type](QMenu*, int row, int, bool&) {
      if (type == gtServer) ServerMenuOpening(row);
      if (type == gtPlayer) PlayerMenuOpening(row);
      if (type == gtSetting) SettingMenuOpening(row);
    };
    h.postContextMenu = [this](QMenu* menu, int, int) { MenuClosed(menu); };
    return h;
  };
  auto serverHandlers = handlers(gtServer);
  serverHandlers.keyUp = [this](int key, Qt::KeyboardModifiers modifiers) {
    if (key != Qt::Key_Delete ||
        (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
      return;
    FindViewAction(isFavorite_ ? QStringLiteral("actDeleteFavorite")
                               : QStringLiteral("actDeleteServer"))
        ->trigger();
  };
  // Only another row is another server: Left and Right move within the row.
  serverHandlers.selectRow = [this](int row) { HandleServerSelection(row); };
  serverHandlers.leftButtonUp = [this] { ServerGridReleased(); };

  serverMenu_ = new QMenu(this);
  playerMenu_ = new QMenu(this);
  settingMenu_ = new QMenu(this);

  serverGrid_ =
      TkorvStringGrid::CreateListGrid(mainSplitter_, scCount, serverMenu_, serverHandlers);
  serverGrid_->setObjectName(QStringLiteral("grdServer"));
  SetColumns(serverGrid_, kServerColumns);
  serverGrid_->SetKeyColumn(scIP);
  serverGrid_->setItemDelegateForColumn(scCountry, new TCountryFlagDelegate(serverGrid_));
  serverGrid_->setItemDelegateForColumn(scPassword, new TPasswordLockDelegate(serverGrid_));
  CreateColumnMenu();
  serverGrid_->SetKorvSortCol(scPing);
  serverGrid_->SetColumnSortDirection(scPing, TSortDirection::Ascending);

  QWidget* detail = new QWidget(mainSplitter_);
  auto* detailLayout = new QVBoxLayout(detail);
  detailLayout->setContentsMargins(0, 0, 0, 0);
  detailSplitter_ = new QSplitter(Qt::Horizontal, detail);
  detailSplitter_->setHandleWidth(3);
  detailSplitter_->setChildrenCollapsible(false);
  detailLayout->addWidget(detailSplitter_);
  playerGrid_ =
      TkorvStringGrid::CreateListGrid(detailSplitter_, pcCount, playerMenu_, handlers(gtPlayer));
  playerGrid_->setObjectName(QStringLiteral("grdPlayer"));
  SetColumns(playerGrid_, kPlayerColumns);
  playerGrid_->SetKorvSortCol(pcFrags);
  playerGrid_->SetColumnSortDirection(pcFrags, TSortDirection::Descending);
  settingGrid_ =
      TkorvStringGrid::CreateListGrid(detailSplitter_, stCount, settingMenu_, handlers(gtSetting));
  settingGrid_->setObjectName(QStringLiteral("grdSetting"));
  SetColumns(settingGrid_, kSettingColumns);
  // The names take the width the other columns leave; every setting's name shows whole.
  serverGrid_->SetStretchColumn(scServer);
  playerGrid_->SetStretchColumn(pcPlayer);
  settingGrid_->SetStretchColumn(stValue);
  settingGrid_->SetColumnFitsCells(stName);
  detailSplitter_->addWidget(playerGrid_);
  detailSplitter_->addWidget(settingGrid_);
  detailSplitter_->setStretchFactor(1, 1);
  mainSplitter_->addWidget(serverGrid_);
  mainSplitter_->addWidget(detail);
  mainSplitter_->setStretchFactor(0, 1);
  auto* contentLayout = new QVBoxLayout(content_);
  contentLayout->setContentsMargins(0, 0, 0, 0);
  contentLayout->setSpacing(2);
  contentLayout->addWidget(searchBox_);
  contentLayout->addWidget(mainSplitter_);
  SetDetailHeight(kDetailHeight);
  SetPlayerPanelWidth(kPlayerPanelWidth);

  for (TkorvStringGrid* grid : {serverGrid_, playerGrid_, settingGrid_}) {
    const TGridType type = grid == serverGrid_   ? gtServer
                           : grid == playerGrid_ ? gtPlayer
                                                 : gtSetting;
    connect(grid, &TkorvStringGrid::OnSort, this, [this, type](int col, TSortDirection dir) {
      Q_EMIT OnSort(gameType_, type, col, dir);
    });
  }
  connect(serverGrid_, &QAbstractItemView::doubleClicked, this, [this] { JoinSelectedServer(); });
  connect(mainSplitter_, &QSplitter::splitterMoved, this, [this] {
    detailHeight_ = mainSplitter_->sizes().value(1, detailHeight_);
    Q_EMIT OnDetailSplitterMoved(gameType_, detailHeight_);
  });
  connect(detailSplitter_, &QSplitter::splitterMoved, this, [this] {
    playerPanelWidth_ = detailSplitter_->sizes().value(0, playerPanelWidth_);
    Q_EMIT OnPlayerSplitterMoved(gameType_, playerPanelWidth_);
  });

  statusLine_ = new TStatusLine(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  DockFilterPanel();
  layout->addWidget(statusLine_);

  filters_ = filterPanel_->Filters();
  const auto refilter = [this] {
    PopulateServerGrid(true, true);  // takes the panel's new filters
    ReloadDetails();
  };
  connect(filterPanel_, &TFilterPanel::FilterChanged, this, refilter);
  connect(filterPanel_, &TFilterPanel::RepopulateRequested, this, refilter);
  connect(filterPanel_, &TFilterPanel::AlignChanged, this, [this] { DockFilterPanel(); });

  CreateActions();
  CreateMenus();
  SetIsFavorite(false);
}

TkorvUTServerView::~TkorvUTServerView() = default;

void TkorvUTServerView::SetStash(TServerStash* stash) {
  stash_ = stash;
  cycle_.SetStash(stash);
}

// ---- Columns shown

void TkorvUTServerView::CreateColumnMenu() {
  columnMenu_ = new QMenu(this);
  columnMenu_->setObjectName(QStringLiteral("popServerColumns"));
  for (const int col : kOptionalServerColumns) {
    const QString heading = QString::fromLatin1(kServerColumns[col].heading);
    QAction* item = columnMenu_->addAction(heading);
    item->setObjectName(QStringLiteral("pmiColumn") + QString(heading).remove(u' '));
    item->setCheckable(true);
    connect(item, &QAction::triggered, this, [this, col](bool on) { ShowServerColumn(col, on); });
  }
  connect(columnMenu_, &QMenu::aboutToShow, this, [this] {
    const QList<QAction*> items = columnMenu_->actions();
    for (int i = 0; i < int(items.size()); ++i) {
      items[i]->setChecked(serverGrid_->ColWidths(kOptionalServerColumns[i]) > 0);
      items[i]->setVisible(isFavorite_ || kOptionalServerColumns[i] != scBusy);
    }
  });
  serverGrid_->SetHeaderMenu(columnMenu_);
}

void TkorvUTServerView::ShowServerColumn(int col, bool on) {
  if (col < 0 || col >= scCount || col == scIP || col == scServer) return;
  if (on == (serverGrid_->ColWidths(col) > 0)) return;
  int width = 0;
  if (on) {
    // As designed, or as wide as its heading and its widest text need at the grid's font.
    const TColumn& column = kServerColumns[col];
    const QFontMetrics cells = serverGrid_->fontMetrics();
    const QFontMetrics heading = serverGrid_->Header()->fontMetrics();
    width = column.width > 0
                ? column.width
                : std::max({heading.horizontalAdvance(QString::fromLatin1(column.heading)) + 24,
                            cells.horizontalAdvance(QString::fromLatin1(column.widest)) + 12, 24});
  }
  serverGrid_->SetColWidths(col, width);
  // Stored like a resize, and every view follows.
  Q_EMIT OnViewColumnResized(gameType_, serverGrid_->objectName(), Widths(serverGrid_));
}

// ---- Properties

void TkorvUTServerView::SetDebugging(bool on) {
  debugging_ = on;
  serverGrid_->SetColWidths(scIP, on ? kDebugIPWidth : 0);
  if (on && statusLine_->PanelCount() < 3) {
    statusLine_->AddPanel(TStatusLine::kVersionWidth);
    SetStatusText(2, {}, false, false);
  }
}

void TkorvUTServerView::SetAutoRefreshRate(int ms) {
  if (ms == cycle_.AutoRefreshRate()) return;
  cycle_.SetAutoRefreshRate(ms);
  SetStatusText(2, {}, false, false);
}

// The splitters report real sizes only while shown; hidden views keep the stored ones.
int TkorvUTServerView::DetailHeight() const {
  return detailHeight_;
}

void TkorvUTServerView::SetDetailHeight(int height) {
  if (height <= 0) return;
  detailHeight_ = height;
  const int total = std::max(mainSplitter_->height(), height + 100);
  mainSplitter_->setSizes({total - height, height});
}

int TkorvUTServerView::PlayerPanelWidth() const {
  return playerPanelWidth_;
}

void TkorvUTServerView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Laid out for real only now: give the splitters their stored sizes.
  QTimer::singleShot(0, this, [this] {
    SetDetailHeight(detailHeight_);
    SetPlayerPanelWidth(playerPanelWidth_);
  });
}

bool TkorvUTServerView::IsTeamView() const {
  return filterPanel_->IsTeamView();
}

void TkorvUTServerView::SetIsTeamView(bool on) {
  filterPanel_->SetIsTeamView(on);
}

QString TkorvUTServerView::GridFontName() const {
  return serverGrid_->font().family();
}

int TkorvUTServerView::GridFontSize() const {
  return serverGrid_->font().pointSize();
}

void TkorvUTServerView::SetGridFont(const QString& name, int size) {
  QFont font(name, size);
  for (TkorvStringGrid* grid : {serverGrid_, playerGrid_, settingGrid_}) grid->setFont(font);
}

void TkorvUTServerView::Debug(const QString& text) {
  Q_EMIT OnDebug(gameType_ + QStringLiteral(" view msg: ") + text);
}

// ---- Filters

TFilterPanelAlign TkorvUTServerView::FilterPanelAlign() const {
  return filterPanel_->FilterPanelAlign();
}

void TkorvUTServerView::SetFilterPanelAlign(TFilterPanelAlign align) {
  filterPanel_->SetFilterPanelAlign(align);
}

void TkorvUTServerView::LayoutFilters(bool repopulate) {
  filterPanel_->LayoutFilters(repopulate);
}

TFilterSet TkorvUTServerView::Filters() const {
  return filterPanel_->Filters();
}

void TkorvUTServerView::SetFilters(const TFilterSet& filters) {
  filterPanel_->SetFilters(filters);
  filters_ = filterPanel_->Filters();
}

void TkorvUTServerView::DockFilterPanel() {
  auto* outer = static_cast<QVBoxLayout*>(layout());
  if (!outer) return;
  // One box holds the filter panel and the grids in the panel's order and direction.
  QLayoutItem* old = outer->count() > 1 ? outer->takeAt(0) : nullptr;
  delete old;  // the layout item only; the widgets stay children of the view
  const TFilterPanelAlign align = filterPanel_->FilterPanelAlign();
  const bool horizontal = align == TFilterPanelAlign::Left || align == TFilterPanelAlign::Right;
  auto* box = new QBoxLayout(horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
  box->setContentsMargins(0, 0, 0, 0);
  box->setSpacing(0);
  const bool first = align == TFilterPanelAlign::Top || align == TFilterPanelAlign::Left;
  if (first) box->addWidget(filterPanel_);
  box->addWidget(content_, 1);
  if (!first) box->addWidget(filterPanel_);
  outer->insertLayout(0, box, 1);
}

bool TkorvUTServerView::BelongsToView(const TServer& server) const {
  static const std::vector<std::unique_ptr<TGameType>> kNoTypes;
  return zorvane::BelongsToView(server, gameType_, isFavorite_,
                                gameTypes_ ? *gameTypes_ : kNoTypes);
}

bool TkorvUTServerView::PassesFilters(const TServer& server, bool allFilters) const {
  return BelongsToView(server) && zorvane::PassesFilters(server, filters_, allFilters);
}

bool TkorvUTServerView::IsShown(const TServer& server) const {
  return PassesFilters(server, true) && MatchesQuickSearch(server, searchText_);
}

bool TkorvUTServerView::NeverHeardOf(const TServer& server) {
  return server.TextLatin1(TServerText::Ping) == kNoReplyPing &&
         server.TextEmpty(TServerText::Description);
}

// ---- Rows

int TkorvUTServerView::FindServerRow(const QString& key) const {
  return key.isEmpty() ? -1 : serverGrid_->FindRowByKey(key);
}

QStringList TkorvUTServerView::RowTexts(const TServer& server, const QString& key) const {
  auto texts = ServerRowTexts(server, key, morePlayerInfo_, countries_, gameTypes_);
  if (busyTexts_ && isFavorite_) texts[scBusy] = busyTexts_(key);
  return QStringList(texts.begin(), texts.end());
}

bool TkorvUTServerView::AddServerRow(const QString& key, const QString& name) {
  if (FindServerRow(key) >= 0) return false;
  const int fixed = serverGrid_->FixedRows();
  // The grid keeps one empty data row; the first server takes it.
  if (!serverGrid_->Cells(scIP, fixed).isEmpty() || serverGrid_->RowCount() <= fixed)
    serverGrid_->SetRowCount(serverGrid_->RowCount() + 1);
  const int row = serverGrid_->RowCount() - 1;
  serverGrid_->SetCell(scIP, row, key);
  serverGrid_->SetCell(scServer, row, name);
  return true;
}

void TkorvUTServerView::UpdateServerRow(const QString& key) {
  const int index = stash_ ? stash_->IndexOf(key) : -1;
  const int row = FindServerRow(key);
  if (index < 0 || row < 0) return;
  serverGrid_->SetRowTexts(row, RowTexts(*stash_->Server(index), key));
  if (!massRefresh_ && row == serverGrid_->Row() && serverGrid_->IsValidRow()) ReloadDetails();
}

void TkorvUTServerView::ServerUpdated(int stashIndex) {
  if (!stash_ || stashIndex < 0 || stashIndex >= stash_->Count()) return;
  const QString key = stash_->Key(stashIndex);
  if (pendingRows_) pendingRows_->updated.insert(key);  // its row may be built already
  const TServer& server = *stash_->Server(stashIndex);
  const int row = FindServerRow(key);
  const bool passes = IsShown(server);
  if (row >= 0) {
    if (passes) {
      UpdateServerRow(key);
    } else {
      serverGrid_->DeleteGridRow(row);
      UpdateCountText();
    }
  } else if (passes) {
    AddServerRow(key, PlainName(server.Description()));
    UpdateServerRow(key);
    UpdateCountText();
  }
}

void TkorvUTServerView::RemoveServersOfGame(const QString& variant) {
  if (variant.isEmpty()) {
    serverGrid_->ClearGrid();
  } else {
    for (int row = serverGrid_->RowCount() - 1; row >= serverGrid_->FixedRows(); --row) {
      const TServer* server = stash_ ? stash_->Find(serverGrid_->Cells(scIP, row)) : nullptr;
      if (server && server->Game().compare(variant, Qt::CaseInsensitive) == 0)
        serverGrid_->DeleteGridRow(row);
    }
  }
  ReloadDetails();
}

void TkorvUTServerView::SetMorePlayerInfo(bool on, bool updateRows) {
  if (on == morePlayerInfo_) return;
  morePlayerInfo_ = on;
  if (!updateRows || !stash_) return;
  for (int row = serverGrid_->FixedRows(); row < serverGrid_->RowCount(); ++row)
    if (const TServer* server = stash_->Find(serverGrid_->Cells(scIP, row)))
      serverGrid_->SetCell(scPlayers, row, PlayersText(*server, on));
}

// ---- Selection and details

QString TkorvUTServerView::SelectedServerKey() const {
  return serverGrid_->IsValidRow() ? serverGrid_->Cells(scIP, serverGrid_->Row()) : QString();
}

QString TkorvUTServerView::SelectedPlayerName() const {
  return CurrentCell(playerGrid_, pcPlayer);
}

bool TkorvUTServerView::NoServerSelected() const {
  return SelectedServerKey().isEmpty();
}

bool TkorvUTServerView::SelectServer(const QString& key) {
  const int row = FindServerRow(key);
  if (row < 0) return false;
  // Already current (after a refill, say): its details may be stale, so load them again.
  if (row == serverGrid_->Row())
    ReloadDetails();
  else
    serverGrid_->SetRow(row);
  return true;
}

bool TkorvUTServerView::SelectServerIfNotCurrent(const QString& key) {
  const int row = FindServerRow(key);
  if (row < 0 || row == serverGrid_->Row()) return false;
  serverGrid_->SetRow(row);
  return true;
}

bool TkorvUTServerView::SelectServerAndPlayer(const QString& key, const QString& player) {
  if (FindServerRow(key) < 0) return false;  // never a namesake on the current server
  SelectServerIfNotCurrent(key);
  // Pinging on select empties the details until the reply, and a current row's may be stale:
  // the player is looked for in what the stash holds now.
  ReloadDetails();
  for (int row = playerGrid_->FixedRows(); row < playerGrid_->RowCount(); ++row) {
    if (playerGrid_->Cells(pcPlayer, row).compare(player, Qt::CaseInsensitive) == 0) {
      playerGrid_->SetRow(row);
      return true;
    }
  }
  return false;
}

void TkorvUTServerView::HandleServerSelection(int row) {
  if (serverGrid_->LeftButtonHeld()) {
    // A drag, or a reply (a LAN answers within milliseconds of the click): done on release.
    (reloadingDetails_ ? reloadAfterRelease_ : selectAfterRelease_) = true;
    return;
  }
  if (populating_ || massRefresh_ || serverGrid_->IsSorting()) return;
  const QString key = serverGrid_->IsValidRow(row) ? serverGrid_->Cells(scIP, row) : QString();
  if (key.isEmpty()) {
    ClearDetails();
  } else if (reloadingDetails_ || !pingServerOnSelect_) {
    FillPlayerGrid(key);
    FillSettingGrid(key);
  } else {
    ClearDetails();
  }
  lastSelectedKey_ = key;
  Q_EMIT OnChangeApplicationIcon(this, key);
  if (pingServerOnSelect_ && !reloadingDetails_ && !key.isEmpty()) {
    cycle_.RefreshServer(key);
    cycle_.RestartReplyWait();
  }
}

void TkorvUTServerView::ServerGridReleased() {
  const bool select = std::exchange(selectAfterRelease_, false);
  const bool reload = std::exchange(reloadAfterRelease_, false);
  if (select && SelectedServerKey() != lastSelectedKey_)
    HandleServerSelection(serverGrid_->Row());
  else if (reload)
    ReloadDetails();
}

void TkorvUTServerView::ReloadDetails() {
  if (!serverGrid_->IsValidRow()) return;
  reloadingDetails_ = true;
  HandleServerSelection(serverGrid_->Row());
  reloadingDetails_ = false;
}

void TkorvUTServerView::ClearDetails() {
  playerGrid_->ClearGrid();
  settingGrid_->ClearGrid();
}

void TkorvUTServerView::FillPlayerGrid(const QString& key) {
  const QString remembered = playerGrid_->IsValidRow() ? SelectedPlayerName() : QString();
  playerGrid_->ClearGrid();
  const TServer* server = stash_ ? stash_->Find(key) : nullptr;
  if (!server) return;
  const auto rows = PlayerRows(*server);
  const int fixed = playerGrid_->FixedRows();
  playerGrid_->BeginUpdate();
  if (!rows.empty()) playerGrid_->SetRowCount(fixed + int(rows.size()));
  for (int i = 0; i < int(rows.size()); ++i)
    playerGrid_->SetRowTexts(fixed + i, QStringList(rows[i].begin(), rows[i].end()));
  playerGrid_->EndUpdate();
  // Selected before the sort, which carries the selection along with its player.
  int select = fixed;
  if (!remembered.isEmpty())
    for (int row = fixed; row < playerGrid_->RowCount(); ++row)
      if (playerGrid_->Cells(pcPlayer, row).compare(remembered, Qt::CaseInsensitive) == 0) {
        select = row;
        break;
      }
  if (select < playerGrid_->RowCount()) playerGrid_->SetRow(select);
  playerGrid_->SortGrid(false);
}

void TkorvUTServerView::FillSettingGrid(const QString& key) {
  const QString remembered = CurrentCell(settingGrid_, stName);
  settingGrid_->ClearGrid();
  const TServer* server = stash_ ? stash_->Find(key) : nullptr;
  if (!server) return;
  const auto rows = SettingRows(*server);
  const int fixed = settingGrid_->FixedRows();
  settingGrid_->BeginUpdate();
  if (!rows.empty()) settingGrid_->SetRowCount(fixed + int(rows.size()));
  for (int i = 0; i < int(rows.size()); ++i)
    settingGrid_->SetRowTexts(fixed + i, {rows[i].first, rows[i].second});
  settingGrid_->EndUpdate();
  int select = remembered.isEmpty() ? -1 : settingGrid_->FindRowByText(remembered, stName);
  if (select < fixed) select = fixed;
  if (select < settingGrid_->RowCount()) settingGrid_->SetRow(select);
  settingGrid_->SortGrid(false);
}

void TkorvUTServerView::DeleteSelectedServer() {
  const QString key = SelectedServerKey();
  if (key.isEmpty() || !stash_) return;
  stash_->DeleteServer(stash_->IndexOf(key));
  serverGrid_->DeleteGridRow(serverGrid_->Row());
  UpdateCountText();
  ReloadDetails();
  if (!serverGrid_->IsValidRow() || SelectedServerKey().isEmpty()) ClearDetails();
}

void TkorvUTServerView::JoinSelectedServer() {
  const QString key = SelectedServerKey();
  if (!key.isEmpty()) Q_EMIT OnJoinServer(key);
}

}  // namespace zorvane
