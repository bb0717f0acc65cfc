// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/server_record.h"

#include <gtest/gtest.h>

namespace zorvane {
namespace {

TEST(PackedTextsTest, SetGetAcrossNeighboursAndEncodings) {
  TPackedTexts<4> texts;
  EXPECT_TRUE(texts.AllEmpty());
  EXPECT_EQ(texts.HeapBytes(), 0u);
  texts.Set(2, u"middle");
  texts.Set(0, u"first");
  texts.Set(3, u"\u0416\u0443\u043a");  // not Latin-1: kept as UTF-8
  texts.SetLatin1(1, QByteArrayView("caf\xe9"));
  EXPECT_EQ(texts.Get(0), "first");
  EXPECT_EQ(texts.Get(1), QString::fromLatin1("caf\xe9"));
  EXPECT_EQ(texts.Get(2), "middle");
  EXPECT_EQ(texts.Get(3), QString::fromUtf8("\xd0\x96\xd1\x83\xd0\xba"));
  texts.Set(2, u"a much longer middle value");
  texts.Set(0, u"");
  EXPECT_EQ(texts.Get(0), "");
  EXPECT_EQ(texts.Get(2), "a much longer middle value");
  EXPECT_EQ(texts.Get(3), QString::fromUtf8("\xd0\x96\xd1\x83\xd0\xba"));
  EXPECT_TRUE(texts.SameAs(1, "CAF\xc9"));

  TPackedTexts<4> copy = texts;
  texts.Clear();
  EXPECT_EQ(copy.Get(2), "a much longer middle value");
  for (int i = 0; i < 4; ++i) copy.Set(i, u"");
  EXPECT_TRUE(copy.AllEmpty());
}

TEST(PackedTextsTest, SetManyWritesSomeAndKeepsTheRest) {
  TPackedTexts<4> texts;
  texts.Set(0, u"keep");
  texts.Set(3, u"\u0416");  // a UTF-8 value kept through the batch
  texts.SetLatin1Many({std::nullopt, QByteArrayView("one"), QByteArrayView(""), std::nullopt});
  EXPECT_EQ(texts.Get(0), "keep");
  EXPECT_EQ(texts.Get(1), "one");
  EXPECT_EQ(texts.Get(2), "");
  EXPECT_EQ(texts.Get(3), QString(QChar(0x416)));
  texts.SetLatin1Many({QByteArrayView(""), QByteArrayView(""), std::nullopt, QByteArrayView("")});
  EXPECT_EQ(texts.Get(1), "");
  EXPECT_TRUE(texts.AllEmpty());
}

// As a Set of each value: Latin-1 where the text allows, UTF-8 otherwise, the rest kept.
TEST(PackedTextsTest, SetManyOfTextsStoresEachAsSetWould) {
  TPackedTexts<5> texts;
  texts.Set(4, u"kept");
  const QString cafe = QString::fromLatin1("caf\xe9"), zhuk = QString::fromUtf8("\xd0\x96uk");
  texts.SetMany({QStringView(cafe), QStringView(zhuk), QStringView(), std::nullopt, std::nullopt});
  EXPECT_EQ(texts.Get(0), cafe);
  EXPECT_EQ(texts.Latin1(0), QByteArrayView("caf\xe9"));
  EXPECT_EQ(texts.Get(1), zhuk);
  EXPECT_TRUE(texts.Latin1(1).isEmpty());  // kept as UTF-8
  EXPECT_TRUE(texts.IsEmpty(2));
  EXPECT_EQ(texts.Get(4), "kept");
  texts.SetMany({QStringView(), QStringView(), std::nullopt, std::nullopt, QStringView()});
  EXPECT_TRUE(texts.AllEmpty());
}

TEST(ServerRecordTest, NewRecordAwaitsItsFirstReply) {
  TServer server;
  EXPECT_EQ(server.Ping(), "9999");
  EXPECT_FALSE(server.Online);
  EXPECT_FALSE(server.HasPlayers());
  EXPECT_EQ(server.Setting(0), RSetting{});
  EXPECT_EQ(server.Player(31), RPlayer{});
  EXPECT_EQ(server.Player(32), RPlayer{});
  EXPECT_EQ(server.FirstFreeSetting(), 0);
}

TEST(ServerRecordTest, HasPlayersFromCountOrSlots) {
  TServer server;
  server.SetNumPlayers("2");
  EXPECT_TRUE(server.HasPlayers());
  server.SetNumPlayers("0");
  EXPECT_FALSE(server.HasPlayers());
  server.SetPlayerText(5, TPlayerField::Name, u"Bob");
  EXPECT_TRUE(server.HasPlayers());
}

TEST(ServerRecordTest, SettingSlotsFillFromZeroAndStopAt200) {
  TServer server;
  for (int i = 0; i < kSettingSlots; ++i) {
    ASSERT_EQ(server.FirstFreeSetting(), i);
    server.SetSetting(i, QString::number(i), u"v");
  }
  EXPECT_EQ(server.FirstFreeSetting(), -1);
  server.SetSetting(kSettingSlots, u"overflow", u"x");
  EXPECT_EQ(server.SettingSlotsUsed(), kSettingSlots);
  EXPECT_TRUE(server.SettingIs(7, "7", "V"));
}

TEST(ServerRecordTest, ResetKeepsIdentityDescriptionAndGameType) {
  TServer server;
  server.SetIP("1.2.3.4");
  server.SetDescription("Name");
  server.SetGameType("CTFGame");
  server.SetGameTypeName("CTF");
  server.SetMapName("CTF-Face");
  server.SetAdminName("admin");
  server.SetPing("42");
  server.SetPlayerText(0, TPlayerField::Name, u"Bob");
  server.SetSetting(0, u"a", u"b");
  server.Online = server.CameOnline = server.Populated = server.BecamePopulated = true;

  server.ResetValues(false);
  EXPECT_EQ(server.IP(), "1.2.3.4");
  EXPECT_EQ(server.Description(), "Name");
  EXPECT_EQ(server.GameType(), "CTFGame");
  EXPECT_EQ(server.GameTypeName(), "CTF");
  EXPECT_EQ(server.MapName(), "");
  EXPECT_EQ(server.AdminName(), "");
  EXPECT_EQ(server.Ping(), "9999");
  EXPECT_EQ(server.ReplyMark, -1);
  EXPECT_FALSE(server.PlayerInUse(0));
  EXPECT_TRUE(server.SettingFree(0));
  EXPECT_TRUE(server.Online && server.CameOnline && server.Populated && server.BecamePopulated);

  server.ResetValues(true);
  EXPECT_FALSE(server.Online || server.CameOnline || server.Populated || server.BecamePopulated);
}

TEST(ServerRecordTest, FindPlayerStepsThroughMatches) {
  TServer server;
  server.SetPlayerText(2, TPlayerField::Name, u"xX_SniperKing_Xx");
  server.SetPlayerText(9, TPlayerField::Name, u"sniper");
  server.SetPlayerText(31, TPlayerField::Name, u"LastSNIPER");

  QString name = "sniper";
  int start = -1, slot = -1;
  ASSERT_TRUE(server.FindPlayer(name, start, false, slot));
  EXPECT_EQ(name, "xX_SniperKing_Xx");
  EXPECT_EQ(slot, 2);
  EXPECT_EQ(start, 3);
  name = "sniper";
  ASSERT_TRUE(server.FindPlayer(name, start, false, slot));
  EXPECT_EQ(slot, 9);
  name = "sniper";
  ASSERT_TRUE(server.FindPlayer(name, start, false, slot));
  EXPECT_EQ(slot, 31);
  EXPECT_EQ(start, -1);  // slot 31 ends the server

  name = "SNIPER";
  start = -1;
  ASSERT_TRUE(server.FindPlayer(name, start, true, slot));
  EXPECT_EQ(slot, 9);
  EXPECT_EQ(name, "SNIPER");  // exact search leaves the name as given
  ASSERT_FALSE(server.FindPlayer(name, start, true, slot));
  EXPECT_EQ(start, -1);

  QString empty;
  start = -1;
  EXPECT_FALSE(server.FindPlayer(empty, start, false));
  EXPECT_FALSE(server.FindPlayer(empty, start, true));
}

}  // namespace
}  // namespace zorvane
