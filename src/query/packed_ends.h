// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The end offsets that locate the values of a packed text block (a record's texts, its players
// and settings, a grid row). While a block's bytes fit in 32 KiB, as nearly all do, an end
// takes 16 bits with bit 15 marking a UTF-8 value; a larger block takes 32 bits (bit 31). A
// stash of tens of thousands of records spends more on these ends than on most of its texts.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zorvane {

class TPackedEnds {
 public:
  // The largest total of value bytes a block may hold at all, and with 16-bit ends.
  static constexpr std::size_t kMaxTotal = 0x7FFFFFFF;
  static constexpr std::size_t kNarrowTotal = 0x7FFF;

  // Bytes per end for a block whose values take total bytes.
  static std::size_t WidthFor(std::size_t total) { return total <= kNarrowTotal ? 2 : 4; }

  TPackedEnds(const char* table, std::size_t width) : table_(table), width_(width) {}

  std::uint32_t End(std::size_t k) const { return Word(k) & ~Flag(width_); }
  std::uint32_t Begin(std::size_t k) const { return k == 0 ? 0 : End(k - 1); }
  bool Utf8(std::size_t k) const { return (Word(k) & Flag(width_)) != 0; }

  // Writes end k of a table of the given width; end must fit it (total <= what WidthFor chose).
  static void Put(char* table, std::size_t width, std::size_t k, std::uint32_t end, bool utf8) {
    const std::uint32_t word = end | (utf8 ? Flag(width) : 0);
    if (width == 2) {
      const auto narrow = std::uint16_t(word);
      std::memcpy(table + k * 2, &narrow, 2);
    } else {
      std::memcpy(table + k * 4, &word, 4);
    }
  }

 private:
  static std::uint32_t Flag(std::size_t width) { return width == 2 ? 0x8000u : 0x80000000u; }
  std::uint32_t Word(std::size_t k) const {
    if (width_ == 2) {
      std::uint16_t narrow;
      std::memcpy(&narrow, table_ + k * 2, 2);
      return narrow;
    }
    std::uint32_t word;
    std::memcpy(&word, table_ + k * 4, 4);
    return word;
  }

  const char* table_;
  std::size_t width_;
};

}  // namespace zorvane
