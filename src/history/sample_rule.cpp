// SPDX-License-Identifier: GPL-2.0-or-later
#include "history/sample_rule.h"

#include <cstdlib>

#include "query/server_record.h"

namespace zorvane {

namespace {

// A count as the server wrote it: plain digits, within what a server can hold.
std::optional<int> Count(QByteArrayView text) {
  if (text.isEmpty() || text.size() > 4) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

bool SampleDue(std::optional<qint64> last, qint64 now) {
  return !last || std::llabs(now - *last) >= kSampleSpacingSecs;
}

std::optional<THistorySample> SampleOf(const TServer& server, qint64 now) {
  if (!server.Online) return std::nullopt;
  THistorySample sample;
  sample.time = now;
  if (const auto players = Count(server.TextLatin1(TServerText::NumPlayers))) {
    sample.players = *players;
  } else {
    for (int slot = 0; slot < kPlayerSlots; ++slot) sample.players += server.PlayerInUse(slot);
  }
  sample.maxPlayers = Count(server.TextLatin1(TServerText::MaxPlayers)).value_or(0);
  sample.map = server.MapName();
  return sample;
}

QString SightingKey(const QString& player) {
  return player.toCaseFolded();
}

}  // namespace zorvane
