// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The window's side of a LAN search: "Find LAN Servers", F5 on the LAN tab and the "LAN
// Servers" start-up query all start one; its log lines go to the log, the status line says
// it is searching and, at its end, what it found; the servers found are then queried through
// the LAN view like any list.

#include <QObject>
#include <QPointer>

#include "browse/lan_servers.h"

namespace zorvane {

class TServerStash;
class TkorvUTServerView;
struct TSettings;

class TLanController : public QObject {
  Q_OBJECT
 public:
  // settings gives "lanAddresses" and "lanSearchWait" at each search; view is the LAN view.
  TLanController(TServerStash& stash, const TSettings& settings, TkorvUTServerView* view,
                 QObject* parent);

  void Search();
  TLanServers& Servers() { return servers_; }

 Q_SIGNALS:
  void OnLog(const QString& text);
  // For the window's own status lines (the LAN view's is written here).
  void OnStatus(const QString& text);
  // Servers of an earlier search left the stash: the other lists drop their rows.
  void OnServersRemoved();

 private:
  void SearchDone(int found, int removed);
  void ShowStatus(const QString& text);

  const TSettings& settings_;
  QPointer<TkorvUTServerView> view_;
  TLanServers servers_;
};

}  // namespace zorvane
