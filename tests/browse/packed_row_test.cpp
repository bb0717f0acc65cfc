// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/packed_row.h"

#include <gtest/gtest.h>

namespace zorvane {
namespace {

// Rows on either side of the 32 KiB line where the ends widen: each cell and its encoding
// come back, also after a cell's rewrite takes the row back under the line.
TEST(PackedRowTest, CellsSurviveEitherWidthOfTheEnds) {
  const QString utf8 = QString::fromUtf8("\xd0\x96\xd1\x83\xd0\xba");
  for (const qsizetype total : {qsizetype(100), qsizetype(0x7FFF), qsizetype(0x8000)}) {
    SCOPED_TRACE(total);
    const QString big(total - 6 - 3, u'x');
    TPackedRow row;
    const QString cells[] = {utf8, QStringLiteral("abc"), big, QString()};
    row.Assign(cells);
    EXPECT_EQ(row.Count(), 4);
    EXPECT_EQ(row.Cell(0), utf8);
    EXPECT_EQ(row.Cell(2), big);
    EXPECT_TRUE(row.CellIsEmpty(3));
    row.SetCell(4, 2, u"small");
    EXPECT_EQ(row.Cell(0), utf8);
    EXPECT_EQ(row.Cell(1), "abc");
    EXPECT_EQ(row.Cell(2), "small");
    row.Resize(2);
    EXPECT_EQ(row.Count(), 2);
    EXPECT_EQ(row.Cell(1), "abc");
  }
}

}  // namespace
}  // namespace zorvane
