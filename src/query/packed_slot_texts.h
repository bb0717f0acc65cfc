// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A growing row of slots with F texts each (the players or the settings of a record), all in one
// heap block: one allocation per record instead of one per slot. Slots are counted from 0 up to
// the highest one written; the rest read as empty. Like TPackedTexts, Latin-1 values take one
// byte per character and any other value is kept as UTF-8.
//
// Block layout: a 16-bit slot count, a byte giving the width of the ends, slot count x F end
// offsets (TPackedEnds), then the bytes of all values. No slots means no block at all.

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <span>

#include "query/packed_ends.h"
#include "query/packed_texts.h"

namespace zorvane {

template <std::size_t F>
class TPackedSlotTexts {
 public:
  using TLatin1Values = std::array<std::optional<QByteArrayView>, F>;
  using TTextValues = std::array<std::optional<QStringView>, F>;

  TPackedSlotTexts() = default;
  TPackedSlotTexts(const TPackedSlotTexts&) = delete;
  TPackedSlotTexts& operator=(const TPackedSlotTexts&) = delete;

  int Slots() const {
    if (!block_) return 0;
    std::uint16_t count;
    std::memcpy(&count, block_.get(), sizeof(count));
    return count;
  }
  bool SlotEmpty(int slot) const {
    return slot < 0 || slot >= Slots() || Begin(Index(slot, 0)) == End(Index(slot, F - 1));
  }
  bool IsEmpty(int slot, std::size_t f) const { return Size(slot, f) == 0; }

  QString Get(int slot, std::size_t f) const {
    const std::size_t size = Size(slot, f);
    if (size == 0) return QString();
    const std::size_t k = Index(slot, f);
    const char* data = Data() + Begin(k);
    return IsUtf8(k) ? QString::fromUtf8(data, qsizetype(size))
                     : QString::fromLatin1(data, qsizetype(size));
  }

  // The stored bytes of a Latin-1 value (empty view for a UTF-8 value: use Get()).
  QByteArrayView Latin1(int slot, std::size_t f) const {
    const std::size_t size = Size(slot, f);
    if (size == 0 || IsUtf8(Index(slot, f))) return {};
    return QByteArrayView(Data() + Begin(Index(slot, f)), qsizetype(size));
  }

  // Compares a value with Latin-1 text, ignoring case, without allocating for Latin-1 values.
  bool SameAs(int slot, std::size_t f, QByteArrayView latin1) const {
    if (Size(slot, f) && IsUtf8(Index(slot, f)))
      return Get(slot, f).compare(QLatin1StringView(latin1), Qt::CaseInsensitive) == 0;
    return QLatin1StringView(Latin1(slot, f))
               .compare(QLatin1StringView(latin1), Qt::CaseInsensitive) == 0;
  }

  // Writes the given values of one slot with one rebuild of the block; values without a text
  // keep what they hold. A slot past the last one is added only for a non-empty value, or
  // always with claim (then the slots between read as empty).
  void SetLatin1Many(int slot, const TLatin1Values& values, bool claim = false) {
    std::array<std::optional<TValue>, F> raw;
    for (std::size_t f = 0; f < F; ++f)
      if (values[f])
        raw[f] = TValue{values[f]->data(), std::size_t(values[f]->size()), false};
    Write(slot, raw, claim);
  }

  // Writes the Latin-1 values of several slots (slot s when touched[s]) with one rebuild.
  template <std::size_t N>
  void SetLatin1Slots(const std::array<TLatin1Values, N>& values, const std::bitset<N>& touched) {
    WriteSlots(
        N,
        [&](std::size_t s, std::size_t f) -> std::optional<TValue> {
          if (!touched[s] || !values[s][f]) return std::nullopt;
          return TValue{values[s][f]->data(), std::size_t(values[s][f]->size()), false};
        },
        0);
  }

  void SetMany(int slot, const TTextValues& values, bool claim = false) {
    std::array<QByteArray, F> bytes;
    std::array<std::optional<TValue>, F> raw;
    for (std::size_t f = 0; f < F; ++f) {
      if (!values[f]) continue;
      const bool latin1 = IsLatin1(*values[f]);
      bytes[f] = latin1 ? values[f]->toLatin1() : values[f]->toUtf8();
      raw[f] = TValue{bytes[f].constData(), std::size_t(bytes[f].size()), !latin1};
    }
    Write(slot, raw, claim);
  }

  void Set(int slot, std::size_t f, QStringView text) {
    if (f >= F) return;
    TTextValues values;
    values[f] = text;
    SetMany(slot, values);
  }

  TPackedValue Raw(int slot, std::size_t f) const {
    const std::size_t size = Size(slot, f);
    if (size == 0) return {};
    const std::size_t k = Index(slot, f);
    return {QByteArrayView(Data() + Begin(k), qsizetype(size)), IsUtf8(k)};
  }

  // Replaces every slot with one new block: slots x F values, slot by slot. The slot count is
  // kept even when every value is empty (as a claiming write keeps it). A count that does not
  // match the values, or values too large for the offsets, leave the texts as they were.
  void Assign(int slots, std::span<const TPackedValue> values) {
    if (slots < 0 || values.size() != std::size_t(slots) * F) return;
    if (slots == 0) {
      block_.reset();
      return;
    }
    std::size_t total = 0;
    for (const TPackedValue& v : values) total += std::size_t(v.bytes.size());
    if (total > TPackedEnds::kMaxTotal || std::size_t(slots) > kMaxSlots) return;
    Build(std::size_t(slots), total, [&](std::size_t k) { return values[k]; });
  }

