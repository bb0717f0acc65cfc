// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/text_protocol.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <vector>

#include "clean_record.h"
#include "query/server_record.h"
#include "support/captures.h"

namespace zorvane {
namespace {

// Feeds datagrams the way the stash does, with one transport mark across them.
class TextReplyTest : public ::testing::Test {
 protected:
  bool Feed(const QByteArray& datagram, int ping = 42) {
    return ParseTextDatagram(server, datagram, mark, ping,
                             [this](int, const QString& line) { log.append(line); });
  }
  TServer server;
  int mark = 0;
  QStringList log;
};

TEST_F(TextReplyTest, StatusQueryIs296BytesWithZeroPadding) {
  const QByteArray query = TextStatusQuery();
  ASSERT_EQ(query.size(), 296);
  EXPECT_TRUE(query.startsWith("\\status\\\\game_property\\bUseTranslocator\\"));
  EXPECT_EQ(query.indexOf('\0'), 265);
  EXPECT_EQ(query.count('\0'), 31);
  EXPECT_TRUE(query.left(265).endsWith("\\game_property\\RemainingTime\\"));
}

TEST_F(TextReplyTest, ReplySplitOverThreeDatagramsResetsOnceAndCompletesAtFinal) {
  server.SetAutoUpdateDescription("True");
  server.SetPlayerText(3, TPlayerField::Name, u"from an older reply");
  EXPECT_FALSE(Feed("\\hostname\\My Server\\mapname\\CTF-Face\\listenserver\\False"
                    "\\player_3\\Carol\\team_3\\0"));
  EXPECT_FALSE(Feed("\\numplayers\\4\\player_0\\Ann\\ping_0\\ 80\\team_0\\1", 55));
  EXPECT_TRUE(Feed("\\player_1\\Ben\\timelimit\\20\\RemainingTime\\125\\final\\", 60));

  EXPECT_EQ(log.count("---------------------------"), 1);
  EXPECT_EQ(log.size(), 4);  // the separator and the three datagrams
  EXPECT_EQ(mark, 0);
  EXPECT_EQ(server.Description(), "My Server");
  EXPECT_EQ(server.MapName(), "CTF-Face");
  EXPECT_EQ(server.NumPlayers(), "4");
  EXPECT_EQ(server.ListenServer(), "dedicated");  // absent from later datagrams: kept
  EXPECT_EQ(server.Player(3).Name, "Carol");      // from the first datagram, not the old reply
  EXPECT_EQ(server.Player(3).Team, "red");
  EXPECT_EQ(server.Player(0).Team, "blue");
  EXPECT_EQ(server.Player(0).Ping, " 80");  // values between backslashes are kept as sent
  EXPECT_EQ(server.Player(1).Name, "Ben");
  EXPECT_EQ(server.RemainingTime(), "2");
  EXPECT_EQ(server.Ping(), "60");
  EXPECT_TRUE(server.RepliesSeen & rpTextFinal);

  // The next reply starts from empty slots.
  EXPECT_TRUE(Feed("\\player_0\\Zed\\final\\"));
  EXPECT_FALSE(server.PlayerInUse(3));
  EXPECT_EQ(server.MapName(), "");
}

TEST_F(TextReplyTest, HostnameOnlyReplacesDescriptionWhenAutoUpdating) {
  server.SetAutoUpdateDescription("False");
  server.SetDescription("Typed by the user");
  Feed("\\hostname\\Reported\\final\\");
  EXPECT_EQ(server.Description(), "Typed by the user");
  server.SetAutoUpdateDescription("true");
  Feed("\\hostname\\Reported\\final\\");
  EXPECT_EQ(server.Description(), "Reported");
}

TEST_F(TextReplyTest, OnlyKeyPositionsCountAndTheFirstOccurrenceWins) {
  Feed("\\hostname\\mapname\\mapname\\DM-Deck16\\gamever\\451\\gamever\\436"
       "\\player_0\\final\\frags_0\\3\\final\\");
  EXPECT_EQ(server.MapName(), "DM-Deck16");
  EXPECT_EQ(server.GameVer(), "451");
  EXPECT_EQ(server.Player(0).Name, "final");
  EXPECT_EQ(server.Player(0).Frags, "3");
  EXPECT_EQ(mark, 0);
}

TEST_F(TextReplyTest, ValueThatLooksLikeFinalDoesNotEndTheReply) {
  EXPECT_FALSE(Feed("\\mapname\\final\\gametype\\DeathMatchPlus"));
  EXPECT_EQ(server.MapName(), "final");
  EXPECT_EQ(server.GameType(), "DeathMatchPlus");
  EXPECT_EQ(mark, 1);
}

TEST_F(TextReplyTest, ConversionsOfTheStatusValues) {
  Feed("\\location\\7\\mutators\\Relic: Speed, Relic2b: Vengeance\\listenserver\\True"
       "\\team_4\\255\\final\\");
  EXPECT_EQ(server.Location(), "Continental Europe");
  EXPECT_EQ(server.Mutators(), "Speed, Vengeance");
  EXPECT_EQ(server.ListenServer(), "non-dedicated");
  EXPECT_EQ(server.Player(4).Team, "");
}

TEST_F(TextReplyTest, RemainingTimeBecomesWholeMinutesOnlyWithATimeLimit) {
  const struct {
    const char* timeLimit;
    const char* remaining;
    const char* minutes;
  } cases[] = {{"20", "125", "2"},  {"20", "59", "0"},  {"0", "125", ""},  {"-1", "125", ""},
               {"", "125", ""},     {"20", "", ""},     {"x", "125", ""},  {"20", "1e3", ""},
               {"20", "-120", ""},  {"20", "-30", "0"}};
  for (const auto& c : cases) {
    TServer s;
    int m = 0;
    const QByteArray datagram = QByteArray("\\timelimit\\") + c.timeLimit +
                                "\\RemainingTime\\" + c.remaining + "\\final\\";
    ParseTextDatagram(s, datagram, m, 1, {});
    EXPECT_EQ(s.RemainingTime(), QLatin1String(c.minutes)) << c.timeLimit << " " << c.remaining;
  }
}

// The values may come in any datagram of a reply; a new reply starts without the last one's.
TEST_F(TextReplyTest, RemainingTimeTakesTheValuesOfEveryDatagramOfItsReplyAlone) {
  const struct {
    std::vector<const char*> datagrams;
    const char* minutes;
  } cases[] = {
      {{"\\timelimit\\20", "\\RemainingTime\\125", "\\final\\"}, "2"},
      {{"\\RemainingTime\\600\\timelimit\\20", "\\mapname\\A\\final\\"}, "10"},
      {{"\\timelimit\\20\\RemainingTime\\125", "\\timelimit\\0\\final\\"}, ""},
      // The last reply's time limit is gone with it.
      {{"\\timelimit\\20\\RemainingTime\\60\\final\\", "\\RemainingTime\\125\\final\\"}, ""},
      {{"\\timelimit\\20\\RemainingTime\\60\\final\\", "\\timelimit\\5\\final\\"}, ""},
  };
  for (const auto& c : cases) {
    TServer s;
    int m = 0;
    for (const char* datagram : c.datagrams) ParseTextDatagram(s, datagram, m, 1, {});
    EXPECT_EQ(s.RemainingTime(), QLatin1String(c.minutes)) << c.datagrams.front();
    EXPECT_EQ(s.Ping(), "1");
  }
}

TEST_F(TextReplyTest, PlayerKeysNeedAPlainSlotNumberBelow32) {
  Feed("\\player_31\\Last\\player_32\\Nope\\player_01\\Padded\\player_\\None\\player_x\\X"
       "\\final\\");
  EXPECT_EQ(server.Player(31).Name, "Last");
  for (int i = 0; i < 31; ++i) EXPECT_FALSE(server.PlayerInUse(i)) << i;
}

// Keys count only whole and exact: near misses of a key's length or first byte are no keys.
TEST_F(TextReplyTest, NearMissKeysAreIgnored) {
  Feed("\\Mapname\\A\\mapnamf\\B\\mapnam\\C\\mapnamee\\D\\\\E\\pong_3\\F\\Ping_3\\G"
       "\\fragz_3\\H\\playe_3\\I\\nGsecret_3\\J\\_3\\K\\maxplayers\\16\\final\\");
  EXPECT_EQ(server.MapName(), "");
  EXPECT_FALSE(server.PlayerInUse(3));
  EXPECT_EQ(server.MaxPlayers(), "16");
}

TEST_F(TextReplyTest, LastValueIsTrimmedOfBlanksAndControls) {
  Feed("\\final\\\\mapname\\ CTF-Face \r\n");
  EXPECT_EQ(server.MapName(), "CTF-Face");
}

TEST_F(TextReplyTest, CapturedRepliesParseIntoTheRecord) {
  for (const char* name : {"ut-1_response.txt", "ut-2_response.txt", "ut-3_response.txt"}) {
    const QList<QByteArray> datagrams = testing::LoadCapture(QString::fromLatin1(name));
    ASSERT_FALSE(datagrams.isEmpty()) << name;
    TServer s;
    s.SetAutoUpdateDescription("True");
    int m = 0;
    for (int i = 0; i < datagrams.size(); ++i)
      EXPECT_EQ(ParseTextDatagram(s, datagrams[i], m, 10, {}), i == datagrams.size() - 1) << name;
    EXPECT_EQ(s.GameVer(), "451") << name;
    EXPECT_EQ(s.ListenServer(), "dedicated") << name;
    EXPECT_EQ(s.Location(), "No Region Specified") << name;
  }

  TServer s;
  s.SetAutoUpdateDescription("True");
  int m = 0;
  for (const QByteArray& d : testing::LoadCapture("ut-1_response.txt"))
    ParseTextDatagram(s, d, m, 10, {});
  EXPECT_TRUE(s.Description().startsWith("zp|    [=======]    [PURE]"));
  EXPECT_EQ(s.MapName(), "CTF-w00tabulousFixed");
  EXPECT_EQ(s.GameType(), "ACLCTFGame");
  EXPECT_EQ(s.NumPlayers(), "11");
  EXPECT_EQ(s.MaxPlayers(), "13");
  EXPECT_EQ(s.AdminEMail(), "admin@unrealkillers.com");
  EXPECT_EQ(s.Mutators(), "SmartCTF 4E, Rextended CTF v2-4, XC Enhanced spectator");
  EXPECT_EQ(s.RemainingTime(), "");  // the server does not send it
  EXPECT_EQ(s.PlayerBalanceTeams(), "True");  // sent as "playersbalanceteams"
  int named = 0;
  for (int i = 0; i < kPlayerSlots; ++i) named += s.PlayerInUse(i);
  EXPECT_EQ(named, 11);
  EXPECT_EQ(s.Player(0), (RPlayer{"akatotosh<3", "1", " 152", "blue", "Female Commando",
                                  "FCommandoSkins.cmdo", "FCommandoSkins.Ivana", "true"}));
  EXPECT_EQ(s.Player(2).Team, "");  // 255: spectator
  EXPECT_EQ(s.Player(2).Face, "");
  EXPECT_EQ(s.Player(10).Name, "KindBud");
}

TEST_F(TextReplyTest, PlayerBalanceTeamsUnderEitherName) {
  const struct {
    const char* datagram;
    const char* value;
  } cases[] = {
      {"\\playerbalanceteams\\True\\final\\", "True"},
      {"\\playersbalanceteams\\True\\final\\", "True"},
      // The program's own name wins wherever it stands in the datagram.
      {"\\playersbalanceteams\\B\\playerbalanceteams\\A\\final\\", "A"},
      {"\\playerbalanceteams\\A\\playersbalanceteams\\B\\final\\", "A"},
      {"\\playersbalanceteams\\B\\playersbalanceteams\\C\\final\\", "B"},
      {"\\balanceteams\\True\\final\\", ""},
  };
  for (const auto& c : cases) {
    TServer s;
    int m = 0;
    ParseTextDatagram(s, c.datagram, m, 1, {});
    EXPECT_EQ(s.PlayerBalanceTeams(), QLatin1String(c.value)) << c.datagram;
  }
}

TEST_F(TextReplyTest, ControlCharactersFromTheServerAreNotStored) {
  server.SetAutoUpdateDescription("True");
  const QByteArray red("\x1b\xff\x01\x01", 4);
  Feed("\\hostname\\Evil\r\nserverCount=0\\mapname\\DM-\tDeck\x7f\\gametype\\DM\x1b"
       "\\location\\Mars\r\\mutators\\Relic: A\x01" "B\\AdminName\\Ann\x0b"
       "\\player_0\\" + red + "Bob\r\n\\mesh_0\\M\x1b\\final\\\\numplayers\\\x1b 1\x1b\x02\r\n");
  EXPECT_EQ(server.Description(), "Evil  serverCount=0");
  EXPECT_EQ(server.MapName(), "DM- Deck ");
  EXPECT_EQ(server.GameType(), "DM ");
  EXPECT_EQ(server.Location(), "Mars ");
  EXPECT_EQ(server.Mutators(), "A B");
  EXPECT_EQ(server.AdminName(), "Ann ");
  EXPECT_EQ(server.Player(0).Name, QString::fromLatin1(red + "Bob  "));  // the colour stays
  EXPECT_EQ(server.Player(0).Mesh, "M ");
  EXPECT_EQ(server.NumPlayers(), "1");  // the last value is trimmed first
  EXPECT_TRUE(testing::HoldsOnlyCleanTexts(server));
  for (const QString& line : log)
    EXPECT_FALSE(line.contains(u'\r') || line.contains(u'\n')) << line.toStdString();
}

TEST_F(TextReplyTest, EveryCutOfTheCapturedRepliesKeepsTheRecordClean) {
  for (const char* name : {"ut-1_response.txt", "ut-2_response.txt", "ut-3_response.txt"}) {
    const QList<QByteArray> datagrams = testing::LoadCapture(QString::fromLatin1(name));
    for (const QByteArray& datagram : datagrams) {
      for (qsizetype length = 0; length <= datagram.size(); ++length) {
        // A copy of exactly the cut length, so reading past it is a fault the tools see.
        const QByteArray cut = datagram.first(length);
        TServer s;
        s.SetAutoUpdateDescription("True");
        int m = 0;
        const bool complete = ParseTextDatagram(s, cut, m, 1, {});
        ASSERT_EQ(complete, cut.contains("\\final\\")) << name << " " << length;
        ASSERT_TRUE(testing::HoldsOnlyCleanTexts(s)) << name << " " << length;
      }
    }
  }
}

TEST_F(TextReplyTest, KeyValuePairsWithControlBytesAtEveryPlace) {
  // Every pair of a known key, with a control byte put at each place of the pair in turn.
  const QByteArray pairs = "\\hostname\\Srv\\player_3\\Al\\team_3\\1\\mutators\\Relic: X"
                           "\\location\\7\\listenserver\\False\\playersbalanceteams\\T";
  for (const char control : {'\0', '\r', '\n', '\x1b', '\x7f', '\t'}) {
    for (qsizetype at = 0; at <= pairs.size(); ++at) {
      QByteArray datagram = pairs;
      datagram.insert(at, control);
      datagram += "\\final\\";
      TServer s;
      s.SetAutoUpdateDescription("True");
      int m = 0;
      ParseTextDatagram(s, datagram, m, 1, {});
      ASSERT_TRUE(testing::HoldsOnlyCleanTexts(s)) << int(control) << " at " << at;
    }
  }
}

TEST_F(TextReplyTest, JunkAndTruncatedDatagramsNeverFault) {
  const QList<QByteArray> captured = testing::LoadCapture("ut-1_response.txt");
  QRandomGenerator random(1234);
  for (int round = 0; round < 2000; ++round) {
    QByteArray d = captured[round % captured.size()];
    d.truncate(random.bounded(d.size() + 1));
    for (int flips = random.bounded(8); flips > 0 && !d.isEmpty(); --flips)
      d[random.bounded(d.size())] = char(random.bounded(256));
    if (round % 7 == 0) d = QByteArray(random.bounded(64), '\\');
    TServer s;
    s.SetAutoUpdateDescription("True");
    int m = random.bounded(2);
    ParseTextDatagram(s, d, m, 1, {});
    ASSERT_TRUE(testing::HoldsOnlyCleanTexts(s)) << round;
  }
}

}  // namespace
}  // namespace zorvane
