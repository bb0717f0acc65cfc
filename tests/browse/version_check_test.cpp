// SPDX-License-Identifier: GPL-2.0-or-later
// The version check: its request and reading rules, and whole exchanges against a web host
// on 127.0.0.1.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include "browse/version_check.h"
#include "support/web_host.h"

namespace zorvane {
namespace {

using testing::WebHost;

TEST(VersionCheckTextTest, HostSettingNamesHostPortAndHeader) {
  struct Case {
    const char* setting;
    bool ok;
    const char* name;
    quint16 port;
    const char* header;
  };
  const Case cases[] = {
      {"www.example.org", true, "www.example.org", 80, "www.example.org"},
      {" 127.0.0.1:8080 ", true, "127.0.0.1", 8080, "127.0.0.1:8080"},
      {"", false, "", 0, ""},
      {"   ", false, "", 0, ""},
      {"host:", false, "", 0, ""},
      {"host:0", false, "", 0, ""},
      {"host:70000", false, "", 0, ""},
      {"host:http", false, "", 0, ""},
      {":80", false, "", 0, ""},
  };
  for (const Case& c : cases) {
    const auto host = ParseVersionHost(c.setting);
    ASSERT_EQ(host.has_value(), c.ok) << c.setting;
    if (!host) continue;
    EXPECT_EQ(host->name, c.name);
    EXPECT_EQ(host->port, c.port);
    EXPECT_EQ(host->header, c.header);
  }
}

TEST(VersionCheckTextTest, RequestIsExactlyOneGetWithTheHostHeader) {
  EXPECT_EQ(VersionRequest("web.example:8080"),
            "GET /quorra.txt HTTP/1.1\r\nHost: web.example:8080\r\n\r\n");
}

TEST(VersionCheckTextTest, VersionIsUpToFourCharactersAfterTheKey) {
  const std::pair<const char*, const char*> cases[] = {
      {"HTTP/1.1 200 OK\r\n\r\nzorvaneversion=2.95\r\n", "2.95"},
      {"zorvaneversion=2.951234", "2.95"},
      {"xx zorvaneversion=2.9", "2.9"},
      {"zorvaneversion=", ""},
      {"ZorvaneVersion=3.00", ""},  // letter case must match
      {"zorvaneversion=2.92 zorvaneversion=3.00", "2.92"},
      {"", ""},
      // digits and dots only; a line end or blanks may end a shorter one
      {"zorvaneversion=3.0\r\n", "3.0"},
      {"zorvaneversion=3\n\n", "3"},
      {"zorvaneversion=3 \t\n", "3"},
      {"zorvaneversion=zzzz", ""},
      {"zorvaneversion=\xff\xfe", ""},
      {"zorvaneversion=2.9x", ""},
      {"zorvaneversion=3\r9", ""},
      {"zorvaneversion=-3.0", ""},
  };
  for (const auto& [reply, version] : cases) EXPECT_EQ(VersionInReply(reply), version) << reply;
}

struct Outcome {
  QStringList versions;
  bool ended = false;
};

Outcome Check(const QString& setting, int boundMs = 5000) {
  TVersionCheck check("2.91");
  check.SetBoundMs(boundMs);
  QSignalSpy newer(&check, &TVersionCheck::OnNewVersion);
  QSignalSpy ended(&check, &TVersionCheck::OnEnded);
  EXPECT_TRUE(check.StartVersionCheck(setting));
  EXPECT_TRUE(check.Running());
  ended.wait(boundMs + 2000);
  // Whatever else arrives afterwards is not read.
  QTest::qWait(300);
  Outcome outcome;
  for (const auto& args : newer) outcome.versions << args.at(0).toString();
  outcome.ended = ended.count() == 1;
  EXPECT_FALSE(check.Running());
  return outcome;
}

TEST(VersionCheckTest, ANewerVersionIsReportedAndTheRequestIsExact) {
  WebHost host({"HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\nzorvaneversion=2.95\n"});
  const Outcome outcome = Check(host.Setting());
  EXPECT_EQ(outcome.versions, QStringList{"2.95"});
  EXPECT_TRUE(outcome.ended);
  EXPECT_EQ(host.Request(), "GET /quorra.txt HTTP/1.1\r\nHost: " + host.Setting().toLatin1() +
                                "\r\n\r\n");
}

TEST(VersionCheckTest, SameOlderOrLongerVersionsAreNotReported) {
  for (const char* version : {"2.91", "2.9", "10.0"}) {
    WebHost host({QByteArray("HTTP/1.1 200 OK\r\n\r\nzorvaneversion=") + version});
    const Outcome outcome = Check(host.Setting());
    EXPECT_TRUE(outcome.versions.isEmpty()) << version;
    EXPECT_TRUE(outcome.ended) << version;
  }
}

TEST(VersionCheckTest, OnlyTheFirstReadCounts) {
  WebHost host({"HTTP/1.1 200 OK\r\n\r\n", "zorvaneversion=2.95"});
  const Outcome outcome = Check(host.Setting());
  EXPECT_TRUE(outcome.versions.isEmpty());
  EXPECT_TRUE(outcome.ended);
}

TEST(VersionCheckTest, ASilentHostEndsAtTheBound) {
  WebHost host({});
  QElapsedTimer clock;
  clock.start();
  const Outcome outcome = Check(host.Setting(), 300);
  EXPECT_GE(clock.elapsed(), 290);
  EXPECT_TRUE(outcome.versions.isEmpty());
  EXPECT_TRUE(outcome.ended);
}

TEST(VersionCheckTest, ARefusedConnectionEndsSilently) {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  const QString setting = "127.0.0.1:" + QString::number(probe.serverPort());
  probe.close();
  const Outcome outcome = Check(setting);
  EXPECT_TRUE(outcome.versions.isEmpty());
  EXPECT_TRUE(outcome.ended);
}

TEST(VersionCheckTest, ClosingByHandEndsARunningCheck) {
  WebHost host({});
  TVersionCheck check("2.91");
  EXPECT_FALSE(check.StartVersionCheck(""));  // no host, no check
  QSignalSpy ended(&check, &TVersionCheck::OnEnded);
  ASSERT_TRUE(check.StartVersionCheck(host.Setting()));
  QTest::qWait(100);
  check.CloseVersionCheck();
  EXPECT_FALSE(check.Running());
  EXPECT_EQ(ended.count(), 1);
}

}  // namespace
}  // namespace zorvane
