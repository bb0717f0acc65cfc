// SPDX-License-Identifier: GPL-2.0-or-later
// Blocks on either side of the 32 KiB line where the ends widen from 16 to 32 bits: every
// value, its encoding and the others' must come back whichever width a rewrite leaves.
#include "query/packed_ends.h"

#include <gtest/gtest.h>

#include "query/packed_slot_texts.h"
#include "query/packed_texts.h"

namespace zorvane {
namespace {

const QString kUtf8 = QString::fromUtf8("\xd0\x96\xd1\x83\xd0\xba");  // 6 bytes as UTF-8

// Latin-1 filler that brings a block of the fixed texts to total bytes.
QString Filler(qsizetype total) { return QString(total - 6 - 3, u'x'); }

TEST(PackedEndsTest, WidthFollowsTheTotal) {
  EXPECT_EQ(TPackedEnds::WidthFor(0), 2u);
  EXPECT_EQ(TPackedEnds::WidthFor(TPackedEnds::kNarrowTotal), 2u);
  EXPECT_EQ(TPackedEnds::WidthFor(TPackedEnds::kNarrowTotal + 1), 4u);
  for (const std::size_t width : {std::size_t(2), std::size_t(4)}) {
    char table[8] = {};
    TPackedEnds::Put(table, width, 0, 5, true);
    TPackedEnds::Put(table, width, 1, width == 2 ? 0x7FFF : 0x7FFFFFFF, false);
    const TPackedEnds ends(table, width);
    EXPECT_EQ(ends.End(0), 5u);
    EXPECT_TRUE(ends.Utf8(0));
    EXPECT_EQ(ends.Begin(1), 5u);
    EXPECT_EQ(ends.End(1), width == 2 ? 0x7FFFu : 0x7FFFFFFFu);
    EXPECT_FALSE(ends.Utf8(1));
  }
}

// Totals just under, at and over the line, reached by a set and left again by a rewrite.
TEST(PackedEndsTest, EveryPackerKeepsItsValuesAcrossTheLine) {
  for (const qsizetype total : {qsizetype(100), qsizetype(0x7FFF), qsizetype(0x8000),
                                qsizetype(70000)}) {
    SCOPED_TRACE(total);
    const QString big = Filler(total);

    TPackedTexts<4> texts;
    texts.Set(0, kUtf8);
    texts.Set(1, u"abc");
    texts.Set(3, big);
    EXPECT_EQ(texts.Get(0), kUtf8);
    EXPECT_EQ(texts.Get(1), "abc");
    EXPECT_TRUE(texts.IsEmpty(2));
    EXPECT_EQ(texts.Get(3), big);
    EXPECT_EQ(texts.Latin1(0), QByteArrayView());  // UTF-8 is read through Get only
    texts.Set(3, u"small");  // back under the line
    EXPECT_EQ(texts.Get(0), kUtf8);
    EXPECT_EQ(texts.Get(3), "small");
    const TPackedTexts<4> copy = texts;
    EXPECT_EQ(copy.Get(0), kUtf8);

    TPackedSlotTexts<2> slots;
    slots.Set(0, 0, kUtf8);
    slots.Set(2, 1, u"abc");
    slots.Set(1, 0, big);
    EXPECT_EQ(slots.Slots(), 3);
    EXPECT_EQ(slots.Get(0, 0), kUtf8);
    EXPECT_EQ(slots.Get(1, 0), big);
    EXPECT_EQ(slots.Get(2, 1), "abc");
    slots.Set(1, 0, u"");
    EXPECT_EQ(slots.Get(0, 0), kUtf8);
    EXPECT_EQ(slots.Get(2, 1), "abc");
    EXPECT_TRUE(slots.SlotEmpty(1));
  }
}

}  // namespace
}  // namespace zorvane
