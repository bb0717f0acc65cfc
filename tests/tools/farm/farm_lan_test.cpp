// SPDX-License-Identifier: GPL-2.0-or-later
// The built zorvane-farm answers a LAN search: UT servers through their beacons, UT2004 servers
// through the LAN port.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <QUdpSocket>
#include <set>
#include <tuple>

#include "query/lan_search.h"
#include "support/farm_process.h"
#include "tools/farm/farm_replies.h"

namespace zorvane::farm {
namespace {

using testing::FarmProcess;
using TFound = std::tuple<QString, int, QString>;

constexpr int kUt = 14, kUt2004 = 4, kSeed = 77;
constexpr double kSilent = 0.2;

TEST(FarmLanTest, BeaconsTakeTheFreeBeaconPortsAndEveryUt2004ServerHearsTheLanPort) {
  // Ten beacon ports and the LAN port after them, one of the beacon ports held by someone else.
  const int beaconPort = testing::FreeUdpRun(11);
  ASSERT_NE(beaconPort, 0);
  QUdpSocket busy;
  ASSERT_TRUE(busy.bind(QHostAddress::LocalHost, quint16(beaconPort + 3), QUdpSocket::DontShareAddress));
  const int lanPort = beaconPort + 10;

  FarmProcess farm(kUt, kUt2004, kSeed,
                   {"--silent", QString::number(kSilent), "--beacon-port", QString::number(beaconPort),
                    "--lan-port", QString::number(lanPort)});
  ASSERT_TRUE(farm.Start()) << farm.Process().readAllStandardError().constData();
  QStringList ports;
  for (int i = 0; i < 10; ++i)
    if (i != 3) ports << QString::number(beaconPort + i);
  EXPECT_TRUE(farm.StartLine().contains("beacons on UDP " + ports.join(u',') + ", LAN port " +
                                        QString::number(lanPort)))
      << farm.StartLine().toStdString();

  // Nine beacon ports were free: the first nine UT servers that answer beacon.
  std::multiset<TFound> expected;
  for (int index = 0, beacons = 0; index < kUt && beacons < 9; ++index)
    if (!IsSilent(kSeed, index, kSilent)) {
      expected.insert({"127.0.0.1", farm.Base() + index, "UT"});
      ++beacons;
    }
  for (int index = kUt; index < kUt + kUt2004; ++index)
    if (!IsSilent(kSeed, index, kSilent)) expected.insert({"127.0.0.1", farm.Base() + index, "UT2004"});
  ASSERT_GT(expected.size(), 9u);

  TLanSearch search;
  search.Addresses = QStringLiteral("127.0.0.1");
  search.BeaconPort = beaconPort;
  search.LanServerPort = lanPort;
  search.WaitMs = 1000;
  std::multiset<TFound> found;
  QEventLoop loop;
  QObject::connect(&search, &TLanSearch::OnServerFound, &loop,
                   [&](const QString& address, int port, const QString& variant) {
                     found.insert({address, port, variant});
                   });
  QObject::connect(&search, &TLanSearch::OnSearchFinished, &loop, &QEventLoop::quit);
  ASSERT_TRUE(search.Start());
  loop.exec();
  EXPECT_EQ(found, expected);
  EXPECT_EQ(search.Dropped(), 0);
}

}  // namespace
}  // namespace zorvane::farm
