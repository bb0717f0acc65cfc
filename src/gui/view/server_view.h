// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// TkorvUTServerView: the servers of one game type. A server grid on top, the selected server's
// players (left) and settings (right) below it, the filter boxes on one side, a status line at
// the bottom; commands as named actions the main window binds its menus to. The view holds
// only texts: the grids' hidden "IP" column is the key back into the stash. Its refreshes run
// in its TRefreshCycle, which tells it what to draw.

#include <QAction>
#include <QMenu>
#include <QSplitter>
#include <QWidget>
#include <QSet>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "browse/filter_layout.h"
#include "browse/refresh_cycle.h"
#include "config/filter_set.h"
#include "config/grid_sort.h"
#include "config/game_records.h"

namespace zorvane {

class TCountryLookup;
class TServerStash;
class TServer;
class TkorvStringGrid;
class TFilterPanel;
class TStatusLine;
class TQuickSearchBox;

enum TGridType { gtNone = 0, gtServer = 1, gtPlayer = 2, gtSetting = 3 };

class TkorvUTServerView : public QWidget, private TRefreshCycleView {
  Q_OBJECT
 public:
  static constexpr int kDetailHeight = 200;
  static constexpr int kPlayerPanelWidth = 300;
  static constexpr int kDebugIPWidth = 130;

  explicit TkorvUTServerView(QWidget* parent = nullptr);
  ~TkorvUTServerView() override;

  // What the view reads: the stash and the game types (both owned by the main window).
  void SetStash(TServerStash* stash);
  // Where the Country column's codes come from (owned by the window); none leaves it empty.
  void SetCountryLookup(TCountryLookup* countries) { countries_ = countries; }
  void SetGameTypes(const std::vector<std::unique_ptr<TGameType>>* gameTypes) {
    gameTypes_ = gameTypes;
  }

  // ---- Properties
  QString GameType() const { return gameType_; }
  void SetGameType(const QString& gameType) { gameType_ = gameType; }
  bool Debugging() const { return debugging_; }
  void SetDebugging(bool on);
  bool MassRefresh() const { return massRefresh_; }
  void SetMassRefresh(bool on) { massRefresh_ = on; }
  bool IsFavorite() const { return isFavorite_; }
  void SetIsFavorite(bool on);
  QString Title() const { return title_; }
  void SetTitle(const QString& title);
  QString DefaultVersion() const { return defaultVersion_; }
  void SetDefaultVersion(const QString& version) { defaultVersion_ = version; }
  bool ConfirmServerDelete() const { return confirmServerDelete_; }
  void SetConfirmServerDelete(bool on) { confirmServerDelete_ = on; }
  // The refresh settings live in the refresh cycle; the rate is also shown in panel 2.
  int AutoRefreshRate() const { return cycle_.AutoRefreshRate(); }
  void SetAutoRefreshRate(int ms);
  bool AutoRefreshSelectedServerOnly() const { return cycle_.AutoRefreshSelectedServerOnly(); }
  void SetAutoRefreshSelectedServerOnly(bool on) { cycle_.SetAutoRefreshSelectedServerOnly(on); }
  int PingWaitTime() const { return cycle_.PingWaitTime(); }
  void SetPingWaitTime(int ms) { cycle_.SetPingWaitTime(ms); }
  int DetailHeight() const;
  void SetDetailHeight(int height);
  bool IsTeamView() const;
  void SetIsTeamView(bool on);
  bool PingServerOnSelect() const { return pingServerOnSelect_; }
  void SetPingServerOnSelect(bool on) { pingServerOnSelect_ = on; }
  bool KeepFavesInSync() const { return keepFavesInSync_; }
  void SetKeepFavesInSync(bool on) { keepFavesInSync_ = on; }
  QString GridFontName() const;
  int GridFontSize() const;
  void SetGridFont(const QString& name, int size);
  int QueryPower() const { return cycle_.QueryPower(); }
  void SetQueryPower(int power) { cycle_.SetQueryPower(power); }

