// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One exchange with a GameSpy-style master, driven by the event loop: the connection (after a
// name look-up when the master is known by name), the greeting, the validation and request, and
// the list until the master closes the connection. Nothing waits: every step is a socket or
// timer event, so a master that is slow, silent or endless holds nothing but itself. Deleting
// the exchange ends it at once (its socket is aborted, its look-up's answer dropped).

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <vector>

#include "query/host_lookup.h"
#include "query/master_query.h"

class QTcpSocket;

namespace zorvane {

class TMasterExchange : public QObject {
  Q_OBJECT
 public:
  TMasterExchange(const TMasterGame& game, const TMasterAddress& master,
                  const TMasterQueryOptions& options, THostLookup lookup,
                  QObject* parent = nullptr);
  ~TMasterExchange() override;

  // Starts the look-up or the connection; OnFinished follows once, from the event loop.
  void Start();
  // Ends the exchange now without a word: its socket is closed, a look-up's answer dropped.
  void Abort();
  bool Finished() const { return state_ == TState::Done; }
  const TMasterAddress& Master() const { return master_; }

 Q_SIGNALS:
  // The outcome and the entries of its list (whole or as far as it came; none on a failure).
  void OnFinished(const TMasterOutcome& outcome, const std::vector<TMasterEntry>& entries);

 private:
  enum class TState { Idle, LookingUp, Connecting, Greeting, Listing, Done };

  void Connect(const QHostAddress& address);
  void Read();
  void ReadGreeting();
  void SendRequest();
  void Closed();
  void Silent();
  void Expired();
  // Ends the exchange with what the list holds so far; timedOut tells a clock from a close.
  void EndList(bool timedOut);
  void Fail(TMasterResult result, const QString& text);
  void Finish(TMasterOutcome outcome, std::vector<TMasterEntry> entries = {});

  const TMasterGame& game_;
  const TMasterAddress master_;
  const TMasterQueryOptions options_;
  THostLookup lookup_;
  TState state_ = TState::Idle;
  QTcpSocket* socket_ = nullptr;  // child
  QTimer silence_;                // no byte for options_.silenceTimeoutMs
  QTimer deadline_;               // the whole exchange
  QByteArray greeting_;
  QByteArray list_;
};

}  // namespace zorvane
