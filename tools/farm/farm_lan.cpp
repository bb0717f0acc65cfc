// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/farm/farm_lan.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <QStringList>
#include <QUdpSocket>
#include <algorithm>

#include "tools/farm/farm_replies.h"
#include "tools/farm/farm_udp.h"

namespace zorvane::farm {

namespace {

constexpr int kBeaconPorts = 10;

// Only a port no one else holds: with a shared one, another farm's beacon would get the query.
QUdpSocket* Bind(QObject* parent, int port) {
  auto* socket = new QUdpSocket(parent);
  if (socket->bind(QHostAddress::LocalHost, quint16(port), QUdpSocket::DontShareAddress))
    return socket;
  delete socket;
  return nullptr;
}

}  // namespace

QByteArray BeaconAnswer(int queryPort) { return "ut " + QByteArray::number(queryPort); }

TFarmLan::TFarmLan(const TFarmOptions& options, const TFarmUdp& servers, QObject* parent)
    : QObject(parent), options_(options), servers_(servers) {}

void TFarmLan::Open() {
  if (options_.beaconPort > 0) {
    const int last = std::min(options_.beaconPort + kBeaconPorts - 1, 65535);
    int port = options_.beaconPort;
    for (int index = 0; index < options_.ut && port <= last; ++index) {
      if (IsSilent(options_.seed, index, options_.silent)) continue;
      QUdpSocket* socket = nullptr;
      while (!socket && port <= last) socket = Bind(this, port++);
      if (!socket) break;
      beacons_.push_back({socket, index});
      const TBeacon beacon = beacons_.back();
      connect(socket, &QUdpSocket::readyRead, this, [this, beacon] { AnswerBeacon(beacon); });
    }
  }
  if (options_.lanPort > 0 && options_.ut2004 > 0) {
    lan_ = Bind(this, options_.lanPort);
    if (lan_) connect(lan_, &QUdpSocket::readyRead, this, &TFarmLan::AnswerLan);
  }
}

QString TFarmLan::Summary() const {
  QString text = QStringLiteral("no beacons");
  if (!beacons_.empty()) {
    QStringList ports;
    for (const TBeacon& beacon : beacons_) ports << QString::number(beacon.socket->localPort());
    const int first = beacons_.front().socket->localPort();
    const int last = beacons_.back().socket->localPort();
    // Ports another program holds leave gaps; without them a range says it.
    text = QStringLiteral("beacons on UDP ") +
           (last - first + 1 == int(beacons_.size()) && beacons_.size() > 1
                ? QStringLiteral("%1-%2").arg(first).arg(last)
                : ports.join(u','));
  }
  text += lan_ ? QStringLiteral(", LAN port %1").arg(options_.lanPort) : QStringLiteral(", no LAN port");
  return text;
}

void TFarmLan::AnswerBeacon(const TBeacon& beacon) {
  while (beacon.socket->hasPendingDatagrams()) {
    char buffer[64];
    QHostAddress from;
    quint16 port = 0;
    const qint64 n = beacon.socket->readDatagram(buffer, sizeof buffer, &from, &port);
    if (n < 0 || QByteArrayView(buffer, n) != "REPORTQUERY") continue;
    beacon.socket->writeDatagram(BeaconAnswer(options_.basePort + beacon.index), from, port);
  }
}

void TFarmLan::AnswerLan() {
  while (lan_->hasPendingDatagrams()) {
    char buffer[64];
    QHostAddress from;
    quint16 port = 0;
    const qint64 n = lan_->readDatagram(buffer, sizeof buffer, &from, &port);
    if (n < 5) continue;
    const QByteArrayView request(buffer, n);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(from.toIPv4Address());
    for (int index = options_.ut; index < options_.Count(); ++index) {
      if (IsSilent(options_.seed, index, options_.silent)) continue;
      const TFarmServer server =
          GenerateServer(options_.seed, index, TFarmGame::UT2004, options_.basePort + index);
      for (const QByteArray& datagram : BinaryReply(server, request))
        ::sendto(servers_.Socket(index), datagram.constData(), std::size_t(datagram.size()), 0,
                 reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
  }
}

}  // namespace zorvane::farm
