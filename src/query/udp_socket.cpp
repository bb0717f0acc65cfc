// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/udp_socket.h"

#include <arpa/inet.h>
#include <linux/errqueue.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace zorvane {

namespace {

sockaddr_in Ipv4(quint32 address, quint16 port) {
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(port);
  at.sin_addr.s_addr = htonl(address);
  return at;
}

// What one datagram received into message is: its size, sender and kernel stamp.
TReceived Described(const msghdr& message, const sockaddr_in& from, int size) {
  TReceived got;
  got.kind = TReceived::TKind::Datagram;
  got.size = size;
  got.truncated = (message.msg_flags & MSG_TRUNC) != 0;
  got.fromAddress = ntohl(from.sin_addr.s_addr);
  got.fromPort = ntohs(from.sin_port);
  // CMSG_NXTHDR takes a non-const header; nothing is written through it.
  auto& header = const_cast<msghdr&>(message);
  for (cmsghdr* c = CMSG_FIRSTHDR(&header); c; c = CMSG_NXTHDR(&header, c)) {
    if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_TIMESTAMPNS ||
        c->cmsg_len < CMSG_LEN(sizeof(timespec)))
      continue;
    timespec at{};
    std::memcpy(&at, CMSG_DATA(c), sizeof at);
    got.stamp = qint64(at.tv_sec) * 1'000'000'000 + at.tv_nsec;
  }
  return got;
}

// A header for one datagram into data, its sender into from and its ancillary data into
// control.
msghdr MessageInto(sockaddr_in& from, iovec& data, char* control, std::size_t controlSize) {
  msghdr message{};
  message.msg_name = &from;
  message.msg_namelen = sizeof from;
  message.msg_iov = &data;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = controlSize;
  return message;
}

}  // namespace

int TUdpSocket::Open() {
  Close();
  fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return errno;
  const int one = 1;
  stamped_ = ::setsockopt(fd_, SOL_SOCKET, SO_TIMESTAMPNS, &one, sizeof one) == 0;
  return 0;
}

int TUdpSocket::Open(int receiveBuffer) {
  if (const int error = Open()) return error;
  const int one = 1;
  if (::setsockopt(fd_, IPPROTO_IP, IP_RECVERR, &one, sizeof one) != 0) {
    const int error = errno;
    Close();
    return error;
  }
  ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  return 0;
}

int TUdpSocket::Bind(quint16 port) {
  const sockaddr_in at = Ipv4(INADDR_ANY, port);
  return ::bind(fd_, reinterpret_cast<const sockaddr*>(&at), sizeof at) == 0 ? 0 : errno;
}

int TUdpSocket::Connect(quint32 address, quint16 port) {
  const sockaddr_in at = Ipv4(address, port);
  return ::connect(fd_, reinterpret_cast<const sockaddr*>(&at), sizeof at) == 0 ? 0 : errno;
}

int TUdpSocket::Send(const char* data, qsizetype size) {
  ssize_t n = 0;
  do n = ::send(fd_, data, size_t(size), MSG_NOSIGNAL);
  while (n < 0 && errno == EINTR);
  return n < 0 ? errno : 0;
}

int TUdpSocket::SendTo(quint32 address, quint16 port, const char* data, qsizetype size) {
  const sockaddr_in to = Ipv4(address, port);
  ssize_t n = 0;
  do n = ::sendto(fd_, data, size_t(size), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to),
                  sizeof to);
  while (n < 0 && errno == EINTR);
  return n < 0 ? errno : 0;
}

