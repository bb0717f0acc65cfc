// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The texts of one grid row in one heap block: a view lists thousands of servers, and a row
// of QStrings costs a vector and a string allocation per cell (several hundred bytes more than
// the texts). A value whose characters are all Latin-1 (what the servers send) takes a byte a
// character; any other value is kept as UTF-8.
//
// Block layout: the cell count, the cells' 32-bit end offsets (bit 31 marks a UTF-8 value),
// then the bytes of all cells. A row whose cells are all empty has no block.

#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <span>

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
  static constexpr std::uint32_t kUtf8Flag = 0x80000000u;
  std::uint32_t Word(int i) const;
  std::uint32_t Begin(int col) const { return col == 0 ? 0 : Word(col) & ~kUtf8Flag; }
  std::uint32_t End(int col) const { return Word(col + 1) & ~kUtf8Flag; }
  const char* Bytes() const;

  std::unique_ptr<char[]> block_;
};

}  // namespace zorvane
