// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/history_controller.h"

#include <QDBusConnection>
#include <QDateTime>
#include <QDir>
#include <QEvent>

#include "browse/desktop_notifier.h"
#include "browse/monitor_cells.h"
#include "browse/player_monitor.h"
#include "browse/server_rows.h"
#include "browse/string_table_model.h"
#include "browse/watch_notices.h"
#include "config/configuration.h"
#include "gui/grid/string_grid.h"
#include "gui/view/history_chart.h"
#include "gui/view/server_view.h"
#include "gui/window/monitors_controller.h"
#include "history/last_seen.h"
#include "history/server_history.h"
#include "query/server_stash.h"

namespace zorvane {

namespace {

qint64 Now() {
  return QDateTime::currentSecsSinceEpoch();
}

std::unique_ptr<TDesktopNotifier> NotifierOn(const QString& address, QObject* parent) {
  if (address.isEmpty()) return std::make_unique<TDesktopNotifier>(parent);
  return std::make_unique<TDesktopNotifier>(
      QDBusConnection::connectToBus(address, QStringLiteral("zorvane-notices")), parent);
}

}  // namespace

THistoryController::THistoryController(TWindowContext& context, TFileWriter& writer,
                                       TMonitorsController& monitors,
                                       const QString& notificationBus)
    : context_(context), monitors_(monitors) {
  const TSettings& s = context_.config.settings;
  history_ = std::make_unique<TServerHistory>(
      context_.stash, writer,
      QDir(context_.config.directory).filePath(QStringLiteral("history.sqlite")), s.serverHistory);
  connect(history_.get(), &TServerHistory::OnLog, this, [this](const QString& text) {
    context_.log(text);
  });
  notifier_ = NotifierOn(notificationBus, nullptr);
  connect(notifier_.get(), &TDesktopNotifier::OnLog, this,
          [this](const QString& text) { context_.log(text); });
  connect(notifier_.get(), &TDesktopNotifier::OnJoinRequested, this,
          [this](const QString& key) { context_.join(key); });
  TPlayerMonitor& players = monitors_.PlayerMonitor();
  notices_ = std::make_unique<TWatchNotices>(context_.stash, s, players, monitors_.MapMonitor(),
                                             *notifier_);

  // The player monitor's Last Seen columns, after its hidden key.
  TkorvStringGrid* grid = monitors_.PlayerGrid();
  grid->SetColCount(kLastServerCol + 1);
  grid->SetCell(kLastSeenCol, 0, QStringLiteral("Last Seen"));
  grid->SetCell(kLastServerCol, 0, QStringLiteral("Last Server"));
  grid->SetColWidths(kLastSeenCol, 90);
  grid->SetColWidths(kLastServerCol, 200);
  const auto watched = [this, &players] { history_->SetWatchedPlayers(players.WatchedPlayers()); };
  connect(&players, &TPlayerMonitor::OnWatchedPlayersChanged, this, watched);
  watched();
  lastSeenSoon_.setSingleShot(true);
  lastSeenSoon_.setInterval(0);
  connect(&lastSeenSoon_, &QTimer::timeout, this, &THistoryController::UpdateLastSeen);
  // A row's server changed, or rows came and went: its Last Seen follows.
  TStringTableModel& cells = grid->Model();
  connect(&cells, &QAbstractItemModel::dataChanged, this,
          [this](const QModelIndex& from, const QModelIndex& to) {
            if (from.column() <= mcServer && to.column() >= mcServer) lastSeenSoon_.start();
          });
  for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
    connect(&cells, signal, &lastSeenSoon_, [this] { lastSeenSoon_.start(); });
  connect(&cells, &QAbstractItemModel::modelReset, &lastSeenSoon_,
          [this] { lastSeenSoon_.start(); });
  connect(history_.get(), &TServerHistory::OnLastSeenLoaded, this,
          &THistoryController::UpdateLastSeen);
  lastSeenTimer_.setInterval(kLastSeenTickMs);
  connect(&lastSeenTimer_, &QTimer::timeout, this, &THistoryController::UpdateLastSeen);
  lastSeenTimer_.start();

  // The selected server's chart follows its replies, at most once a second.
  chartTimer_.setSingleShot(true);
  chartTimer_.setInterval(1000);
  connect(&chartTimer_, &QTimer::timeout, this, [this] {
    if (TkorvUTServerView* view = context_.currentView()) ShowChart(view);
  });
  connect(&context_.stash, &TServerStash::OnServerUpdated, this, [this](const QString& key) {
    if (chartTimer_.isActive() || !history_->Enabled()) return;
    TkorvUTServerView* view = context_.currentView();
    if (view && view->LastSelectedServerKey() == key) chartTimer_.start();
  });
  connect(history_.get(), &TServerHistory::OnFileOpened, this, [this] {
    if (TkorvUTServerView* view = context_.currentView()) ShowChart(view);
  });
  busyTimer_.setSingleShot(true);
  busyTimer_.setInterval(0);
  connect(&busyTimer_, &QTimer::timeout, this, &THistoryController::ReckonSomeBusyHours);
}

THistoryController::~THistoryController() = default;

THistoryChart* THistoryController::ChartOf(const TkorvUTServerView* view) {
  return view ? qobject_cast<THistoryChart*>(view->DetailPane()) : nullptr;
}

void THistoryController::ConnectView(TkorvUTServerView* view) {
  views_.push_back(view);
  auto* chart = new THistoryChart(view);
  view->SetDetailPaneWanted(history_->Enabled());
  view->AddDetailPane(chart);
  connect(view, &TkorvUTServerView::OnChangeApplicationIcon, this,
          [this](TkorvUTServerView* sender, const QString&) { ShowChart(sender); });
  // Its page brought to the front: the chart as of now.
  chart->installEventFilter(this);
  connect(view, &QObject::destroyed, this, [this, view] { std::erase(views_, view); });
  if (!view->IsFavorite()) return;
  view->SetBusyTexts([this](const QString& key) { return BusyText(key); });
  // The column shown: its cells are reckoned a few a turn.
  connect(view, &TkorvUTServerView::OnViewColumnResized, this, [this, view] {
    if (view->ServerColWidth(scBusy) > 0) QueueWholeBusyColumn();
  });
}

bool THistoryController::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show)
    for (TkorvUTServerView* view : views_)
      if (view->DetailPane() == watched) ShowChart(view);
  return QObject::eventFilter(watched, event);
}