TReceived TUdpSocket::ReceiveError() {
  TReceived got;
  char payload[64];  // the start of the datagram the error is about; not wanted
  iovec data{payload, sizeof payload};
  sockaddr_in to{};
  // The error's description and its offender, after the receive stamp the socket asks for.
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec)) +
                                CMSG_SPACE(sizeof(sock_extended_err) + sizeof(sockaddr_in))];
  msghdr message = MessageInto(to, data, control, sizeof control);
  ssize_t n = 0;
  do n = ::recvmsg(fd_, &message, MSG_ERRQUEUE | MSG_DONTWAIT);
  while (n < 0 && errno == EINTR);
  if (n < 0) {
    got.error = errno;
    got.kind = got.error == EAGAIN || got.error == EWOULDBLOCK ? TReceived::TKind::WouldBlock
                                                                : TReceived::TKind::Failed;
    return got;
  }
  got.kind = TReceived::TKind::Failed;
  got.error = EIO;  // an entry without the kernel's description
  if (message.msg_namelen >= sizeof to && to.sin_family == AF_INET) {
    got.fromAddress = ntohl(to.sin_addr.s_addr);
    got.fromPort = ntohs(to.sin_port);
  }
  for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
    if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_RECVERR ||
        c->cmsg_len < CMSG_LEN(sizeof(sock_extended_err)))
      continue;
    sock_extended_err error{};
    std::memcpy(&error, CMSG_DATA(c), sizeof error);
    got.error = int(error.ee_errno);
    if (error.ee_errno == ECONNREFUSED) got.kind = TReceived::TKind::Refused;
  }
  return got;
}

int TUdpSocket::ReceiveMany(char* buffers, int size, TReceived* got, int count) {
  count = count < 1 ? 1 : count > kMaxBatch ? kMaxBatch : count;
  mmsghdr messages[kMaxBatch];
  iovec data[kMaxBatch];
  sockaddr_in from[kMaxBatch];
  struct alignas(cmsghdr) TControl {
    char bytes[CMSG_SPACE(sizeof(timespec))];
  } control[kMaxBatch];
  for (int i = 0; i < count; ++i) {
    data[i] = {buffers + std::ptrdiff_t(i) * size, size_t(size)};
    messages[i] = {};
    messages[i].msg_hdr = MessageInto(from[i], data[i], control[i].bytes, sizeof control[i].bytes);
  }
  int n = 0;
  do n = ::recvmmsg(fd_, messages, unsigned(count), MSG_DONTWAIT, nullptr);
  while (n < 0 && errno == EINTR);
  if (n <= 0) {
    got[0] = {};
    got[0].error = n < 0 ? errno : EAGAIN;
    got[0].kind = got[0].error == EAGAIN || got[0].error == EWOULDBLOCK
                      ? TReceived::TKind::WouldBlock
                  : got[0].error == ECONNREFUSED ? TReceived::TKind::Refused
                                                 : TReceived::TKind::Failed;
    return 0;
  }
  for (int i = 0; i < n; ++i) {
    const msghdr& message = messages[i].msg_hdr;
    got[i] = Described(message, from[i], int(messages[i].msg_len));
  }
  return n;
}

TReceived TUdpSocket::Receive(char* buffer, int size) {
  TReceived got;
  iovec data{buffer, size_t(size)};
  sockaddr_in from{};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
  msghdr message = MessageInto(from, data, control, sizeof control);
  ssize_t n = 0;
  do n = ::recvmsg(fd_, &message, MSG_DONTWAIT);
  while (n < 0 && errno == EINTR);
  if (n < 0) {
    got.error = errno;
    got.kind = got.error == EAGAIN || got.error == EWOULDBLOCK ? TReceived::TKind::WouldBlock
               : got.error == ECONNREFUSED                     ? TReceived::TKind::Refused
                                                                : TReceived::TKind::Failed;
    return got;
  }
  return Described(message, from, int(n));
}

quint16 TUdpSocket::LocalPort() const {
  if (fd_ < 0) return 0;
  sockaddr_in at{};
  socklen_t size = sizeof at;
  if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&at), &size) != 0) return 0;
  return ntohs(at.sin_port);
}

void TUdpSocket::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  stamped_ = false;
}

}  // namespace zorvane
