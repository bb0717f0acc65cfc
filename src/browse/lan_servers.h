// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The servers of the local network in the stash: a LAN search (query/lan_search.h) whose every
// server found joins the stash marked FromLan, so that the LAN view lists it and the server
// cache leaves it out. When a search ends, the servers an earlier one found and this one did
// not are forgotten; a favourite among them stays, only no longer marked.

#include <QObject>
#include <QSet>
#include <QString>

#include "query/lan_search.h"

namespace zorvane {

class TServerStash;

// Adds the server a LAN search found (or marks the one the stash holds already) and returns
// its key; empty when the stash refuses it.
QString TakeLanServer(TServerStash& stash, const QString& address, int queryPort,
                      const QString& variant);
// Forgets the marked servers whose lower-cased keys are not in found; returns how many left
// the stash (favourites stay, unmarked).
int ForgetLanServersExcept(TServerStash& stash, const QSet<QString>& foundLowerKeys);
// What the status line says when a search is over.
QString LanSearchDoneText(int found);

class TLanServers : public QObject {
  Q_OBJECT
 public:
  explicit TLanServers(TServerStash& stash, QObject* parent = nullptr);

  // The search itself: its ports and where its datagrams go (tests set them).
  TLanSearch& Search() { return search_; }
  bool Running() const { return search_.Running(); }
  // Asks the addresses ("lanAddresses"; blank: every interface's broadcast address) and
  // listens waitMs. A search still running ends first. False when it could not start.
  bool Start(const QString& addresses, int waitMs);

 Q_SIGNALS:
  void OnLog(const QString& text);
  // The search is over and the stash holds what it found; removed is how many servers of an
  // earlier search left the stash.
  void OnSearchDone(int found, int removed);

 private:
  void Found(const QString& address, int queryPort, const QString& variant);
  void Finished(int found);

  TServerStash& stash_;
  TLanSearch search_;
  QSet<QString> found_;  // lower-cased keys found by the running search
};

}  // namespace zorvane
