// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A web host on 127.0.0.1 for the version check's tests.

#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace zorvane::testing {

// A web host that answers each connection with the given pieces, each its own write with a
// pause between them; no pieces: it accepts and stays silent.
class WebHost {
 public:
  explicit WebHost(QList<QByteArray> pieces) : pieces_(std::move(pieces)) {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        QObject::connect(socket, &QTcpSocket::readyRead, [this, socket] {
          request_ += socket->readAll();
          if (!request_.endsWith("\r\n\r\n") || answered_) return;
          answered_ = true;
          for (int i = 0; i < pieces_.size(); ++i) {
            if (i > 0) QTest::qWait(150);
            if (socket->state() != QAbstractSocket::ConnectedState) return;
            socket->write(pieces_[i]);
            socket->flush();
          }
        });
      }
    });
  }
  QString Setting() const { return "127.0.0.1:" + QString::number(server_.serverPort()); }
  QByteArray Request() const { return request_; }

 private:
  QList<QByteArray> pieces_;
  QTcpServer server_;
  QByteArray request_;
  bool answered_ = false;
};

}  // namespace zorvane::testing
