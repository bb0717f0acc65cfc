// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Checks that a record holds no text a server could use to break a line or drive a terminal.

#include <gtest/gtest.h>

#include "query/network_text.h"
#include "query/server_record.h"

namespace zorvane::testing {

// Every text of the record as the views would read it: no control character outside a whole
// colour code.
inline ::testing::AssertionResult HoldsOnlyCleanTexts(const TServer& server) {
  const auto clean = [](const QString& text) {
    return SanitizeNetworkText(QStringView(text)) == text;
  };
  for (std::size_t f = 0; f < kServerTextCount; ++f)
    if (!clean(server.Text(TServerText(f))))
      return ::testing::AssertionFailure() << ServerTextName(TServerText(f));
  for (int slot = 0; slot < kPlayerSlots; ++slot)
    for (std::size_t f = 0; f < kPlayerFieldCount; ++f)
      if (!clean(server.PlayerText(slot, TPlayerField(f))))
        return ::testing::AssertionFailure() << "player " << slot << " " << f;
  for (int slot = 0; slot < server.SettingSlotsUsed(); ++slot) {
    const RSetting setting = server.Setting(slot);
    if (!clean(setting.Name) || !clean(setting.Value))
      return ::testing::AssertionFailure() << "setting " << slot;
  }
  return ::testing::AssertionSuccess();
}

}  // namespace zorvane::testing
