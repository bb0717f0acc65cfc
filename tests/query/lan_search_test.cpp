// SPDX-License-Identifier: GPL-2.0-or-later
// The LAN search against fake beacons and UT2004 servers on 127.0.0.1.
#include "query/lan_search.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QUdpSocket>
#include <functional>
#include <memory>
#include <set>
#include <tuple>

#include "support/binary_builder.h"
#include "support/free_ports.h"

namespace zorvane {
namespace {

using testing::BinaryBuilder;
using Sockets = std::vector<std::unique_ptr<QUdpSocket>>;

// count sockets on consecutive free loopback ports, as a host's beacons would have.
Sockets BindRun(int count) {
  Sockets run;
  const int base = testing::FreeUdpRun(count);
  for (int i = 0; base && i < count; ++i) {
    run.push_back(std::make_unique<QUdpSocket>());
    if (!run.back()->bind(QHostAddress::LocalHost, quint16(base + i), QUdpSocket::DontShareAddress))
      return {};
  }
  return run;
}

std::unique_ptr<QUdpSocket> AnySocket() {
  auto socket = std::make_unique<QUdpSocket>();
  socket->bind(QHostAddress::LocalHost, 0);
  return socket;
}

// Calls answer for every datagram socket receives, with the sender to answer to.
using TAnswer = std::function<void(const QByteArray& request, const QHostAddress& from, quint16 port)>;
void Answer(QUdpSocket& socket, TAnswer answer, QByteArrayList* requests = nullptr) {
  QObject::connect(&socket, &QUdpSocket::readyRead, &socket, [&socket, answer, requests] {
    while (socket.hasPendingDatagrams()) {
      QByteArray request(int(socket.pendingDatagramSize()), '\0');
      QHostAddress from;
      quint16 port = 0;
      socket.readDatagram(request.data(), request.size(), &from, &port);
      if (requests) requests->append(request);
      answer(request, from, port);
    }
  });
}

// Sends each datagram from its socket to one target, a batch per turn of the event loop as a
// busy network would, so the receiving socket's buffer never overflows. Counts into sent.
using TOutgoing = std::vector<std::pair<QUdpSocket*, QByteArray>>;
void SendInBatches(TOutgoing datagrams, QHostAddress to, quint16 port, int* sent) {
  QUdpSocket* first = datagrams.front().first;
  auto* timer = new QTimer(first);  // owned by the socket, stopped once all are out
  QObject::connect(timer, &QTimer::timeout, first, [timer, datagrams, to, port, sent] {
    for (int n = 0; n < 50 && *sent < int(datagrams.size()); ++n, ++*sent)
      datagrams[std::size_t(*sent)].first->writeDatagram(datagrams[std::size_t(*sent)].second, to,
                                                          port);
    if (*sent == int(datagrams.size())) timer->stop();
  });
  timer->start(0);
}

using TFound = std::tuple<QString, int, QString>;

// Runs one search to its end and gathers what it reported.
struct TSearchRun {
  std::multiset<TFound> found;
  int finished = 0;
  qint64 elapsedMs = 0;