  // ---- Rows
  void PopulateServerGrid(bool fillRows, bool allFilters);
  // The same rebuild (every row filled, every filter) a part at a time: each call looks at up
  // to `servers` more servers of the stash, and the grid changes only once, at the last call,
  // which returns true. So tens of thousands of servers hold the window a few milliseconds per
  // turn of the event loop. start drops what an earlier rebuild left unfinished, and so does
  // PopulateServerGrid.
  bool PopulateServerGridPart(int servers, bool start);
  void ServerUpdated(int stashIndex);
  int FindServerRow(const QString& key) const;
  void RemoveServersOfGame(const QString& variant);
  bool MorePlayerInfo() const { return morePlayerInfo_; }
  void SetMorePlayerInfo(bool on, bool updateRows);

  // ---- Selection
  QString SelectedServerKey() const override;
  QString LastSelectedServerKey() const { return lastSelectedKey_; }
  QString SelectedPlayerName() const;
  bool SelectServer(const QString& key);
  // Selects only when the row is not the current one; true only then.
  bool SelectServerIfNotCurrent(const QString& key);
  bool SelectServerAndPlayer(const QString& key, const QString& player);
  bool NoServerSelected() const;
  // Fills the details of the current row again without re-querying.
  void ReloadDetails();

  // ---- Layout
  int ServerColWidth(int col) const;
  int PlayerColWidth(int col) const;
  int SettingColWidth(int col) const;
  void SetServerColWidth(int col, int width);  // never the IP column
  void SetPlayerColWidth(int col, int width);
  void SetSettingColWidth(int col, int width);
  void SetGridColWidths(const std::vector<int>& widths, const QString& gridName);
  std::vector<int> GridColWidths(const QString& gridName) const;
  int PlayerPanelWidth() const;
  void SetPlayerPanelWidth(int width);

  // ---- Sorting
  int GridSortCol(TGridType grid) const;
  TSortDirection GridSortDirection(TGridType grid) const;
  void SetGridSort(TGridType grid, int col, TSortDirection direction);
  // col -2 keeps the stored column.
  void ResortGrid(TGridType grid, int col, TSortDirection direction);

  // ---- Parts
  QAction* FindViewAction(const QString& name) const;
  const std::vector<QAction*>& Actions() const { return actions_; }
  TkorvStringGrid* ServerGrid() const { return serverGrid_; }
  TkorvStringGrid* PlayerGrid() const { return playerGrid_; }
  TkorvStringGrid* SettingGrid() const { return settingGrid_; }
  TkorvStringGrid* Grid(TGridType grid) const;
  TFilterPanel* FilterPanel() const { return filterPanel_; }
  TStatusLine* StatusLine() const { return statusLine_; }
  QMenu* ServerMenu() const { return serverMenu_; }
  QMenu* PlayerMenu() const { return playerMenu_; }
  QMenu* SettingMenu() const { return settingMenu_; }
  // The server grid's header menu: which of its columns are shown.
  QMenu* ColumnMenu() const { return columnMenu_; }
  // Shows a server grid column (at its designed width, or one its texts fit) or hides it; the
  // name and key columns stay. Raises OnViewColumnResized like a resize.
  void ShowServerColumn(int col, bool on);
  // Whether the view's page is shown in the main tab strip.
  bool IsOnPage() const { return onPage_; }
  void SetOnPage(bool on) { onPage_ = on; }

  // ---- Filters
  TFilterPanelAlign FilterPanelAlign() const;
  void SetFilterPanelAlign(TFilterPanelAlign align);
  void LayoutFilters(bool repopulate);
  // The values shown and the in-use flags, as the settings keep them per game type.
  TFilterSet Filters() const;
  void SetFilters(const TFilterSet& filters);

  // ---- Quick search (server_view_search.cpp): kept per view, never stored.
  TQuickSearchBox* SearchBox() const { return searchBox_; }
  // The box's text, case-folded; empty shows every row the filters let through.
  const QString& SearchText() const { return searchText_; }
  // Focuses the box with its text selected, so typing replaces it.
  void FocusSearchBox();

