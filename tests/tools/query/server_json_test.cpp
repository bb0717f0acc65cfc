// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/query/server_json.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "query/server_record.h"

namespace zorvane {
namespace {

// Keys of the outermost object in the order written (QJsonObject would sort them).
QStringList TopLevelKeys(const QByteArray& json) {
  QStringList keys;
  int depth = 0;
  bool expectKey = false;
  for (qsizetype i = 0; i < json.size(); ++i) {
    const char c = json[i];
    if (c == '"') {
      const qsizetype start = i + 1;
      for (++i; json[i] != '"'; ++i)
        if (json[i] == '\\') ++i;
      if (depth == 1 && expectKey) keys << QString::fromUtf8(json.mid(start, i - start));
      expectKey = false;
    } else if (c == '{' || c == '[') {
      ++depth;
      expectKey = depth == 1;
    } else if (c == '}' || c == ']') {
      --depth;
    } else if (c == ',') {
      expectKey = depth == 1;
    }
  }
  return keys;
}

TEST(toolsJsonString, EscapesQuotesBackslashesAndEveryControlCharacter) {
  const struct {
    QString in;
    QByteArray out;
  } cases[] = {
      {"", R"("")"},
      {"plain text", R"("plain text")"},
      {"say \"hi\"", R"("say \"hi\"")"},
      {"C:\\UT\\System", R"("C:\\UT\\System")"},
      {"a\nb\rc\td\be\ff", R"("a\u000ab\u000dc\u0009d\u0008e\u000cf")"},
      {QString(QChar(0)) + "\x01\x1f", R"("\u0000\u0001\u001f")"},
      {"\x7f ~", R"("\u007f ~")"},
      // A terminal's escape sequence and its 8-bit form (CSI) stay inert.
      {"\x1b[31mred", R"("\u001b[31mred")"},
      {QString(QChar(0x9B)) + "2J", R"("\u009b2J")"},
      // A colour code whose colour bytes hold a line break and a byte above 0x7F.
      {QString(QChar(0x1B)) + QChar(0xFF) + QChar(0x0A) + QChar(0x01) + "Red",
       "\"\\u001b\xC3\xBF\\u000a\\u0001Red\""},
      {QString::fromUtf8("Zo\xC3\xAB \xF0\x9F\x9A\x80"), "\"Zo\xC3\xAB \xF0\x9F\x9A\x80\""},
      // Runs above 0x9F end at a quote, a C1 control or a plain character.
      {QString(QChar(0xE9)) + "\"" + QChar(0xE9) + QChar(0x85) + QChar(0xFF) + "x",
       "\"\xC3\xA9\\\"\xC3\xA9\\u0085\xC3\xBFx\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(JsonString(c.in), c.out) << qPrintable(c.in);
    // Texts stored as Latin-1 bytes are written alike.
    if (std::all_of(c.in.begin(), c.in.end(), [](QChar ch) { return ch.unicode() <= 0xFF; })) {
      std::string latin1;
      AppendJsonLatin1(latin1, c.in.toLatin1());
      EXPECT_EQ(latin1, c.out.toStdString()) << qPrintable(c.in);
    }
    // Whatever is written reads back as the same text.
    const auto doc = QJsonDocument::fromJson("[" + JsonString(c.in) + "]");
    EXPECT_EQ(doc.array().at(0).toString(), c.in);
  }
}

// The writer makes room once per value and cuts the buffer back at the end: a value larger
// than its growth step, every byte escaped or widened, is appended after what the buffer held.
TEST(toolsJsonString, LongValuesAppendAfterWhatWasThere) {
  QString wide;
  QByteArray latin1, expected = "\"";
  for (int i = 0; i < 3000; ++i) {
    wide += QStringLiteral("a\"") + QChar(0x01) + QChar(0xE9) + QChar(0x416);
    latin1 += "a\"\x01\xE9";
    expected += "a\\\"\\u0001\xC3\xA9";
  }
  std::string out = "prefix ";
  AppendJsonLatin1(out, latin1);
  EXPECT_EQ(out, "prefix " + expected.toStdString() + '"');
  EXPECT_EQ(JsonString(wide), expected.replace("\xC3\xA9", "\xC3\xA9\xD0\x96") + '"');
}

class toolsServerJson : public ::testing::Test {
 protected:
  toolsServerJson() {
    server_.SetGame("UT2004");
    server_.QueryVersion = 128;
    server_.SetIP("10.0.0.7");
    server_.Port = 7778;
    server_.SetPing("42");
    server_.ReplyMark = -1;
    server_.Online = true;
    server_.Favorite = true;
    server_.ReplyComplete = true;
    server_.SetDescription("\"Quoted\" \\ server\n\x02");
    server_.SetMapName("DM-Deck16][");
    server_.SetRemainingTime("2");
    server_.SetMultiWeaponStay("True");
    server_.SetPlayer(0, {"Bob", "5", "50", "blue", "", "", "", ""});
    server_.SetPlayerText(3, TPlayerField::Frags, u"7");  // no name: slot not in use
    server_.SetPlayer(5, {"Zo\u00eb", "-1", "999", "red", "Male", "Skin", "Face", "x"});
    server_.SetSetting(0, u"AdminName", u"Ann");
    server_.SetSetting(1, u"Gone", u"");
    server_.SetSetting(1, u"", u"");  // freed again
    server_.SetSetting(2, u"Mutator", u"MutInstaGib");
    line_ = ServerJson("10.0.0.7:7778", server_);
    object_ = QJsonDocument::fromJson(line_).object();
  }

  TServer server_;
  QByteArray line_;
  QJsonObject object_;
};

TEST_F(toolsServerJson, KeysFollowTheRecord) {
  QStringList expected{"Key",       "Game",           "QueryVersion",    "ReResolvePending",
                       "RetriedOnce", "IP",           "DNSName",         "Port",
                       "AutoUpdateDescription", "Ping", "ReplyMark",      "CameOnline",
                       "Online",    "BecamePopulated", "Populated",      "Favorite",
                       "ReplyComplete", "RepliesSeen", "GameTypeName",   "Description",
                       "PlainDescription"};
#define ZORVANE_NAME(name) expected << #name;
  ZORVANE_STATUS_TEXTS(ZORVANE_NAME)
  ZORVANE_RULE_TEXTS(ZORVANE_NAME)
#undef ZORVANE_NAME
  expected << "Players" << "Settings";
  EXPECT_EQ(TopLevelKeys(line_), expected);
  EXPECT_FALSE(line_.contains('\n'));
}

TEST_F(toolsServerJson, ValuesKeepTheirTypes) {
  ASSERT_FALSE(object_.isEmpty()) << line_.constData();
  EXPECT_EQ(object_["Key"].toString(), "10.0.0.7:7778");
  EXPECT_EQ(object_["QueryVersion"].toInt(-1), 128);
  EXPECT_EQ(object_["Port"].toInt(-1), 7778);
  EXPECT_EQ(object_["ReplyMark"].toInt(0), -1);
  EXPECT_EQ(object_["Online"], QJsonValue(true));
  EXPECT_EQ(object_["Populated"], QJsonValue(false));
  EXPECT_EQ(object_["Ping"], QJsonValue("42"));  // text, as in the record
  EXPECT_EQ(object_["Description"].toString(), server_.Description());
  EXPECT_EQ(object_["MapName"].toString(), "DM-Deck16][");
  EXPECT_EQ(object_["RemainingTime"].toString(), "2");
  EXPECT_EQ(object_["MultiWeaponStay"].toString(), "True");
  EXPECT_EQ(object_["DNSName"], QJsonValue(""));
}

TEST_F(toolsServerJson, OnlyUsedPlayerAndSettingSlots) {
  const QJsonArray players = object_["Players"].toArray();
  ASSERT_EQ(players.size(), 2);
  EXPECT_EQ(players[0].toObject()["Slot"].toInt(-1), 0);
  EXPECT_EQ(players[0].toObject()["Team"].toString(), "blue");
  const QJsonObject p5 = players[1].toObject();
  EXPECT_EQ(p5["Slot"].toInt(-1), 5);
  const QJsonObject expected{{"Slot", 5},     {"Name", "Zo\u00eb"}, {"Frags", "-1"},
                             {"Ping", "999"}, {"Team", "red"},      {"Mesh", "Male"},
                             {"Skin", "Skin"}, {"Face", "Face"},    {"NGSecret", "x"},
                             {"PlainName", "Zo\u00eb"}};
  EXPECT_EQ(p5, expected);

  const QJsonArray settings = object_["Settings"].toArray();
  ASSERT_EQ(settings.size(), 2);
  EXPECT_EQ(settings[0].toObject(), (QJsonObject{{"Name", "AdminName"}, {"Value", "Ann"}}));
  EXPECT_EQ(settings[1].toObject(), (QJsonObject{{"Name", "Mutator"}, {"Value", "MutInstaGib"}}));
}

// Texts stored as Latin-1 are written from their bytes, UTF-8 ones through QString: both
// give the same JSON, and the plain names lose their colour codes either way.
TEST(toolsServerJsonTexts, Latin1AndUtf8TextsAndColourCodes) {
  const QString code = QString(QChar(0x1B)) + QChar(0xFF) + QChar(0x01) + QChar(0x01);
  TServer server;
  server.SetDescription(code + "Red " + QChar(0xE9));
  server.SetPlayer(0, {code + "Ann", "1", "", "", "", "", "", ""});
  server.SetPlayer(1, {code + u"\u0416uk", "2", "", "", "", "", "", ""});
  server.SetSetting(0, u"\u0416", u"Jo\\\"e");
  const QJsonObject object = QJsonDocument::fromJson(ServerJson("k", server)).object();
  ASSERT_FALSE(object.isEmpty());
  EXPECT_EQ(object["Description"].toString(), server.Description());
  EXPECT_EQ(object["PlainDescription"].toString(), QString("Red ") + QChar(0xE9));
  const QJsonArray players = object["Players"].toArray();
  ASSERT_EQ(players.size(), 2);
  EXPECT_EQ(players[0].toObject()["Name"].toString(), code + "Ann");
  EXPECT_EQ(players[0].toObject()["PlainName"].toString(), "Ann");
  EXPECT_EQ(players[1].toObject()["Name"].toString(), code + u"\u0416uk");
  EXPECT_EQ(players[1].toObject()["PlainName"].toString(), u"\u0416uk");
  EXPECT_EQ(object["Settings"].toArray()[0].toObject(),
            (QJsonObject{{"Name", QString(QChar(0x416))}, {"Value", "Jo\\\"e"}}));
}

TEST(toolsSummaryJson, Shape) {
  EXPECT_EQ(SummaryJson(4, 3, 120),
            R"({"summary": {"servers": 4, "replied": 3, "elapsedMs": 120}})");
}

}  // namespace
}  // namespace zorvane
