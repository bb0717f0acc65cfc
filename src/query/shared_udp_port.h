// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A few datagram sockets that carry the queries of many transports.
//
// A socket per server makes every query pay for a socket, the kernel's search for a free
// local port, a connect, a watch and a close; at a mass refresh of thousands of servers that
// is most of the work. Here a transport takes a seat on one of a few unconnected sockets, and
// each socket hands every datagram to the transport aimed at its sender's address and port
// (a datagram from anyone else is dropped). A refusal (ICMP port unreachable) is read from the
// socket's error queue, which names the destination it concerns, and goes to that transport.
//
// A socket seats a bounded group of transports, so the replies to one group's queries fit in
// its receive buffer while the program is busy elsewhere, and at most one transport per
// server, so every datagram has one reader. A socket whose last transport left is closed a
// moment later unless new transports come.

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <vector>

#include "query/socket_watcher.h"
#include "query/udp_socket.h"

namespace zorvane {

// What a seated transport is to its socket.
class TSharedPortClient {
 public:
  // A datagram from the peer the client is aimed at (got.kind Datagram, got.size bytes at
  // data), or that peer's refusal (Refused). May destroy the client, or even the ports.
  virtual void SharedArrival(const TReceived& got, const char* data) = 0;
  // The ports are going away with the client still seated: the seat is gone.
  virtual void SharedPortsGone() = 0;

 protected:
  ~TSharedPortClient() = default;
};

class TSharedUdpPorts;

// One socket of the ports and the transports seated on it.
class TSharedSocket : private TSocketReader {
 public:
  explicit TSharedSocket(TSharedUdpPorts& ports) : ports_(ports) {}
  ~TSharedSocket();
  TSharedSocket(const TSharedSocket&) = delete;
  TSharedSocket& operator=(const TSharedSocket&) = delete;

  int Handle() const { return socket_.Handle(); }
  bool Stamped() const { return socket_.Stamped(); }
  quint16 LocalPort() const { return socket_.LocalPort(); }
  int Seated() const { return int(seats_.size()); }

 private:
  friend class TSharedUdpPorts;
  // 0 for a seat not aimed yet; otherwise a bit above the address and port, so 0.0.0.0:0 is
  // a peer too.
  using TPeer = std::uint64_t;
  struct TSeat {
    TPeer peer = 0;
    TSharedPortClient* client = nullptr;
  };

  static TPeer PeerOf(quint32 address, quint16 port) {
    return (TPeer(1) << 48) | (TPeer(address) << 16) | port;
  }
  int Open(TSocketWatcher& watcher, int receiveBuffer);
  TSeat* SeatOf(const TSharedPortClient* client);
  TSharedPortClient* ClientOf(TPeer peer) const;
  void SocketReady() override;
  // Hands every queued error to the transport it concerns.
  void ReadErrors();

  TSharedUdpPorts& ports_;
  TUdpSocket socket_;
  std::vector<TSeat> seats_;
  std::uint32_t watchId_ = 0;
  int reading_ = 0;  // SocketReady calls running (a handler may run a nested event loop)
  bool idle_ = false;  // found empty by the last sweep
};

class TSharedUdpPorts : public QObject {
  Q_OBJECT
 public:
  // Transports per socket. The replies waiting on one socket while the program is busy come
  // from at most this many servers. The receive buffer a user gets without privileges
  // (net.core.rmem_max 208 KB, doubled) holds 184 datagrams of 700 to 1,400 bytes (2.3 KB
  // each in the kernel's accounting), 332 smaller ones; a UT server's reply is two or three
  // datagrams, a full server's more, so 32 servers' whole replies fit, 64 might not.
  static constexpr int kDefaultGroup = 32;
  // Asked of every socket; the system grants up to its net.core.rmem_max.
  static constexpr int kReceiveBuffer = 1 << 20;
  // Longer datagrams are cut here (as a transport's own socket cuts them).
  static constexpr int kDatagramBuffer = 2048;
  // An empty socket is closed after this long, give or take as much again.
  static constexpr int kIdleCloseMs = 500;
  // Datagrams read in one system call.
  static constexpr int kBatch = 16;
  static_assert(kBatch <= TUdpSocket::kMaxBatch);

  // watcher watches the sockets; without a valid one no seat is given.
  explicit TSharedUdpPorts(TSocketWatcher* watcher, QObject* parent = nullptr,
                           int groupSize = kDefaultGroup);
  ~TSharedUdpPorts() override;

  // A seat for client on a socket with room, opening one when none has; null (errno in error)
  // when none can be had.
  TSharedSocket* Join(TSharedPortClient* client, int& error);
  // Aims the client at a peer: only that peer's datagrams reach it from now on. When the seat's
  // socket has a transport aimed at that peer already, the client moves to another socket
  // (seat then names it). Returns 0 or errno, the seat unchanged on failure.
  int Aim(TSharedSocket*& seat, TSharedPortClient* client, quint32 address, quint16 port);
  int Send(TSharedSocket& seat, quint32 address, quint16 port, const char* data,
           qsizetype size);
  void Leave(TSharedSocket* seat, TSharedPortClient* client);

  int GroupSize() const { return groupSize_; }
  // Sockets open, and those opened since the start.
  int SocketCount() const { return int(sockets_.size()); }
  int SocketsOpened() const { return opened_; }

 private:
  friend class TSharedSocket;
  // A socket with room that seats no transport aimed at without (0: any), opened if need be.
  TSharedSocket* WithRoom(TSharedSocket::TPeer without, int& error);
  void SweepSoon();
  void CloseEmpty();

  QPointer<TSocketWatcher> watcher_;
  int groupSize_;
  std::vector<std::unique_ptr<TSharedSocket>> sockets_;
  TSharedSocket* filling_ = nullptr;  // the socket new seats go to while it has room
  int opened_ = 0;
  QTimer emptySweep_;
};

}  // namespace zorvane
