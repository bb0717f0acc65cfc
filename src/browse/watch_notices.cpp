// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/watch_notices.h"

#include "browse/map_monitor.h"
#include "browse/player_monitor.h"
#include "config/settings.h"
#include "query/network_text.h"
#include "query/server_stash.h"

namespace zorvane {

namespace {

constexpr int kNamesShown = 8;

}  // namespace

QString ServerNoticeBody(const QString& key, const TServer& server) {
  QString name = PlainName(server.Description());
  if (name.trimmed().isEmpty()) name = key;
  QStringList players;
  for (int slot = 0; slot < kPlayerSlots; ++slot)
    if (server.PlayerInUse(slot))
      players << PlainName(server.PlayerText(slot, TPlayerField::Name));
  bool counted = false;
  const int count = server.NumPlayers().toInt(&counted);
  QString line = server.MapName();
  if (!line.isEmpty()) line += QStringLiteral(" \u00B7 ");
  line += QString::number(counted ? count : int(players.size()));
  if (!server.MaxPlayers().isEmpty()) line += u'/' + server.MaxPlayers();
  line += QStringLiteral(" players");
  QString body = name + u'\n' + line;
  if (!players.isEmpty()) {
    QString names = players.mid(0, kNamesShown).join(QStringLiteral(", "));
    if (players.size() > kNamesShown) names += QStringLiteral(", \u2026");
    body += u'\n' + names;
  }
  return body;
}

TDesktopNotice PlayerOnlineNotice(const QString& player, const QString& key, const TServer& server) {
  return {player + QStringLiteral(" is online"), ServerNoticeBody(key, server), key};
}

TDesktopNotice MapStartedNotice(const QString& map, const QString& key, const TServer& server) {
  return {map + QStringLiteral(" started"), ServerNoticeBody(key, server), key};
}

TWatchNotices::TWatchNotices(const TServerStash& stash, const TSettings& settings,
                             const TPlayerMonitor& players, const TMapMonitor& maps,
                             TDesktopNotifier& notifier, QObject* parent)
    : QObject(parent), stash_(stash), settings_(settings), notifier_(notifier) {
  connect(&players, &TPlayerMonitor::OnPlayerFound, this,
          [this](const QString& name, const QString& key) {
            const TServer* server = stash_.Find(key);
            if (settings_.desktopNotifications && server)
              notifier_.Notify(PlayerOnlineNotice(name, key, *server));
          });
  connect(&maps, &TMapMonitor::OnMapStarted, this, [this](const QString& map, const QString& key) {
    const TServer* server = stash_.Find(key);
    if (settings_.desktopNotifications && server)
      notifier_.Notify(MapStartedNotice(map, key, *server));
  });
}

}  // namespace zorvane