void THistoryController::ShowChart(TkorvUTServerView* view) {
  THistoryChart* chart = ChartOf(view);
  if (!chart || chart->isHidden()) return;
  const QString key = view->SelectedServerKey();
  if (key.isEmpty())
    chart->Clear();
  else
    chart->SetData(history_->ChartData(key, Now()));
}

void THistoryController::SetEnabled(bool on) {
  history_->SetEnabled(on);
  busy_.clear();
  busyQueue_.clear();
  for (TkorvUTServerView* view : views_) {
    if (THistoryChart* chart = ChartOf(view); chart && !on) chart->Clear();
    view->SetDetailPaneWanted(on);
    if (view->IsFavorite()) QueueWholeBusyColumn();
  }
  if (TkorvUTServerView* view = context_.currentView()) ShowChart(view);
  UpdateLastSeen();
}

void THistoryController::HandClose() {
  lastSeenTimer_.stop();
  chartTimer_.stop();
  busyTimer_.stop();
  history_->HandClose();
}

// ---- The favourites' Busiest column

QString THistoryController::BusyText(const QString& key) {
  if (!history_->Enabled()) return {};
  const auto it = busy_.constFind(key);
  if (it != busy_.cend() && Now() - it->at < kBusyKeepSecs) return it->text;
  // Reckoned only while the column is shown.
  TkorvUTServerView* favorites = context_.view(QStringLiteral("Favorite"));
  if (favorites && favorites->ServerColWidth(scBusy) > 0 && !busyQueue_.contains(key)) {
    busyQueue_ << key;
    busyTimer_.start();
  }
  return it == busy_.cend() ? QString() : it->text;
}

void THistoryController::QueueWholeBusyColumn() {
  TkorvUTServerView* favorites = context_.view(QStringLiteral("Favorite"));
  if (!favorites) return;
  const TkorvStringGrid* grid = favorites->ServerGrid();
  for (int row = grid->FixedRows(); row < grid->RowCount(); ++row) {
    const QString key = grid->Cells(scIP, row);
    if (!key.isEmpty()) {
      if (history_->Enabled()) {
        BusyText(key);
      } else {
        favorites->SetBusyCell(key, {});
      }
    }
  }
}

void THistoryController::ReckonSomeBusyHours() {
  TkorvUTServerView* favorites = context_.view(QStringLiteral("Favorite"));
  const qint64 now = Now();
  for (int i = 0; i < kBusyPerTurn && !busyQueue_.isEmpty(); ++i) {
    const QString key = busyQueue_.takeFirst();
    const auto busy = history_->BusyHours(key, now);
    const QString text = busy ? BusyHoursRange(*busy) : QString();
    busy_.insert(key, {text, now});
    if (favorites) favorites->SetBusyCell(key, text);
  }
  if (!busyQueue_.isEmpty()) busyTimer_.start();
}

// ---- The player monitor's Last Seen

void THistoryController::UpdateLastSeen() {
  TStringTableModel& cells = monitors_.PlayerGrid()->Model();
  const qint64 now = Now();
  const bool on = history_->Enabled();
  for (int row = cells.FixedRows(); row < cells.RowCount(); ++row) {
    const QString name = cells.Cell(mcName, row);
    TLastSeenCells shown;
    if (on && !name.isEmpty()) {
      const QString server = cells.Cell(mcServer, row);
      const bool online = !server.isEmpty() && server != QLatin1StringView(kNotInServerList);
      shown = LastSeenCells(online, server, history_->LastSeen(name), now);
    }
    if (cells.Cell(kLastSeenCol, row) != shown.when) cells.SetCell(kLastSeenCol, row, shown.when);
    if (cells.Cell(kLastServerCol, row) != shown.server)
      cells.SetCell(kLastServerCol, row, shown.server);
  }
}

}  // namespace zorvane
