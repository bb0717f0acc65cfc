// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The texts of one grid row in one heap block: a view lists thousands of servers, and a row
// of QStrings costs a vector and a string allocation per cell (several hundred bytes more than
// the texts). A value whose characters are all Latin-1 (what the servers send) takes a byte a
// character; any other value is kept as UTF-8.
//
// Block layout: a 16-bit cell count, a byte giving the width of the ends, the cells' end
// offsets (TPackedEnds), then the bytes of all cells. A row whose cells are all empty has no
// block.

#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <span>

#include "query/packed_ends.h"

namespace zorvane {

class TPackedRow {
 public:
  TPackedRow() = default;

  // Cells past the stored ones read as empty.
  int Count() const;
  QString Cell(int col) const;
  bool CellIsEmpty(int col) const;

  // Replaces every cell: the row then holds texts.size() cells.
  void Assign(std::span<const QString> texts);
  // One cell (col < count), the row keeping `count` cells.
  void SetCell(int count, int col, QStringView text);
  // Keeps the first `count` cells, empty cells added.
  void Resize(int count);

 private:
  static constexpr std::size_t kCountBytes = 3;  // the count and the width byte
  static constexpr std::size_t kMaxCells = 0xFFFF;
  std::size_t Width() const { return std::size_t(std::uint8_t(block_[2])); }
  TPackedEnds Ends() const { return TPackedEnds(block_.get() + kCountBytes, Width()); }
  std::uint32_t Begin(int col) const { return Ends().Begin(std::size_t(col)); }
  std::uint32_t End(int col) const { return Ends().End(std::size_t(col)); }
  const char* Bytes() const;

  std::unique_ptr<char[]> block_;
};

}  // namespace zorvane
