// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The per-server UDP socket in three layers: TNMUDP moves datagrams, TkorvNMUDP hands each one
// on as bytes, TkorvUDP adds what a server query needs (owner's name, reply mark, round trip).
//
// A transport of its own has a socket connected to its server, so the replies of thousands of
// outstanding queries arrive each on the socket of its own server, and a port that refuses the
// query is reported on that socket as a failed receive (a negative byte count). A datagram
// from any other sender (one that reached a bound socket before its connect) is dropped.
//
// A transport made with shared ports (a mass refresh's thousands) sits on one of their few
// sockets instead, which hands it the datagrams and the refusals of its server alone: the same
// behaviour without a socket, a local port and a connect per server. A transport given a local
// port of its own (SetLocalPort) has its own socket.
//
// A ping is the time from the send to the arrival of the first reply. The arrival time is the
// kernel's receive stamp of the datagram (SO_TIMESTAMPNS), so a reply that waits in its socket
// while the program is busy elsewhere still measures the server, not the program.

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <memory>
#include <exception>

#include <QPointer>

#include "query/host_lookup.h"
#include "query/shared_udp_port.h"
#include "query/socket_watcher.h"
#include "query/udp_socket.h"

class QSocketNotifier;

namespace zorvane {

class UDPSockError : public std::exception {
 public:
  explicit UDPSockError(const QString& message) : message_(message), what_(message.toUtf8()) {}
  QString Message() const { return message_; }
  const char* what() const noexcept override { return what_.constData(); }

 private:
  QString message_;
  QByteArray what_;
};

class TNMUDP : public QObject, private TSocketReader, private TSharedPortClient {
  Q_OBJECT
 public:
  static constexpr int kDatagramBuffer = 2048;
  static constexpr int kStatusLevelProgress = 8;
  static constexpr int kStatusLevelError = 16;

  // Throws UDPSockError when no socket can be created.
  explicit TNMUDP(QObject* parent = nullptr);
  // Sits on one of ports' sockets while it has no local port of its own (falls back to a socket
  // of its own when ports give no seat). ports must outlive the transport or tell it they go.
  explicit TNMUDP(TSharedUdpPorts* ports, QObject* parent = nullptr);
  ~TNMUDP() override;

  QString RemoteHost() const { return remoteHost_; }
  void SetRemoteHost(const QString& host);
  int RemotePort() const { return remotePort_; }
  void SetRemotePort(int port);
  int LocalPort() const { return localPort_; }
  // Re-creates the socket bound to 0.0.0.0:port. A port already taken falls back to one the
  // system chooses, so the transport stays usable. Throws UDPSockError when no socket can be
  // created at all.
  void SetLocalPort(int port);
  // The port the socket is actually bound to (0 when closed).
  int BoundPort() const;
  int ReportLevel() const { return reportLevel_; }
  void SetReportLevel(int level) { reportLevel_ = level; }

  // Sends one datagram to RemoteHost:RemotePort. Throws UDPSockError ("Invalid buffer",
  // "Null Remote Address", "Host Lookup Canceled").
  //
  // Re-entrancy: a RemoteHost that is not a dotted address is looked up in a nested event
  // loop, so timers, replies to other sockets and user input run before this returns, and a
  // handler may even delete this transport; that ends the send with "Host Lookup Canceled"
  // and nothing of the object is touched afterwards. Callers must not hold iterators into
  // containers that such handlers change. Dotted addresses (all the stash sends) never wait.
  void SendBuffer(QByteArray buffer);
  // Copies the last datagram received; returns its byte count.
  int ReadBuffer(QByteArray& buffer) const;

  bool IsOpen() const { return socket_.IsOpen() || shared_; }
  // The socket's descriptor (a shared socket's when seated on one), 0 when closed.
  qintptr SocketHandle() const;
  void CloseSocket();

  QString LastStatus() const { return lastStatus_; }
  // Wall-clock nanoseconds taken right before the last datagram went out.
  qint64 LastSendTime() const { return lastSendTime_; }
  // Wall-clock nanoseconds at which the datagram being delivered arrived: the kernel's receive
  // stamp, or the time it was read where the kernel gives none.
  qint64 LastArrivalTime() const { return lastArrivalTime_; }
  // Whether the kernel stamps this socket's datagrams (false also while closed).
  bool KernelTimestamps() const { return shared_ ? shared_->Stamped() : socket_.Stamped(); }
  // Replaces the resolver used for a RemoteHost that is not a dotted address.
  void SetHostLookup(THostLookup lookup) { lookup_ = std::move(lookup); }
  // Sockets opened from now on are watched by watcher (shared by many transports) instead of
  // a notifier of their own; without one, or when it cannot take a socket, each has its own.
  void SetSocketWatcher(TSocketWatcher* watcher) { watcher_ = watcher; }
  // Whether the open socket is being watched through a shared watcher (a shared socket is).
  bool SharedWatch() const { return watchId_ != 0 || shared_; }
  // Whether the transport sits on a socket of shared ports.
  bool SharedSocket() const { return shared_ != nullptr; }

 Q_SIGNALS:
  void OnDataReceived(int numberBytes, const QString& fromIP, int port);
  void OnDataSend();
  void OnStatus(const QString& status);
  // The two signals below pass values back: connect them directly (the default within this
  // one thread), never queued, and answer through the references before returning.
  //
  // The first failed look-up of RemoteHost. The look-up is tried once more whatever the
  // handler answers; handled is kept for the handlers that follow the original interface.
  void OnInvalidHost(bool& handled);
  // SendBuffer was given an empty buffer. A handler may put bytes into buffer and must set
  // handled to go on; otherwise "Invalid buffer" is thrown. Asked again while the buffer stays
  // empty, at most 16 times.
  void OnBufferInvalid(bool& handled, QByteArray& buffer);

