// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/string_table_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

namespace zorvane {
namespace {

// Header "A", "B", "C" in row 0, then the given data rows.
void Fill(TStringTableModel& model, const std::vector<QStringList>& rows) {
  model.SetColCount(3);
  model.SetRowCount(1);
  model.SetFixedRows(1);
  model.SetRowTexts(0, {"A", "B", "C"});
  model.SetRowCount(1 + int(rows.size()));
  for (size_t i = 0; i < rows.size(); ++i) model.SetRowTexts(1 + int(i), rows[i]);
}

TEST(StringTableModelTest, FixedRowSwitchKeepsEveryGridCell) {
  TStringTableModel model;
  Fill(model, {{"x"}});
  EXPECT_EQ(model.rowCount(), 1);  // the view sees data rows only
  EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "A");
  ASSERT_TRUE(model.SetFixedRows(0));
  EXPECT_EQ(model.Cell(0, 0), "A");
  EXPECT_EQ(model.rowCount(), 2);
  ASSERT_TRUE(model.SetFixedRows(1));
  EXPECT_EQ(model.Cell(0, 1), "x");
  model.SetRowCount(0);  // never below the header
  EXPECT_EQ(model.RowCount(), 1);

  TStringTableModel empty;
  empty.SetColCount(2);
  EXPECT_FALSE(empty.SetFixedRows(1));  // no row to become the header
}

TEST(StringTableModelTest, FindsRowsIgnoringAsciiCaseOnly) {
  TStringTableModel model;
  Fill(model, {{"Alpha", "1", "É"}, {"beta", "2", "x"}, {"ALPHA", "3", "é"}});
  struct TCase {
    QString text;
    int col;
    int row;
  };
  for (const TCase& c : std::vector<TCase>{{"alpha", 0, 1},
                                           {"a", 0, 0},  // the header counts
                                           {"é", 2, 3},  // only A-Z fold
                                           {"gamma", 0, -1},
                                           {"alpha", 3, -1},
                                           {"alpha", -1, -1}})
    EXPECT_EQ(model.FindRowByText(c.text, c.col), c.row) << c.text.toStdString();
  EXPECT_EQ(model.FindRowByTwoTexts("alpha", 0, 1, "3"), 3);
  EXPECT_EQ(model.FindRowByTwoTexts("alpha", 0, 1, "2"), -1);
  EXPECT_EQ(model.FindRowByTwoTexts("alpha", 0, 5, "3"), -1);
}

// Rows are kept packed, a byte a character where the text allows: every text must come back
// as it went in, through single cell writes and column count changes.
TEST(StringTableModelTest, CellsKeepEveryTextThroughWritesAndColumnChanges) {
  const QStringList texts = {"Plain", "", QString::fromUtf8("Caf\xc3\xa9 \xc3\xbf"),
                             QString::fromUtf8("\xe6\x9d\xb1\xe4\xba\xac \xf0\x9f\x8e\xae"),
                             QStringLiteral("x")};
  TStringTableModel model;
  Fill(model, {{}, {texts[0], texts[1], texts[2]}});
  for (int row : {1, 2}) {
    for (int col = 0; col < 3; ++col) {
      for (const QString& text : texts) {
        model.SetCell(col, row, text);
        ASSERT_EQ(model.Cell(col, row), text) << row << " " << col;
        ASSERT_EQ(model.data(model.index(row - 1, col)).toString(), text);
      }
    }
  }
  model.SetRowTexts(1, {texts[3], texts[2], texts[0]});
  EXPECT_EQ(model.RowTexts(1), (QStringList{texts[3], texts[2], texts[0]}));
  model.SetColCount(5);
  EXPECT_EQ(model.RowTexts(1), (QStringList{texts[3], texts[2], texts[0], "", ""}));
  model.SetCell(4, 1, texts[3]);
  model.SetColCount(2);
  EXPECT_EQ(model.RowTexts(1), (QStringList{texts[3], texts[2]}));
  model.SetColCount(3);
  EXPECT_EQ(model.Cell(2, 1), "");
  EXPECT_EQ(model.ColumnTexts(0), (QStringList{texts[3], texts[4]}));
  model.SetRowTexts(1, {});  // a row emptied reads empty in every column
  EXPECT_EQ(model.RowTexts(1), (QStringList{"", "", ""}));
}

// Random writes, deletes, sorts and clears; after each the index must answer like a scan.
TEST(StringTableModelTest, KeyIndexAnswersLikeAScan) {
  TStringTableModel model;
  Fill(model, {});
  model.SetKeyColumn(2);
  std::mt19937 random(7);
  auto pick = [&](int n) { return int(random() % unsigned(n)); };
  auto key = [&] {  // few keys, so duplicates and case variants are frequent
    const int k = pick(12);
    if (k == 0) return QString();
    return (pick(2) ? QStringLiteral("Srv%1:7778") : QStringLiteral("SRV%1:7778")).arg(k);
  };
  auto scan = [&](const QString& k) {
    for (int row = 1; row < model.RowCount(); ++row)
      if (model.Cell(2, row).compare(k, Qt::CaseInsensitive) == 0) return row;
    return -1;
  };

  for (int step = 0; step < 3000; ++step) {
    const int op = pick(100);
    const int rows = model.RowCount();
    if (op < 40) {
      model.SetRowCount(rows + 1);
      model.SetCell(2, rows, key());
    } else if (op < 60 && rows > 1) {
      model.SetCell(2, 1 + pick(rows - 1), key());
    } else if (op < 65 && rows > 1) {
      model.SetRowTexts(1 + pick(rows - 1), {"n", "m", key()});
    } else if (op < 85 && rows > 1) {
      model.DeleteRow(1 + pick(rows - 1));
    } else if (op < 88 && rows > 1) {
      std::vector<bool> drop(rows - 1);
      for (std::size_t i = 0; i < drop.size(); ++i) drop[i] = pick(3) == 0;
      model.RemoveDataRows(drop);
    } else if (op < 95 && rows > 2) {
      std::vector<int> order(rows - 1);
      std::iota(order.begin(), order.end(), 0);
      std::shuffle(order.begin(), order.end(), random);
      model.Permute(order);
    } else if (op < 97) {
      model.ClearDataRows(pick(2));
    } else if (op < 98 && rows > 1) {
      model.SetRowCount(1 + pick(rows));
    } else {
      model.SetCell(2, 0, key());  // the header is never a key
    }
    for (int k = 1; k < 12; ++k) {
      const QString probe = QStringLiteral("srv%1:7778").arg(k);
      ASSERT_EQ(model.FindRowByKey(probe), scan(probe)) << "step " << step << " key " << k;
    }
  }
  EXPECT_EQ(model.FindRowByKey(""), -1);
}

// The rows that stay keep their order and their cells; a flag list of the wrong size does nothing.
TEST(StringTableModelTest, RemoveDataRowsKeepsTheRestInOrder) {
  TStringTableModel model;
  model.SetColCount(2);
  model.SetRowCount(6);
  model.SetFixedRows(1);
  for (int row = 1; row < 6; ++row) model.SetRowTexts(row, {QString::number(row), "x"});
  model.RemoveDataRows({false, true});
  EXPECT_EQ(model.DataRowCount(), 5);
  model.RemoveDataRows({true, false, true, false, false});
  EXPECT_EQ(model.ColumnTexts(0), QStringList({"2", "4", "5"}));
  EXPECT_EQ(model.Cell(1, 3), "x");
  model.RemoveDataRows({true, true, true});
  EXPECT_EQ(model.DataRowCount(), 0);
}

}  // namespace
}  // namespace zorvane
