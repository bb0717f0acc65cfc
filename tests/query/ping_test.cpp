// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/ping.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace zorvane {
namespace {

// A resolver that knows one name and counts its look-ups.
struct FakeLookup {
  int lookups = 0;
  THostLookup Function() {
    return [this](const QString& name, QObject* context, THostLookupDone done) {
      ++lookups;
      QTimer::singleShot(0, context, [name, done] {
        if (name == "game.example")
          done(QHostAddress("127.0.0.7"), QString());
        else
          done(QHostAddress(), "Host not found");
      });
    };
  }
};

TEST(PingTest, ErrorStringTable) {
  EXPECT_EQ(IcmpErrorString(0), "No error");
  EXPECT_EQ(IcmpErrorString(11010), "Request timed out");
  EXPECT_EQ(IcmpErrorString(11018), "Bad Destination");
  EXPECT_EQ(IcmpErrorString(11255), "Pending");
  EXPECT_EQ(IcmpErrorString(11022), "ICMP error #11022");
}

TEST(PingTest, DottedAddressNeedsNoLookup) {
  FakeLookup lookup;
  TkorvPing ping;
  ping.Icmp().SetHostLookup(lookup.Function());
  ping.Tag = "10.1.2.3:7778";
  ping.SetAddress("10.1.2.3");
  QSignalSpy resolved(&ping, &TkorvPing::OnResolved);
  ping.Ping();
  EXPECT_EQ(resolved.count(), 0);  // never inside the call
  ASSERT_TRUE(resolved.wait(1000));
  EXPECT_EQ(resolved[0][0].toString(), "10.1.2.3:7778");
  EXPECT_EQ(resolved[0][1].toString(), "10.1.2.3");
  EXPECT_EQ(lookup.lookups, 0);
  EXPECT_EQ(ping.Timeout(), 1000);
}

TEST(PingTest, NameResolvesOnceUntilTheAddressChanges) {
  FakeLookup lookup;
  TkorvPing ping;
  ping.Icmp().SetHostLookup(lookup.Function());
  ping.SetAddress("game.example");
  QSignalSpy resolved(&ping, &TkorvPing::OnResolved);
  ping.Ping();
  ASSERT_TRUE(resolved.wait(1000));
  ping.SetAddress("game.example");
  ping.Ping();
  QTest::qWait(20);
  ASSERT_EQ(resolved.count(), 2);
  EXPECT_EQ(resolved[1][1].toString(), "127.0.0.7");
  EXPECT_EQ(lookup.lookups, 1);
  ping.SetAddress("other.example");
  EXPECT_FALSE(ping.Icmp().Resolved());
}

TEST(PingTest, UnresolvableNameReportsAndNeverResolves) {
  FakeLookup lookup;
  TkorvPing ping;
  ping.Icmp().SetHostLookup(lookup.Function());
  ping.SetAddress("nowhere.example");
  QSignalSpy resolved(&ping, &TkorvPing::OnResolved);
  QSignalSpy display(&ping, &TPing::OnDisplay);
  ping.Ping();
  QTest::qWait(20);
  EXPECT_EQ(resolved.count(), 0);
  ASSERT_EQ(display.count(), 1);
  EXPECT_EQ(display[0][0].toString(), "Unable to resolve nowhere.example");
}

TEST(PingTest, SystemLookupResolvesLocalhost) {
  TkorvPing ping;
  ping.SetAddress("localhost");
  QSignalSpy resolved(&ping, &TkorvPing::OnResolved);
  ping.Ping();
  ASSERT_TRUE(resolved.wait(5000));
  EXPECT_EQ(resolved[0][1].toString(), "127.0.0.1");
}

}  // namespace
}  // namespace zorvane
