// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/lan_discovery.h"

#include <gtest/gtest.h>

#include "support/binary_builder.h"

namespace zorvane {
namespace {

using testing::BinaryBuilder;

TEST(LanDiscoveryTest, BeaconAnswersNameAPortFrom1To65535AndNothingElse) {
  const struct {
    QByteArray answer;
    int port;  // 0: dropped
  } cases[] = {
      {"ut 7778", 7778},
      {"UT 7778", 7778},
      {"ut 1", 1},
      {"ut 65535", 65535},
      {"ut 07778", 7778},
      {"ut 7778\r\n", 7778},
      {QByteArray("ut 7778\0junk", 12), 7778},  // the games read up to the zero
      {"", 0},
      {"ut", 0},
      {"ut ", 0},
      {"ut 0", 0},
      {"ut 65536", 0},
      {"ut 99999", 0},
      {"ut 007778", 0},  // six digits
      {"ut -5", 0},
      {"ut +5", 0},
      {"ut  7778", 0},
      {"ut\t7778", 0},
      {"ut 7778x", 0},
      {"ut 77\n78", 0},
      {"ut\x1b 7778", 0},
      {"ut 7778\x1b[31m", 0},
      {"unreal 7777", 0},
      {"xut 7778", 0},
      {QByteArray("\0ut 7778", 8), 0},
      {"REPORTQUERY", 0},
  };
  for (const auto& c : cases) {
    const auto port = ParseBeaconAnswer(c.answer);
    EXPECT_EQ(port.value_or(0), c.port) << c.answer.toStdString();
  }
}

TEST(LanDiscoveryTest, InfoAnswersNeedTheirHeaderIdAddressAndPorts) {
  const QByteArray info = BinaryBuilder::Info("LAN Box", "DM-Rankin", "xDeathMatch", 3, 16);
  EXPECT_EQ(ParseLanInfoAnswer(info).value_or("none"), "UT2004");
  // The whole reply up to both ports is needed; every shorter cut is dropped.
  const qsizetype portsEnd = 4 + 1 + 4 + 2 + 4 + 4;  // the empty address: length 1, a zero
  for (qsizetype n = 0; n < portsEnd; ++n)
    EXPECT_FALSE(ParseLanInfoAnswer(info.first(n))) << n;
  EXPECT_TRUE(ParseLanInfoAnswer(info.first(portsEnd)));

  const struct {
    const char* version;  // four bytes
    const char* variant;
  } versions[] = {{"\x79\0\0\0", "UT2003"},      {"\x78\0\0\0", "UT2003 Demo"},
                  {"\x7f\0\0\0", "UT2004 Demo"}, {"\x80\0\0\0", "UT2004"},
                  {"\x05\0\0\0", "UT2004"},      {"\x80\0\0\x01", "UT2004"}};
  for (const auto& v : versions) {
    const QByteArray reply = QByteArray(v.version, 4) + info.sliced(4);
    EXPECT_EQ(ParseLanInfoAnswer(reply).value_or("none"), v.variant);
  }

  QByteArray rules = info;
  rules[4] = 1;
  EXPECT_FALSE(ParseLanInfoAnswer(rules));
  // An address length that runs past the end.
  const QByteArray overlong = BinaryBuilder(0).Int(1).Raw("\xF0" "1.2.3.4").Int(7777).Int(7778).Bytes();
  EXPECT_FALSE(ParseLanInfoAnswer(overlong));
  const QByteArray named = BinaryBuilder(0).Int(1).Str("10.0.0.5").Int(7777).Int(7778).Bytes();
  EXPECT_TRUE(ParseLanInfoAnswer(named));
  EXPECT_FALSE(ParseLanInfoAnswer("ut 7778 and more"));
}

TEST(LanDiscoveryTest, AddressesAreDottedIPv4SeparatedByCommasOrBlanks) {
  QStringList rejected;
  const QList<QHostAddress> addresses = ParseLanAddresses(
      u" 127.0.0.1, 192.168.1.255\t10.0.0.255,,127.0.0.1 127.0.0.l 1.2.3 256.1.1.1 0.0.0.0 "
      u"localhost ::1 1.2.3.4:5 255.255.255.255",
      &rejected);
  EXPECT_EQ(addresses, (QList<QHostAddress>{QHostAddress("127.0.0.1"), QHostAddress("192.168.1.255"),
                                            QHostAddress("10.0.0.255"),
                                            QHostAddress("255.255.255.255")}));
  EXPECT_EQ(rejected, (QStringList{"127.0.0.l", "1.2.3", "256.1.1.1", "0.0.0.0", "localhost", "::1",
                                   "1.2.3.4:5"}));
  rejected.clear();
  EXPECT_TRUE(ParseLanAddresses(u"  , ", &rejected).isEmpty());
  EXPECT_TRUE(rejected.isEmpty());
}

TEST(LanDiscoveryTest, DestinationsAreTenBeaconPortsAndTheLanPortPerAddress) {
  const QHostAddress a("127.0.0.1"), b("10.0.0.255");
  const auto all = LanDestinations({a, b}, 8777, 10777);
  ASSERT_EQ(all.size(), 22u);
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(all[std::size_t(i)], (TLanDestination{a, quint16(8777 + i), TLanProtocol::UtBeacon}));
  EXPECT_EQ(all[10], (TLanDestination{a, 10777, TLanProtocol::Ut2004Lan}));
  EXPECT_EQ(all[11].address, b);

  EXPECT_EQ(LanDestinations({a}, 0, 10777).size(), 1u);
  EXPECT_EQ(LanDestinations({a}, 8777, 0).size(), 10u);
  EXPECT_EQ(LanDestinations({a}, 65530, 0).size(), 6u);  // nothing past 65535
  EXPECT_TRUE(LanDestinations({}, 8777, 10777).empty());
}

}  // namespace
}  // namespace zorvane
