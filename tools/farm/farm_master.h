// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A master server of the farm: greets with a challenge and no line end (as masters do today),
// closes on a wrong validation, and otherwise lists its share of the farm's servers of the game
// asked for. A farm may run several, each with its own share and its own fault.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <random>

#include "tools/farm/farm_options.h"

class QTcpServer;

namespace zorvane::farm {

// "\ip\127.0.0.1:PORT" for every server of the game the master knows by that name ("ut",
// "ut2004") among the servers first to last (indexes across the farm; last -1 for all), then
// "\final\"; just "\final\" for a game the farm does not serve.
QByteArray MasterList(const TFarmOptions& options, QByteArrayView gameName = "ut", int first = 0,
                      int last = -1);

// The list as a master's fault makes it: "cut" drops its last third (mid-entry, with the end
// mark), "half" keeps its first half, "names" puts "\ip\sN.slow.test:PORT" after the N-th
// entry, "huge" repeats its entries up to a million. Any other fault leaves it as it is.
QByteArray FaultyList(const QByteArray& list, const QString& fault);

// The game named by "\gamename\NAME\" in what a client has sent; empty until it is whole.
QByteArray RequestedGameName(QByteArrayView request);

enum class TRequestState { Waiting, Refused, Answer };

// Judges what a client has sent so far: "\validate\RESPONSE\" must carry the expected
// response, and the list is due once "\list\" ... "\final\" has followed.
TRequestState JudgeRequest(QByteArrayView request, QByteArrayView expected);

class TFarmMaster : public QObject {
  Q_OBJECT
 public:
  TFarmMaster(const TFarmOptions& options, const TFarmMasterSpec& spec, quint64 seed,
              QObject* parent = nullptr);

  bool Listen(QString& error);
  // "28901 (servers 0-2999, silent)": its port, share and fault for the start line.
  QString Summary() const;

 private:
  void Accept();
  QByteArray NewChallenge();

  QTcpServer* server_;  // child
  const TFarmOptions options_;
  const TFarmMasterSpec spec_;
  std::mt19937_64 random_;
};

}  // namespace zorvane::farm
