// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The plain values of section "settings", one entry each, in the order a new file holds them:
// the key, how its text is read, its default and the member of TSettings that holds it.
// Loading and saving walk this one table, and a new TSettings takes its defaults from it.
// The stamp, the debug switch, the grid sorts and the lists stay in settings.cpp.

#include <QString>
#include <climits>
#include <cstdint>
#include <optional>
#include <span>
#include <variant>

#include "config/ini_document.h"
#include "config/settings.h"

namespace zorvane {

enum class TSettingKind : std::uint8_t {
  Flag,     // "1" is true, any other text false
  Nonzero,  // any number but 0 is true; text that is no number gives the default
  Ranged,   // a number in lo..hi; out of range or no number gives the fallback
  Clamped,  // a number moved into lo..hi; no number gives the fallback (the default)
  Text,     // any text as it stands
  Choice,   // the default exactly as written, or one of the choices ignoring case (kept in
            // the choice's own spelling); any other text gives the fallback text
  Trimmed,  // the text without surrounding blanks; blank gives the default
  Layout,   // a number, read by the window-layout block (an empty value is saved as 0)
};

using TSettingMember = std::variant<bool TSettings::*, int TSettings::*, QString TSettings::*,
                                    std::optional<int> TSettings::*>;

struct TSettingEntry {
  const char* key;
  TSettingKind kind;
  TSettingMember member;
  int number = 0;                  // the default of a bool (0 or 1) or number
  int lo = INT_MIN, hi = INT_MAX;  // Ranged, Clamped
  int fallback = 0;                // Ranged, Clamped
  const char* text = "";           // the default of a text
  const char* choices = "";        // Choice: the accepted texts, "|" between them
  const char* fallbackText = "";   // Choice
  bool keepOtherText = false;      // Choice: other text that is not blank is kept as written
  bool atStartup = false;          // read by LoadStartupSettings rather than LoadSettings
};

// Every entry, in file order.
std::span<const TSettingEntry> SettingsTable();
// The key of the entry that holds member.
QString SettingKey(const TSettingMember& member);

void SetDefault(const TSettingEntry& entry, TSettings& settings);
// Layout entries are left to the window-layout block.
void LoadSetting(const TIniDocument& ini, const TSettingEntry& entry, TSettings& settings);
void SaveSetting(TIniDocument& ini, const TSettingEntry& entry, const TSettings& settings);

}  // namespace zorvane
