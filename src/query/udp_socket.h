// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The plain non-blocking IPv4 datagram socket under the transport: the handful of system calls
// one server query needs (socket, bind, connect, send, recvmsg, close) and nothing more. A
// mass refresh opens one of these per server, so every call per socket counts.
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
