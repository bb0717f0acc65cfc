// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/lan_servers.h"

#include "query/server_stash.h"

namespace zorvane {

QString TakeLanServer(TServerStash& stash, const QString& address, int queryPort,
                      const QString& variant) {
  const QString port = QString::number(queryPort);
  stash.AddServer(address, port, QString(), false, variant, QStringLiteral("True"), QString());
  const QString key = address + u':' + port;
  TServer* server = stash.Find(key);
  if (!server) return {};
  server->FromLan = true;
  return key;
}

int ForgetLanServersExcept(TServerStash& stash, const QSet<QString>& foundLowerKeys) {
  int removed = 0;
  for (int i = stash.Count(); i-- > 0;) {
    TServer& server = *stash.Server(i);
    if (!server.FromLan || foundLowerKeys.contains(stash.Key(i).toLower())) continue;
    if (server.Favorite) {
      server.FromLan = false;
      continue;
    }
    stash.DeleteServer(i);
    ++removed;
  }
  return removed;
}

QString LanSearchDoneText(int found) {
  if (found == 0) return QStringLiteral("No LAN servers found.");
  return found == 1 ? QStringLiteral("1 LAN server found")
                    : QString::number(found) + QStringLiteral(" LAN servers found");
}

TLanServers::TLanServers(TServerStash& stash, QObject* parent) : QObject(parent), stash_(stash) {
  connect(&search_, &TLanSearch::OnServerFound, this, &TLanServers::Found);
  connect(&search_, &TLanSearch::OnSearchFinished, this, &TLanServers::Finished);
  connect(&search_, &TLanSearch::OnLog, this,
          [this](int, const QString& text) { Q_EMIT OnLog(text); });
}

bool TLanServers::Start(const QString& addresses, int waitMs) {
  search_.Stop();  // a running search ends with what it found so far
  found_.clear();
  search_.Addresses = addresses;
  search_.WaitMs = waitMs;
  return search_.Start();
}

void TLanServers::Found(const QString& address, int queryPort, const QString& variant) {
  const QString key = TakeLanServer(stash_, address, queryPort, variant);
  if (!key.isEmpty()) found_.insert(key.toLower());
}

void TLanServers::Finished(int found) {
  const int removed = ForgetLanServersExcept(stash_, found_);
  Q_EMIT OnSearchDone(found, removed);
}

}  // namespace zorvane
