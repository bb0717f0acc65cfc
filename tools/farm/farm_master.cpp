// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/farm/farm_master.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include "query/master_query.h"

namespace zorvane::farm {

namespace {

// The key public masters check for "ut".
constexpr const char* kGameKey = "Z5Nfb0";
constexpr int kIdleMs = 30000;
constexpr qsizetype kMaxRequest = 4096;

// One client: greeting, validation, list request, list.
class TMasterSession : public QObject {
 public:
  TMasterSession(QTcpSocket* socket, const QByteArray& challenge, const QByteArray& list,
                 QObject* parent)
      : QObject(parent),
        socket_(socket),
        list_(list),
        expected_(ValidateChallenge(challenge, kGameKey).toLatin1()) {
    socket_->setParent(this);
    connect(socket_, &QTcpSocket::readyRead, this, [this] { Read(); });
    connect(socket_, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    QTimer::singleShot(kIdleMs, this, [this] { Close(); });
    socket_->write("\\basic\\\\secure\\" + challenge);
  }

 private:
  void Read() {
    request_ += socket_->readAll();
    if (request_.size() > kMaxRequest) return Close();
    switch (JudgeRequest(request_, expected_)) {
      case TRequestState::Waiting:
        return;
      case TRequestState::Refused:
        return Close();
      case TRequestState::Answer:
        // Only now is nothing left unread, which would turn our close into a reset that can
        // cost the client the end of the list.
        if (listed_) return;
        listed_ = true;
        socket_->write(list_);
        socket_->disconnectFromHost();
    }
  }

  void Close() {
    if (socket_->state() == QAbstractSocket::UnconnectedState)
      deleteLater();
    else
      socket_->disconnectFromHost();
  }

  QTcpSocket* socket_;     // child
  const QByteArray list_;  // shares the master's bytes
  const QByteArray expected_;
  QByteArray request_;
  bool listed_ = false;
};

}  // namespace

TRequestState JudgeRequest(QByteArrayView request, QByteArrayView expected) {
  constexpr QByteArrayView kValidate("\\validate\\");
  const qsizetype at = request.indexOf(kValidate);
  if (at < 0) return TRequestState::Waiting;
  const qsizetype from = at + kValidate.size();
  const qsizetype end = request.indexOf('\\', from);
  if (end < 0) return TRequestState::Waiting;
  if (request.sliced(from, end - from) != expected) return TRequestState::Refused;
  const qsizetype list = request.indexOf("\\list\\");
  if (list < 0 || request.indexOf("\\final\\", list) < 0) return TRequestState::Waiting;
  return TRequestState::Answer;
}

QByteArray MasterList(const TFarmOptions& options) {
  QByteArray list;
  list.reserve(qsizetype(options.ut) * 24 + 8);
  for (int i = 0; i < options.ut; ++i)
    list += "\\ip\\127.0.0.1:" + QByteArray::number(options.basePort + i);
  return list + "\\final\\";
}

TFarmMaster::TFarmMaster(QByteArray list, quint64 seed, QObject* parent)
    : QObject(parent), server_(new QTcpServer(this)), list_(std::move(list)), random_(seed) {
  connect(server_, &QTcpServer::newConnection, this, [this] { Accept(); });
}

bool TFarmMaster::Listen(quint16 port, QString& error) {
  if (server_->listen(QHostAddress::LocalHost, port)) return true;
  error = QStringLiteral("cannot listen on 127.0.0.1 TCP port %1: %2")
              .arg(port)
              .arg(server_->errorString());
  return false;
}

void TFarmMaster::Accept() {
  while (QTcpSocket* socket = server_->nextPendingConnection())
    new TMasterSession(socket, NewChallenge(), list_, this);
}

QByteArray TFarmMaster::NewChallenge() {
  constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  QByteArray challenge(6, '\0');
  for (char& c : challenge) c = kLetters[random_() % 52];
  return challenge;
}

}  // namespace zorvane::farm
