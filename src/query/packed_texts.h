// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A fixed number of texts packed into one heap block, so that a record with many mostly short
// or empty values costs a few hundred bytes instead of a QString header (and allocation) per
// value. Values made only of Latin-1 characters (everything that comes off the wire) take one
// byte per character; any other value is kept as UTF-8.
//
// Block layout: a byte giving the width of the ends, N end offsets (TPackedEnds), then the
// bytes of all values. All values empty means no block at all.

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>

#include "query/packed_ends.h"

namespace zorvane {

// One value as a packed block keeps it: its bytes, UTF-8 or else Latin-1. An empty value is
// never UTF-8.
struct TPackedValue {
  QByteArrayView bytes;
  bool utf8 = false;
};

template <std::size_t N>
class TPackedTexts {
 public:
  TPackedTexts() = default;
  TPackedTexts(const TPackedTexts& other) { *this = other; }
  TPackedTexts& operator=(const TPackedTexts& other) {
    if (this != &other) {
      block_.reset();
      if (other.block_) {
        const std::size_t size = other.BlockSize();
        block_ = std::make_unique<char[]>(size);
        std::memcpy(block_.get(), other.block_.get(), size);
      }
    }
    return *this;
  }
  TPackedTexts(TPackedTexts&&) noexcept = default;
  TPackedTexts& operator=(TPackedTexts&&) noexcept = default;

  static constexpr std::size_t Count() { return N; }

  bool AllEmpty() const { return !block_; }
  bool IsEmpty(std::size_t i) const { return Begin(i) == End(i); }

  QString Get(std::size_t i) const {
    if (!block_) return QString();
    const char* data = Data() + Begin(i);
    const qsizetype size = qsizetype(End(i) - Begin(i));
    return IsUtf8(i) ? QString::fromUtf8(data, size) : QString::fromLatin1(data, size);
  }

  // The stored bytes of a Latin-1 value (empty view for a UTF-8 value: use Get()).
  QByteArrayView Latin1(std::size_t i) const {
    if (!block_ || IsUtf8(i)) return {};
    return QByteArrayView(Data() + Begin(i), qsizetype(End(i) - Begin(i)));
  }

  void Set(std::size_t i, QStringView text) {
    bool latin1 = true;
    for (QChar c : text) {
      if (c.unicode() > 0xFF) {
        latin1 = false;
        break;
      }
    }
    if (latin1) {
      const QByteArray bytes = text.toLatin1();
      Replace(i, bytes.constData(), std::size_t(bytes.size()), false);
    } else {
      const QByteArray bytes = text.toUtf8();
      Replace(i, bytes.constData(), std::size_t(bytes.size()), true);
    }
  }

  // Compares value i with Latin-1 text, ignoring case, without allocating for Latin-1 values.
  bool SameAs(std::size_t i, QByteArrayView latin1) const {
    if (IsUtf8(i)) return Get(i).compare(QLatin1StringView(latin1), Qt::CaseInsensitive) == 0;
    return QLatin1StringView(Latin1(i)).compare(QLatin1StringView(latin1), Qt::CaseInsensitive) == 0;
  }

  void SetLatin1(std::size_t i, QByteArrayView bytes) {
    Replace(i, bytes.data(), std::size_t(bytes.size()), false);
  }

  // Sets several Latin-1 values with one rebuild of the block; values without a text keep
  // what they hold.
  void SetLatin1Many(const std::array<std::optional<QByteArrayView>, N>& values) {
    std::size_t total = 0;
    bool changed = false;
    for (std::size_t i = 0; i < N; ++i) {
      if (values[i]) {
        total += std::size_t(values[i]->size());
        changed = changed || IsUtf8(i) || Latin1(i) != *values[i];
      } else {
        total += End(i) - Begin(i);
      }
    }
    if (!changed || total > TPackedEnds::kMaxTotal) return;
    Build(total, [&](std::size_t i) {
      return values[i] ? TPackedValue{*values[i], false} : Raw(i);
    });
  }

