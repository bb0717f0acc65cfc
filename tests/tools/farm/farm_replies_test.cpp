// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/farm/farm_replies.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QRegularExpression>
#include <QTimeZone>
#include <random>

#include "history/busy_hours.h"
#include "query/binary_protocol.h"
#include "query/server_record.h"
#include "query/text_protocol.h"

namespace zorvane::farm {
namespace {

constexpr int kServers = 400;

int PlayersInUse(const TServer& server) {
  int n = 0;
  for (int i = 0; i < kPlayerSlots; ++i) n += server.PlayerInUse(i);
  return n;
}

int SettingsInUse(const TServer& server) {
  int n = 0;
  for (int i = 0; i < server.SettingSlotsUsed(); ++i) n += !server.SettingFree(i);
  return n;
}

std::unique_ptr<TServer> Record() {
  auto record = std::make_unique<TServer>();
  record->SetAutoUpdateDescription("True");
  return record;
}

TEST(FarmRepliesTest, TextRepliesParseIntoWhatWasGenerated) {
  int parts[4] = {};
  bool relic = false, latin1Name = false, negativeFrags = false, spectator = false;
  bool regionCode = false, freeText = false;
  for (int index = 0; index < kServers; ++index) {
    const TFarmServer generated = GenerateServer(3, index, TFarmGame::UT, 20000 + index);
    const QList<QByteArray> datagrams = TextStatusReply(generated, 77);
    ASSERT_GE(datagrams.size(), 1);
    ASSERT_LE(datagrams.size(), 3);
    ++parts[datagrams.size()];

    auto record = Record();
    int mark = 0;
    for (qsizetype i = 0; i < datagrams.size(); ++i) {
      const QByteArray& d = datagrams[i];
      EXPECT_LE(d.size(), 1472) << index;  // one datagram on any link
      const QByteArray id = "\\queryid\\77." + QByteArray::number(i + 1);
      const bool last = i + 1 == datagrams.size();
      EXPECT_TRUE(d.endsWith(last ? id + "\\final\\" : id)) << d.constData();
      EXPECT_EQ(ParseTextDatagram(*record, d, mark, 5, {}), last) << index << "/" << i;
    }
    EXPECT_EQ(record->Description(), QString::fromLatin1(generated.name));
    EXPECT_EQ(record->MapName(), QString::fromLatin1(generated.map));
    EXPECT_EQ(record->HostPort(), QString::number(20000 + index - 1));
    EXPECT_EQ(record->NumPlayers(), QString::number(generated.players.size()));
    EXPECT_EQ(PlayersInUse(*record), int(generated.players.size())) << index;
    EXPECT_FALSE(record->Mutators().contains("Relic: "));
    for (std::size_t p = 0; p < generated.players.size(); ++p) {
      const TFarmPlayer& player = generated.players[p];
      EXPECT_EQ(record->PlayerText(int(p), TPlayerField::Name), QString::fromLatin1(player.name));
      EXPECT_EQ(record->PlayerText(int(p), TPlayerField::Frags), QString::number(player.frags));
      latin1Name |= std::any_of(player.name.begin(), player.name.end(),
                                [](char c) { return uchar(c) >= 0xA0; });
      negativeFrags |= player.frags < 0;
      spectator |= player.team == 255;
    }
    relic |= generated.mutators.contains("Relic: ");
    const bool digits = QRegularExpression("^[0-9]+$").match(generated.location).hasMatch();
    (digits ? regionCode : freeText) = true;
  }
  EXPECT_GT(parts[1], 0);
  EXPECT_GT(parts[2], 0);
  EXPECT_GT(parts[3], 0);
  EXPECT_TRUE(relic && latin1Name && negativeFrags && spectator && regionCode && freeText);
}

TEST(FarmRepliesTest, BinaryRepliesParseIntoWhatWasGenerated) {
  bool highPing = false, teamScores = false, spectator = false;
  for (int index = 0; index < kServers; ++index) {
    const TFarmServer generated = GenerateServer(3, index, TFarmGame::UT2004, 21000 + index);
    auto record = Record();
    const QList<QByteArray> info = BinaryReply(generated, BinaryRequest(128, brInfo));
    ASSERT_EQ(info.size(), 1);
    const TBinaryParseResult result = ParseBinaryReply(*record, info[0], 5);
    EXPECT_TRUE(result.complete && result.requestDetails);
    EXPECT_EQ(record->Description(), QString::fromLatin1(generated.name));
    EXPECT_EQ(record->GameType(), QString::fromLatin1(generated.gameType));
    EXPECT_EQ(record->MaxPlayers(), QString::number(generated.maxPlayers));

    const QList<QByteArray> rules = BinaryReply(generated, BinaryRequest(128, brRules));
    ASSERT_EQ(rules.size(), 2);
    for (const QByteArray& d : rules) EXPECT_TRUE(ParseBinaryReply(*record, d, 5).complete);
    EXPECT_EQ(SettingsInUse(*record), int(generated.rules.size())) << index;

    const QList<QByteArray> players = BinaryReply(generated, BinaryRequest(128, brPlayers));
    ASSERT_EQ(players.size(), 1);
    EXPECT_TRUE(ParseBinaryReply(*record, players[0], 5).complete);
    EXPECT_EQ(PlayersInUse(*record), int(generated.players.size())) << index;
    EXPECT_EQ(record->RepliesSeen, rpInfo | rpRules | rpPlayers);
    for (std::size_t p = 0; p < generated.players.size(); ++p) {
      EXPECT_EQ(record->PlayerText(int(p), TPlayerField::Ping),
                QString::number(generated.players[p].ping));
      highPing |= generated.players[p].ping > 255;
      spectator |= generated.players[p].team == 255;
    }
    teamScores |= players[0].contains("Red Team Score");
  }
  EXPECT_TRUE(highPing && teamScores && spectator);
}

TEST(FarmRepliesTest, JunkRequestsGetNothingOrAKnownReply) {
  const TFarmServer server = GenerateServer(1, 0, TFarmGame::UT2004, 20000);
  for (const QByteArray& request :
       {QByteArray(), QByteArray("\x80\0\0\0", 4), QByteArray("\x80\0\0\0\x03", 5),
        QByteArray("\x80\0\0\0\xff", 5)})
    EXPECT_TRUE(BinaryReply(server, request).isEmpty()) << request.toHex().constData();

  std::mt19937 random(5);
  for (int round = 0; round < 500; ++round) {
    QByteArray request(int(random() % 12), '\0');
    for (char& c : request) c = char(random() % 4);  // mostly the known request types
    const QList<QByteArray> reply = BinaryReply(server, request);
    const int expected = request.size() < 5 || request[4] > 2 ? 0 : request[4] == 1 ? 2 : 1;
    ASSERT_EQ(reply.size(), expected) << request.toHex().constData();
    for (const QByteArray& d : reply) EXPECT_EQ(d[4], request[4]);
  }
}

TEST(FarmRepliesTest, ContentFollowsTheSeed) {
  const auto replies = [](quint64 seed, int index) {
    const TFarmServer ut = GenerateServer(seed, index, TFarmGame::UT, 20000);
    const TFarmServer ut2004 = GenerateServer(seed, index, TFarmGame::UT2004, 20000);
    return TextStatusReply(ut, 1) + BinaryReply(ut2004, BinaryRequest(128, brRules)) +
           BinaryReply(ut2004, BinaryRequest(128, brPlayers));
  };
  int differentSeed = 0, differentIndex = 0;
  for (int index = 0; index < 50; ++index) {
    EXPECT_EQ(replies(9, index), replies(9, index));
    differentSeed += replies(9, index) != replies(10, index);
    differentIndex += replies(9, index) != replies(9, index + 1);
  }
  EXPECT_EQ(differentSeed, 50);
  EXPECT_EQ(differentIndex, 50);
}

TEST(FarmRepliesTest, SilentShareFollowsTheFraction) {
  const struct {
    double fraction;
    int low, high;
  } cases[] = {{0.0, 0, 0}, {1.0, 10000, 10000}, {0.25, 2300, 2700}, {0.01, 50, 150}};
  for (const auto& c : cases) {
    int silent = 0;
    for (int index = 0; index < 10000; ++index) silent += IsSilent(5, index, c.fraction);
    EXPECT_GE(silent, c.low) << c.fraction;
    EXPECT_LE(silent, c.high) << c.fraction;
  }
}

}  // namespace
}  // namespace zorvane::farm

