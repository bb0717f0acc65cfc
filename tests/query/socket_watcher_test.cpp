// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/socket_watcher.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QUdpSocket>
#include <functional>
#include <memory>

#include "query/udp_socket.h"

namespace zorvane {
namespace {

constexpr quint32 kLoopback = 0x7F000001;

// A bound socket whose reads are counted; `onReady` runs on each call.
struct TReader : TSocketReader {
  TUdpSocket socket;
  int calls = 0;
  int datagrams = 0;
  std::function<void()> onReady;
  TReader() {
    socket.Open();
    socket.Bind(0);
  }
  void SocketReady() override {
    ++calls;
    char buffer[64];
    while (socket.IsOpen() && socket.Receive(buffer, sizeof buffer).kind ==
                                  TReceived::TKind::Datagram)
      ++datagrams;
    if (onReady) onReady();
  }
};

void SendTo(const TUdpSocket& socket) {
  QUdpSocket sender;
  sender.writeDatagram("x", QHostAddress::LocalHost, socket.LocalPort());
}

void Spin(const std::function<bool()>& done, int ms = 2000) {
  const QDeadlineTimer deadline(ms);
  while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST(SocketWatcherTest, ReadersAreCalledForTheirOwnSocketsOnly) {
  TSocketWatcher watcher;
  ASSERT_TRUE(watcher.IsValid());
  TReader a, b;
  ASSERT_NE(watcher.Watch(a.socket.Handle(), &a), 0u);
  ASSERT_NE(watcher.Watch(b.socket.Handle(), &b), 0u);
  EXPECT_EQ(watcher.Count(), 2);
  SendTo(b.socket);
  SendTo(b.socket);
  Spin([&] { return b.datagrams == 2; });
  EXPECT_EQ(b.datagrams, 2);
  EXPECT_EQ(a.calls, 0);
}

// A reader that closes another socket (and opens a new one on its descriptor) while both have
// an event waiting: the closed socket's reader is never called, the new one only for its own.
TEST(SocketWatcherTest, ForgottenSocketsAndReusedDescriptorsAreNotConfused) {
  TSocketWatcher watcher;
  auto first = std::make_unique<TReader>();
  auto second = std::make_unique<TReader>();
  TReader* closer = first.get();
  TReader* closed = second.get();
  std::uint32_t closedId = watcher.Watch(closed->socket.Handle(), closed);
  watcher.Watch(closer->socket.Handle(), closer);
  std::unique_ptr<TReader> reused;
  closer->onReady = [&] {
    if (reused) return;
    const int fd = closed->socket.Handle();
    watcher.Forget(fd, closedId);
    closed->socket.Close();
    reused = std::make_unique<TReader>();
    EXPECT_EQ(reused->socket.Handle(), fd);  // the lowest free descriptor comes back
    watcher.Watch(reused->socket.Handle(), reused.get());
  };
  const int closedCallsBefore = closed->calls;
  SendTo(closed->socket);
  SendTo(closer->socket);
  Spin([&] { return reused && closer->datagrams == 1; });
  ASSERT_TRUE(reused);
  // Whether the closed socket was read before the closer ran depends on the event order;
  // after its close it is never called again, and the new socket hears nothing.
  const int closedCalls = closed->calls;
  Spin([] { return false; }, 100);
  EXPECT_EQ(closed->calls, closedCalls);
  EXPECT_LE(closed->calls - closedCallsBefore, 1);
  EXPECT_EQ(reused->calls, 0);
  SendTo(reused->socket);
  Spin([&] { return reused->datagrams == 1; });
  EXPECT_EQ(reused->datagrams, 1);
  EXPECT_EQ(watcher.Count(), 2);
}

TEST(SocketWatcherTest, AReaderMayDeleteTheWatcher) {
  auto watcher = std::make_unique<TSocketWatcher>();
  TReader a, b;
  watcher->Watch(a.socket.Handle(), &a);
  watcher->Watch(b.socket.Handle(), &b);
  a.onReady = [&] { watcher.reset(); };
  b.onReady = [&] { watcher.reset(); };
  SendTo(a.socket);
  SendTo(b.socket);
  Spin([&] { return !watcher; });
  EXPECT_FALSE(watcher);
  EXPECT_EQ(a.calls + b.calls, 1);
}

}  // namespace
}  // namespace zorvane
