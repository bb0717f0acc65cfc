// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/udp_transport.h"

#include <QEventLoop>
#include <QNetworkProxy>
#include <QPointer>
#include <QUdpSocket>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

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

qint64 WallClockNs() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// Peeks at the next datagram for the kernel's receive stamp, leaving the datagram in place.
// Returns 0 with the stamp (0 when the kernel gave none), or the errno of the peek; a refusal
// reported here is consumed by the peek.
int PeekArrival(int fd, qint64& stamp) {
  char byte = 0;
  iovec data{&byte, 1};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
  msghdr message{};
  message.msg_iov = &data;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  stamp = 0;
  ssize_t n = 0;
  do n = ::recvmsg(fd, &message, MSG_PEEK | MSG_DONTWAIT);
  while (n < 0 && errno == EINTR);
  if (n < 0) return errno;
  for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
    if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_TIMESTAMPNS ||
        c->cmsg_len < CMSG_LEN(sizeof(timespec)))
      continue;
    timespec at{};
    std::memcpy(&at, CMSG_DATA(c), sizeof at);
    stamp = qint64(at.tv_sec) * 1'000'000'000 + at.tv_nsec;
  }
  return 0;
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
  const int one = 1;
  kernelTimestamps_ = ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_TIMESTAMPNS,
                                   &one, sizeof one) == 0;
  connect(socket.get(), &QUdpSocket::readyRead, this, &TNMUDP::ReadPending);
  socket_ = std::move(socket);
  connectedAddress_ = 0;
  connectedPort_ = 0;
}

void TNMUDP::CloseSocket() {
  Discard(socket_);
  kernelTimestamps_ = false;
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
  lastSendTime_ = WallClockNs();
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
  // Each datagram is peeked at for its kernel stamp and then read through QUdpSocket, which
  // re-arms its read notification only inside its own read: so the first round reads through
  // it even when the peek found nothing (the notification may also be a refusal).
  bool rearmed = false;
  for (;;) {
    qint64 stamp = 0;
    const int error = PeekArrival(int(socket_->socketDescriptor()), stamp);
    if (error == ECONNREFUSED) {
      lastDatagram_.clear();
      lastArrivalTime_ = WallClockNs();
      Deliver(-1, QHostAddress(connectedAddress_), quint16(connectedPort_));
      if (!self || !socket_) return;
      continue;
    }
    if (error != 0 && rearmed) return;
    const qint64 n = socket_->readDatagram(buffer, sizeof buffer, &from, &port);
    rearmed = true;
    if (n < 0) {
      if (socket_->error() == QAbstractSocket::ConnectionRefusedError) {
        lastDatagram_.clear();
        lastArrivalTime_ = WallClockNs();
        Deliver(-1, QHostAddress(connectedAddress_), quint16(connectedPort_));
      }
      return;
    }
    lastArrivalTime_ = stamp != 0 ? stamp : WallClockNs();
    lastDatagram_ = QByteArray(buffer, int(n));
    Deliver(n, from, port);
    if (!self) return;
    lastDatagram_.clear();  // thousands of transports must not each keep their last reply
    if (!socket_) return;
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

void TkorvUDP::BeginQuery() {
  measurePing_ = true;
  requestsSent_ = 0;
}

void TkorvUDP::SendBytes(const QByteArray& bytes) {
  TkorvNMUDP::SendBytes(bytes);
  ++requestsSent_;
  if (measurePing_) sendTime_ = LastSendTime();
}

int TkorvUDP::ElapsedPing() const {
  const qint64 elapsed = replyTime_ - sendTime_;
  return elapsed <= 0 ? 0 : int(std::min<qint64>(elapsed / 1'000'000, 999'999));
}

void TkorvUDP::HandleSelfData(const QByteArray& buffer, int length) {
  if (measurePing_) {
    measurePing_ = false;
    replyTime_ = LastArrivalTime();
  }
  Q_EMIT OnReply(this, buffer, length);
}

}  // namespace zorvane
