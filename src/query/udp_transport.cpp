// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/udp_transport.h"

#include <QEventLoop>
#include <QMetaMethod>
#include <QPointer>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <utility>

namespace zorvane {

namespace {

constexpr int kMaxInvalidBufferRounds = 16;

QString DottedText(quint32 address) {
  char text[16];
  const int n = std::snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24,
                              (address >> 16) & 0xFF, (address >> 8) & 0xFF, address & 0xFF);
  return QString::fromLatin1(text, n);
}

qint64 WallClockNs() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

QString ErrorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

}  // namespace

static_assert(TNMUDP::kDatagramBuffer == TSharedUdpPorts::kDatagramBuffer,
              "a shared socket cuts datagrams where a transport's own one does");

TNMUDP::TNMUDP(QObject* parent) : TNMUDP(nullptr, parent) {}

TNMUDP::TNMUDP(TSharedUdpPorts* ports, QObject* parent)
    : QObject(parent), sharedPorts_(ports), lookup_(SystemHostLookup()) {
  Status(QStringLiteral("Initializing sockets"), kStatusLevelProgress);
  OpenSocket(0);
}

TNMUDP::~TNMUDP() {
  DropNotifier();
  LeaveShared();
}

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

int TNMUDP::BoundPort() const { return shared_ ? shared_->LocalPort() : socket_.LocalPort(); }

qintptr TNMUDP::SocketHandle() const {
  if (shared_) return shared_->Handle();
  return socket_.IsOpen() ? socket_.Handle() : 0;
}

void TNMUDP::OpenSocket(int port) {
  DropNotifier();
  LeaveShared();
  connectedAddress_ = 0;
  connectedPort_ = 0;
  if (port == 0 && sharedPorts_) {
    int refused = 0;
    shared_ = sharedPorts_->Join(this, refused);
    if (shared_) {
      socket_.Close();
      return;
    }
  }
  int error = socket_.Open();
  // Without a local port the socket is bound by its connect, one system call less.
  if (error == 0 && port != 0) {
    error = socket_.Bind(quint16(port));
    if (error == EADDRINUSE) {
      // Every transport asks for the same local port and the first one holds it.
      Status(QStringLiteral("Local port %1 is in use; using a port the system chooses").arg(port),
             kStatusLevelError);
      error = socket_.Bind(0);
    }
  }
  if (error != 0) {
    socket_.Close();
    Status(QStringLiteral("Checking Error In Error Manager"), kStatusLevelError);
    const QString text = ErrorText(error);
    Status(QStringLiteral("Looking Up Error Message") + text, kStatusLevelProgress);
    Fail(text);
  }
}

void TNMUDP::CloseSocket() {
  DropNotifier();
  LeaveShared();
  socket_.Close();
  connectedAddress_ = 0;
  connectedPort_ = 0;
}

void TNMUDP::Watch() {
  if (notifier_ || watchId_ != 0) return;
  if (watcher_) {
    watchId_ = watcher_->Watch(socket_.Handle(), this);
    if (watchId_ != 0) return;
  }
  notifier_ = new QSocketNotifier(socket_.Handle(), QSocketNotifier::Read);
  connect(notifier_, &QSocketNotifier::activated, this, &TNMUDP::ReadPending);
}

void TNMUDP::LeaveShared() {
  if (!shared_) return;
  sharedPorts_->Leave(std::exchange(shared_, nullptr), this);
}

void TNMUDP::SharedPortsGone() {
  // Closed, as after CloseSocket; the next send opens a socket of the transport's own.
  shared_ = nullptr;
  sharedPorts_ = nullptr;
  connectedAddress_ = 0;
  connectedPort_ = 0;
}

void TNMUDP::DropNotifier() {
  if (watchId_ != 0) {
    if (watcher_) watcher_->Forget(socket_.Handle(), watchId_);
    watchId_ = 0;
  }
  if (!notifier_) return;
  QSocketNotifier* notifier = std::exchange(notifier_, nullptr);
  // Off before its socket closes: the event loop must not watch a descriptor that the next
  // socket may reuse.
  notifier->setEnabled(false);
  if (reading_ > 0)
    notifier->deleteLater();  // its signal is running right now
  else
    delete notifier;
}

