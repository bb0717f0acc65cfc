// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/farm/farm_udp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDateTime>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>

#include "tools/farm/farm_replies.h"

namespace zorvane::farm {

namespace {

constexpr int kBatch = 256;
// Wake-ups handled before the event loop gets a turn (the master shares it).
constexpr int kRoundsPerWake = 16;

QString SystemError(const char* what, int port) {
  return QStringLiteral("%1 for port %2: %3")
      .arg(QLatin1String(what))
      .arg(port)
      .arg(QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace

TFarmUdp::TFarmUdp(const TFarmOptions& options, QObject* parent)
    : QObject(parent), options_(options) {}

TFarmUdp::~TFarmUdp() {
  notifier_.reset();
  for (int fd : sockets_) ::close(fd);
  if (epoll_ >= 0) ::close(epoll_);
}

bool TFarmUdp::Open(QString& error) {
  epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
  if (epoll_ < 0) {
    error = SystemError("no epoll descriptor", 0);
    return false;
  }
  sockets_.reserve(std::size_t(options_.Count()));
  for (int index = 0; index < options_.Count(); ++index) {
    const int port = options_.basePort + index;
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
      error = SystemError("no socket", port);
      return false;
    }
    sockets_.push_back(fd);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      error = SystemError("cannot bind 127.0.0.1", port);
      return false;
    }
    // A silent server keeps its port, so queries to it are not refused, but never reads.
    if (IsSilent(options_.seed, index, options_.silent)) {
      ++silentCount_;
      continue;
    }
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u32 = quint32(index);
    if (::epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event) != 0) {
      error = SystemError("cannot watch", port);
      return false;
    }
  }
  notifier_ = std::make_unique<QSocketNotifier>(epoll_, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { Drain(); });
  return true;
}

void TFarmUdp::Drain() {
  epoll_event events[kBatch];
  for (int round = 0; round < kRoundsPerWake; ++round) {
    const int ready = ::epoll_wait(epoll_, events, kBatch, 0);
    if (ready <= 0) return;
    for (int i = 0; i < ready; ++i) Answer(int(events[i].data.u32));
  }
}

void TFarmUdp::Answer(int index) {
  const int fd = sockets_[std::size_t(index)];
  const TFarmGame game = index < options_.ut ? TFarmGame::UT : TFarmGame::UT2004;
  char buffer[2048];
  for (;;) {
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t n =
        ::recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n < 0) return;  // drained (or an error the next datagram may not have)
    const QByteArrayView request(buffer, n);
    const bool understood =
        game == TFarmGame::UT ? request.startsWith("\\status\\") : request.size() >= 5;
    if (!understood) continue;
    TFarmServer server = GenerateServer(options_.seed, index, game, options_.basePort + index);
    if (options_.dailyPattern) {
      const QDateTime now = QDateTime::currentDateTime();
      ApplyDailyPattern(server, options_.seed, index, now.toSecsSinceEpoch(), now.offsetFromUtc());
    }
    const QList<QByteArray> reply =
        game == TFarmGame::UT ? TextStatusReply(server, ++queryId_) : BinaryReply(server, request);
    for (const QByteArray& datagram : reply)
      ::sendto(fd, datagram.constData(), std::size_t(datagram.size()), 0,
               reinterpret_cast<const sockaddr*>(&from), fromLength);
  }
}

}  // namespace zorvane::farm