  // ---- Refreshes: commands, timers and the reply wait
  TRefreshCycle& RefreshCycle() { return cycle_; }

  // ---- Favourites (server_view_favorites.cpp); the commands themselves are the window's.
  enum class TFavoriteRow { NotInStash, Shown, Filtered };
  // A new favourite: its row when the filters let it through (selected), then its query.
  TFavoriteRow AddFavoriteRow(const QString& key, const QString& name);
  // Imported favourites: their rows (queried unless silent); returns how many the filters hid.
  int AddImportedRows(const QStringList& keys, const QStringList& names, bool query);
  void SetPopulating(bool on) { populating_ = on; }
  // The current row's server moved to newKey: its row follows and it is queried.
  void ShowMovedFavorite(const QString& newKey);
  // A listed server took over the favourite: its row at the end, selected and queried.
  void ShowTakenOverFavorite(const QString& key, const QString& name);
  // Removes the current row (the server stays in the stash) and shows the next one's details.
  void DeleteCurrentRow();

  // ---- The server history's parts (server_view_layout.cpp)
  // Where the favourites' Busiest cells come from (a look-up, never a read of the file).
  void SetBusyTexts(std::function<QString(const QString& key)> texts) {
    busyTexts_ = std::move(texts);
  }
  // The Busiest cell of the server's row, when the view lists it.
  void SetBusyCell(const QString& key, const QString& text);
  // A pane to the right of the players and settings (the history chart), which the view owns.
  // Shown where the settings' columns leave room for it.
  void AddDetailPane(QWidget* pane);
  QWidget* DetailPane() const { return detailPane_; }
  // Whether the pane is to be shown at all (the history on).
  void SetDetailPaneWanted(bool on);
  QSize sizeHint() const override;

  // ---- Status line
  void SetStatusText(int panel, const QString& text, bool flash, bool highlight);
  void UpdateCountText();

 Q_SIGNALS:
  void OnJoinServer(const QString& ip);
  void OnAddPlayerToMonitor(const QString& player, const QString& serverIP, const QString& server,
                            const QString& gameType);
  void OnAddMapToMonitor(const QString& map, const QString& serverIP, const QString& server,
                         const QString& gameType);
  void OnChangeApplicationIcon(zorvane::TkorvUTServerView* sender, const QString& ip);
  void OnRefreshServer(zorvane::TkorvUTServerView* sender, const QString& ip);
  void OnRefreshServerGrid(zorvane::TkorvUTServerView* sender);
  void OnAddFavorite(const QString& ip, const QString& hostname);
  void OnDetailSplitterMoved(const QString& gameType, int size);
  void OnPlayerSplitterMoved(const QString& gameType, int size);
  void OnViewColumnResized(const QString& gameType, const QString& gridName,
                           const std::vector<int>& widths);
  void OnDebug(const QString& text);
  // A line for the activity log.
  void OnActivityLog(const QString& text);
  void OnSort(const QString& gameType, zorvane::TGridType grid, int sortCol,
              zorvane::TSortDirection direction);

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Actions and menus (server_view_actions.cpp).
  QAction* AddAction(const char* name, const char* caption, const QKeySequence& shortcut,
                     const char* category);
  QAction* MenuItem(QMenu* menu, const char* name, QAction* action);
  void CreateActions();
  void CreateMenus();
  void CreateColumnMenu();
  void UpdateActionCaptions();
  void DockFilterPanel();
  // What the settings' columns take of the details' width.
  int SettingsWidth() const;
  void Debug(const QString& text);
  // The text of the grid's current row in col; empty without a valid row.
  static QString CurrentCell(const TkorvStringGrid* grid, int col);
  // The game type the current row's server reported (the cell shows its tab title).
  QString CurrentGameType() const;

  // ---- TRefreshCycleView
  bool BelongsToView(const TServer& server) const override;
  void ShowAwaited(const QString& key) override;
  void ShowSilent(const QStringList& keys) override;
  void ShowWarning(const QString& text) override;
  void ServerRefreshed(const QString& key) override;
  void ListRefreshSent() override;
  void DebugLog(const QString& text) override { Debug(text); }

