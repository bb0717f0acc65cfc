// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The farm's answers to a LAN search, on 127.0.0.1 like the rest of it.
//
// UT: a game server's beacon binds the first free one of ten beacon ports and answers
// "REPORTQUERY" from it with "ut" and its query port. On one host only ten fit, so the first
// ten UT servers that answer queries beacon (fewer when other programs hold some of the ports).
// UT2004: every server hears a search on the shared LAN port and answers from its query port.
// On loopback one socket can hold that port, so the farm's socket there stands for the
// broadcast every server of a network hears: each UT2004 server that answers queries replies
// to it from its own query port.

#include <QObject>
#include <QString>
#include <vector>

#include "tools/farm/farm_options.h"

class QUdpSocket;

namespace zorvane::farm {

class TFarmUdp;

// The text a UT beacon answers "REPORTQUERY" with.
QByteArray BeaconAnswer(int queryPort);

class TFarmLan : public QObject {
  Q_OBJECT
 public:
  // servers must be open and outlive this.
  TFarmLan(const TFarmOptions& options, const TFarmUdp& servers, QObject* parent = nullptr);

  // Binds what it can: a port another program holds is left out.
  void Open();
  // For the start line: "beacons on UDP 8777-8786, LAN port 10777".
  QString Summary() const;

 private:
  struct TBeacon {
    QUdpSocket* socket;  // child
    int index;           // the server's
  };
  void AnswerBeacon(const TBeacon& beacon);
  void AnswerLan();

  const TFarmOptions options_;
  const TFarmUdp& servers_;
  std::vector<TBeacon> beacons_;
  QUdpSocket* lan_ = nullptr;  // child, when its port could be had
};

}  // namespace zorvane::farm
