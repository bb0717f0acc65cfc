// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/server_cache_checksum.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace zorvane {

namespace {

constexpr quint64 k1 = 0x87C37B91114253D5ull, k2 = 0x4CF5AD432745937Full;

quint64 Mix(quint64 h, quint64 w) {
  h ^= w * k1;
  return ((h << 31) | (h >> 33)) * k2;
}

}  // namespace

TServerCacheChecksum::TServerCacheChecksum(quint64 bodyLength)
    : lanes_{0x9E3779B97F4A7C15ull ^ bodyLength, 1, 2, 3} {}

void TServerCacheChecksum::AddBlock(const char* block) {
  for (int lane = 0; lane < 4; ++lane)
    lanes_[lane] = Mix(lanes_[lane], qFromLittleEndian<quint64>(block + 8 * lane));
}

void TServerCacheChecksum::Add(QByteArrayView bytes) {
  const char* p = bytes.data();
  qsizetype left = bytes.size();
  if (pendingSize_ > 0) {  // complete the block the last piece began
    const qsizetype take = std::min(left, kBlock - pendingSize_);
    std::memcpy(pending_ + pendingSize_, p, std::size_t(take));
    pendingSize_ += take;
    p += take;
    left -= take;
    if (pendingSize_ < kBlock) return;
    AddBlock(pending_);
    pendingSize_ = 0;
  }
  for (; left >= kBlock; p += kBlock, left -= kBlock) AddBlock(p);
  if (left > 0) std::memcpy(pending_, p, std::size_t(left));
  pendingSize_ = left;
}

quint64 TServerCacheChecksum::Value() const {
  // The lanes joined, then the words and bytes after the last whole block.
  quint64 h = lanes_[0];
  for (int lane = 1; lane < 4; ++lane) h = Mix(h, lanes_[lane]);
  const char* p = pending_;
  qsizetype left = pendingSize_;
  for (; left >= 8; p += 8, left -= 8) h = Mix(h, qFromLittleEndian<quint64>(p));
  if (left > 0) {
    quint64 tail = 0;
    for (qsizetype i = 0; i < left; ++i) tail |= quint64(quint8(p[i])) << (8 * i);
    h = Mix(h, tail);
  }
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  return h;
}

}  // namespace zorvane