  void Clear() { block_.reset(); }

  // Heap bytes held by the block (for the memory figures).
  std::size_t HeapBytes() const {
    return block_ ? HeaderSize(std::size_t(Slots()), Width()) + Total() : 0;
  }

 private:
  static constexpr std::size_t kMaxSlots = 0xFFFF;
  // The slot count and the width byte.
  static constexpr std::size_t kCountBytes = 3;
  struct TValue {
    const char* data;
    std::size_t size;
    bool utf8;
  };

  static bool IsLatin1(QStringView text) {
    for (QChar c : text)
      if (c.unicode() > 0xFF) return false;
    return true;
  }
  static std::size_t Index(int slot, std::size_t f) { return std::size_t(slot) * F + f; }
  static std::size_t HeaderSize(std::size_t slots, std::size_t width) {
    return kCountBytes + slots * F * width;
  }

  std::size_t Width() const { return std::size_t(std::uint8_t(block_[2])); }
  TPackedEnds Ends() const { return TPackedEnds(block_.get() + kCountBytes, Width()); }
  std::uint32_t End(std::size_t k) const { return Ends().End(k); }
  std::uint32_t Begin(std::size_t k) const { return Ends().Begin(k); }
  bool IsUtf8(std::size_t k) const { return Ends().Utf8(k); }
  std::size_t Total() const { return Slots() ? End(std::size_t(Slots()) * F - 1) : 0; }
  const char* Data() const { return block_.get() + HeaderSize(std::size_t(Slots()), Width()); }
  std::size_t Size(int slot, std::size_t f) const {
    if (slot < 0 || slot >= Slots() || f >= F) return 0;
    const std::size_t k = Index(slot, f);
    return End(k) - Begin(k);
  }

  void Write(int slot, const std::array<std::optional<TValue>, F>& values, bool claim) {
    if (slot < 0) return;
    WriteSlots(std::size_t(slot) + 1,
               [&](std::size_t s, std::size_t f) {
                 return s == std::size_t(slot) ? values[f] : std::nullopt;
               },
               claim ? std::size_t(slot) + 1 : 0);
  }

  // Writes valueOf(s, f) for the slots s below limit where it gives a value, with one rebuild
  // of the block. The block keeps at least `claimed` slots.
  template <typename TValueOf>
  void WriteSlots(std::size_t limit, const TValueOf& valueOf, std::size_t claimed) {
    const std::size_t oldSlots = std::size_t(Slots());
    std::size_t newSlots = std::max(oldSlots, claimed);
    bool changed = newSlots != oldSlots;
    // Empty values cost nothing, so the new data size is the old one plus what changes.
    std::size_t total = Total();
    for (std::size_t s = 0; s < limit; ++s) {
      for (std::size_t f = 0; f < F; ++f) {
        const std::optional<TValue> value = valueOf(s, f);
        if (!value) continue;
        if (s >= oldSlots) {
          if (value->size == 0) continue;
          newSlots = std::max(newSlots, s + 1);
          changed = true;
          total += value->size;
          continue;
        }
        const std::size_t k = Index(int(s), f), size = End(k) - Begin(k);
        // An empty value is never flagged UTF-8, so "" written as UTF-8 changes nothing.
        if (size != value->size ||
            (size && (IsUtf8(k) != value->utf8 ||
                      std::memcmp(Data() + Begin(k), value->data, size) != 0)))
          changed = true;
        total = total - size + value->size;
      }
    }
    if (!changed) return;
    if (total == 0 && claimed == 0) {
      block_.reset();
      return;
    }
    if (total > TPackedEnds::kMaxTotal || newSlots > kMaxSlots) return;  // beyond the ends
    const char* oldData = block_ ? Data() : nullptr;
    Build(newSlots, total, [&](std::size_t k) -> TPackedValue {
      const std::optional<TValue> value =
          k / F < limit ? valueOf(k / F, k % F) : std::optional<TValue>();
      if (value) return {QByteArrayView(value->data, qsizetype(value->size)), value->utf8};
      if (k < oldSlots * F)
        return {QByteArrayView(oldData + Begin(k), qsizetype(End(k) - Begin(k))), IsUtf8(k)};
      return {};
    });
  }

  // A new block of slots x F values valueOf(k) gives, total bytes in all; valueOf may read the
  // old block, which goes only once the new one is whole.
  template <typename TValueOf>
  void Build(std::size_t slots, std::size_t total, const TValueOf& valueOf) {
    const std::size_t width = TPackedEnds::WidthFor(total);
    auto block = std::make_unique_for_overwrite<char[]>(HeaderSize(slots, width) + total);
    const auto count = std::uint16_t(slots);
    std::memcpy(block.get(), &count, sizeof(count));
    block[2] = char(width);
    char* data = block.get() + HeaderSize(slots, width);
    std::uint32_t end = 0;
    for (std::size_t k = 0; k < slots * F; ++k) {
      const TPackedValue v = valueOf(k);
      const auto size = std::size_t(v.bytes.size());
      if (size) std::memcpy(data + end, v.bytes.data(), size);
      end += std::uint32_t(size);
      TPackedEnds::Put(block.get() + kCountBytes, width, k, end, v.utf8 && size);
    }
    block_ = std::move(block);
  }

  std::unique_ptr<char[]> block_;
};

}  // namespace zorvane
