// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/packed_slot_texts.h"

#include <gtest/gtest.h>

#include "query/server_record.h"

namespace zorvane {
namespace {

// Three settings, then slot 1 rewritten: its neighbours (and their encodings) must survive.
TEST(PackedSlotTextsTest, RewritingOneSettingKeepsTheOthers) {
  struct Case {
    const char* name;
    QString newName, newValue;
  };
  const QString utf8 = QString::fromUtf8("\xd0\x96\xd1\x83\xd0\xba");
  const Case cases[] = {
      {"longer", "a much longer setting name", "and a much longer value too"},
      {"shorter", "b", "1"},
      {"same length", "Yyy", "222"},
      {"emptied", "", ""},
      {"name only", "Frags", ""},
      {"not Latin-1", utf8, utf8},
  };
  for (const Case& c : cases) {
    TServer server;
    server.SetSetting(0, u"AdminName", utf8);
    server.SetSettingLatin1(1, "Xxx", "111");
    server.SetSettingLatin1(2, "Mutators", QByteArrayView("caf\xe9"));
    server.SetSetting(1, c.newName, c.newValue);
    EXPECT_EQ(server.Setting(0), (RSetting{"AdminName", utf8})) << c.name;
    EXPECT_EQ(server.Setting(1), (RSetting{c.newName, c.newValue})) << c.name;
    EXPECT_EQ(server.Setting(2), (RSetting{"Mutators", QString::fromLatin1("caf\xe9")})) << c.name;
    EXPECT_TRUE(server.SettingIs(2, "MUTATORS", QByteArrayView("CAF\xc9"))) << c.name;
    EXPECT_EQ(server.SettingFree(1), c.newName.isEmpty() && c.newValue.isEmpty()) << c.name;
    EXPECT_EQ(server.SettingSlotsUsed(), 3) << c.name;
  }
}

TEST(PackedSlotTextsTest, SettingSlotsAreClaimedEvenWhenEmptyUntilCleared) {
  TServer server;
  server.SetSettingLatin1(4, "", "");
  EXPECT_EQ(server.SettingSlotsUsed(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(server.SettingFree(i)) << i;
  EXPECT_EQ(server.FirstFreeSetting(), 0);
  server.SetSettingLatin1(2, "Name", "Value");
  EXPECT_EQ(server.FirstFreeSetting(), 0);
  EXPECT_EQ(server.Setting(2), (RSetting{"Name", "Value"}));
  EXPECT_EQ(server.Setting(4), RSetting{});
  EXPECT_EQ(server.Setting(5), RSetting{});
  EXPECT_TRUE(server.SettingFree(5));
  EXPECT_TRUE(server.SettingFree(-1));
  server.SetSettingLatin1(-1, "bad", "slot");
  server.SetSettingLatin1(kSettingSlots, "bad", "slot");
  EXPECT_EQ(server.SettingSlotsUsed(), 5);

  server.ClearSettings();
  EXPECT_EQ(server.SettingSlotsUsed(), 0);
  EXPECT_EQ(server.TextHeapBytes(), TServer().TextHeapBytes());
  server.SetSettingLatin1(0, "again", "1");
  EXPECT_EQ(server.Setting(0), (RSetting{"again", "1"}));
}

TEST(PackedSlotTextsTest, PlayersInAnySlotOrderKeepEachOther) {
  TServer server;
  const RPlayer last{"Last", "3", "40", "1", "Mesh", "Skin", "Face", "ng"};
  const RPlayer first{"First", "-1", "999", "0", "", "", "", ""};
  server.SetPlayer(31, last);
  server.SetPlayer(0, first);
  server.SetPlayerTextLatin1(7, TPlayerField::Frags, "12");  // no name: not in use
  server.SetPlayerTextsLatin1(31, {std::nullopt, QByteArrayView("4"), std::nullopt, std::nullopt,
                                   std::nullopt, std::nullopt, std::nullopt, std::nullopt});
  RPlayer changed = last;
  changed.Frags = "4";
  EXPECT_EQ(server.Player(31), changed);
  EXPECT_EQ(server.Player(0), first);
  EXPECT_EQ(server.PlayerText(7, TPlayerField::Frags), "12");
  EXPECT_FALSE(server.PlayerInUse(7));
  for (int slot = 1; slot < 31; ++slot) EXPECT_FALSE(server.PlayerInUse(slot)) << slot;
  EXPECT_TRUE(server.PlayerNamed(31, "LAST"));
  server.SetPlayerText(0, TPlayerField::Name, u"");
  EXPECT_FALSE(server.PlayerInUse(0));
  EXPECT_EQ(server.Player(0).Ping, "999");
  server.SetPlayer(32, first);
  EXPECT_EQ(server.Player(32), RPlayer{});
}

TEST(PackedSlotTextsTest, EmptyWritesCostNothingAndEmptyingFreesTheBlock) {
  TPackedSlotTexts<2> slots;
  slots.Set(9, 1, u"");
  slots.SetLatin1Many(3, {QByteArrayView(""), std::nullopt});
  EXPECT_EQ(slots.Slots(), 0);
  EXPECT_EQ(slots.HeapBytes(), 0u);

  slots.Set(1, 0, u"ab");
  slots.Set(2, 1, u"\u0416");
  EXPECT_EQ(slots.Slots(), 3);
  EXPECT_EQ(slots.HeapBytes(), 3u + 3 * 2 * 2 + 2 + 2);  // count and width, 16-bit ends, bytes
  EXPECT_TRUE(slots.Latin1(2, 1).isEmpty());  // UTF-8 values have no Latin-1 bytes
  EXPECT_EQ(slots.Get(2, 1), QString(QChar(0x416)));
  slots.Set(2, 1, u"");
  slots.Set(1, 0, u"");
  EXPECT_EQ(slots.HeapBytes(), 0u);
  EXPECT_TRUE(slots.SlotEmpty(1));
}

// A whole reply's players written at once must give what writing them one by one gives, over
// a record that already holds players (changed, emptied, untouched, new past the end).
TEST(PackedSlotTextsTest, PlayersWrittenAtOnceMatchOneByOne) {
  const auto fill = [](TServer& server) {
    server.SetPlayer(0, {"Ann", "1", "50", "red", "", "", "", ""});
    server.SetPlayer(3, {"Bob", "2", "60", "blue", "", "", "", ""});
    server.SetPlayerText(4, TPlayerField::Name, QString::fromUtf8("\xd0\x96uk"));
  };
  std::array<TServer::TPlayerBatch, kPlayerSlots> values{};
  std::bitset<kPlayerSlots> touched;
  values[3][std::size_t(TPlayerField::Name)] = "Robert";
  values[3][std::size_t(TPlayerField::Team)] = "";
  values[0][std::size_t(TPlayerField::Frags)] = "10";
  values[9][std::size_t(TPlayerField::Ping)] = "";  // empty past the end: adds nothing
  values[7][std::size_t(TPlayerField::Name)] = "Cy";
  values[7][std::size_t(TPlayerField::NGSecret)] = "x";
  touched[3] = touched[0] = touched[9] = touched[7] = true;

  TServer atOnce, oneByOne;
  fill(atOnce);
  fill(oneByOne);
  atOnce.SetPlayersLatin1(values, touched);
  for (int slot = 0; slot < kPlayerSlots; ++slot)
    if (touched[slot]) oneByOne.SetPlayerTextsLatin1(slot, values[slot]);
  for (int slot = 0; slot < kPlayerSlots; ++slot)
    for (std::size_t f = 0; f < kPlayerFieldCount; ++f)
      EXPECT_EQ(atOnce.PlayerText(slot, TPlayerField(f)), oneByOne.PlayerText(slot, TPlayerField(f)))
          << slot << " " << f;
  EXPECT_EQ(atOnce.PlayerText(3, TPlayerField::Frags), "2");
  EXPECT_EQ(atOnce.PlayerText(4, TPlayerField::Name), QString::fromUtf8("\xd0\x96uk"));
  EXPECT_EQ(atOnce.TextHeapBytes(), oneByOne.TextHeapBytes());
}

}  // namespace
}  // namespace zorvane
