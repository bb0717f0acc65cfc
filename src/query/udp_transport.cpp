#include "query/udp_transport.h"

#include <QEventLoop>
#include <QNetworkProxy>
#include <QPointer>
#include <QUdpSocket>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace zorvane {

namespace {

constexpr int kMaxInvalidBufferRounds = 16;

QString DottedText(quint32 address) {
  return QStringLiteral("%1.%2.%3.%4")
      .arg(address >> 24)
      .arg((address >> 16) & 0xFF)
      .arg((address >> 8) & 0xFF)
      .arg(address & 0xFF);
}

// Hands a socket to the event loop for deletion: it may be inside its own signal right now.
void Discard(std::unique_ptr<QUdpSocket>& socket) {
  if (!socket) return;
  socket->disconnect();
  socket->close();
  socket.release()->deleteLater();
}

}  // namespace

TNMUDP::TNMUDP(QObject* parent) : QObject(parent), lookup_(SystemHostLookup()) {
  Status(QStringLiteral("Initializing sockets"), kStatusLevelProgress);
  OpenSocket(0);
}

TNMUDP::~TNMUDP() { Discard(socket_); }

void TNMUDP::SetRemoteHost(const QString& host) {
  if (host != remoteHost_) resolvedAddress_ = 0;
  remoteHost_ = host;
}

void TNMUDP::SetRemotePort(int port) { remotePort_ = port; }

void TNMUDP::SetLocalPort(int port) {
  CloseSocket();
  localPort_ = port;
  OpenSocket(port);
}

int TNMUDP::BoundPort() const { return socket_ ? socket_->localPort() : 0; }

qintptr TNMUDP::SocketHandle() const { return socket_ ? socket_->socketDescriptor() : 0; }

namespace {

// Game servers are reached directly. Without this every bind asks the system proxy
// configuration (a libproxy round trip), which for thousands of sockets costs more than
// everything else a mass refresh does.
std::unique_ptr<QUdpSocket> DirectSocket() {
  auto socket = std::make_unique<QUdpSocket>();
  socket->setProxy(QNetworkProxy::NoProxy);
  return socket;
}

}  // namespace

void TNMUDP::OpenSocket(int port) {
  auto socket = DirectSocket();
  const auto mode = QAbstractSocket::DontShareAddress;
  bool bound = socket->bind(QHostAddress::AnyIPv4, quint16(port), mode);
  if (!bound && port != 0 && socket->error() == QAbstractSocket::AddressInUseError) {
    // Every transport asks for the same local port and the first one holds it.
    Status(QStringLiteral("Local port %1 is in use; using a port the system chooses").arg(port),
           kStatusLevelError);
    socket = DirectSocket();
    bound = socket->bind(QHostAddress::AnyIPv4, 0, mode);
  }
  if (!bound) {
    Status(QStringLiteral("Checking Error In Error Manager"), kStatusLevelError);
    const QString text = socket->errorString();
    Status(QStringLiteral("Looking Up Error Message") + text, kStatusLevelProgress);
    Fail(text);
  }
  connect(socket.get(), &QUdpSocket::readyRead, this, &TNMUDP::ReadPending);
  socket_ = std::move(socket);
  connectedAddress_ = 0;
  connectedPort_ = 0;
}

void TNMUDP::CloseSocket() {
  Discard(socket_);
  connectedAddress_ = 0;
  connectedPort_ = 0;
}

void TNMUDP::SendBuffer(QByteArray buffer) {
  for (int round = 0; buffer.isEmpty(); ++round) {
    bool handled = false;
    if (round < kMaxInvalidBufferRounds) Q_EMIT OnBufferInvalid(handled, buffer);
    if (!handled) Fail(QStringLiteral("Invalid buffer"));
  }
  const quint32 address = ResolveRemote();
  if (address == 0) Fail(QStringLiteral("Null Remote Address"));
  if (!socket_) OpenSocket(localPort_);
  if (connectedAddress_ != address || connectedPort_ != remotePort_) {
    // A connected socket hears only its server and is told when the server's port refuses.
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(quint16(remotePort_));
    to.sin_addr.s_addr = htonl(address);
    if (::connect(int(socket_->socketDescriptor()), reinterpret_cast<sockaddr*>(&to),
                  sizeof to) != 0)
      Fail(QString::fromLocal8Bit(std::strerror(errno)));
    connectedAddress_ = address;
    connectedPort_ = remotePort_;
  }
  Status(QStringLiteral("Sending Data"), kStatusLevelProgress);
  if (socket_->writeDatagram(buffer, QHostAddress(address), quint16(remotePort_)) < 0)
    Fail(socket_->errorString());
  Q_EMIT OnDataSend();
}