  // Sets several values with one rebuild of the block, each as Latin-1 where it allows and
  // else as UTF-8; values without a text keep what they hold. (A new record gets its first
  // values here: one block instead of one per value, and no copy of each value of its own.)
  void SetMany(const std::array<std::optional<QStringView>, N>& values) {
    std::size_t room = 0;
    for (const auto& v : values)
      if (v) room += 3 * std::size_t(v->size());
    QByteArray bytes;  // the new values' bytes, one after another
    bytes.reserve(qsizetype(room));
    std::array<qsizetype, N> at{}, size{};
    std::array<bool, N> utf8{};
    std::size_t total = 0;
    for (std::size_t i = 0; i < N; ++i) {
      if (!values[i]) {
        total += End(i) - Begin(i);
        continue;
      }
      const QStringView text = *values[i];
      at[i] = bytes.size();
      bool latin1 = true;
      for (QChar c : text) latin1 = latin1 && c.unicode() <= 0xFF;
      if (latin1) {
        bytes.resize(at[i] + text.size());
        char* out = bytes.data() + at[i];
        for (QChar c : text) *out++ = char(c.unicode());
      } else {
        bytes.append(text.toUtf8());
        utf8[i] = true;
      }
      size[i] = bytes.size() - at[i];
      total += std::size_t(size[i]);
    }
    if (total > TPackedEnds::kMaxTotal) return;
    Build(total, [&](std::size_t i) {
      return values[i] ? TPackedValue{QByteArrayView(bytes.constData() + at[i], size[i]), utf8[i]}
                       : Raw(i);
    });
  }

  TPackedValue Raw(std::size_t i) const {
    if (!block_ || i >= N) return {};
    return {QByteArrayView(Data() + Begin(i), qsizetype(End(i) - Begin(i))), IsUtf8(i)};
  }

  // Replaces every value with one new block. Values that would not fit the block's 31-bit
  // offsets leave the texts as they were.
  void Assign(const std::array<TPackedValue, N>& values) {
    std::size_t total = 0;
    for (const TPackedValue& v : values) total += std::size_t(v.bytes.size());
    if (total > TPackedEnds::kMaxTotal) return;
    Build(total, [&](std::size_t i) { return values[i]; });
  }

  void Clear() { block_.reset(); }

  // Heap bytes held by this value (for the memory figures).
  std::size_t HeapBytes() const { return block_ ? BlockSize() : 0; }

 private:
  // The width byte, then the ends.
  static std::size_t HeaderSize(std::size_t width) { return 1 + N * width; }
  std::size_t Width() const { return std::size_t(std::uint8_t(block_[0])); }
  TPackedEnds Ends() const { return TPackedEnds(block_.get() + 1, Width()); }
  std::uint32_t End(std::size_t i) const { return block_ ? Ends().End(i) : 0; }
  std::uint32_t Begin(std::size_t i) const { return i == 0 ? 0 : End(i - 1); }
  bool IsUtf8(std::size_t i) const { return block_ && Ends().Utf8(i); }
  const char* Data() const { return block_.get() + HeaderSize(Width()); }
  std::size_t BlockSize() const { return HeaderSize(Width()) + End(N - 1); }

  // A new block of the values valueOf(i) gives, total bytes in all; valueOf may read the old
  // block, which goes only once the new one is whole.
  template <typename TValueOf>
  void Build(std::size_t total, const TValueOf& valueOf) {
    if (total == 0) {
      block_.reset();
      return;
    }
    const std::size_t width = TPackedEnds::WidthFor(total);
    auto block = std::make_unique_for_overwrite<char[]>(HeaderSize(width) + total);
    block[0] = char(width);
    char* data = block.get() + HeaderSize(width);
    std::uint32_t end = 0;
    for (std::size_t i = 0; i < N; ++i) {
      const TPackedValue v = valueOf(i);
      const auto size = std::size_t(v.bytes.size());
      if (size) std::memcpy(data + end, v.bytes.data(), size);
      end += std::uint32_t(size);
      TPackedEnds::Put(block.get() + 1, width, i, end, v.utf8 && size);
    }
    block_ = std::move(block);
  }

  void Replace(std::size_t i, const char* bytes, std::size_t size, bool utf8) {
    if (i >= N) return;
    const std::uint32_t oldBegin = Begin(i), oldEnd = End(i), total = End(N - 1);
    if (oldEnd - oldBegin == size && IsUtf8(i) == utf8 &&
        (size == 0 || std::memcmp(Data() + oldBegin, bytes, size) == 0))
      return;  // unchanged: no new block
    const std::size_t newTotal = total - (oldEnd - oldBegin) + size;
    if (newTotal > TPackedEnds::kMaxTotal) return;
    Build(newTotal, [&](std::size_t k) {
      return k == i ? TPackedValue{QByteArrayView(bytes, qsizetype(size)), utf8} : Raw(k);
    });
  }

  std::unique_ptr<char[]> block_;
};

}  // namespace zorvane