  explicit TSearchRun(TLanSearch& search) {
    QObject::connect(&search, &TLanSearch::OnServerFound, &search,
                     [this](const QString& address, int port, const QString& variant) {
                       found.insert({address, port, variant});
                     });
    QObject::connect(&search, &TLanSearch::OnSearchFinished, &search, [this] { ++finished; });
  }
  void Run(TLanSearch& search) {
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(search.Start());
    QEventLoop loop;
    QObject::connect(&search, &TLanSearch::OnSearchFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    if (search.Running()) loop.exec();
    elapsedMs = clock.elapsed();
  }
};

TLanSearch& LocalSearch(TLanSearch& search, const Sockets& beacons, int lanPort, int waitMs) {
  search.Addresses = QStringLiteral("127.0.0.1");
  search.BeaconPort = beacons.empty() ? 0 : beacons.front()->localPort();
  search.LanServerPort = lanPort;
  search.WaitMs = waitMs;
  return search;
}

TFound Ut(int port) { return {"127.0.0.1", port, "UT"}; }

TEST(LanSearchTest, EachServerIsFoundOnceAtItsAnswersSource) {
  Sockets beacons = BindRun(10);
  ASSERT_EQ(beacons.size(), 10u);
  std::unique_ptr<QUdpSocket> lan = AnySocket(), query1 = AnySocket(), query2 = AnySocket();
  std::vector<QByteArrayList> requests(11);
  const auto says = [&](int beacon, QByteArray text) {
    Answer(*beacons[std::size_t(beacon)], [&, beacon, text](const QByteArray&, const QHostAddress& from,
                                                    quint16 port) {
      beacons[std::size_t(beacon)]->writeDatagram(text, from, port);
    }, &requests[std::size_t(beacon)]);
  };
  says(0, "ut 7001");
  says(1, "ut 7002");
  says(2, "ut 7001");  // a second beacon naming the first one's server
  says(5, "UT 7005\r\n");
  for (int silent : {3, 4, 6, 7, 8, 9})
    Answer(*beacons[std::size_t(silent)], [](auto&&...) {}, &requests[std::size_t(silent)]);
  // UT2004 servers answer from their query ports; the address inside the reply is no one's.
  Answer(*lan, [&](const QByteArray&, const QHostAddress& from, quint16 port) {
    const QByteArray info = BinaryBuilder(0).Int(1).Str("10.9.9.9").Int(1).Int(2).Str("A").Bytes();
    query1->writeDatagram(info, from, port);
    query1->writeDatagram(info, from, port);  // heard twice
    query2->writeDatagram(QByteArray("\x79\0\0\0", 4) + info.sliced(4), from, port);
  }, &requests[10]);

  TLanSearch search;
  TSearchRun run(search);
  run.Run(LocalSearch(search, beacons, lan->localPort(), 300));

  EXPECT_EQ(run.found, (std::multiset<TFound>{Ut(7001), Ut(7002), Ut(7005),
                                              {"127.0.0.1", query1->localPort(), "UT2004"},
                                              {"127.0.0.1", query2->localPort(), "UT2003"}}));
  EXPECT_EQ(run.finished, 1);
  EXPECT_EQ(search.Found(), 5);
  EXPECT_EQ(search.Dropped(), 1);  // the repeat from query1
  for (int i = 0; i < 10; ++i) EXPECT_EQ(requests[std::size_t(i)], QByteArrayList{"REPORTQUERY"}) << i;
  EXPECT_EQ(requests[10], QByteArrayList{LanInfoRequest()});
}

TEST(LanSearchTest, HostileAnswersChangeNothingButTheirOwnServer) {
  Sockets beacons = BindRun(10);
  ASSERT_EQ(beacons.size(), 10u);
  QByteArrayList flood = {"ut 0", "ut 70000", "ut abc", "ut\x01 7778", "ut 7778\x1b[31m",
                          "ut 4000"};
  for (int i = 0; i < 10000; ++i) flood << "ut " + QByteArray::number(5000 + i % 50000);
  int sent = 0;
  Answer(*beacons[0], [&](const QByteArray&, const QHostAddress& from, quint16 port) {
    TOutgoing out;
    for (const QByteArray& datagram : flood) out.push_back({beacons[0].get(), datagram});
    SendInBatches(out, from, port, &sent);
  });
  Answer(*beacons[1], [&](const QByteArray&, const QHostAddress& from, quint16 port) {
    beacons[1]->writeDatagram("ut 4001", from, port);
  });

  TLanSearch search;
  TSearchRun run(search);
  run.Run(LocalSearch(search, beacons, 0, 1500));

  ASSERT_EQ(sent, flood.size());
  EXPECT_EQ(run.found, (std::multiset<TFound>{Ut(4000), Ut(4001)}));
  EXPECT_EQ(search.Dropped(), 5 + 10000);
  EXPECT_EQ(run.finished, 1);
}

TEST(LanSearchTest, OneSearchReportsAtMost200ServersAndEndsThere) {
  Sockets beacons = BindRun(10);
  ASSERT_EQ(beacons.size(), 10u);
  Sockets crowd;
  for (int i = 0; i < 250; ++i) crowd.push_back(AnySocket());
  int sent = 0;
  Answer(*beacons[0], [&](const QByteArray&, const QHostAddress& from, quint16 port) {
    TOutgoing out;
    for (std::size_t i = 0; i < crowd.size(); ++i)
      out.push_back({crowd[i].get(), "ut " + QByteArray::number(6000 + int(i))});
    SendInBatches(out, from, port, &sent);
  });

  TLanSearch search;
  TSearchRun run(search);
  run.Run(LocalSearch(search, beacons, 0, 8000));

  EXPECT_EQ(run.found.size(), 200u);
  EXPECT_EQ(search.Found(), 200);
  EXPECT_EQ(run.finished, 1);
  EXPECT_LT(run.elapsedMs, 6000);  // ended by the cap, not the wait
  EXPECT_FALSE(search.Running());
}

TEST(LanSearchTest, GivenAddressesAreTheOnlyOnesAsked) {
  struct TSent {
    QHostAddress to;
    quint16 port;
    QByteArray datagram;
  };
  const QHostAddress lanBroadcast("10.9.8.255");  // never really sent to
  const struct {
    const char* addresses;
    int datagrams;
    bool interfacesAsked;
  } cases[] = {
      {"127.0.0.1", 11, false},
      {" 127.0.0.1 , 127.0.0.1 ", 11, false},
      {"127.0.0.l", 0, false},  // a typo asks no one, not every interface
      {"", 11, true},
  };
  for (const auto& c : cases) {
    std::vector<TSent> sent;
    int interfaceLists = 0;
    bool broadcastAllowed = false;
    TLanSearch search;
    search.Addresses = QString::fromLatin1(c.addresses);
    search.BeaconPort = 8777;
    search.LanServerPort = 10777;
    search.WaitMs = 50;
    search.SetInterfaceList([&] {
      ++interfaceLists;
      return QList<QHostAddress>{lanBroadcast};
    });
    search.SetSend([&](QUdpSocket& socket, const QByteArray& datagram, const QHostAddress& to,
                       quint16 port) {
      int yes = 0;
      socklen_t size = sizeof yes;
      ::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_BROADCAST, &yes, &size);
      broadcastAllowed = yes != 0;
      sent.push_back({to, port, datagram});
      return true;  // recorded only: nothing leaves this machine
    });
    TSearchRun run(search);
    run.Run(search);

    SCOPED_TRACE(c.addresses);
    EXPECT_EQ(interfaceLists, c.interfacesAsked ? 1 : 0);
    ASSERT_EQ(int(sent.size()), c.datagrams);
    const QHostAddress expected = c.interfacesAsked ? lanBroadcast : QHostAddress("127.0.0.1");
    for (std::size_t i = 0; i < sent.size(); ++i) {
      EXPECT_EQ(sent[i].to, expected);
      EXPECT_EQ(int(sent[i].port), i < 10 ? 8777 + int(i) : 10777);
      EXPECT_EQ(sent[i].datagram, i < 10 ? BeaconQuery() : LanInfoRequest());
    }
    EXPECT_TRUE(sent.empty() || broadcastAllowed);
    EXPECT_EQ(run.finished, 1);
  }
}

TEST(LanSearchTest, LateAnswersAreNotHeardAndStopOrRestartEndTheSearchOnce) {
  Sockets beacons = BindRun(10);
  ASSERT_EQ(beacons.size(), 10u);
  Answer(*beacons[0], [&](const QByteArray&, const QHostAddress& from, quint16 port) {
    QTimer::singleShot(400, beacons[0].get(),
                       [&, from, port] { beacons[0]->writeDatagram("ut 7001", from, port); });
  });
  TLanSearch search;
  TSearchRun run(search);
  run.Run(LocalSearch(search, beacons, 0, 100));
  QEventLoop settle;
  QTimer::singleShot(600, &settle, &QEventLoop::quit);
  settle.exec();
  EXPECT_TRUE(run.found.empty());
  EXPECT_EQ(run.finished, 1);

  search.WaitMs = 60000;
  ASSERT_TRUE(search.Start());
  ASSERT_TRUE(search.Start());  // ends the first
  EXPECT_EQ(run.finished, 2);
  search.Stop();
  EXPECT_EQ(run.finished, 3);
  EXPECT_FALSE(search.Running());
  search.Stop();
  EXPECT_EQ(run.finished, 3);

  // A window that searches again as soon as one search ends gets one search at a time.
  ASSERT_TRUE(search.Start());
  int restarts = 0;
  const auto again = QObject::connect(&search, &TLanSearch::OnSearchFinished, &search, [&] {
    if (restarts++ == 0) search.Start();
  });
  ASSERT_TRUE(search.Start());
  QObject::disconnect(again);
  EXPECT_TRUE(search.Running());
  int open = 0;  // ended searches' sockets are closed, waiting to be deleted
  for (const QUdpSocket* socket : search.findChildren<QUdpSocket*>())
    open += socket->state() == QAbstractSocket::BoundState;
  EXPECT_EQ(open, 1);
  search.Stop();
}

}  // namespace
}  // namespace zorvane
