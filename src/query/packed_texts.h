// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A fixed number of texts packed into one heap block, so that a record with many mostly short
// or empty values costs a few hundred bytes instead of a QString header (and allocation) per
// value. Values made only of Latin-1 characters (everything that comes off the wire) take one
// byte per character; any other value is kept as UTF-8.
//
// Block layout: N 32-bit end offsets (bit 31 marks a UTF-8 value), then the bytes of all values.
// All values empty means no block at all.

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>

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
    if (!changed) return;
    if (total == 0) {
      block_.reset();
      return;
    }
    auto block = std::make_unique<char[]>(kHeader + total);
    char* data = block.get() + kHeader;
    std::uint32_t end = 0;
    for (std::size_t i = 0; i < N; ++i) {
      std::uint32_t flag = 0;
      if (values[i]) {
        if (!values[i]->isEmpty()) std::memcpy(data + end, values[i]->data(), values[i]->size());
        end += std::uint32_t(values[i]->size());
      } else {
        const std::uint32_t size = End(i) - Begin(i);
        if (size) std::memcpy(data + end, Data() + Begin(i), size);
        end += size;
        flag = IsUtf8(i) ? kUtf8Flag : 0;
      }
      const std::uint32_t word = end | flag;
      std::memcpy(block.get() + i * sizeof(word), &word, sizeof(word));
    }
    block_ = std::move(block);
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
    if (total > ~kUtf8Flag) return;
    if (total == 0) {
      block_.reset();
      return;
    }
    auto block = std::make_unique_for_overwrite<char[]>(kHeader + total);
    char* data = block.get() + kHeader;
    std::uint32_t end = 0;
    for (std::size_t i = 0; i < N; ++i) {
      const TPackedValue& v = values[i];
      if (!v.bytes.isEmpty()) std::memcpy(data + end, v.bytes.data(), std::size_t(v.bytes.size()));
      end += std::uint32_t(v.bytes.size());
      const std::uint32_t word = end | (v.utf8 && !v.bytes.isEmpty() ? kUtf8Flag : 0);
      std::memcpy(block.get() + i * sizeof(word), &word, sizeof(word));
    }
    block_ = std::move(block);
  }

  void Clear() { block_.reset(); }

  // Heap bytes held by this value (for the memory figures).
  std::size_t HeapBytes() const { return block_ ? BlockSize() : 0; }

 private:
  static constexpr std::uint32_t kUtf8Flag = 0x80000000u;
  static constexpr std::size_t kHeader = N * sizeof(std::uint32_t);

  std::uint32_t EndWord(std::size_t i) const {
    std::uint32_t word;
    std::memcpy(&word, block_.get() + i * sizeof(word), sizeof(word));
    return word;
  }
  std::uint32_t End(std::size_t i) const { return block_ ? EndWord(i) & ~kUtf8Flag : 0; }
  std::uint32_t Begin(std::size_t i) const { return i == 0 ? 0 : End(i - 1); }
  bool IsUtf8(std::size_t i) const { return block_ && (EndWord(i) & kUtf8Flag); }
  const char* Data() const { return block_.get() + kHeader; }
  std::size_t BlockSize() const { return kHeader + End(N - 1); }

  void Replace(std::size_t i, const char* bytes, std::size_t size, bool utf8) {
    if (i >= N) return;
    const std::uint32_t oldBegin = Begin(i), oldEnd = End(i), total = End(N - 1);
    if (oldEnd - oldBegin == size && IsUtf8(i) == utf8 &&
        (size == 0 || std::memcmp(Data() + oldBegin, bytes, size) == 0))
      return;  // unchanged: no new block
    const std::size_t newTotal = total - (oldEnd - oldBegin) + size;
    if (newTotal == 0) {
      block_.reset();
      return;
    }
    auto block = std::make_unique<char[]>(kHeader + newTotal);
    char* data = block.get() + kHeader;
    if (block_) {
      std::memcpy(data, Data(), oldBegin);
      std::memcpy(data + oldBegin + size, Data() + oldEnd, total - oldEnd);
    }
    if (size) std::memcpy(data + oldBegin, bytes, size);
    const auto shift = std::int64_t(size) - std::int64_t(oldEnd - oldBegin);
    for (std::size_t k = 0; k < N; ++k) {
      std::uint32_t word = block_ ? EndWord(k) : 0;
      if (k >= i) word = std::uint32_t(std::int64_t(word & ~kUtf8Flag) + shift) | (word & kUtf8Flag);
      if (k == i) word = (word & ~kUtf8Flag) | (utf8 ? kUtf8Flag : 0);
      std::memcpy(block.get() + k * sizeof(word), &word, sizeof(word));
    }
    block_ = std::move(block);
  }

  std::unique_ptr<char[]> block_;
};

}  // namespace zorvane
