// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What each of the fifteen filters compares and offers, as data: the boxes of every view, the
// "Use These Filters" dialog and the matching all read it from here.

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

#include "config/filter_set.h"
#include "query/server_record.h"

namespace zorvane {

// How a filter's text is compared with a server value. The byte values are the stored ones.
enum class TCompareType : std::uint8_t { ctText = 0, ctBoolean = 1, ctIntegerRange = 2, ctNil = 3 };

inline constexpr const char* kAllItem = "[all]";

struct TFilterInfo {
  const char* name;     // the key of the stored value, as kFilterNames
  const char* caption;  // with its accelerator "&"
  TServerText field;    // the server value the filter looks at
  TCompareType compareType;
  bool isTeam;  // only makes sense for team games
};

inline constexpr std::array<TFilterInfo, kFilterCount> kFilterTable = {{
    {"versionFilter", "&Version", TServerText::Game, TCompareType::ctText, false},
    {"botSkillFilter", "&Bot Skill", TServerText::BotSkill, TCompareType::ctText, false},
    {"translocatorFilter", "T&ranslocator", TServerText::UseTranslocator, TCompareType::ctText,
     false},
    {"weaponStayFilter", "&Weapon Stay", TServerText::MultiWeaponStay, TCompareType::ctText, false},
    {"forceRespawnFilter", "Forc&e Respawn", TServerText::ForceRespawn, TCompareType::ctText,
     false},
    {"noTeamChangesFilter", "&NoTeamChange", TServerText::NoTeamChanges, TCompareType::ctText,
     true},
    {"passwordFilter", "Password Req.", TServerText::Password, TCompareType::ctText, false},
    {"playersFilter", "Players", TServerText::NumPlayers, TCompareType::ctIntegerRange, false},
    {"maxPlayersFilter", "Ma&x Players", TServerText::MaxPlayers, TCompareType::ctIntegerRange,
     false},
    {"gameSpeedFilter", "&Game Speed", TServerText::GameSpeed, TCompareType::ctIntegerRange, false},
    {"airControlFilter", "A&ir Control", TServerText::AirControl, TCompareType::ctIntegerRange,
     false},
    {"goalTeamScoreFilter", "Team Score", TServerText::GoalTeamScore, TCompareType::ctIntegerRange,
     true},
    {"maxTeamsFilter", "Max Teams", TServerText::MaxTeams, TCompareType::ctIntegerRange, true},
    {"friendlyFireFilter", "Friendly Fire", TServerText::FriendlyFire, TCompareType::ctIntegerRange,
     true},
    {"locationFilter", "Location", TServerText::Location, TCompareType::ctText, false},
}};

// The choices of filter index, "[all]" first; empty for an index out of range.
QStringList FilterItems(int index);

// The item a stored value selects: the item equal to it (ignoring ASCII case), else "[all]".
QString FilterItemFor(int index, const QString& value);

// The index of the filter stored under name (ignoring case), or -1.
int FilterIndexOf(QStringView name);

}  // namespace zorvane