void TNMUDP::SendBuffer(QByteArray buffer) {
  for (int round = 0; buffer.isEmpty(); ++round) {
    bool handled = false;
    if (round < kMaxInvalidBufferRounds) Q_EMIT OnBufferInvalid(handled, buffer);
    if (!handled) Fail(QStringLiteral("Invalid buffer"));
  }
  const quint32 address = ResolveRemote();
  if (address == 0) Fail(QStringLiteral("Null Remote Address"));
  if (!IsOpen()) OpenSocket(localPort_);
  if (connectedAddress_ != address || connectedPort_ != remotePort_) {
    // A connected socket hears only its server and is told when the server's port refuses; a
    // seat on a shared socket is aimed at the server to the same end.
    const int error = shared_ ? sharedPorts_->Aim(shared_, this, address, quint16(remotePort_))
                              : socket_.Connect(address, quint16(remotePort_));
    if (error != 0) Fail(ErrorText(error));
    connectedAddress_ = address;
    connectedPort_ = remotePort_;
  }
  if (!shared_) Watch();
  Status(QStringLiteral("Sending Data"), kStatusLevelProgress);
  lastSendTime_ = WallClockNs();
  const int error =
      shared_ ? sharedPorts_->Send(*shared_, address, quint16(remotePort_), buffer.constData(),
                                   buffer.size())
              : socket_.Send(buffer.constData(), buffer.size());
  if (error != 0) Fail(ErrorText(error));
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
  // With a notifier of its own, everything waiting is read in one go: each return to the
  // event loop costs a poll over every socket still waiting for its reply.
  QPointer<TNMUDP> self(this);
  ++reading_;  // a handler may run a nested event loop that reads again
  // The shared watcher calls again while more is waiting, so one datagram a call saves the
  // receive that would only say "nothing more" (one system call per reply).
  const bool onePerCall = watchId_ != 0;
  char buffer[kDatagramBuffer];
  while (socket_.IsOpen()) {
    const TReceived got = socket_.Receive(buffer, sizeof buffer);
    if (got.kind == TReceived::TKind::WouldBlock) break;
    if (got.kind == TReceived::TKind::Failed) break;  // nothing to deliver; the notifier says if more waits
    if (got.kind == TReceived::TKind::Refused) {
      lastDatagram_.clear();
      lastArrivalTime_ = WallClockNs();
      Deliver(-1, connectedAddress_, quint16(connectedPort_));
    } else {
      // A datagram queued before the socket was connected may come from anyone.
      if (got.fromAddress != connectedAddress_ || got.fromPort != connectedPort_) continue;
      lastArrivalTime_ = got.stamp != 0 ? got.stamp : WallClockNs();
      lastDatagram_ = QByteArray(buffer, got.size);
      Deliver(got.size, got.fromAddress, got.fromPort);
      if (self) lastDatagram_.clear();  // thousands of transports must not keep their last reply
    }
    if (!self) return;
    if (onePerCall) break;
  }
  --reading_;
}

void TNMUDP::SharedArrival(const TReceived& got, const char* data) {
  // Only the server's datagrams and refusals come here: the socket sorted them by sender.
  if (got.kind == TReceived::TKind::Refused) {
    lastDatagram_.clear();
    lastArrivalTime_ = WallClockNs();
    Deliver(-1, connectedAddress_, quint16(connectedPort_));
    return;
  }
  QPointer<TNMUDP> self(this);
  lastArrivalTime_ = got.stamp != 0 ? got.stamp : WallClockNs();
  lastDatagram_ = QByteArray(data, got.size);
  Deliver(got.size, got.fromAddress, got.fromPort);
  if (self) lastDatagram_.clear();
}

void TNMUDP::Deliver(int count, quint32 from, quint16 port) {
  lastCount_ = count;
  QPointer<TNMUDP> self(this);
  DataArrived(count);
  if (self && isSignalConnected(QMetaMethod::fromSignal(&TNMUDP::OnDataReceived)))
    Q_EMIT OnDataReceived(count, DottedText(from), port);
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

TkorvNMUDP::TkorvNMUDP(QObject* parent) : TNMUDP(parent) {}

TkorvNMUDP::TkorvNMUDP(TSharedUdpPorts* ports, QObject* parent) : TNMUDP(ports, parent) {}

void TkorvNMUDP::DataArrived(int numberBytes) {
  QByteArray bytes;
  int n = numberBytes;
  if (numberBytes >= 0) {
    ReadBuffer(bytes);
    n = std::min({numberBytes, int(kConversionBuffer), int(bytes.size())});
    bytes.truncate(n);
  }
  QPointer<TkorvNMUDP> self(this);
  SelfDataArrived(bytes, n);
  if (self) Q_EMIT OnSelfDataReceived(bytes, n);
}

TkorvUDP::TkorvUDP(QObject* parent) : TkorvNMUDP(parent) {}

TkorvUDP::TkorvUDP(TSharedUdpPorts* ports, QObject* parent) : TkorvNMUDP(ports, parent) {}

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

void TkorvUDP::SelfDataArrived(const QByteArray& buffer, int length) {
  if (measurePing_) {
    measurePing_ = false;
    replyTime_ = LastArrivalTime();
  }
  if (receiver_) {
    QPointer<TkorvUDP> self(this);
    receiver_->TransportReply(this, buffer, length);
    if (!self) return;
  }
  Q_EMIT OnReply(this, buffer, length);
}

}  // namespace zorvane
