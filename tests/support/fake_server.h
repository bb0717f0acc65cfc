// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A game server on 127.0.0.1 for tests: answers every datagram it receives with the datagrams
// a reply function returns, each sent separately.

#include <QByteArray>
#include <QList>
#include <QUdpSocket>
#include <functional>

namespace zorvane::testing {

class FakeServer {
 public:
  using Reply = std::function<QList<QByteArray>(const QByteArray& request)>;

  explicit FakeServer(Reply reply) : reply_(std::move(reply)) {
    socket_.bind(QHostAddress::LocalHost, 0);
    QObject::connect(&socket_, &QUdpSocket::readyRead, [this] { Answer(); });
  }

  int Port() const { return socket_.localPort(); }
  QString Key() const { return QStringLiteral("127.0.0.1:") + QString::number(Port()); }
  const QList<QByteArray>& Requests() const { return requests_; }

 private:
  void Answer() {
    while (socket_.hasPendingDatagrams()) {
      QByteArray request(int(socket_.pendingDatagramSize()), '\0');
      QHostAddress from;
      quint16 port = 0;
      socket_.readDatagram(request.data(), request.size(), &from, &port);
      requests_.append(request);
      for (const QByteArray& datagram : reply_(request)) socket_.writeDatagram(datagram, from, port);
    }
  }

  Reply reply_;
  QUdpSocket socket_;
  QList<QByteArray> requests_;
};

// A port on 127.0.0.1 with nothing listening: queries to it are refused.
inline int ClosedPort() {
  QUdpSocket probe;
  probe.bind(QHostAddress::LocalHost, 0);
  return probe.localPort();
}

}  // namespace zorvane::testing
