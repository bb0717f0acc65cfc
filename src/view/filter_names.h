#pragma once
// The fifteen filters of a server view, in index order; their names are the keys under which
// each game type's filter values and in-use flags are stored.

#include <array>

namespace zorvane {

inline constexpr int kFilterCount = 15;
inline constexpr std::array<const char*, kFilterCount> kFilterNames = {
    "versionFilter",      "botSkillFilter",    "translocatorFilter", "weaponStayFilter",
    "forceRespawnFilter", "noTeamChangesFilter", "passwordFilter",   "playersFilter",
    "maxPlayersFilter",   "gameSpeedFilter",   "airControlFilter",   "goalTeamScoreFilter",
    "maxTeamsFilter",     "friendlyFireFilter", "locationFilter"};
inline constexpr int kVersionFilter = 0;
inline constexpr int kPlayersFilter = 7;

}  // namespace zorvane
