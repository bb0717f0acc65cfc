// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/kernel_stamps.h"
#include "query/udp_socket.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QThread>
#include <QUdpSocket>

#include "support/fake_server.h"

namespace zorvane {
namespace {

using Kind = TReceived::TKind;
constexpr quint32 kLoopback = 0x7F000001;

// A peer on 127.0.0.1 that the socket under test talks to.
struct Peer {
  QUdpSocket socket;
  Peer() { socket.bind(QHostAddress::LocalHost, 0); }
  quint16 Port() const { return socket.localPort(); }
  void SendTo(quint16 port, const QByteArray& bytes) {
    socket.writeDatagram(bytes, QHostAddress::LocalHost, port);
  }
};

// Polls without an event loop: the datagram has to cross the loopback first.
TReceived ReceiveSoon(TUdpSocket& socket, char* buffer, int size) {
  TReceived got;
  for (int i = 0; i < 200; ++i) {
    got = socket.Receive(buffer, size);
    if (got.kind != Kind::WouldBlock) break;
    QThread::msleep(5);
  }
  return got;
}

TEST(UdpSocketTest, EmptySocketWouldBlockInsteadOfWaiting) {
  TUdpSocket socket;
  ASSERT_EQ(socket.Open(), 0);
  ASSERT_EQ(socket.Bind(0), 0);
  char buffer[16];
  EXPECT_EQ(socket.Receive(buffer, sizeof buffer).kind, Kind::WouldBlock);
}

TEST(UdpSocketTest, DatagramsComeWithSenderAndStamp_LongOnesCutAndMarked) {
  const TKernelStampKeeper stamps;
  TUdpSocket socket;
  ASSERT_EQ(socket.Open(), 0);
  ASSERT_EQ(socket.Bind(0), 0);
  EXPECT_TRUE(socket.Stamped());
  Peer peer;
  struct Case {
    int length;
    int size;
    bool truncated;
  } cases[] = {{10, 10, false}, {64, 64, false}, {65, 64, true}, {3000, 64, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    peer.SendTo(socket.LocalPort(), QByteArray(c.length, 'x'));
    char buffer[64];
    const TReceived got = ReceiveSoon(socket, buffer, sizeof buffer);
    ASSERT_EQ(got.kind, Kind::Datagram);
    EXPECT_EQ(got.size, c.size);
    EXPECT_EQ(got.truncated, c.truncated);
    EXPECT_EQ(got.fromAddress, kLoopback);
    EXPECT_EQ(got.fromPort, peer.Port());
    EXPECT_GT(got.stamp, 0);
    // The cut datagram is gone whole: the next receive does not see its tail.
    EXPECT_EQ(socket.Receive(buffer, sizeof buffer).kind, Kind::WouldBlock);
  }
}

TEST(UdpSocketTest, ConnectedSocketHearsOnlyItsPeerAndLearnsOfRefusals) {
  TUdpSocket socket;
  ASSERT_EQ(socket.Open(), 0);
  ASSERT_EQ(socket.Bind(0), 0);
  Peer server, stranger;
  // Queued before the connect: still delivered, with its true sender for the caller to check.
  stranger.SendTo(socket.LocalPort(), "early");
  char buffer[64];
  ASSERT_EQ(socket.Connect(kLoopback, server.Port()), 0);
  TReceived got = ReceiveSoon(socket, buffer, sizeof buffer);
  ASSERT_EQ(got.kind, Kind::Datagram);
  EXPECT_EQ(got.fromPort, stranger.Port());
  // After the connect the kernel drops the stranger's datagrams.
  stranger.SendTo(socket.LocalPort(), "late");
  server.SendTo(socket.LocalPort(), "answer");
  got = ReceiveSoon(socket, buffer, sizeof buffer);
  ASSERT_EQ(got.kind, Kind::Datagram);
  EXPECT_EQ(QByteArray(buffer, got.size), "answer");
  QThread::msleep(20);
  EXPECT_EQ(socket.Receive(buffer, sizeof buffer).kind, Kind::WouldBlock);

  TUdpSocket refused;
  ASSERT_EQ(refused.Open(), 0);
  ASSERT_EQ(refused.Connect(kLoopback, quint16(testing::ClosedPort())), 0);
  ASSERT_EQ(refused.Send("q", 1), 0);
  got = ReceiveSoon(refused, buffer, sizeof buffer);
  EXPECT_EQ(got.kind, Kind::Refused);
  // The refusal is reported once.
  EXPECT_EQ(refused.Receive(buffer, sizeof buffer).kind, Kind::WouldBlock);
}

TEST(UdpSocketTest, ClosedSocketReportsNothingAndOpensAfresh) {
  TUdpSocket socket;
  EXPECT_FALSE(socket.IsOpen());
  EXPECT_EQ(socket.LocalPort(), 0);
  ASSERT_EQ(socket.Open(), 0);
  ASSERT_EQ(socket.Bind(0), 0);
  const int first = socket.Handle();
  EXPECT_NE(socket.LocalPort(), 0);
  ASSERT_EQ(socket.Open(), 0);  // the first one is closed, not leaked
  EXPECT_EQ(socket.Handle(), first);
  EXPECT_EQ(socket.LocalPort(), 0);
  socket.Close();
  EXPECT_FALSE(socket.IsOpen());
  EXPECT_FALSE(socket.Stamped());
}

}  // namespace
}  // namespace zorvane
