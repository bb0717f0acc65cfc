// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/server_stash.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "query/binary_protocol.h"
#include "query/udp_transport.h"
#include "support/binary_builder.h"
#include "support/descriptor_squeeze.h"
#include "support/fake_server.h"

namespace zorvane {
namespace {

using testing::BinaryBuilder;
using testing::FakeServer;

bool Add(TServerStash& stash, const QString& host, const QString& port, bool favorite = false,
         const QString& game = "UT") {
  return stash.AddServer(host, port, "", favorite, game, "True", "");
}

// Waits until the key has been reported count times.
bool WaitForUpdates(QSignalSpy& spy, int count, int ms = 3000) {
  for (int waited = 0; spy.count() < count && waited < ms; waited += 5) QTest::qWait(5);
  return spy.count() >= count;
}

TEST(ServerStashTest, AddingTheSameServerTwiceAndAsFavourite) {
  TServerStash stash;
  EXPECT_TRUE(Add(stash, "10.0.0.1", "7778"));
  EXPECT_FALSE(Add(stash, "10.0.0.1", "7778"));
  EXPECT_TRUE(Add(stash, "10.0.0.1", " 7778", true));
  EXPECT_FALSE(Add(stash, "10.0.0.1", "7778", true));
  ASSERT_EQ(stash.Count(), 1);
  EXPECT_TRUE(stash.Server(0)->Favorite);

  EXPECT_FALSE(stash.AddServer("10.0.0.1", "7778", "CTF", false, "UT", "True", ""));
  EXPECT_EQ(stash.Server(0)->GameTypeName(), "CTF");  // a given game type replaces the old one
  EXPECT_FALSE(stash.AddServer("10.0.0.1", "7778", "", false, "UT", "True", ""));
  EXPECT_EQ(stash.Server(0)->GameTypeName(), "CTF");
}

TEST(ServerStashTest, AListedServerMadeAFavouriteShowsWhatTheUserGaveUntilDropped) {
  TServerStash stash;
  ASSERT_TRUE(Add(stash, "10.0.0.1", "7778"));
  stash.Server(0)->SetDescription("Reported Name");  // as its replies left it
  ASSERT_TRUE(stash.AddServer("10.0.0.1", "7778", "", true, "UT", "False", "Typed"));
  const TServer* server = stash.Server(0);
  EXPECT_TRUE(server->Favorite);
  EXPECT_EQ(server->Description(), "Typed");
  EXPECT_EQ(server->AutoUpdateDescription(), "False");
  // Already a favourite: nothing changes.
  EXPECT_FALSE(stash.AddServer("10.0.0.1", "7778", "", true, "UT", "True", "Again"));
  EXPECT_EQ(server->Description(), "Typed");

  stash.DropFavorite(0);
  EXPECT_FALSE(server->Favorite);
  EXPECT_EQ(server->Description(), "Reported Name");
  EXPECT_EQ(server->AutoUpdateDescription(), "True");

  // A favourite moved to another address is another server: its old name is not given back.
  ASSERT_TRUE(stash.AddServer("10.0.0.1", "7778", "", true, "UT", "False", "Typed"));
  ASSERT_TRUE(stash.MoveServer(0, "10.0.0.2", 7778));
  ASSERT_TRUE(Add(stash, "10.0.0.1", "7778"));
  stash.DropFavorite(0);
  EXPECT_EQ(server->Description(), "Typed");
  EXPECT_EQ(server->AutoUpdateDescription(), "True");  // its replies name it from now on
}

TEST(ServerStashTest, NewRecordsTakeTheirFieldsFromTheArguments) {
  TServerStash stash;
  ASSERT_TRUE(stash.AddServer("10.0.0.2", "7778", "Onslaught", true, "UT2004", "False", "Mine"));
  const TServer* s = stash.Find("10.0.0.2:7778");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->IP(), "10.0.0.2");
  EXPECT_EQ(s->DNSName(), "");
  EXPECT_EQ(s->Port, 7778);
  EXPECT_EQ(s->QueryVersion, 128);
  EXPECT_EQ(s->Ping(), "9999");
  EXPECT_EQ(s->Description(), "Mine");
  EXPECT_EQ(s->AutoUpdateDescription(), "False");
  EXPECT_EQ(s->GameTypeName(), "Onslaught");
  EXPECT_TRUE(s->Favorite);
  EXPECT_FALSE(s->Online || s->ReplyComplete || s->Resolver);
  EXPECT_EQ(s->Transport, nullptr);  // no socket until its first query
  EXPECT_EQ(stash.IndexOf("10.0.0.2:7778"), 0);
}

TEST(ServerStashTest, PortsThatAreNotNumbersAreRefused) {
  TServerStash stash;
  QSignalSpy log(&stash, &TServerStash::OnLog);
  for (const char* port : {"", "77x8", "0", "65536", "-5"})
    EXPECT_FALSE(Add(stash, "10.0.0.1", QString::fromLatin1(port))) << port;
  EXPECT_EQ(stash.Count(), 0);
  EXPECT_EQ(log.count(), 5);
}

TEST(ServerStashTest, MovingAServerRekeysItInPlace) {
  TServerStash stash;
  stash.AddServer("127.0.0.1", "7778", {}, true, "UT", "True", "Flags");
  stash.AddServer("127.0.0.1", "7790", {}, false, "UT", "True", "Other");
  TServer* server = stash.Find("127.0.0.1:7778");
  server->SetMapName("CTF-Face");
  EXPECT_FALSE(stash.MoveServer(0, "127.0.0.1", 7790));  // another server's key
  EXPECT_FALSE(stash.MoveServer(0, "127.0.0.1", 70000));
  ASSERT_TRUE(stash.MoveServer(0, "127.0.0.2", 7781));
  EXPECT_FALSE(stash.Find("127.0.0.1:7778"));
  EXPECT_EQ(stash.Find("127.0.0.2:7781"), server);
  EXPECT_EQ(stash.IndexOf("127.0.0.2:7781"), 0);  // same place, same record
  EXPECT_EQ(server->IP(), "127.0.0.2");
  EXPECT_EQ(server->Port, 7781);
  EXPECT_TRUE(server->MapName().isEmpty());  // the old address's reply is gone
  EXPECT_EQ(server->Description(), "Flags");
}

TEST(ServerStashTest, KeysAreLookedUpIgnoringCase) {
  TServerStash stash;
  Add(stash, "Game.Example.COM", "7778");
  EXPECT_EQ(stash.IndexOf("game.example.com:7778"), 0);
  EXPECT_EQ(stash.Key(0), "Game.Example.COM:7778");
  EXPECT_EQ(stash.Server(0)->DNSName(), "Game.Example.COM");
  EXPECT_EQ(stash.Server(0)->IP(), "");
}

TEST(ServerStashTest, ClearKeepingFavouritesKeepsExactlyThemInOrder) {
  TServerStash stash;
  for (int i = 1; i <= 6; ++i) Add(stash, "10.0.0." + QString::number(i), "7778", i % 2 == 0);
  stash.ClearServers(true);
  ASSERT_EQ(stash.Count(), 3);
  EXPECT_EQ(stash.Key(0), "10.0.0.2:7778");
  EXPECT_EQ(stash.Key(1), "10.0.0.4:7778");
  EXPECT_EQ(stash.Key(2), "10.0.0.6:7778");
  EXPECT_EQ(stash.IndexOf("10.0.0.4:7778"), 1);
  EXPECT_EQ(stash.Find("10.0.0.1:7778"), nullptr);
  stash.DeleteServer(0);
  stash.DeleteServer(7);
  EXPECT_EQ(stash.IndexOf("10.0.0.6:7778"), 1);
  stash.ClearServers(false);
  EXPECT_EQ(stash.Count(), 0);
}

// After whole master lists: a game's servers none named go, favourites and other games stay.
TEST(ServerStashTest, ClearingAGameKeepsTheListedTheFavouritesAndOtherGames) {
  TServerStash stash;
  stash.AddServer("10.0.0.1", "7778", {}, false, "UT", "True", {});
  stash.AddServer("10.0.0.2", "7778", {}, true, "UT", "True", {});
  stash.AddServer("10.0.0.3", "7778", {}, false, "UT2004", "True", {});
  stash.AddServer("10.0.0.4", "7778", {}, false, "ut", "True", {});
  stash.AddServer("10.0.0.5", "7778", {}, false, "UT", "True", {});
  EXPECT_EQ(stash.ClearServersOfGameExcept("UT", {"10.0.0.4:7778"}), 2);
  QStringList keys;
  for (int i = 0; i < stash.Count(); ++i) keys << stash.Key(i);
  EXPECT_EQ(keys, (QStringList{"10.0.0.2:7778", "10.0.0.3:7778", "10.0.0.4:7778"}));
  EXPECT_EQ(stash.IndexOf("10.0.0.4:7778"), 2);
}

TEST(ServerStashTest, NormalizePingsScalesEveryPingByTheFirstOnesFactor) {
  TServerStash stash;
  const char* pings[] = {"9999", "...", "0", "2000", "1500", "abc", "9999", "30"};
  for (int i = 0; i < 8; ++i) {
    Add(stash, "10.0.1." + QString::number(i), "7778");
    stash.Server(i)->SetPing(QString::fromLatin1(pings[i]));
  }
  stash.NormalizePings("");
  const char* expected[] = {"9999", "...", "0", "140", "105", "abc", "9999", "2"};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(stash.Server(i)->Ping(), QLatin1String(expected[i])) << i;
}

TEST(ServerStashTest, NormalizePingsTable) {
  const struct {
    const char* first;
    const char* other;
    const char* scaledFirst;
    const char* scaledOther;
  } cases[] = {{"999", "5000", "999", "5000"},     // below the threshold: nothing changes
               {"1000", "500", "140", "70"},       // 0.14
               {"100000", "50000", "100", "50"},   // below the floor: back up by 0.001
               {"2000000000", "7", "2000000", "0"}};
  for (const auto& c : cases) {
    TServerStash stash;
    Add(stash, "10.0.2.1", "7778");
    Add(stash, "10.0.2.2", "7778");
    stash.Server(0)->SetPing(QString::fromLatin1(c.first));
    stash.Server(1)->SetPing(QString::fromLatin1(c.other));
    stash.NormalizePings("");
    EXPECT_EQ(stash.Server(0)->Ping(), QLatin1String(c.scaledFirst)) << c.first;
    EXPECT_EQ(stash.Server(1)->Ping(), QLatin1String(c.scaledOther)) << c.first;
  }
}

TEST(ServerStashTest, NormalizePingsOfOneGameTypeLeavesTheOthers) {
  TServerStash stash;
  Add(stash, "10.0.3.1", "7778");
  Add(stash, "10.0.3.2", "7778");
  Add(stash, "10.0.3.3", "7778");
  stash.Server(0)->SetPing("3000");
  stash.Server(1)->SetPing("2000");
  stash.Server(1)->SetGameType("CTFGame");
  stash.Server(2)->SetPing("1000");
  stash.Server(2)->SetGameType("ctfgame");
  stash.NormalizePings("CTFGame");
  EXPECT_EQ(stash.Server(0)->Ping(), "3000");
  EXPECT_EQ(stash.Server(1)->Ping(), "140");
  EXPECT_EQ(stash.Server(2)->Ping(), "70");
}

TEST(ServerStashTest, FindFunctionsStepThroughEveryMatch) {
  TServerStash stash;
  for (int i = 0; i < 3; ++i) Add(stash, "10.0.4." + QString::number(i), "7778");
  stash.Server(0)->SetPlayerText(31, TPlayerField::Name, u"BigBob");
  stash.Server(2)->SetPlayerText(0, TPlayerField::Name, u"bob");
  stash.Server(2)->SetPlayerText(4, TPlayerField::Name, u"Bobby");
  stash.Server(1)->SetDescription("Bob's CTF");
  stash.Server(2)->SetDescription("bob's ctf");
  stash.Server(1)->SetMapName("CTF-Face][");

  QList<std::pair<int, QString>> found;
  int serverIndex = -1, slot = -1;
  for (;;) {
    QString name = "BOB";
    const int at = stash.FindPlayerInStash(name, false, serverIndex, slot);
    if (at < 0) break;
    found.append({at, name});
  }
  EXPECT_EQ(found, (QList<std::pair<int, QString>>{{0, "BigBob"}, {2, "bob"}, {2, "Bobby"}}));
  EXPECT_EQ(serverIndex, -1);

  QString description = "BOB'S";
  int next = stash.FindServerByDescription(description, -1, false);
  EXPECT_EQ(next, 2);
  EXPECT_EQ(description, "Bob's CTF");
  description = "BOB'S";
  EXPECT_EQ(stash.FindServerByDescription(description, next, false), 3);
  description = "bob's ctf";
  EXPECT_EQ(stash.FindServerByDescription(description, 0, true), 2);
  EXPECT_EQ(stash.FindServerByDescription(description, 3, true), -1);

  QString map = "face";
  EXPECT_EQ(stash.FindServerByMap(map, 0, false), 2);
  EXPECT_EQ(map, "CTF-Face][");
  map = "ctf-face";
  EXPECT_EQ(stash.FindServerByMap(map, 0, true), -1);
}

TEST(ServerStashTest, TextReplyOverSeveralDatagramsCompletesTheServerOnce) {
  FakeServer fake([](const QByteArray& request) {
    EXPECT_EQ(request.size(), 296);
    return QList<QByteArray>{
        "\\hostname\\Fake\\mapname\\CTF-Face\\numplayers\\1\\gametype\\CTFGame",
        "\\player_0\\Bob\\team_0\\1",
        "\\timelimit\\20\\RemainingTime\\125\\final\\"};
  });
  TServerStash stash;
  QSignalSpy updated(&stash, &TServerStash::OnServerUpdated);
  QSignalSpy log(&stash, &TServerStash::OnLog);
  ASSERT_TRUE(Add(stash, "127.0.0.1", QString::number(fake.Port())));
  stash.QueryServer(fake.Key());
  ASSERT_TRUE(WaitForUpdates(updated, 1));
  QTest::qWait(30);
  ASSERT_EQ(updated.count(), 1);
  EXPECT_EQ(updated[0][0].toString(), fake.Key());
  const TServer* s = stash.Find(fake.Key());
  EXPECT_EQ(s->Description(), "Fake");
  EXPECT_EQ(s->Player(0).Team, "blue");
  EXPECT_EQ(s->RemainingTime(), "2");
  EXPECT_TRUE(s->ReplyComplete);
  EXPECT_TRUE(s->Online && s->CameOnline && s->Populated && s->BecamePopulated);
  EXPECT_NE(s->Ping(), "9999");
  EXPECT_EQ(log.count(), 4);
  EXPECT_EQ(s->Transport, nullptr);  // the whole reply is in: its socket is released

  // A second complete reply clears the one-shot flags.
  stash.QueryServer(fake.Key());
  ASSERT_TRUE(WaitForUpdates(updated, 2));
  EXPECT_TRUE(s->Online);
  EXPECT_FALSE(s->CameOnline);
  EXPECT_FALSE(s->BecamePopulated);
}

TEST(ServerStashTest, BinaryServerAnswersInfoThenRulesAndPlayers) {
  FakeServer fake([](const QByteArray& request) -> QList<QByteArray> {
    EXPECT_EQ(request.size(), 5);
    EXPECT_EQ(quint8(request[0]), 128);
    switch (request[4]) {
      case 0: return {BinaryBuilder::Info("UT2004 Box", "ONS-Torlan", "ONSOnslaughtGame", 2, 32)};
      case 1: return {BinaryBuilder(1).Str("AdminName").Str("Ann").Bytes(),
                      BinaryBuilder(1).Str("Mutator").Str("MutInstaGib").Bytes()};
      default: return {BinaryBuilder(2).Player("Ann", 576, 300, 0x20000000).Bytes()};
    }
  });
  TServerStash stash;
  QSignalSpy updated(&stash, &TServerStash::OnServerUpdated);
  ASSERT_TRUE(Add(stash, "127.0.0.1", QString::number(fake.Port()), false, "UT2004"));
  stash.QueryServer(fake.Key());
  ASSERT_TRUE(WaitForUpdates(updated, 4));
  QTest::qWait(30);
  EXPECT_EQ(updated.count(), 4);
  EXPECT_EQ(fake.Requests().size(), 3);
  const TServer* s = stash.Find(fake.Key());
  EXPECT_EQ(s->Description(), "UT2004 Box");
  EXPECT_EQ(s->GameType(), "ONSOnslaughtGame");
  EXPECT_EQ(s->Setting(1), (RSetting{"Mutator", "MutInstaGib"}));
  EXPECT_EQ(s->Player(0), (RPlayer{"Ann", "300", "576", "red", "", "", "", ""}));
  EXPECT_EQ(s->RepliesSeen, rpInfo | rpRules | rpPlayers);
  EXPECT_NE(s->Transport, nullptr);  // rules may come in more datagrams: kept until the wait ends
}

// A server that answers every request with an info reply must not turn one query into a
// flood: a query sends its three requests at most, and the next query three more.
TEST(ServerStashTest, OneQuerySendsAtMostThreeRequestsWhateverTheServerAnswers) {
  FakeServer fake([](const QByteArray&) -> QList<QByteArray> {
    return {BinaryBuilder::Info("Loud", "DM-Rankin", "xDeathMatch", 0, 16)};
  });
  TServerStash stash;
  ASSERT_TRUE(Add(stash, "127.0.0.1", QString::number(fake.Port()), false, "UT2004"));
  stash.QueryServer(fake.Key());
  QTest::qWait(150);
  EXPECT_EQ(fake.Requests().size(), 3);
  stash.QueryServer(fake.Key());
  QTest::qWait(150);
  EXPECT_EQ(fake.Requests().size(), 6);
}

TEST(ServerStashTest, RepliesAreReadOnlyWhenAskedForInThisQuery) {
  const QByteArray info = BinaryBuilder::Info("Box", "DM-Rankin", "xDeathMatch", 1, 8);
  const QByteArray rulesAB = BinaryBuilder(1).Str("a").Str("1").Str("b").Str("2").Bytes();
  const QByteArray rulesC = BinaryBuilder(1).Str("c").Str("3").Bytes();
  const QByteArray players = BinaryBuilder(2).Player("Ann", 5, 1, 0).Bytes();
  const struct {
    const char* name;
    const char* game;
    FakeServer::Reply reply;
    int queries;
    int requests;  // all the server received
    int updates;
    int settings;
  } cases[] = {
      // Each info reply would ask for rules and players again, each answered by info...
      {"info to every request", "UT2004",
       [&](const QByteArray&) { return QList<QByteArray>{info}; }, 1, 3, 1, 0},
      {"info twice to every request", "UT2004",
       [&](const QByteArray&) { return QList<QByteArray>{info, info}; }, 2, 6, 2, 0},
      {"details nobody asked for", "UT2004",
       [&](const QByteArray&) { return QList<QByteArray>{rulesAB, players}; }, 1, 1, 0, 0},
      // Split rules count while they add; repeats of rules and players add nothing.
      {"split and repeated details", "UT2004",
       [&](const QByteArray& request) {
         switch (request[4]) {
           case brInfo: return QList<QByteArray>{info};
           case brRules: return QList<QByteArray>{rulesAB, rulesC, rulesAB, info};
           default: return QList<QByteArray>{players, players};
         }
       },
       1, 3, 4, 3},
      {"text reply sent twice", "UT",
       [&](const QByteArray&) {
         return QList<QByteArray>{"\\mapname\\DM-Deck16\\final\\", "\\mapname\\DM-Other\\final\\"};
       },
       2, 2, 2, 0},
      {"text datagrams after the end", "UT",
       [&](const QByteArray&) {
         return QList<QByteArray>{"\\mapname\\DM-Deck16\\final\\", "\\numplayers\\3"};
       },
       1, 1, 1, 0},
  };
  for (const auto& c : cases) {
    FakeServer fake(c.reply);
    TServerStash stash;
    QSignalSpy updated(&stash, &TServerStash::OnServerUpdated);
    ASSERT_TRUE(Add(stash, "127.0.0.1", QString::number(fake.Port()), false, c.game));
    for (int q = 0; q < c.queries; ++q) {
      stash.QueryServer(fake.Key());
      QTest::qWait(150);
    }
    EXPECT_EQ(fake.Requests().size(), c.requests) << c.name;
    EXPECT_EQ(updated.count(), c.updates) << c.name;
    const TServer* s = stash.Find(fake.Key());
    EXPECT_EQ(s->SettingSlotsUsed(), c.settings) << c.name;
    if (QByteArrayView(c.game) == "UT") {
      EXPECT_EQ(s->MapName(), "DM-Deck16") << c.name;
      EXPECT_EQ(s->NumPlayers(), "") << c.name;
    }
  }
}

TEST(ServerStashTest, RefusedQueryCompletesWithoutComingOnlineAndReopensNextTime) {
  const int port = testing::ClosedPort();
  TServerStash stash;
  QSignalSpy updated(&stash, &TServerStash::OnServerUpdated);
  const QString key = "127.0.0.1:" + QString::number(port);
  Add(stash, "127.0.0.1", QString::number(port));
  TServer* s = stash.Find(key);
  s->Online = true;
  s->SetMapName("stale");
  stash.QueryServer(key);
  ASSERT_TRUE(WaitForUpdates(updated, 1));
  EXPECT_TRUE(s->ReplyComplete);
  EXPECT_FALSE(s->Online || s->CameOnline || s->Populated);
  EXPECT_EQ(s->Ping(), "9999");
  EXPECT_EQ(s->MapName(), "");
  EXPECT_FALSE(s->Transport->IsOpen());

  stash.QueryServer(key);  // a fresh transport, refused again
  EXPECT_TRUE(s->Transport->IsOpen());
  EXPECT_TRUE(WaitForUpdates(updated, 2));
}

TEST(ServerStashTest, ReleasedTransportIsRecreatedByTheNextQuery) {
  FakeServer fake([](const QByteArray&) { return QList<QByteArray>{"\\mapname\\DM-Morpheus\\final\\"}; });
  TServerStash stash;
  QSignalSpy updated(&stash, &TServerStash::OnServerUpdated);
  Add(stash, "127.0.0.1", QString::number(fake.Port()));
  stash.ReleaseTransport(0);
  stash.ReleaseTransport(0);  // twice is harmless
  EXPECT_EQ(stash.Server(0)->Transport, nullptr);
  stash.QueryServer(fake.Key());
  ASSERT_TRUE(WaitForUpdates(updated, 1));
  EXPECT_EQ(stash.Server(0)->MapName(), "DM-Morpheus");
  // Released from inside its own reply: the transport goes once the reply is handled.
  QObject::connect(&stash, &TServerStash::OnServerUpdated, [&] { stash.ReleaseTransport(0); });
  stash.QueryServer(fake.Key());
  ASSERT_TRUE(WaitForUpdates(updated, 2));
  QTest::qWait(10);
  EXPECT_EQ(stash.Server(0)->Transport, nullptr);
}

TEST(ServerStashTest, ServerAddedByNameIsQueriedOnceResolved) {
  FakeServer fake([](const QByteArray&) { return QList<QByteArray>{"\\mapname\\DM-Deck16\\final\\"}; });
  TServerStash stash;
  stash.SetHostLookup([](const QString& name, QObject* context, THostLookupDone done) {
    QTimer::singleShot(0, context, [=] {
      done(name == "fake.example" ? QHostAddress("127.0.0.1") : QHostAddress(), {});
    });
  });
  QSignalSpy updated(&stash, &TServerStash::OnServerUpdated);
  const QString key = "fake.example:" + QString::number(fake.Port());
  ASSERT_TRUE(Add(stash, "fake.example", QString::number(fake.Port())));
  ASSERT_TRUE(Add(stash, "nowhere.example", "7778"));
  // Not resolved yet: the query goes out once the address is known.
  EXPECT_EQ(stash.QueryServer(key), TQuerySent::AwaitingAddress);
  EXPECT_EQ(stash.QueryServer("nowhere.example:7778"), TQuerySent::AwaitingAddress);
  EXPECT_TRUE(fake.Requests().isEmpty());
  ASSERT_TRUE(WaitForUpdates(updated, 1));
  EXPECT_EQ(fake.Requests().size(), 1);
  EXPECT_EQ(stash.Find(key)->IP(), "127.0.0.1");
  EXPECT_EQ(stash.Find("nowhere.example:7778")->IP(), "");
  EXPECT_EQ(updated[0][0].toString(), key);  // the reply is keyed by the name
  EXPECT_EQ(stash.Find(key)->MapName(), "DM-Deck16");
  EXPECT_EQ(stash.QueryServer(key), TQuerySent::Sent);
  ASSERT_TRUE(WaitForUpdates(updated, 2));
  EXPECT_EQ(fake.Requests().size(), 2);
}

// Every look-up of a server's name counts until it is answered, also when its server has gone
// meanwhile: a process ending with one running must not wait for it.
TEST(ServerStashTest, LookupsRunningAreCountedUntilAnswered) {
  TServerStash stash;
  QList<THostLookupDone> pending;
  stash.SetHostLookup([&](const QString&, QObject*, THostLookupDone done) { pending << done; });
  Add(stash, "one.example", "7778");
  Add(stash, "two.example", "7778");
  Add(stash, "127.0.0.1", "7779");  // an address needs none
  EXPECT_EQ(stash.HostLookupsRunning(), 2);
  stash.DeleteServer(0);
  EXPECT_EQ(stash.HostLookupsRunning(), 2);  // its look-up still runs
  pending[0](QHostAddress("127.0.0.1"), {});
  EXPECT_EQ(stash.HostLookupsRunning(), 1);
  pending[1](QHostAddress("127.0.0.1"), {});
  EXPECT_EQ(stash.HostLookupsRunning(), 0);
  EXPECT_EQ(stash.Find("two.example:7778")->IP(), "127.0.0.1");
  // The masters' names are looked up through the stash and counted alike; an answer for a
  // requester gone is counted but dropped.
  int answered = 0;
  auto requester = std::make_unique<QObject>();
  stash.LookUpHost("master.example", requester.get(), [&](const QHostAddress&, const QString&) {
    ++answered;
  });
  EXPECT_EQ(stash.HostLookupsRunning(), 1);
  requester.reset();
  pending[2](QHostAddress("127.0.0.1"), {});
  EXPECT_EQ(stash.HostLookupsRunning(), 0);
  EXPECT_EQ(answered, 0);
}

TEST(ServerStashTest, QueryWaitingForAnAddressIsDroppedWithItsServerOrTheWaitsEnd) {
  FakeServer fake([](const QByteArray&) { return QList<QByteArray>{"\\final\\"}; });
  TServerStash stash;
  stash.SetHostLookup([](const QString&, QObject* context, THostLookupDone done) {
    QTimer::singleShot(20, context, [=] { done(QHostAddress("127.0.0.1"), {}); });
  });
  const QString port = QString::number(fake.Port());
  Add(stash, "gone.example", port);
  Add(stash, "released.example", port);
  stash.QueryServer("gone.example:" + port);
  stash.QueryServer("released.example:" + port);
  stash.DeleteServer(0);
  stash.ReleaseTransport(0);  // the reply wait ended first
  QTest::qWait(60);
  EXPECT_EQ(stash.Server(0)->IP(), "127.0.0.1");
  EXPECT_TRUE(fake.Requests().isEmpty());
}

// A low open-file limit: every server is kept (favourites too, so none is lost at the next
// save); those that get no socket are queried as released transports free some.
TEST(ServerStashTest, ServersBeyondTheOpenFileLimitStayAndWaitForASocket) {
  const int base = testing::ClosedPort();
  constexpr int kServers = 3 * TSharedUdpPorts::kDefaultGroup;
  TServerStash stash;
  int added = 0;
  for (int i = 0; i < kServers; ++i)
    added += Add(stash, "127.0.0.1", QString::number(base + i), true);
  // Two groups of servers are queried while descriptors are free, the rest once none is.
  std::vector<TQuerySent> results;
  for (int i = 0; i < 2 * TSharedUdpPorts::kDefaultGroup; ++i)
    results.push_back(stash.QueryServer(stash.Key(i)));
  testing::DescriptorSqueeze squeeze(0);
  for (int i = 2 * TSharedUdpPorts::kDefaultGroup; i < kServers; ++i)
    results.push_back(stash.QueryServer(stash.Key(i)));
  squeeze.Release();
  const auto firstMissing = std::find(results.begin(), results.end(), TQuerySent::NoSocket);
  const int sent = int(std::count(results.begin(), results.end(), TQuerySent::Sent));
  EXPECT_EQ(added, kServers);
  EXPECT_EQ(stash.Count(), kServers);
  ASSERT_NE(firstMissing, results.end());
  EXPECT_EQ(sent + std::count(results.begin(), results.end(), TQuerySent::NoSocket), kServers);
  const int waiting = int(firstMissing - results.begin());
  EXPECT_EQ(stash.Server(waiting)->Transport, nullptr);
  QTest::qWait(20);
  EXPECT_EQ(stash.Server(waiting)->Transport, nullptr);  // nothing was released yet
  for (int i = 0; i < 4; ++i) stash.ReleaseTransport(i);
  QTest::qWait(20);
  EXPECT_NE(stash.Server(waiting)->Transport, nullptr);  // queried once one was
}

TEST(ServerStashTest, AReplyFindsItsServerAfterOthersWentAndListenersFindItByKey) {
  FakeServer fake([](const QByteArray&) { return QList<QByteArray>{"\\hostname\\Fake\\final\\"}; });
  TServerStash stash;
  Add(stash, "127.0.0.1", "7000");
  Add(stash, "127.0.0.1", QString::number(fake.Port()));
  Add(stash, "127.0.0.1", "7001");
  Add(stash, "127.0.0.1", "7002");
  std::vector<int> found;  // IndexOf of the key reported, before and after the listener's delete
  QObject::connect(&stash, &TServerStash::OnServerUpdated, [&](const QString& key) {
    found.push_back(stash.IndexOf(key));
    if (stash.Find(key)->Description() == "Gone") stash.DeleteServer(found.back());
    found.push_back(stash.IndexOf(key));
  });
  stash.QueryServer(fake.Key());
  // The server queried as the second is now the first, and the second is another.
  stash.DeleteServer(0);
  QSignalSpy updated(&stash, &TServerStash::OnServerUpdated);
  ASSERT_TRUE(WaitForUpdates(updated, 1));
  EXPECT_EQ(found, (std::vector<int>{0, 0}));
  EXPECT_EQ(stash.Server(0)->Description(), "Fake");
  EXPECT_EQ(stash.Server(1)->Description(), "");

  // A listener that deletes the server reported: the key finds nothing afterwards.
  stash.Server(0)->SetDescription("Gone");
  stash.Server(0)->SetAutoUpdateDescription("False");
  found.clear();
  stash.QueryServer(fake.Key());
  ASSERT_TRUE(WaitForUpdates(updated, 2));
  EXPECT_EQ(found, (std::vector<int>{0, -1}));
  EXPECT_EQ(stash.Count(), 2);
}

TEST(ServerStashTest, HandlesNameOneServerAndAreNeverGivenAgain) {
  TServerStash stash;
  Add(stash, "127.0.0.1", "7000");
  Add(stash, "127.0.0.1", "7001");
  const quint32 first = stash.Handle(0), second = stash.Handle(1);
  EXPECT_NE(first, 0u);
  EXPECT_NE(first, second);
  EXPECT_EQ(stash.Handle(2), 0u);
  stash.DeleteServer(0);
  EXPECT_EQ(stash.Handle(0), second);
  Add(stash, "127.0.0.1", "7000");  // the same key again is another server
  EXPECT_NE(stash.Handle(1), first);
  EXPECT_NE(stash.Handle(1), second);
  const quint32 before = stash.Handle(0);
  ASSERT_TRUE(stash.MoveServer(0, "127.0.0.1", 7005));
  EXPECT_NE(stash.Handle(0), before);
}

TEST(ServerStashTest, RepliesForUnknownServersCloseTheirSocket) {
  FakeServer fake([](const QByteArray&) { return QList<QByteArray>{"\\final\\"}; });
  TServerStash stash;
  QSignalSpy updated(&stash, &TServerStash::OnServerUpdated);
  Add(stash, "127.0.0.1", QString::number(fake.Port()), false, "Quake");
  stash.QueryServer(fake.Key());  // no protocol for this variant: nothing is sent
  QTest::qWait(20);
  EXPECT_TRUE(fake.Requests().isEmpty());

  Add(stash, "127.0.0.1", QString::number(fake.Port() + 0), false);
  TServer* s = stash.Find(fake.Key());
  s->SetGame("UT");
  stash.QueryServer(fake.Key());
  stash.DeleteServer(0);  // the reply finds no record
  QTest::qWait(30);
  EXPECT_EQ(updated.count(), 0);
}

}  // namespace
}  // namespace zorvane
