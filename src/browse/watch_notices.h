// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The desktop's notices of what the monitors watch: a watched player coming online, a server
// starting a watched map. Shown only while the "desktopNotifications" setting is on, read at
// each event, so the Options dialog needs to change nothing but the setting.

#include <QObject>

#include "browse/desktop_notifier.h"

namespace zorvane {

class TMapMonitor;
class TPlayerMonitor;
class TServer;
class TServerStash;
struct TSettings;

// "Zoë is online" over the server's name, map and players.
TDesktopNotice PlayerOnlineNotice(const QString& player, const QString& key, const TServer& server);
// "CTF-Face started" over the same.
TDesktopNotice MapStartedNotice(const QString& map, const QString& key, const TServer& server);
// The server's name (its key when it has none); its map and "5/16 players"; the names of the
// first eight players.
QString ServerNoticeBody(const QString& key, const TServer& server);

class TWatchNotices : public QObject {
  Q_OBJECT
 public:
  TWatchNotices(const TServerStash& stash, const TSettings& settings, const TPlayerMonitor& players,
                const TMapMonitor& maps, TDesktopNotifier& notifier, QObject* parent = nullptr);

 private:
  const TServerStash& stash_;
  const TSettings& settings_;
  TDesktopNotifier& notifier_;
};

}  // namespace zorvane
