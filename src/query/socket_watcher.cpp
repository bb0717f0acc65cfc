// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/socket_watcher.h"

#include <sys/epoll.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace zorvane {

namespace {

constexpr int kEventsPerRead = 128;

std::uint64_t EventData(int fd, std::uint32_t id) {
  return (std::uint64_t(id) << 32) | std::uint32_t(fd);
}

}  // namespace

TSocketWatcher::TSocketWatcher(QObject* parent) : QObject(parent) {
  epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
  if (epoll_ < 0) return;
  notifier_ = new QSocketNotifier(epoll_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TSocketWatcher::Dispatch);
}

TSocketWatcher::~TSocketWatcher() {
  if (epoll_ < 0) return;
  notifier_->setEnabled(false);
  ::close(epoll_);
}

std::uint32_t TSocketWatcher::Watch(int fd, TSocketReader* reader) {
  if (epoll_ < 0 || fd < 0 || !reader) return 0;
  if (++lastId_ == 0) ++lastId_;  // 0 means "not watched"
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.u64 = EventData(fd, lastId_);
  if (::epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event) != 0) return 0;
  if (std::size_t(fd) >= slots_.size()) slots_.resize(std::size_t(fd) + 1);
  if (slots_[std::size_t(fd)].id == 0) ++count_;
  slots_[std::size_t(fd)] = {lastId_, reader};
  return lastId_;
}

void TSocketWatcher::Forget(int fd, std::uint32_t id) {
  if (fd < 0 || std::size_t(fd) >= slots_.size() || slots_[std::size_t(fd)].id != id) return;
  slots_[std::size_t(fd)] = {};
  --count_;
}

void TSocketWatcher::Dispatch() {
  // A reader may run a nested event loop, close sockets, open new ones on the same descriptors
  // or delete this watcher: each event is checked against the slots as they are when its turn
  // comes.
  QPointer<TSocketWatcher> self(this);
  epoll_event events[kEventsPerRead];
  const int n = ::epoll_wait(epoll_, events, kEventsPerRead, 0);
  for (int i = 0; i < n; ++i) {
    const std::uint64_t data = events[i].data.u64;
    const auto fd = std::size_t(std::uint32_t(data));
    const auto id = std::uint32_t(data >> 32);
    if (fd >= slots_.size() || slots_[fd].id != id) continue;
    slots_[fd].reader->SocketReady();
    if (!self) return;
  }
}

}  // namespace zorvane