  bool PassesFilters(const TServer& server, bool allFilters) const;
  // The filters and the quick search: what the grid shows of a server with a reply.
  bool IsShown(const TServer& server) const;
  // Never heard of: no reply and no name to show.
  static bool NeverHeardOf(const TServer& server);
  void SearchTextChanged(const QString& typed);
  // Removes the rows that no longer fit the search text in one go.
  void NarrowServerRows();
  // Adds the rows that fit the search text now and are not shown, then sorts.
  void WidenServerRows();
  // Runs a change of many rows, then keeps the selected server current (its details as they
  // are) or, when it went, makes the first row current and shows its details.
  template <typename Change>
  void ChangeRowsKeepingSelection(Change&& change);
  // The cells of a server's row, by TServerColumn.
  QStringList RowTexts(const TServer& server, const QString& key) const;
  // The rows of the stash's servers first to end (exclusive) that the view shows.
  void CollectRows(int first, int end, bool fillRows, bool allFilters,
                   std::vector<QStringList>& rows) const;
  // The grid holds rows (sorted, the selection kept) in place of what it held.
  void ShowRows(const std::vector<QStringList>& rows);
  bool AddServerRow(const QString& key, const QString& name);
  void UpdateServerRow(const QString& key);
  void HandleServerSelection(int row);
  // The left button went up: what it held back runs now.
  void ServerGridReleased();
  void FillPlayerGrid(const QString& key);
  void FillSettingGrid(const QString& key);
  void ClearDetails();
  void DeleteSelectedServer();
  void JoinSelectedServer();

  void ServerMenuOpening(int row);
  void PlayerMenuOpening(int row);
  void SettingMenuOpening(int row);
  void MenuClosed(QMenu* menu);

  TServerStash* stash_ = nullptr;
  TCountryLookup* countries_ = nullptr;
  const std::vector<std::unique_ptr<TGameType>>* gameTypes_ = nullptr;

  QString gameType_;
  bool debugging_ = false;
  bool massRefresh_ = false;
  bool isFavorite_ = false;
  QString title_;
  QString defaultVersion_ = QStringLiteral("UT");
  bool confirmServerDelete_ = true;
  bool pingServerOnSelect_ = false;
  bool keepFavesInSync_ = false;
  bool morePlayerInfo_ = false;
  int detailHeight_ = kDetailHeight;
  int playerPanelWidth_ = kPlayerPanelWidth;
  bool onPage_ = false;
  bool populating_ = false;
  bool reloadingDetails_ = false;
  bool selectAfterRelease_ = false;  // a new row while the left button was down
  bool reloadAfterRelease_ = false;  // a reply for the selected row while it was down
  QString lastSelectedKey_;
  TFilterSet filters_;  // the panel's filters, kept for the per-reply checks
  // A rebuild under way, a part at a time.
  struct TPendingRows {
    std::vector<QStringList> rows;
    int next = 0;           // the next server of the stash to look at
    int stashCount = 0;     // the stash's size at the last part: a smaller one starts again
    QSet<QString> updated;  // servers updated meanwhile, shown again once the rows are in
  };
  std::optional<TPendingRows> pendingRows_;
  QString searchText_;  // folded

  TFilterPanel* filterPanel_;
  QWidget* content_;  // the search box, grids and splitters, docked beside the filter panel
  TQuickSearchBox* searchBox_;
  QSplitter* mainSplitter_;
  QSplitter* detailSplitter_;
  TkorvStringGrid* serverGrid_;
  TkorvStringGrid* playerGrid_;
  TkorvStringGrid* settingGrid_;
  TStatusLine* statusLine_;
  QMenu* serverMenu_;
  QMenu* playerMenu_;
  QMenu* settingMenu_;
  QMenu* columnMenu_ = nullptr;
  std::vector<QAction*> actions_;
  std::function<QString(const QString& key)> busyTexts_;
  QWidget* detailPane_ = nullptr;
  bool paneWanted_ = true;
  TRefreshCycle cycle_{*this};
};

}  // namespace zorvane
