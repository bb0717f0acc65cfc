// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/udp_socket.h"

#include <arpa/inet.h>
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

}  // namespace

int TUdpSocket::Open() {
  Close();
  fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return errno;
  const int one = 1;
  stamped_ = ::setsockopt(fd_, SOL_SOCKET, SO_TIMESTAMPNS, &one, sizeof one) == 0;
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

TReceived TUdpSocket::Receive(char* buffer, int size) {
  TReceived got;
  iovec data{buffer, size_t(size)};
  sockaddr_in from{};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
  msghdr message{};
  message.msg_name = &from;
  message.msg_namelen = sizeof from;
  message.msg_iov = &data;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
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
  got.kind = TReceived::TKind::Datagram;
  got.size = int(n);
  got.truncated = (message.msg_flags & MSG_TRUNC) != 0;
  got.fromAddress = ntohl(from.sin_addr.s_addr);
  got.fromPort = ntohs(from.sin_port);
  for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
    if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_TIMESTAMPNS ||
        c->cmsg_len < CMSG_LEN(sizeof(timespec)))
      continue;
    timespec at{};
    std::memcpy(&at, CMSG_DATA(c), sizeof at);
    got.stamp = qint64(at.tv_sec) * 1'000'000'000 + at.tv_nsec;
  }
  return got;
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
