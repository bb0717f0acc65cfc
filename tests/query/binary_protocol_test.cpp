// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/binary_protocol.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "clean_record.h"
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

TEST(BinaryProtocolTest, ControlCharactersFromTheServerAreNotStoredButColourCodesAre) {
  const QByteArray colour("\x1b\x0a\x0d\xff", 4);  // colour bytes may look like line ends
  TServer server;
  server.SetAutoUpdateDescription("True");
  ParseBinaryReply(server, BinaryBuilder::Info("Evil\r\nserverCount=0", colour + "DM-X\x1b",
                                               "xDM\t", 1, 2), 1);
  EXPECT_EQ(server.Description(), "Evil  serverCount=0");
  EXPECT_EQ(server.MapName(), QString::fromLatin1(colour + "DM-X "));
  EXPECT_EQ(server.GameType(), "xDM ");

  ParseBinaryReply(server, BinaryBuilder(1)
                               .Str("Admin\nName").Str("Ann\r")
                               .Str("Admin Name").Str("Ann ")  // the same once cleaned
                               .Str("motd").Raw(QByteArray("\x04" "a\0b\0", 5))
                               .Bytes(), 1);
  EXPECT_EQ(server.SettingSlotsUsed(), 2);
  EXPECT_EQ(server.Setting(0), (RSetting{"Admin Name", "Ann "}));
  EXPECT_EQ(server.Setting(1), (RSetting{"motd", "a b"}));

  ParseBinaryReply(server, BinaryBuilder(2)
                               .Player(colour + "Bob\x7f", 10, 1, 0)
                               .Player(colour + "BOB ", 10, 1, 0)  // the same once cleaned
                               .Player("\x1b\x01", 10, 1, 0)
                               .Bytes(), 1);
  EXPECT_EQ(server.Player(0).Name, QString::fromLatin1(colour + "Bob "));
  EXPECT_EQ(server.Player(1).Name, "  ");
  EXPECT_FALSE(server.PlayerInUse(2));
  EXPECT_TRUE(testing::HoldsOnlyCleanTexts(server));
}

TEST(BinaryProtocolTest, AddedCountsWhatRulesAndPlayersStored) {
  TServer server;
  const QByteArray rules = BinaryBuilder(1).Str("a").Str("1").Str("b").Str("2").Bytes();
  EXPECT_EQ(ParseBinaryReply(server, rules, 1).added, 2);
  EXPECT_EQ(ParseBinaryReply(server, rules, 1).added, 0);
  const QByteArray players = BinaryBuilder(2).Player("Ann", 1, 1, 0).Bytes();
  EXPECT_EQ(ParseBinaryReply(server, players, 1).added, 1);
  EXPECT_EQ(ParseBinaryReply(server, players, 1).added, 0);
  EXPECT_EQ(BinaryReplyType(rules), 1);
  EXPECT_EQ(BinaryReplyType(QByteArray("\x80\0\0\0", 4)), -1);
}

TEST(BinaryProtocolTest, EveryCutOfTheCapturedRepliesStaysInBounds) {
  QList<QByteArray> captured = testing::LoadCapture("ut2004-1_response.txt");
  captured += testing::LoadCapture("ut2004-2_response.txt");
  ASSERT_GE(captured.size(), 6);
  for (const QByteArray& datagram : captured) {
    bool wasComplete = false;
    for (qsizetype length = 0; length <= datagram.size(); ++length) {
      const QByteArray cut = datagram.first(length);  // exactly the cut, nothing after it
      TServer server;
      server.SetAutoUpdateDescription("True");
      const auto result = ParseBinaryReply(server, cut, 1);
      // Complete from the cut that holds the fixed fields on; rules and players at once.
      ASSERT_TRUE(!wasComplete || result.complete) << length;
      if (length <= 4) {
        ASSERT_FALSE(result.complete);
      } else if (cut[4] != 0) {
        ASSERT_TRUE(result.complete) << length;
      }
      wasComplete = result.complete;
      ASSERT_TRUE(testing::HoldsOnlyCleanTexts(server)) << length;
    }
    EXPECT_TRUE(wasComplete);
  }
}

TEST(BinaryProtocolTest, StringsWithControlBytesAtEveryPlace) {
  const QByteArray pair = "Admin\x1b\x01\x02Name";
  for (const int type : {0, 1, 2}) {
    for (const char control : {'\0', '\r', '\n', '\x1b', '\x7f'}) {
      for (qsizetype at = 0; at <= pair.size(); ++at) {
        QByteArray text = pair;
        text.insert(at, control);
        const QByteArray reply =
            type == 0   ? BinaryBuilder::Info(text, text, text, 1, 2)
            : type == 1 ? BinaryBuilder(1).Str(text).Str(text).Bytes()
                        : BinaryBuilder(2).Player(text, 1, 2, 0).Bytes();
        TServer server;
        server.SetAutoUpdateDescription("True");
        ParseBinaryReply(server, reply, 1);
        ASSERT_TRUE(testing::HoldsOnlyCleanTexts(server)) << int(type) << " " << at;
      }
    }
  }
}

TEST(BinaryProtocolTest, RandomBytesNeverFault) {
  QRandomGenerator random(4242);
  for (int round = 0; round < 5000; ++round) {
    QByteArray d(random.bounded(300), '\0');
    for (char& c : d) c = char(random.bounded(256));
    if (d.size() > 4) d[4] = char(random.bounded(3));  // mostly known types
    TServer server;
    server.SetAutoUpdateDescription("True");
    ParseBinaryReply(server, d, 1);
    ASSERT_TRUE(testing::HoldsOnlyCleanTexts(server)) << round;
  }
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
    server.SetAutoUpdateDescription("True");
    ParseBinaryReply(server, d, 1);
    ASSERT_TRUE(testing::HoldsOnlyCleanTexts(server)) << round;
  }
}

}  // namespace
}  // namespace zorvane
