// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The fifteen filters of a server view, in index order; their names are the keys under which
// each game type's filter values and in-use flags are stored.

#include <QString>
#include <array>

namespace zorvane {

inline constexpr int kFilterCount = 15;
inline constexpr std::array<const char*, kFilterCount> kFilterNames = {
    "versionFilter",      "botSkillFilter",      "translocatorFilter", "weaponStayFilter",
    "forceRespawnFilter", "noTeamChangesFilter", "passwordFilter",     "playersFilter",
    "maxPlayersFilter",   "gameSpeedFilter",     "airControlFilter",   "goalTeamScoreFilter",
    "maxTeamsFilter",     "friendlyFireFilter",  "locationFilter"};
inline constexpr int kVersionFilter = 0;
inline constexpr int kPlayersFilter = 7;

// Each game type's filters: the value shown and whether the filter is in use.
struct TFilterSet {
  std::array<QString, kFilterCount> values;
  std::array<bool, kFilterCount> used{};
  bool operator==(const TFilterSet&) const = default;
};

}  // namespace zorvane
