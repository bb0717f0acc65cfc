// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/farm/farm_master.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

#include "query/master_query.h"

namespace zorvane::farm {

namespace {

constexpr int kIdleMs = 30000;
constexpr qsizetype kMaxRequest = 4096;
constexpr qsizetype kEndlessPiece = 16 * 1024;
constexpr int kTrickleMs = 20;

// One client: greeting, validation, list request, list.
class TMasterSession : public QObject {
 public:
  TMasterSession(QTcpSocket* socket, const QByteArray& challenge, const TFarmOptions& options,
                 const TFarmMasterSpec& spec, QObject* parent)
      : QObject(parent), socket_(socket), options_(options), spec_(spec), challenge_(challenge) {
    socket_->setParent(this);
    connect(socket_, &QTcpSocket::readyRead, this, [this] { Read(); });
    connect(socket_, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    QTimer::singleShot(kIdleMs, this, [this] { Close(); });
    if (spec_.fault == u"silent") return;  // connected, and never a word
    if (spec_.fault == u"endless") {
      // A greeting that never ends, 16 KB every 10 ms, until the client goes.
      auto* endless = new QTimer(this);
      connect(endless, &QTimer::timeout, this, [this] {
        if (socket_->bytesToWrite() < kEndlessPiece) socket_->write(QByteArray(kEndlessPiece, 'x'));
      });
      endless->start(10);
      return;
    }
    if (spec_.fault == u"trickle") {
      trickle_ = new QTimer(this);
      connect(trickle_, &QTimer::timeout, this, [this] { TrickleByte(); });
    }
    Send("\\basic\\\\secure\\" + challenge);
  }

 private:
  void Read() {
    request_ += socket_->readAll();
    if (request_.size() > kMaxRequest) return Close();
    if (expected_.isEmpty()) {
      // The validation names its game; each game has its own key and list.
      const QByteArray name = RequestedGameName(request_);
      if (name.isEmpty()) return;
      const TMasterGame* game = MasterGameOfName(name);
      if (!game) return Close();
      expected_ = ValidateChallenge(challenge_, game->gameKey).toLatin1();
      list_ = FaultyList(MasterList(options_, game->gameName, spec_.first, spec_.last),
                         spec_.fault);
    }
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
        Send(list_);
        closeWhenSent_ = true;
        if (!trickle_) socket_->disconnectFromHost();
    }
  }

  void Send(const QByteArray& bytes) {
    if (!trickle_) {
      socket_->write(bytes);
      return;
    }
    pending_ += bytes;
    if (!trickle_->isActive()) trickle_->start(kTrickleMs);
  }

  void TrickleByte() {
    if (pending_.isEmpty()) {
      trickle_->stop();
      if (closeWhenSent_) socket_->disconnectFromHost();
      return;
    }
    socket_->write(pending_.first(1));
    pending_.remove(0, 1);
  }

  void Close() {
    if (socket_->state() == QAbstractSocket::UnconnectedState)
      deleteLater();
    else
      socket_->disconnectFromHost();
  }

  QTcpSocket* socket_;  // child
  const TFarmOptions& options_;
  const TFarmMasterSpec& spec_;
  const QByteArray challenge_;
  QTimer* trickle_ = nullptr;  // child, with the fault "trickle"
  QByteArray pending_;         // still to trickle out
  bool closeWhenSent_ = false;
  QByteArray expected_;
  QByteArray list_;
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

QByteArray FaultyList(const QByteArray& list, const QString& fault) {
  constexpr QByteArrayView kIp("\\ip\\");
  if (fault == u"cut") return list.first(list.size() * 2 / 3);
  if (fault == u"half") return list.first(list.size() / 2);
  QList<QByteArray> entries;  // "\\ip\\ADDRESS:PORT"
  for (qsizetype at = list.indexOf(kIp); at >= 0;) {
    qsizetype next = list.indexOf('\\', at + kIp.size());
    if (next < 0) next = list.size();
    entries << list.sliced(at, next - at);
    at = list.indexOf(kIp, next);
  }
  if (entries.isEmpty() || (fault != u"names" && fault != u"huge")) return list;
  QByteArray faulty;
  if (fault == u"names") {
    for (qsizetype i = 0; i < entries.size(); ++i) {
      const QByteArray port = entries[i].sliced(entries[i].indexOf(':') + 1);
      faulty += entries[i] + "\\ip\\s" + QByteArray::number(i) + ".slow.test:" + port;
    }
  } else {
    constexpr int kHuge = 1000000;
    faulty.reserve(qsizetype(kHuge) * 24 + 8);
    for (int i = 0; i < kHuge; ++i) faulty += entries[i % entries.size()];
  }
  return faulty + "\\final\\";
}

QByteArray RequestedGameName(QByteArrayView request) {
  constexpr QByteArrayView kGameName("\\gamename\\");
  const qsizetype at = request.indexOf(kGameName);
  if (at < 0) return {};
  const qsizetype from = at + kGameName.size();
  const qsizetype end = request.indexOf('\\', from);
  return end < 0 ? QByteArray() : request.sliced(from, end - from).toByteArray();
}

QByteArray MasterList(const TFarmOptions& options, QByteArrayView gameName, int first,
                      int last) {
  // UT servers come first on the farm's ports, then the UT2004 ones; it has no UT2003 servers.
  int from = 0, count = 0;
  if (gameName == "ut") {
    count = options.ut;
  } else if (gameName == "ut2004") {
    from = options.ut;
    count = options.ut2004;
  }
  const int begin = std::max(from, first);
  const int end = last < 0 ? from + count : std::min(from + count, last + 1);
  QByteArray list;
  list.reserve(qsizetype(std::max(end - begin, 0)) * 24 + 8);
  for (int i = begin; i < end; ++i)
    list += "\\ip\\127.0.0.1:" + QByteArray::number(options.basePort + i);
  return list + "\\final\\";
}

TFarmMaster::TFarmMaster(const TFarmOptions& options, const TFarmMasterSpec& spec, quint64 seed,
                         QObject* parent)
    : QObject(parent), server_(new QTcpServer(this)), options_(options), spec_(spec),
      random_(seed) {
  connect(server_, &QTcpServer::newConnection, this, [this] { Accept(); });
}

bool TFarmMaster::Listen(QString& error) {
  if (server_->listen(QHostAddress::LocalHost, quint16(spec_.port))) return true;
  error = QStringLiteral("cannot listen on 127.0.0.1 TCP port %1: %2")
              .arg(spec_.port)
              .arg(server_->errorString());
  return false;
}

QString TFarmMaster::Summary() const {
  QStringList notes;
  if (spec_.last >= 0) notes << QStringLiteral("servers %1-%2").arg(spec_.first).arg(spec_.last);
  if (!spec_.fault.isEmpty()) notes << spec_.fault;
  return QString::number(spec_.port) +
         (notes.isEmpty() ? QString() : QStringLiteral(" (") + notes.join(QStringLiteral(", ")) + u')');
}

void TFarmMaster::Accept() {
  while (QTcpSocket* socket = server_->nextPendingConnection())
    new TMasterSession(socket, NewChallenge(), options_, spec_, this);
}

QByteArray TFarmMaster::NewChallenge() {
  constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  QByteArray challenge(6, '\0');
  for (char& c : challenge) c = kLetters[random_() % 52];
  return challenge;
}

}  // namespace zorvane::farm
