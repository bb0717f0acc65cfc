// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A master server on 127.0.0.1 for tests, playing one scripted exchange with every client on
// the test's own event loop: the greeting, the wait for the request, the list, the close. Each
// part may come in pieces with pauses between them.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>

namespace zorvane::testing {

struct MasterScript {
  QByteArray greeting;      // nothing is sent when empty
  bool readRequest = true;  // wait for the client's request before the list
  QByteArray list;          // then the connection closes
  // Greeting and list in pieces of this many bytes with a pause after each; 0: all at once.
  int greetingPiece = 0;
  int listPiece = 0;
  int pauseMs = 0;
  int holdMs = 0;  // between the request and the list
};

inline constexpr QByteArrayView kRequestEnd("\\gametype\\\\final\\");
inline constexpr const char* kGreeting = "\\basic\\\\secure\\ABCDEF";

class FakeMaster : public QObject {
 public:
  explicit FakeMaster(MasterScript script) : script_(std::move(script)) {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) Serve(socket);
    });
  }

  quint16 Port() const { return server_.serverPort(); }
  // What the clients sent.
  const QByteArray& Received() const { return received_; }
  int Connections() const { return connections_; }

 private:
  void Serve(QTcpSocket* socket) {
    ++connections_;
    socket->setParent(this);
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    Send(socket, script_.greeting, script_.greetingPiece, [this, socket] {
      if (!script_.readRequest) return Hold(socket);
      // The request may have come already, while the greeting was still going out.
      const auto read = [this, socket] {
        received_ += socket->readAll();
        if (!received_.endsWith(kRequestEnd)) return false;
        socket->disconnect(this);
        Hold(socket);
        return true;
      };
      if (!read()) connect(socket, &QTcpSocket::readyRead, this, read);
    });
  }

  void Hold(QTcpSocket* socket) {
    QTimer::singleShot(script_.holdMs, socket, [this, socket] {
      Send(socket, script_.list, script_.listPiece, [socket] { socket->disconnectFromHost(); });
    });
  }

  // Stops when the client has gone.
  void Send(QTcpSocket* socket, const QByteArray& bytes, int piece, std::function<void()> then,
            qsizetype at = 0) {
    if (socket->state() != QAbstractSocket::ConnectedState) return;
    if (piece <= 0 || at + piece >= bytes.size()) {
      socket->write(bytes.sliced(std::min(at, bytes.size())));
      return then();
    }
    socket->write(bytes.mid(at, piece));
    QTimer::singleShot(script_.pauseMs, socket, [=, this] { Send(socket, bytes, piece, then, at + piece); });
  }

  MasterScript script_;
  QTcpServer server_;
  QByteArray received_;
  int connections_ = 0;
};

}  // namespace zorvane::testing