namespace zorvane::farm {
namespace {

TEST(FarmDailyPatternTest, PlayersFollowTheHourAndKeepTheirSlots) {
  const QTimeZone zone(2 * 3600);
  const auto at = [&](int hour, int minute) {
    return QDateTime(QDate(2024, 5, 1), QTime(hour, minute), zone).toSecsSinceEpoch();
  };
  for (int index = 0; index < 40; ++index) {
    const TFarmGame game = index % 4 ? TFarmGame::UT : TFarmGame::UT2004;
    const TFarmServer made = GenerateServer(7, index, game, 20000 + index);
    const int seats = std::min(made.maxPlayers, game == TFarmGame::UT2004 ? 24 : 16);
    const auto players = [&](int hour, int minute) {
      TFarmServer server = made;
      ApplyDailyPattern(server, 7, index, at(hour, minute), 2 * 3600);
      return server;
    };
    for (const auto& [hour, percent] : {std::pair{21, 100}, {19, 50}, {15, 25}, {4, 5}}) {
      const int count = int(players(hour, 10).players.size());
      EXPECT_NEAR(count, std::clamp((seats * percent + 50) / 100, 0, seats), 1) << hour;
      EXPECT_LE(count, seats);
    }
    // A player keeps the slot: the first ones of the evening are those of the afternoon.
    const TFarmServer evening = players(21, 0), afternoon = players(15, 0);
    for (std::size_t slot = 0; slot < afternoon.players.size(); ++slot)
      EXPECT_EQ(evening.players[slot].name, afternoon.players[slot].name);
    // The map holds for twenty minutes, then changes.
    EXPECT_EQ(players(21, 0).map, players(21, 19).map);
    EXPECT_NE(players(21, 19).map, players(21, 20).map);
  }
}

TEST(FarmDailyPatternTest, TheHistoryOfAWeekOfRepliesKnowsTheBusyEvening) {
  // Replies every 10 minutes for a week on a simulated clock, as the history samples them.
  const QTimeZone zone(-5 * 3600);
  const qint64 start = QDateTime(QDate(2024, 5, 6), QTime(0, 3), zone).toSecsSinceEpoch();
  for (int index : {0, 5, 17}) {
    std::vector<THistorySample> samples;
    for (qint64 t = start; t < start + 7 * 86400; t += 600) {
      TFarmServer server = GenerateServer(3, index, TFarmGame::UT, 20000 + index);
      ApplyDailyPattern(server, 3, index, t, -5 * 3600);
      samples.push_back({t, int(server.players.size()), server.maxPlayers, QString()});
    }
    EXPECT_EQ(BusyHoursLine(BusiestHours(samples, zone)),
              QString::fromUtf8("usually busiest 20:00–23:00")) << index;
  }
}

}  // namespace
}  // namespace zorvane::farm
