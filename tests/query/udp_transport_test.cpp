// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/kernel_stamps.h"
#include "query/shared_udp_port.h"
#include "query/udp_transport.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>
#include <memory>

#include "support/fake_server.h"

namespace zorvane {
namespace {

using testing::FakeServer;

struct Replies {
  QList<QByteArray> buffers;
  QList<int> lengths;
  void Watch(TkorvUDP& udp) {
    QObject::connect(&udp, &TkorvUDP::OnReply, [this](TkorvUDP*, const QByteArray& b, int n) {
      buffers << b;
      lengths << n;
    });
  }
  bool WaitFor(int count, int ms = 2000) {
    for (int waited = 0; lengths.size() < count && waited < ms; waited += 5) QTest::qWait(5);
    return lengths.size() >= count;
  }
};

TkorvUDP* Pointed(TkorvUDP& udp, int port) {
  udp.SetRemoteHost("127.0.0.1");
  udp.SetRemotePort(port);
  return &udp;
}

TEST(UdpTransportTest, DatagramsArriveWhole_NULsIncluded_AndLongOnesCutAt2048) {
  const QByteArray withNuls("a\0b\0\0c", 6);
  FakeServer server([&](const QByteArray&) { return QList<QByteArray>{withNuls, QByteArray(3000, 'x')}; });
  TkorvUDP udp;
  Replies replies;
  replies.Watch(udp);
  QSignalSpy raw(&udp, &TNMUDP::OnDataReceived);
  QSignalSpy self(&udp, &TkorvNMUDP::OnSelfDataReceived);
  Pointed(udp, server.Port())->SendBytes("\\status\\");
  ASSERT_TRUE(replies.WaitFor(2));
  // Every layer's signal carries the datagram, the bottom one with its sender.
  ASSERT_EQ(raw.count(), 2);
  EXPECT_EQ(raw[0], (QVariantList{6, QStringLiteral("127.0.0.1"), server.Port()}));
  EXPECT_EQ(raw[1][0], 2048);
  ASSERT_EQ(self.count(), 2);
  EXPECT_EQ(self[0], (QVariantList{withNuls, 6}));
  EXPECT_EQ(replies.buffers[0], withNuls);
  EXPECT_EQ(replies.lengths[0], 6);
  EXPECT_EQ(replies.lengths[1], 2048);
  EXPECT_EQ(replies.buffers[1], QByteArray(2048, 'x'));
  EXPECT_EQ(server.Requests().value(0), "\\status\\");
}

TEST(UdpTransportTest, RefusedPortIsAFailedReceive) {
  TkorvUDP udp;
  Replies replies;
  replies.Watch(udp);
  Pointed(udp, testing::ClosedPort())->SendBytes("\\status\\");
  ASSERT_TRUE(replies.WaitFor(1));
  EXPECT_LT(replies.lengths[0], 0);
  EXPECT_TRUE(replies.buffers[0].isEmpty());
}

TEST(UdpTransportTest, PingIsMeasuredFromTheFirstReplyOnly) {
  FakeServer server([](const QByteArray&) { return QList<QByteArray>{"one"}; });
  FakeServer late([](const QByteArray&) { return QList<QByteArray>{}; });
  TkorvUDP udp;
  Replies replies;
  replies.Watch(udp);
  ASSERT_TRUE(udp.MeasurePing());
  Pointed(udp, server.Port())->SendBytes("q");
  ASSERT_TRUE(replies.WaitFor(1));
  const qint64 replyTime = udp.ReplyTime();
  const int elapsed = udp.ElapsedPing();
  EXPECT_GE(elapsed, 0);
  EXPECT_LT(elapsed, 1000);
  EXPECT_FALSE(udp.MeasurePing());
  QTest::qWait(30);
  udp.SendBytes("again");  // not measured: the flag is clear
  ASSERT_TRUE(replies.WaitFor(2));
  EXPECT_EQ(udp.ReplyTime(), replyTime);
  EXPECT_EQ(udp.ElapsedPing(), elapsed);
}

// The server answers at once, but the program is busy for 50 ms before it reads the reply
// (a burst still sending, a grid being filled): the ping is the server's round trip, taken
// from the kernel's arrival stamp, not the moment the program got round to reading. The same
// on a socket of the transport's own and on a shared one.
TEST(UdpTransportTest, PingIsTheArrivalTimeNotTheReadTime) {
  // The kernel switches stamping on a moment after the first socket asks for it.
  const TKernelStampKeeper stamps;
  ASSERT_TRUE(stamps.Active());
  QThread::msleep(20);
  for (const bool shared : {false, true}) {
    SCOPED_TRACE(shared ? "shared socket" : "own socket");
    QUdpSocket server;
    ASSERT_TRUE(server.bind(QHostAddress::LocalHost, 0));
    TSocketWatcher watcher;
    TSharedUdpPorts ports(&watcher);
    auto udp = shared ? std::make_unique<TkorvUDP>(&ports) : std::make_unique<TkorvUDP>();
    Replies replies;
    replies.Watch(*udp);
    Pointed(*udp, server.localPort())->SendBytes("q");
    ASSERT_EQ(udp->SharedSocket(), shared);
    ASSERT_TRUE(server.waitForReadyRead(1000));
    char request[16];
    QHostAddress from;
    quint16 port = 0;
    ASSERT_GT(server.readDatagram(request, sizeof request, &from, &port), 0);
    server.writeDatagram("answer", from, port);
    QThread::msleep(50);
    ASSERT_TRUE(replies.WaitFor(1));
    EXPECT_EQ(replies.buffers[0], "answer");
    EXPECT_TRUE(udp->KernelTimestamps());
    EXPECT_GE(udp->ReplyTime(), udp->SendTime());
    EXPECT_LT(udp->ElapsedPing(), 25);
  }
}

TEST(UdpTransportTest, TakenLocalPortFallsBackToAPortTheSystemChooses) {
  TkorvUDP first, second;
  const int port = testing::ClosedPort();
  first.SetLocalPort(port);
  EXPECT_EQ(first.BoundPort(), port);
  QSignalSpy status(&second, &TNMUDP::OnStatus);
  second.SetReportLevel(TNMUDP::kStatusLevelError);
  second.SetLocalPort(port);
  EXPECT_TRUE(second.IsOpen());
  EXPECT_NE(second.BoundPort(), port);
  EXPECT_NE(second.BoundPort(), 0);
  EXPECT_EQ(status.count(), 1);

  FakeServer server([](const QByteArray&) { return QList<QByteArray>{"pong"}; });
  Replies replies;
  replies.Watch(second);
  Pointed(second, server.Port())->SendBytes("ping");
  EXPECT_TRUE(replies.WaitFor(1));
}

TEST(UdpTransportTest, InvalidBuffersAndAddressesRaiseSocketErrors) {
  TkorvUDP udp;
  udp.SetRemotePort(7778);
  udp.SetRemoteHost("127.0.0.1");
  EXPECT_THROW(udp.SendBytes(QByteArray()), UDPSockError);

  int asked = 0;
  QObject::connect(&udp, &TNMUDP::OnBufferInvalid, [&](bool& handled, QByteArray& buffer) {
    ++asked;
    handled = true;
    if (asked == 2) buffer = "supplied";
  });
  FakeServer server([](const QByteArray&) { return QList<QByteArray>{}; });
  udp.SetRemotePort(server.Port());
  udp.SendBytes(QByteArray());
  EXPECT_EQ(asked, 2);
  QTest::qWait(20);
  EXPECT_EQ(server.Requests().value(0), "supplied");

  udp.SetRemoteHost("");
  try {
    udp.SendBytes("x");
    FAIL();
  } catch (const UDPSockError& e) {
    EXPECT_EQ(e.Message(), "Null Remote Address");
  }
}

TEST(UdpTransportTest, UnresolvableNameAsksOnceMoreThenGivesUp) {
  TkorvUDP udp;
  int lookups = 0, invalid = 0;
  udp.SetHostLookup([&](const QString&, QObject* context, THostLookupDone done) {
    ++lookups;
    QTimer::singleShot(1, context, [done] { done(QHostAddress(), "not found"); });
  });
  QObject::connect(&udp, &TNMUDP::OnInvalidHost, [&](bool&) { ++invalid; });
  udp.SetRemoteHost("nowhere.example");
  udp.SetRemotePort(7778);
  try {
    udp.SendBytes("x");
    FAIL();
  } catch (const UDPSockError& e) {
    EXPECT_EQ(e.Message(), "Host Lookup Canceled");
  }
  EXPECT_EQ(lookups, 2);
  EXPECT_EQ(invalid, 1);
}

TEST(UdpTransportTest, NamedHostIsResolvedBeforeSending) {
  FakeServer server([](const QByteArray&) { return QList<QByteArray>{"hi"}; });
  TkorvUDP udp;
  Replies replies;
  replies.Watch(udp);
  udp.SetRemoteHost("localhost");
  udp.SetRemotePort(server.Port());
  udp.SendBytes("q");
  EXPECT_TRUE(replies.WaitFor(1));
}

TEST(UdpTransportTest, ClosedSocketReopensOnSend) {
  FakeServer server([](const QByteArray&) { return QList<QByteArray>{"hi"}; });
  TkorvUDP udp;
  Replies replies;
  replies.Watch(udp);
  udp.CloseSocket();
  EXPECT_FALSE(udp.IsOpen());
  EXPECT_EQ(udp.SocketHandle(), 0);
  Pointed(udp, server.Port())->SendBytes("q");
  EXPECT_TRUE(replies.WaitFor(1));
}

// A datagram that reached the bound socket before its query went out is not the server's.
TEST(UdpTransportTest, DatagramsFromOtherSendersAreIgnored) {
  FakeServer server([](const QByteArray&) { return QList<QByteArray>{"real"}; });
  TkorvUDP udp;
  const int port = testing::ClosedPort();
  udp.SetLocalPort(port);
  QUdpSocket stranger;
  ASSERT_TRUE(stranger.bind(QHostAddress::LocalHost, 0));
  stranger.writeDatagram("spoofed", QHostAddress::LocalHost, quint16(port));
  QThread::msleep(20);
  Replies replies;
  replies.Watch(udp);
  Pointed(udp, server.Port())->SendBytes("q");
  ASSERT_TRUE(replies.WaitFor(1));
  QTest::qWait(20);
  EXPECT_EQ(replies.buffers, QList<QByteArray>{"real"});
}

// A reply handler may close the socket or destroy the transport while datagrams still wait.
TEST(UdpTransportTest, HandlersMayCloseOrDestroyTheTransportMidRead) {
  FakeServer server([](const QByteArray&) { return QList<QByteArray>{"1", "2", "3"}; });
  for (const bool destroy : {false, true}) {
    SCOPED_TRACE(destroy);
    auto udp = std::make_unique<TkorvUDP>();
    int seen = 0;
    QObject::connect(udp.get(), &TkorvUDP::OnReply, [&](TkorvUDP* sender, const QByteArray&, int) {
      ++seen;
      if (destroy)
        udp.reset();
      else
        sender->CloseSocket();
    });
    Pointed(*udp, server.Port())->SendBytes("q");
    QThread::msleep(20);  // all three wait in the socket
    for (int waited = 0; seen == 0 && waited < 2000; waited += 5) QTest::qWait(5);
    QTest::qWait(20);
    EXPECT_EQ(seen, 1);
    if (!destroy) {
      EXPECT_FALSE(udp->IsOpen());
    }
  }
}

// The owner's receiver hears each reply before OnReply; one that destroys the transport ends
// the delivery there, and a transport without a receiver only signals.
TEST(UdpTransportTest, TheReceiverHearsEachReplyFirstAndMayDestroyTheTransport) {
  FakeServer server([](const QByteArray&) { return QList<QByteArray>{"1", "2"}; });
  struct TReceiver : TReplyReceiver {
    std::unique_ptr<TkorvUDP> udp;
    QStringList heard;
    bool destroy = false;
    void TransportReply(TkorvUDP* transport, const QByteArray& buffer, int length) override {
      EXPECT_EQ(transport, udp.get());
      heard << QStringLiteral("receiver %1 %2").arg(QString::fromLatin1(buffer)).arg(length);
      if (destroy) udp.reset();
    }
  };
  for (const bool destroy : {false, true}) {
    SCOPED_TRACE(destroy);
    TReceiver receiver;
    receiver.destroy = destroy;
    receiver.udp = std::make_unique<TkorvUDP>();
    receiver.udp->SetReplyReceiver(&receiver);
    QObject::connect(receiver.udp.get(), &TkorvUDP::OnReply,
                     [&](TkorvUDP*, const QByteArray& b, int) {
                       receiver.heard << QStringLiteral("signal ") + QString::fromLatin1(b);
                     });
    Pointed(*receiver.udp, server.Port())->SendBytes("q");
    for (int waited = 0; receiver.heard.size() < (destroy ? 1 : 4) && waited < 2000; waited += 5)
      QTest::qWait(5);
    QTest::qWait(20);
    const QStringList expected =
        destroy ? QStringList{"receiver 1 1"}
                : QStringList{"receiver 1 1", "signal 1", "receiver 2 1", "signal 2"};
    EXPECT_EQ(receiver.heard, expected);
  }
  TReceiver receiver;
  receiver.udp = std::make_unique<TkorvUDP>();
  receiver.udp->SetReplyReceiver(&receiver);
  receiver.udp->SetReplyReceiver(nullptr);
  Replies replies;
  replies.Watch(*receiver.udp);
  Pointed(*receiver.udp, server.Port())->SendBytes("q");
  ASSERT_TRUE(replies.WaitFor(2));
  EXPECT_TRUE(receiver.heard.isEmpty());
}

// Replies queued together are all delivered, in order, by one wake-up.
TEST(UdpTransportTest, QueuedRepliesAreAllDeliveredInOrder) {
  FakeServer server([](const QByteArray&) { return QList<QByteArray>{"a", "b", "c", "d"}; });
  TkorvUDP udp;
  Replies replies;
  replies.Watch(udp);
  Pointed(udp, server.Port())->SendBytes("q");
  ASSERT_TRUE(replies.WaitFor(4));
  EXPECT_EQ(replies.buffers, (QList<QByteArray>{"a", "b", "c", "d"}));
  EXPECT_EQ(replies.lengths, (QList<int>{1, 1, 1, 1}));
}

}  // namespace
}  // namespace zorvane