quint32 TNMUDP::ResolveRemote() {
  if (resolvedAddress_ != 0) return resolvedAddress_;
  QHostAddress address;
  if (IsDottedAddress(remoteHost_)) {
    address = QHostAddress(remoteHost_);
  } else if (!remoteHost_.isEmpty()) {
    QPointer<TNMUDP> self(this);
    if (!LookupOnce(address)) {
      if (!self) Fail(QStringLiteral("Host Lookup Canceled"));
      bool handled = false;
      Q_EMIT OnInvalidHost(handled);
      if (!self || !LookupOnce(address)) Fail(QStringLiteral("Host Lookup Canceled"));
    }
    if (!self) Fail(QStringLiteral("Host Lookup Canceled"));
  }
  bool ok = false;
  const quint32 value = address.toIPv4Address(&ok);
  resolvedAddress_ = ok ? value : 0;
  return resolvedAddress_;
}

bool TNMUDP::LookupOnce(QHostAddress& address) {
  // The look-up completes on the event loop; other events run meanwhile.
  QEventLoop loop;
  bool finished = false;
  QHostAddress result;
  lookup_(remoteHost_, &loop, [&](const QHostAddress& found, const QString&) {
    result = found;
    finished = true;
    loop.quit();
  });
  if (!finished) loop.exec();
  address = result;
  return !result.isNull();
}

void TNMUDP::ReadPending() {
  QPointer<TNMUDP> self(this);
  char buffer[kDatagramBuffer];
  QHostAddress from;
  quint16 port = 0;
  // The first read runs even when no datagram is pending: the notification may be an error
  // (a refused port), which only a receive reports.
  qint64 n = socket_->readDatagram(buffer, sizeof buffer, &from, &port);
  if (n < 0) {
    if (socket_->error() == QAbstractSocket::ConnectionRefusedError) {
      lastDatagram_.clear();
      Deliver(-1, QHostAddress(connectedAddress_), quint16(connectedPort_));
    }
    return;
  }
  for (;;) {
    lastDatagram_ = QByteArray(buffer, n);
    Deliver(n, from, port);
    if (!self) return;
    lastDatagram_.clear();  // thousands of transports must not each keep their last reply
    if (!socket_ || !socket_->hasPendingDatagrams()) return;
    n = socket_->readDatagram(buffer, sizeof buffer, &from, &port);
    if (n < 0) return;
  }
}

void TNMUDP::Deliver(qint64 count, const QHostAddress& from, quint16 port) {
  lastCount_ = int(count);
  Q_EMIT OnDataReceived(int(count), DottedText(from.toIPv4Address()), port);
}

int TNMUDP::ReadBuffer(QByteArray& buffer) const {
  buffer = lastDatagram_;
  return int(lastDatagram_.size());
}

void TNMUDP::Status(const QString& text, int level) {
  lastStatus_ = text;
  if (level <= reportLevel_) Q_EMIT OnStatus(text);
}

void TNMUDP::Fail(const QString& text) { throw UDPSockError(text); }

TkorvNMUDP::TkorvNMUDP(QObject* parent) : TNMUDP(parent) {
  connect(this, &TNMUDP::OnDataReceived, this, &TkorvNMUDP::HandleDataReceived);
}

void TkorvNMUDP::HandleDataReceived(int numberBytes) {
  if (numberBytes < 0) {
    Q_EMIT OnSelfDataReceived(QByteArray(), numberBytes);
    return;
  }
  QByteArray bytes;
  ReadBuffer(bytes);
  const int n = std::min({numberBytes, int(kConversionBuffer), int(bytes.size())});
  bytes.truncate(n);
  Q_EMIT OnSelfDataReceived(bytes, n);
}

TkorvUDP::TkorvUDP(QObject* parent) : TkorvNMUDP(parent) {
  connect(this, &TkorvNMUDP::OnSelfDataReceived, this, &TkorvUDP::HandleSelfData);
}

void TkorvUDP::SendBytes(const QByteArray& bytes) {
  TkorvNMUDP::SendBytes(bytes);
  if (measurePing_) sendTick_ = TickCount();
}

void TkorvUDP::HandleSelfData(const QByteArray& buffer, int length) {
  if (measurePing_) {
    measurePing_ = false;
    replyTick_ = TickCount();
  }
  Q_EMIT OnReply(this, buffer, length);
}

}  // namespace zorvane
