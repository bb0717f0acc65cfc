// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/packed_row.h"

#include <QByteArray>
#include <QList>
#include <cstring>
#include <vector>

namespace zorvane {

namespace {

bool IsLatin1(QStringView text) {
  for (QChar c : text)
    if (c.unicode() > 0xFF) return false;
  return true;
}

}  // namespace

int TPackedRow::Count() const {
  if (!block_) return 0;
  std::uint16_t count;
  std::memcpy(&count, block_.get(), sizeof(count));
  return count;
}

const char* TPackedRow::Bytes() const {
  return block_.get() + kCountBytes + std::size_t(Count()) * Width();
}

QString TPackedRow::Cell(int col) const {
  if (col < 0 || col >= Count()) return {};
  const char* data = Bytes() + Begin(col);
  const qsizetype size = qsizetype(End(col) - Begin(col));
  if (size == 0) return {};
  return Ends().Utf8(std::size_t(col)) ? QString::fromUtf8(data, size)
                                       : QString::fromLatin1(data, size);
}

bool TPackedRow::CellIsEmpty(int col) const {
  return col < 0 || col >= Count() || Begin(col) == End(col);
}

void TPackedRow::Assign(std::span<const QString> texts) {
  // Latin-1 texts (the rule) are copied a byte a character straight into the block; only the
  // others are turned into UTF-8 first.
  QList<QByteArray> utf8;
  std::vector<bool> latin1(texts.size());
  std::size_t total = 0;
  bool any = false;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    latin1[i] = IsLatin1(texts[i]);
    if (latin1[i]) {
      total += std::size_t(texts[i].size());
    } else {
      utf8.append(texts[i].toUtf8());
      total += std::size_t(utf8.back().size());
    }
    any = any || !texts[i].isEmpty();
  }
  // A row of gigabytes, or of more cells than a grid has columns, is not kept.
  if (!any || total > TPackedEnds::kMaxTotal || texts.size() > kMaxCells) {
    block_.reset();
    return;
  }
  const std::size_t width = TPackedEnds::WidthFor(total);
  const std::size_t header = kCountBytes + texts.size() * width;
  auto block = std::make_unique_for_overwrite<char[]>(header + total);
  const auto count = std::uint16_t(texts.size());
  std::memcpy(block.get(), &count, sizeof(count));
  block[2] = char(width);
  char* data = block.get() + header;
  std::uint32_t end = 0;
  qsizetype nextUtf8 = 0;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (latin1[i]) {
      for (QChar c : texts[i]) data[end++] = char(c.unicode());
    } else {
      const QByteArray& bytes = utf8[nextUtf8++];
      if (!bytes.isEmpty()) std::memcpy(data + end, bytes.constData(), std::size_t(bytes.size()));
      end += std::uint32_t(bytes.size());
    }
    TPackedEnds::Put(block.get() + kCountBytes, width, i, end, !latin1[i]);
  }
  block_ = std::move(block);
}

void TPackedRow::SetCell(int count, int col, QStringView text) {
  if (col < 0 || col >= count) return;
  QList<QString> texts(count);
  for (int i = 0; i < count; ++i) texts[i] = i == col ? text.toString() : Cell(i);
  Assign(texts);
}

void TPackedRow::Resize(int count) {
  if (count == Count() || !block_) return;
  QList<QString> texts(std::max(count, 0));
  for (int i = 0; i < texts.size(); ++i) texts[i] = Cell(i);
  Assign(texts);
}

}  // namespace zorvane
