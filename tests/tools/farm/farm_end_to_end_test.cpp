// SPDX-License-Identifier: GPL-2.0-or-later
// Starts the built zorvane-farm and queries it like the program does: master list first, then
// every server.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>
#include <memory>
#include <random>
#include <vector>

#include "query/master_exchange.h"
#include "query/server_record.h"
#include "query/server_stash.h"
#include "tools/farm/farm_replies.h"
#include "support/farm_process.h"

namespace zorvane::farm {
namespace {

using testing::FarmProcess;

constexpr int kUt = 20, kUt2004 = 5, kSeed = 4242;
constexpr int kGuardMs = 20000;

bool Done(const TServer& server) {
  if (server.Game() == "UT") return server.RepliesSeen & rpTextFinal;
  return server.RepliesSeen == (rpInfo | rpRules | rpPlayers);
}

bool AllDone(const TServerStash& stash) {
  for (int i = 0; i < stash.Count(); ++i)
    if (!Done(*stash.Server(i))) return false;
  return true;
}

QString EntryKeyText(const TMasterEntry& entry) {
  return QString::fromLatin1(entry.address) + ':' + QString::number(entry.port);
}

int PlayersInUse(const TServer& server) {
  int n = 0;
  for (int i = 0; i < kPlayerSlots; ++i) n += server.PlayerInUse(i);
  return n;
}

TEST(FarmEndToEndTest, MasterListsTheUtServersAndEveryServerAnswers) {
  FarmProcess farm(kUt, kUt2004, kSeed);
  ASSERT_TRUE(farm.Start()) << farm.Process().readAllStandardError().constData();
  EXPECT_TRUE(farm.StartLine().contains("20 UT servers")) << farm.StartLine().toStdString();

  TServerStash stash;
  stash.SetHostLookup([](const QString&, QObject*, THostLookupDone) {});
  TMasterExchange exchange(*MasterGameOfVariant(u"UT"), {"127.0.0.1", farm.MasterPort()},
                           {5000, 10000}, {});
  TMasterOutcome outcome;
  std::vector<TMasterEntry> entries;
  QEventLoop listing;
  QObject::connect(&exchange, &TMasterExchange::OnFinished,
                   [&](const TMasterOutcome& o, const std::vector<TMasterEntry>& e) {
                     outcome = o;
                     entries = e;
                     listing.quit();
                   });
  QTimer::singleShot(kGuardMs, &listing, &QEventLoop::quit);
  exchange.Start();
  listing.exec();
  ASSERT_EQ(outcome.result, TMasterResult::Listed) << outcome.text.toStdString();
  ASSERT_EQ(int(entries.size()), kUt);
  for (int i = 0; i < kUt; ++i) {
    EXPECT_EQ(EntryKeyText(entries[i]), "127.0.0.1:" + QString::number(farm.Base() + i));
    ASSERT_TRUE(stash.AddServer(QString::fromLatin1(entries[i].address),
                                QString::number(entries[i].port), "", false, "UT", "True", ""));
  }
  for (int j = 0; j < kUt2004; ++j)
    ASSERT_TRUE(stash.AddServer("127.0.0.1", QString::number(farm.Base() + kUt + j), "", false,
                                "UT2004", "True", ""));

  QEventLoop loop;
  QTimer::singleShot(kGuardMs, &loop, &QEventLoop::quit);
  QObject::connect(&stash, &TServerStash::OnServerUpdated, &loop, [&] {
    if (AllDone(stash)) loop.quit();
  });
  for (int i = 0; i < stash.Count(); ++i) stash.QueryServer(stash.Key(i));
  if (!AllDone(stash)) loop.exec();

  for (int i = 0; i < stash.Count(); ++i) {
    const TServer& server = *stash.Server(i);
    ASSERT_TRUE(Done(server)) << stash.Key(i).toStdString();
    const TFarmServer generated =
        GenerateServer(kSeed, i, i < kUt ? TFarmGame::UT : TFarmGame::UT2004, server.Port);
    EXPECT_EQ(server.Description(), QString::fromLatin1(generated.name));
    EXPECT_EQ(PlayersInUse(server), int(generated.players.size())) << i;
  }
}

TEST(FarmEndToEndTest, MasterClosesOnAWrongValidationAndStopsOnSigterm) {
  FarmProcess farm(kUt, kUt2004, kSeed);
  ASSERT_TRUE(farm.Start()) << farm.Process().readAllStandardError().constData();

  QTcpSocket client;
  client.connectToHost(QHostAddress::LocalHost, farm.MasterPort());
  ASSERT_TRUE(client.waitForConnected(kGuardMs));
  ASSERT_TRUE(client.waitForReadyRead(kGuardMs));
  const QByteArray greeting = client.readAll();
  EXPECT_TRUE(QRegularExpression(R"(^\\basic\\\\secure\\[A-Za-z]{6}$)")
                  .match(QString::fromLatin1(greeting))
                  .hasMatch())
      << greeting.constData();

  client.write(
      "\\gamename\\ut\\location\\0\\validate\\AAAAAAAA\\final\\"
      "\\list\\\\gamename\\ut\\gametype\\\\final\\");
  ASSERT_TRUE(client.waitForBytesWritten(kGuardMs));
  QByteArray answer;
  while (client.state() == QAbstractSocket::ConnectedState && client.waitForReadyRead(kGuardMs))
    answer += client.readAll();
  answer += client.readAll();
  EXPECT_EQ(client.state(), QAbstractSocket::UnconnectedState);
  EXPECT_FALSE(answer.contains("\\ip\\")) << answer.constData();

  farm.Process().terminate();
  ASSERT_TRUE(farm.Process().waitForFinished(kGuardMs));
  EXPECT_EQ(farm.Process().exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(farm.Process().exitCode(), 0);
}

}  // namespace
}  // namespace zorvane::farm
