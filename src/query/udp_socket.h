// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The plain non-blocking IPv4 datagram socket under the transport: the handful of system calls
// one server query needs (socket, bind, connect, send, recvmsg, close) and nothing more, and
// the few more of a socket that many servers' queries share (sendto, the error queue).
//
// Errors come back as errno values (0 for success); nothing here throws or allocates.

#include <QtGlobal>
#include <cstdint>

namespace zorvane {

// What one receive gave.
struct TReceived {
  enum class TKind : std::uint8_t {
    Datagram,    // size bytes are in the buffer
    WouldBlock,  // nothing waiting
    Refused,     // the server's port refused an earlier datagram (ICMP port unreachable)
    Failed,      // another error, in error
  };
  // From the error queue (ReceiveError), the sender is the destination of the datagram the
  // error is about.
  TKind kind = TKind::WouldBlock;
  int size = 0;            // bytes in the buffer, at most its size
  bool truncated = false;  // the datagram was longer than the buffer and was cut there
  quint32 fromAddress = 0; // sender, host byte order
  quint16 fromPort = 0;
  qint64 stamp = 0;        // kernel receive time, wall-clock ns; 0 when the kernel gave none
  int error = 0;
};

class TUdpSocket {
 public:
  TUdpSocket() = default;
  ~TUdpSocket() { Close(); }
  TUdpSocket(const TUdpSocket&) = delete;
  TUdpSocket& operator=(const TUdpSocket&) = delete;

  // A fresh socket that asks for kernel receive stamps. Closes any socket held before.
  int Open();
  // Binds to 0.0.0.0:port (0: a port the system chooses).
  int Bind(quint16 port);
  // Fixes the peer: only its datagrams are received from now on, and its port's refusals are
  // reported by the next receive.
  int Connect(quint32 address, quint16 port);
  int Send(const char* data, qsizetype size);
  TReceived Receive(char* buffer, int size);

  // A socket shared by many peers, never connected: Open, then the kernel queues each ICMP
  // error with the destination it concerns (IP_RECVERR), and the receive buffer is asked to
  // hold bytes (the system caps it; a smaller one is no failure).
  int Open(int receiveBuffer);
  int SendTo(quint32 address, quint16 port, const char* data, qsizetype size);
  // The next queued error (Refused or Failed, its destination in fromAddress and fromPort),
  // WouldBlock when none waits.
  TReceived ReceiveError();
  // Up to count (at most kMaxBatch) datagrams in one call: the i-th cut at size bytes into
  // buffers + i * size, and described by got[i] as Receive describes it. Returns how many came;
  // with none, got[0] says why (WouldBlock, Refused or Failed).
  static constexpr int kMaxBatch = 32;
  int ReceiveMany(char* buffers, int size, TReceived* got, int count);
  // The bound local port, 0 when closed or not bound yet.
  quint16 LocalPort() const;
  void Close();

  bool IsOpen() const { return fd_ >= 0; }
  int Handle() const { return fd_; }
  bool Stamped() const { return stamped_; }

 private:
  int fd_ = -1;
  bool stamped_ = false;
};

}  // namespace zorvane