 protected:
  // The layers above take each datagram here, before OnDataReceived goes to the outside
  // (a signal connection per layer and transport would cost more than the datagram). May
  // destroy the transport.
  virtual void DataArrived(int numberBytes) { Q_UNUSED(numberBytes); }

 private:
  void OpenSocket(int port);
  void Watch();
  void DropNotifier();
  void ReadPending();
  void SocketReady() override { ReadPending(); }
  void SharedArrival(const TReceived& got, const char* data) override;
  void SharedPortsGone() override;
  void LeaveShared();
  void Deliver(int count, quint32 from, quint16 port);
  quint32 ResolveRemote();
  bool LookupOnce(QHostAddress& address);
  void Status(const QString& text, int level);
  [[noreturn]] void Fail(const QString& text);

  QString remoteHost_;
  int remotePort_ = 0;
  int localPort_ = 0;
  int reportLevel_ = 1;
  TUdpSocket socket_;
  TSharedUdpPorts* sharedPorts_ = nullptr;
  TSharedSocket* shared_ = nullptr;  // the seat on sharedPorts_, null when on socket_ or closed
  // Watches the socket once it is connected; owned, but handed to the event loop for deletion
  // when it goes while its own signal runs.
  QSocketNotifier* notifier_ = nullptr;
  QPointer<TSocketWatcher> watcher_;
  std::uint32_t watchId_ = 0;  // the shared watcher's id for the open socket, 0 when none
  int reading_ = 0;  // ReadPending calls running
  quint32 connectedAddress_ = 0;
  int connectedPort_ = 0;
  quint32 resolvedAddress_ = 0;
  QByteArray lastDatagram_;  // only while it is being delivered
  int lastCount_ = 0;
  QString lastStatus_;
  THostLookup lookup_;
  qint64 lastSendTime_ = 0;
  qint64 lastArrivalTime_ = 0;
};

class TkorvNMUDP : public TNMUDP {
  Q_OBJECT
 public:
  static constexpr int kConversionBuffer = 8192;
  explicit TkorvNMUDP(QObject* parent = nullptr);
  explicit TkorvNMUDP(TSharedUdpPorts* ports, QObject* parent = nullptr);
  void SendBytes(const QByteArray& bytes) { SendBuffer(bytes); }

 Q_SIGNALS:
  // The datagram's bytes (NULs included) and its count; a failed receive gives an empty
  // buffer and a negative count.
  void OnSelfDataReceived(const QByteArray& buffer, int length);

 protected:
  void DataArrived(int numberBytes) override;
  // As DataArrived, one layer up: before OnSelfDataReceived goes out. May destroy the transport.
  virtual void SelfDataArrived(const QByteArray& buffer, int length) {
    Q_UNUSED(buffer);
    Q_UNUSED(length);
  }
};

class TkorvUDP;

// The owner that takes every reply of its transports (the stash). It is called before OnReply
// goes out and may destroy the transport.
class TReplyReceiver {
 public:
  virtual void TransportReply(TkorvUDP* transport, const QByteArray& buffer, int length) = 0;

 protected:
  ~TReplyReceiver() = default;
};

class TkorvUDP : public TkorvNMUDP {
  Q_OBJECT
 public:
  explicit TkorvUDP(QObject* parent = nullptr);
  explicit TkorvUDP(TSharedUdpPorts* ports, QObject* parent = nullptr);

  // A call instead of a connection: a refresh makes and drops thousands of transports, and a
  // connection costs allocations at both ends. Null ends the calls.
  void SetReplyReceiver(TReplyReceiver* receiver) { receiver_ = receiver; }

  // Whatever the owner uses to find the server again (the stash: its key).
  QString Tag;
  // Where the owner last had the server (the stash: its index), so a reply finds it without a
  // look-up of Tag; only a hint, checked before it is trusted (servers move when others go).
  int TagIndex = -1;

  QString ServerName() const { return serverName_; }
  void SetServerName(const QString& name) { serverName_ = name; }
  int ReplyInProgress() const { return replyInProgress_; }
  void SetReplyInProgress(int mark) { replyInProgress_ = mark; }
  bool MeasurePing() const { return measurePing_; }
  void SetMeasurePing(bool measure) { measurePing_ = measure; }
  // Wall-clock nanoseconds of the measured send and of the first reply after it.
  qint64 SendTime() const { return sendTime_; }
  qint64 ReplyTime() const { return replyTime_; }
  // Whole milliseconds from the measured send to the first reply after it (never negative:
  // the wall clock may have been set back in between).
  int ElapsedPing() const;

  // Starts a query: the next send is measured and the request count starts again.
  void BeginQuery();
  // Requests sent since BeginQuery.
  int RequestsSent() const { return requestsSent_; }

  // Sends and, while MeasurePing is set, records the send time.
  void SendBytes(const QByteArray& bytes);

 Q_SIGNALS:
  void OnReply(zorvane::TkorvUDP* sender, const QByteArray& buffer, int length);

 protected:
  void SelfDataArrived(const QByteArray& buffer, int length) override;

 private:

  TReplyReceiver* receiver_ = nullptr;
  QString serverName_;
  int replyInProgress_ = 0;
  bool measurePing_ = true;
  int requestsSent_ = 0;
  qint64 sendTime_ = 0;
  qint64 replyTime_ = 0;
};

}  // namespace zorvane
