// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/shared_udp_port.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QThread>
#include <QUdpSocket>
#include <memory>

#include "query/udp_transport.h"
#include "support/fake_server.h"

namespace zorvane {
namespace {

using testing::FakeServer;

// What one transport was handed, in order.
struct Heard {
  QList<QByteArray> buffers;
  QList<int> lengths;
  explicit Heard(TkorvUDP& udp) {
    QObject::connect(&udp, &TkorvUDP::OnReply, [this](TkorvUDP*, const QByteArray& b, int n) {
      buffers << b;
      lengths << n;
    });
  }
  bool WaitFor(int count) {
    return QTest::qWaitFor([&] { return lengths.size() >= count; }, 2000);
  }
};

void Send(TkorvUDP& udp, int port, const QByteArray& bytes = "q") {
  udp.SetRemoteHost("127.0.0.1");
  udp.SetRemotePort(port);
  udp.SendBytes(bytes);
}

struct Ports {
  TSocketWatcher watcher;
  std::unique_ptr<TSharedUdpPorts> ports;
  explicit Ports(int group = TSharedUdpPorts::kDefaultGroup)
      : ports(std::make_unique<TSharedUdpPorts>(&watcher, nullptr, group)) {}
};

// Two servers' transports on one socket: each hears its own server's datagrams whole (empty,
// with NULs, cut at 2048); a stranger's datagram reaches nobody.
TEST(SharedUdpPortTest, TransportsOnOneSocketHearOnlyTheirOwnServer) {
  const QByteArray withNuls("a\0b", 3);
  FakeServer one([&](const QByteArray&) {
    return QList<QByteArray>{QByteArray(), withNuls, QByteArray(3000, 'x')};
  });
  FakeServer two([](const QByteArray& request) { return QList<QByteArray>{"two:" + request}; });
  Ports p;
  TkorvUDP a(p.ports.get()), b(p.ports.get());
  Heard heardA(a), heardB(b);
  Send(a, one.Port());
  Send(b, two.Port(), "hello");
  ASSERT_TRUE(a.SharedSocket() && b.SharedSocket());
  EXPECT_EQ(a.SocketHandle(), b.SocketHandle());
  EXPECT_EQ(p.ports->SocketCount(), 1);
  QUdpSocket stranger;
  ASSERT_TRUE(stranger.bind(QHostAddress::LocalHost, 0));
  stranger.writeDatagram("spoofed", QHostAddress::LocalHost, quint16(a.BoundPort()));

  ASSERT_TRUE(heardA.WaitFor(3));
  ASSERT_TRUE(heardB.WaitFor(1));
  QTest::qWait(20);
  EXPECT_EQ(heardA.lengths, (QList<int>{0, 3, 2048}));
  EXPECT_EQ(heardA.buffers, (QList<QByteArray>{QByteArray(), withNuls, QByteArray(2048, 'x')}));
  EXPECT_EQ(heardB.buffers, QList<QByteArray>{"two:hello"});
}

// A closed port's refusal reaches the transport that asked it, as a failed receive, and only
// that one; the next query of the same transport goes out again.
TEST(SharedUdpPortTest, ARefusalReachesTheTransportThatAskedOnly) {
  FakeServer live([](const QByteArray&) { return QList<QByteArray>{"alive"}; });
  Ports p;
  TkorvUDP refused(p.ports.get()), answered(p.ports.get());
  Heard heardRefused(refused), heardAnswered(answered);
  const int closed = testing::ClosedPort();
  Send(refused, closed);
  Send(answered, live.Port());
  ASSERT_TRUE(heardRefused.WaitFor(1));
  ASSERT_TRUE(heardAnswered.WaitFor(1));
  QTest::qWait(20);
  EXPECT_EQ(heardRefused.lengths, QList<int>{-1});
  EXPECT_TRUE(heardRefused.buffers[0].isEmpty());
  EXPECT_EQ(heardAnswered.buffers, QList<QByteArray>{"alive"});
  // A refusal noted while another transport sends does not fail that send.
  Send(refused, closed);
  Send(answered, live.Port());
  ASSERT_TRUE(heardRefused.WaitFor(2));
  ASSERT_TRUE(heardAnswered.WaitFor(2));
}

// Two transports to one server sit on different sockets, so both hear it; a full group opens
// another socket; sockets close a moment after their last transport left.
TEST(SharedUdpPortTest, SeatsPerSocketAreBoundedAndOneServerPerSocket) {
  FakeServer server([](const QByteArray& request) { return QList<QByteArray>{request}; });
  Ports p(2);
  auto first = std::make_unique<TkorvUDP>(p.ports.get());
  auto second = std::make_unique<TkorvUDP>(p.ports.get());
  Heard heardFirst(*first), heardSecond(*second);
  Send(*first, server.Port(), "first");
  Send(*second, server.Port(), "second");
  EXPECT_NE(first->SocketHandle(), second->SocketHandle());
  ASSERT_TRUE(heardFirst.WaitFor(1));
  ASSERT_TRUE(heardSecond.WaitFor(1));
  EXPECT_EQ(heardFirst.buffers, QList<QByteArray>{"first"});
  EXPECT_EQ(heardSecond.buffers, QList<QByteArray>{"second"});

  auto third = std::make_unique<TkorvUDP>(p.ports.get());   // the sockets have room
  auto fourth = std::make_unique<TkorvUDP>(p.ports.get());
  EXPECT_EQ(p.ports->SocketCount(), 2);
  auto fifth = std::make_unique<TkorvUDP>(p.ports.get());   // both are full
  EXPECT_EQ(p.ports->SocketCount(), 3);
  // A local port of its own means a socket of its own.
  fifth->SetLocalPort(testing::ClosedPort());
  EXPECT_FALSE(fifth->SharedSocket());
  EXPECT_TRUE(fifth->IsOpen());

  first.reset();
  second.reset();
  third.reset();
  fourth.reset();
  EXPECT_EQ(p.ports->SocketCount(), 3);  // kept a moment for the next queries
  EXPECT_TRUE(QTest::qWaitFor([&] { return p.ports->SocketCount() == 0; },
                              4 * TSharedUdpPorts::kIdleCloseMs));
  // The ports may go before their transports: those are closed and open their own socket.
  TkorvUDP last(p.ports.get());
  Heard heardLast(last);
  p.ports.reset();
  EXPECT_FALSE(last.IsOpen());
  Send(last, server.Port(), "own");
  EXPECT_FALSE(last.SharedSocket());
  ASSERT_TRUE(heardLast.WaitFor(1));
}

// A transport destroyed with its replies on the way hears nothing and breaks nothing; a
// handler that destroys its transport, or the ports, while more datagrams wait ends the
// reading there.
TEST(SharedUdpPortTest, TransportsOrPortsDestroyedWhileRepliesWait) {
  FakeServer server([](const QByteArray&) { return QList<QByteArray>{"1", "2", "3"}; });
  {
    Ports p;
    auto gone = std::make_unique<TkorvUDP>(p.ports.get());
    TkorvUDP stays(p.ports.get());
    Heard heard(stays);
    Send(*gone, server.Port());
    gone.reset();
    FakeServer other([](const QByteArray&) { return QList<QByteArray>{"other"}; });
    Send(stays, other.Port());
    ASSERT_TRUE(heard.WaitFor(1));
    QTest::qWait(20);
    EXPECT_EQ(heard.buffers, QList<QByteArray>{"other"});
  }
  for (const bool ports : {false, true}) {
    SCOPED_TRACE(ports);
    Ports p;
    auto udp = std::make_unique<TkorvUDP>(p.ports.get());
    int seen = 0;
    QObject::connect(udp.get(), &TkorvUDP::OnReply, [&](TkorvUDP*, const QByteArray&, int) {
      ++seen;
      if (ports)
        p.ports.reset();
      else
        udp.reset();
    });
    Send(*udp, server.Port());
    QThread::msleep(20);  // all three wait in the socket, read in one batch
    EXPECT_TRUE(QTest::qWaitFor([&] { return seen > 0; }, 2000));
    QTest::qWait(20);
    EXPECT_EQ(seen, 1);
  }
}

}  // namespace
}  // namespace zorvane
