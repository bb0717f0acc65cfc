// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/lan_search.h"

#include <sys/socket.h>

#include <QUdpSocket>

namespace zorvane {

namespace {

// Answers are a few dozen bytes; a longer datagram is cut here and dropped.
constexpr int kMaxAnswerBytes = 2048;

quint64 SourceKey(quint32 address, quint16 port) { return quint64(address) << 16 | port; }

// A source no server can answer from: no address, the broadcast address or a multicast group.
bool PlausibleSource(const QHostAddress& from, quint16 port) {
  bool ipv4 = false;
  const quint32 address = from.toIPv4Address(&ipv4);
  return ipv4 && port != 0 && address != 0 && address != 0xFFFFFFFFu &&
         (address >> 28) != 0xE;
}

}  // namespace

TLanSearch::TLanSearch(QObject* parent)
    : QObject(parent),
      send_([](QUdpSocket& socket, const QByteArray& datagram, const QHostAddress& to,
               quint16 port) { return socket.writeDatagram(datagram, to, port) == datagram.size(); }),
      interfaces_(&InterfaceBroadcasts) {
  wait_.setSingleShot(true);
  connect(&wait_, &QTimer::timeout, this, &TLanSearch::Finish);
}

TLanSearch::~TLanSearch() = default;

bool TLanSearch::Start() {
  if (Running()) {
    Finish();
    if (Running()) return true;  // a receiver of OnSearchFinished started the next one
  }
  found_ = dropped_ = 0;
  answered_.clear();
  reported_.clear();

  QList<QHostAddress> addresses;
  if (Addresses.trimmed().isEmpty()) {
    addresses = interfaces_();
  } else {
    QStringList rejected;
    addresses = ParseLanAddresses(Addresses, &rejected);
    for (const QString& entry : rejected)
      Q_EMIT OnLog(0, QStringLiteral("LAN search: '%1' is no IPv4 address, not asked").arg(entry));
  }
  destinations_ = LanDestinations(addresses, BeaconPort, LanServerPort);

  auto* socket = new QUdpSocket(this);
  if (!socket->bind(QHostAddress::AnyIPv4, 0)) {
    Q_EMIT OnLog(0, QStringLiteral("LAN search: no socket: ") + socket->errorString());
    delete socket;
    return false;
  }
  // Broadcast addresses need the permission; Qt grants it today, but this must not depend on it.
  const int yes = 1;
  ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_BROADCAST, &yes, sizeof yes);
  socket_ = socket;
  connect(socket_, &QUdpSocket::readyRead, this, &TLanSearch::ReadAnswers);

  const QByteArray beaconQuery = BeaconQuery();
  const QByteArray infoRequest = LanInfoRequest();
  for (const TLanDestination& to : destinations_) {
    const QByteArray& datagram = to.protocol == TLanProtocol::UtBeacon ? beaconQuery : infoRequest;
    if (!send_(*socket_, datagram, to.address, to.port))
      Q_EMIT OnLog(0, QStringLiteral("LAN search: cannot send to %1:%2: %3")
                          .arg(to.address.toString())
                          .arg(to.port)
                          .arg(socket_->errorString()));
  }
  if (destinations_.empty()) Q_EMIT OnLog(0, QStringLiteral("LAN search: nowhere to ask"));
  wait_.start(destinations_.empty() ? 0 : WaitMs);
  return true;
}

void TLanSearch::Stop() { Finish(); }

void TLanSearch::ReadAnswers() {
  QUdpSocket* socket = socket_;
  char buffer[kMaxAnswerBytes];
  // A receiver of OnServerFound may end the search: the socket is then gone.
  while (socket_ == socket && socket->hasPendingDatagrams()) {
    const qint64 size = socket->pendingDatagramSize();
    QHostAddress from;
    quint16 fromPort = 0;
    const qint64 read = socket->readDatagram(buffer, sizeof buffer, &from, &fromPort);
    if (read < 0) break;
    if (size > qint64(sizeof buffer)) {
      ++dropped_;
      continue;
    }
    Take(from, fromPort, QByteArrayView(buffer, read));
  }
}

void TLanSearch::Take(const QHostAddress& from, quint16 fromPort, QByteArrayView datagram) {
  if (!PlausibleSource(from, fromPort)) {
    ++dropped_;
    return;
  }
  const quint32 address = from.toIPv4Address();
  const quint64 source = SourceKey(address, fromPort);
  if (answered_.contains(source)) {
    ++dropped_;
    return;
  }
  int queryPort = 0;
  QString variant;
  if (const auto named = ParseBeaconAnswer(datagram); named && BeaconPort > 0) {
    queryPort = *named;
    variant = QStringLiteral("UT");
  } else if (const auto binary = ParseLanInfoAnswer(datagram); binary && LanServerPort > 0) {
    queryPort = fromPort;  // the server answers from its query port
    variant = *binary;
  } else {
    ++dropped_;
    return;
  }
  answered_.insert(source);
  // Two beacons naming one server (or one server heard twice) report it once.
  if (reported_.contains(SourceKey(address, quint16(queryPort)))) return;
  reported_.insert(SourceKey(address, quint16(queryPort)));
  ++found_;
  Q_EMIT OnServerFound(from.toString(), queryPort, variant);
  if (found_ >= MaxServers && Running()) Finish();
}

void TLanSearch::Finish() {
  if (!Running()) return;
  wait_.stop();
  // Late answers find no socket. Deleted later: this may run inside the socket's own signal.
  socket_->close();
  socket_->deleteLater();
  socket_ = nullptr;
  Q_EMIT OnLog(0, QStringLiteral("LAN search: %1 servers found, %2 answers dropped")
                      .arg(found_)
                      .arg(dropped_));
  Q_EMIT OnSearchFinished(found_);
}

}  // namespace zorvane
