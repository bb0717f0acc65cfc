// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Every master of a game asked at once, each in an exchange of its own (master_exchange.h). Each
// list is handed on as it arrives, with only the servers no list before it named; once every
// master is done the set tells whether each gave a whole list, for only then are the servers
// none of them named known to be gone.

#include <QObject>
#include <QSet>
#include <QString>
#include <memory>
#include <vector>

#include "query/host_lookup.h"
#include "query/master_query.h"

namespace zorvane {

class TMasterExchange;

// The servers the lists of one query named, each once: the same dotted address and port from
// another master, or again from the same one, is the same server.
class TMasterListMerge {
 public:
  // The entries not named before, in list order.
  std::vector<TMasterEntry> Add(const std::vector<TMasterEntry>& entries);
  // "A.B.C.D:PORT".
  bool Contains(const QString& key) const;
  int Count() const { return int(keys_.size()); }

 private:
  // The address and port of each as one number: a list of tens of thousands is merged without
  // a text per entry.
  QSet<quint64> keys_;
};

// "A.B.C.D:PORT", the server key of a listed entry.
QString EntryKey(const TMasterEntry& entry);

class TMasterSetQuery : public QObject {
  Q_OBJECT
 public:
  // A master named twice (host in any letter case, same port) is asked once.
  TMasterSetQuery(const TMasterGame& game, const TMasterAddresses& masters,
                  const TMasterQueryOptions& options, THostLookup lookup,
                  QObject* parent = nullptr);
  ~TMasterSetQuery() override;

  // Starts every exchange; OnListed and OnFinished follow from the event loop. With no master
  // OnFinished comes at once.
  void Start();
  // Ends every exchange still running, at once and without a word.
  void Stop();
  bool Running() const { return running_; }

  const TMasterGame& Game() const { return game_; }
  const TMasterAddresses& Masters() const { return masters_; }
  // The outcomes so far, in the order the masters finished.
  const std::vector<TMasterOutcome>& Outcomes() const { return outcomes_; }
  const TMasterListMerge& Listed() const { return listed_; }
  // Every master was asked and gave a whole list.
  bool AllWhole() const;

 Q_SIGNALS:
  // A master is done; fresh holds the servers of its list that no list before named.
  void OnListed(const TMasterOutcome& outcome, const std::vector<TMasterEntry>& fresh);
  // After the last master's OnListed.
  void OnFinished();

 private:
  void Finished(const TMasterOutcome& outcome, const std::vector<TMasterEntry>& entries);

  const TMasterGame& game_;
  TMasterAddresses masters_;
  const TMasterQueryOptions options_;
  THostLookup lookup_;
  std::vector<std::unique_ptr<TMasterExchange>> exchanges_;
  std::vector<TMasterOutcome> outcomes_;
  TMasterListMerge listed_;
  bool running_ = false;
};

}  // namespace zorvane
