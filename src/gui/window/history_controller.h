// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The server history in the window. It owns the recorder of the replies (TServerHistory: its
// samples go in batches to the window's writer thread, which holds the file's read-write
// connection; charts read through the GUI thread's read-only one), and shows what it knows: a
// chart beside each view's players and settings, the favourites' Busiest column, the player
// monitor's Last Seen and Last Server columns. It also owns the desktop's notices of watched
// players and maps, whose "Join" joins as Ctrl+J does.

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <memory>

#include "gui/window/window_context.h"

namespace zorvane {

class TDesktopNotifier;
class TFileWriter;
class THistoryChart;
class TMonitorsController;
class TServerHistory;
class TWatchNotices;

class THistoryController : public QObject {
  Q_OBJECT
 public:
  // The player monitor's columns after its hidden key column.
  static constexpr int kLastSeenCol = 4;
  static constexpr int kLastServerCol = 5;
  // How often the Last Seen texts ("5 min ago") move on; how long a busy hour is kept.
  static constexpr int kLastSeenTickMs = 30000;
  static constexpr qint64 kBusyKeepSecs = 3600;
  // Busy hours reckoned a turn of the event loop (about a millisecond each).
  static constexpr int kBusyPerTurn = 4;

  // The history file lives in the settings folder; writer outlives this controller.
  // notificationBus: the address of the bus the notices go to (empty: the session bus).
  THistoryController(TWindowContext& context, TFileWriter& writer, TMonitorsController& monitors,
                     const QString& notificationBus = {});
  ~THistoryController() override;

  // A chart beside the view's details; the favourites' Busiest cells.
  void ConnectView(TkorvUTServerView* view);
  // The "serverHistory" setting changed.
  void SetEnabled(bool on);
  // At the window's close: what is pending and the file's close go to the writer, which the
  // window then waits for.
  void HandClose();

  TServerHistory& History() { return *history_; }
  TDesktopNotifier& Notifier() { return *notifier_; }
  static THistoryChart* ChartOf(const TkorvUTServerView* view);
  // The Last Seen cells of every watched player, as of now.
  void UpdateLastSeen();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowChart(TkorvUTServerView* view);
  void ShowChartsEnabled();
  QString BusyText(const QString& key);
  void QueueWholeBusyColumn();
  void ReckonSomeBusyHours();

  TWindowContext& context_;
  TMonitorsController& monitors_;
  std::unique_ptr<TServerHistory> history_;
  std::unique_ptr<TDesktopNotifier> notifier_;
  std::unique_ptr<TWatchNotices> notices_;
  std::vector<TkorvUTServerView*> views_;  // children of the window, which outlives this
  QTimer chartTimer_;     // the selected server's chart, again after its replies
  QTimer lastSeenTimer_;  // the Last Seen texts move on
  QTimer lastSeenSoon_;   // the monitor's rows changed
  QTimer busyTimer_;      // busy hours waiting to be reckoned
  struct TBusy {
    QString text;
    qint64 at = 0;
  };
  QHash<QString, TBusy> busy_;  // server key -> its Busiest cell and when it was reckoned
  QStringList busyQueue_;
};

}  // namespace zorvane
