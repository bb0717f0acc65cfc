#include "query/binary_protocol.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "query/server_record.h"
#include "support/binary_builder.h"
#include "support/captures.h"

namespace zorvane {
namespace {

using testing::BinaryBuilder;

TEST(BinaryProtocolTest, RequestsCarryTheVersionByteAndType) {
  EXPECT_EQ(BinaryRequest(128, brInfo), QByteArray("\x80\0\0\0\0", 5));
  EXPECT_EQ(BinaryRequest(121, brPlayers), QByteArray("\x79\0\0\0\x02", 5));
}

TEST(BinaryProtocolTest, InfoReplyResetsFillsAndAsksForDetails) {
  TServer server;
  server.SetAutoUpdateDescription("True");
  server.SetPlayerText(0, TPlayerField::Name, u"stale");
  server.Online = true;
  const auto result =
      ParseBinaryReply(server, BinaryBuilder::Info("Server", "DM-Rankin", "xDeathMatch", 7, 16), 33);
  EXPECT_TRUE(result.complete);
  EXPECT_TRUE(result.requestDetails);
  EXPECT_EQ(server.Description(), "Server");
  EXPECT_EQ(server.MapName(), "DM-Rankin");
  EXPECT_EQ(server.GameType(), "xDeathMatch");
  EXPECT_EQ(server.NumPlayers(), "7");
  EXPECT_EQ(server.MaxPlayers(), "16");
  EXPECT_EQ(server.Ping(), "33");
  EXPECT_FALSE(server.PlayerInUse(0));
  EXPECT_TRUE(server.Online);  // flags survive the reset
}

TEST(BinaryProtocolTest, InfoReplyIsCompleteOnlyWithTheFixedFields) {
  const QByteArray full = BinaryBuilder::Info("Server", "DM-Rankin", "xDeathMatch", 7, 16);
  // header 4, type 1, id 4, address 2 (an empty string with its zero), two ports 8: 19 bytes
  for (int length = 0; length <= full.size(); ++length) {
    TServer server;
    server.SetAutoUpdateDescription("True");
    const auto result = ParseBinaryReply(server, QByteArrayView(full).first(length), 1);
    EXPECT_EQ(result.complete, length >= 19) << length;
    EXPECT_EQ(server.MapName().isEmpty(), length < 19 + 8 + 11) << length;
  }
}

TEST(BinaryProtocolTest, RulesGoToFreeSlotsWithoutRepeats) {
  TServer server;
  const QByteArray reply = BinaryBuilder(1)
                               .Str("Mutator").Str("MutA")
                               .Str("Mutator").Str("MutB")
                               .Str("").Str("")
                               .Str("mutator").Str("muta")
                               .Str("AdminName").Str("")
                               .Bytes();
  EXPECT_TRUE(ParseBinaryReply(server, reply, 1).complete);
  ParseBinaryReply(server, reply, 1);  // the same datagram again adds nothing
  EXPECT_EQ(server.SettingSlotsUsed(), 3);
  EXPECT_EQ(server.Setting(0), (RSetting{"Mutator", "MutA"}));
  EXPECT_EQ(server.Setting(1), (RSetting{"Mutator", "MutB"}));
  EXPECT_EQ(server.Setting(2), (RSetting{"AdminName", ""}));
  EXPECT_TRUE(server.RepliesSeen & rpRules);
}

TEST(BinaryProtocolTest, RulesStopAtTwoHundredSettings) {
  TServer server;
  BinaryBuilder reply(1);
  for (int i = 0; i < 250; ++i) reply.Str("k" + QByteArray::number(i)).Str("v");
  ParseBinaryReply(server, reply.Bytes(), 1);
  EXPECT_EQ(server.FirstFreeSetting(), -1);
  EXPECT_EQ(server.Setting(199).Name, "k199");
}

TEST(BinaryProtocolTest, PlayersReadWholeSignedPingAndScore) {
  const struct {
    qint32 ping, score;
    quint32 team;
    const char* pingText;
    const char* frags;
    const char* colour;
  } cases[] = {{576, 300, 0x20000000, "576", "300", "red"},
               {64, -5, 0x40000000, "64", "-5", "blue"},
               {0, 7, 0x00000040, "0", "7", ""},
               {1200, -212, 0x60000000, "1200", "-212", ""}};
  for (const auto& c : cases) {
    TServer server;
    ParseBinaryReply(server, BinaryBuilder(2).Player("Bob", c.ping, c.score, c.team).Bytes(), 1);
    EXPECT_EQ(server.Player(0).Ping, QLatin1String(c.pingText));
    EXPECT_EQ(server.Player(0).Frags, QLatin1String(c.frags));
    EXPECT_EQ(server.Player(0).Team, QLatin1String(c.colour));
  }
}

TEST(BinaryProtocolTest, PlayersSkipEmptyDuplicateAndTeamScoreEntries) {
  TServer server;
  const QByteArray reply = BinaryBuilder(2)
                               .Player("Red Team Score", 0, 3, 0)
                               .Player("Ann", 50, 1, 0)
                               .Player("", 1, 1, 0)
                               .Player("ANN", 60, 2, 0)
                               .Player("xBlue Team Scorex", 0, 0, 0)
                               .Player("Ben", 70, 4, 0)
                               .Bytes();
  EXPECT_TRUE(ParseBinaryReply(server, reply, 1).complete);
  EXPECT_EQ(server.Player(0).Name, "Ann");
  EXPECT_EQ(server.Player(0).Ping, "50");
  EXPECT_EQ(server.Player(1).Name, "Ben");
  EXPECT_EQ(server.Player(1).Frags, "4");
  EXPECT_FALSE(server.PlayerInUse(2));
}

TEST(BinaryProtocolTest, PlayersStopAtThirtyTwo) {
  TServer server;
  BinaryBuilder reply(2);
  for (int i = 0; i < 40; ++i) reply.Player("p" + QByteArray::number(i), i, i, 0);
  ParseBinaryReply(server, reply.Bytes(), 1);
  EXPECT_EQ(server.Player(31).Name, "p31");
}

TEST(BinaryProtocolTest, LengthBytesAreNeverTrusted) {
  TServer server;
  // A name claiming 200 bytes in a short datagram, and a rule value running past the end.
  EXPECT_TRUE(ParseBinaryReply(server, BinaryBuilder(2).Int(1).Raw("\xc8" "abc").Bytes(), 1).complete);
  EXPECT_FALSE(server.PlayerInUse(0));
  ParseBinaryReply(server, BinaryBuilder(1).Str("key").Raw("\x10" "short").Bytes(), 1);
  EXPECT_TRUE(server.SettingFree(0));
  EXPECT_FALSE(ParseBinaryReply(server, QByteArray("\x80\0\0", 3), 1).complete);
  EXPECT_FALSE(ParseBinaryReply(server, BinaryBuilder(9).Bytes(), 1).complete);
}

TEST(BinaryProtocolTest, CapturedUT2004RepliesParse) {
  TServer server;
  server.SetAutoUpdateDescription("True");
  const QList<QByteArray> datagrams = testing::LoadCapture("ut2004-1_response.txt");
  ASSERT_EQ(datagrams.size(), 5);
  for (const QByteArray& d : datagrams) EXPECT_TRUE(ParseBinaryReply(server, d, 20).complete);
  EXPECT_EQ(server.Description(), QString::fromLatin1("\x1b\xf8@@Old Dudes/Dames \x1b@@\xf8Sniper - "
                                                      "\x1b\xf8\xf8@Campers Only"));
  EXPECT_EQ(server.MapName(), QString::fromLatin1("\x1b\xf8\xf8@DM-Bathroom-SniperHeaven-2K9"
                                                  "[Digital_Demonz_Edit]"));
  EXPECT_EQ(server.GameType(), "xDeathMatch");
  EXPECT_EQ(server.NumPlayers(), "7");
  EXPECT_EQ(server.MaxPlayers(), "30");
  EXPECT_EQ(server.Setting(0), (RSetting{"ServerMode", "dedicated"}));
  EXPECT_EQ(server.Setting(1), (RSetting{"AdminName", "Galileo & Humble_Bob"}));
  int mutators = 0;
  for (int i = 0; i < server.SettingSlotsUsed(); ++i)
    mutators += server.Setting(i).Name.compare("mutator", Qt::CaseInsensitive) == 0;
  EXPECT_GT(mutators, 15);
  EXPECT_EQ(server.Player(0), (RPlayer{"Math-Teacher", "1", "152", "", "", "", "", ""}));
  EXPECT_EQ(server.Player(3).Name, "Spidey");
  EXPECT_EQ(server.Player(3).Ping, "576");  // 40 02 00 00
  EXPECT_EQ(server.Player(6).Name, "{Wtf}Roland");
  EXPECT_FALSE(server.PlayerInUse(7));

  TServer other;
  for (const QByteArray& d : testing::LoadCapture("ut2004-2_response.txt"))
    EXPECT_TRUE(ParseBinaryReply(other, d, 20).complete);
  EXPECT_FALSE(other.MapName().isEmpty());
  EXPECT_GT(other.SettingSlotsUsed(), 0);
}

TEST(BinaryProtocolTest, JunkAndTruncatedRepliesNeverFault) {
  QList<QByteArray> captured = testing::LoadCapture("ut2004-1_response.txt");
  captured += testing::LoadCapture("ut2004-2_response.txt");
  QRandomGenerator random(99);
  for (int round = 0; round < 3000; ++round) {
    QByteArray d = captured[round % captured.size()];
    d.truncate(random.bounded(d.size() + 1));
    for (int flips = random.bounded(6); flips > 0 && d.size() > 5; --flips)
      d[5 + random.bounded(d.size() - 5)] = char(random.bounded(256));
    TServer server;
    ParseBinaryReply(server, d, 1);
  }
  SUCCEED();
}

}  // namespace
}  // namespace zorvane
