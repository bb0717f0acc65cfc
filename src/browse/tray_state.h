// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the tray icon shows for a server: its state (0 offline or unknown, 1 online and empty,
// 2 online with players), the tip text, and which image of the icon groups that is.

#include <QString>

namespace zorvane {

class TServerStash;

inline constexpr int kTrayTipLength = 63;
inline constexpr int kIconStates = 3;
inline constexpr const char* kTraySetupKey = "setup";

struct TTrayState {
  int state = 0;
  QString tip;
  bool operator==(const TTrayState&) const = default;
};

// "setup" or an unknown key: "no server"; no reply ("9999" or "..."): "offline"; otherwise
// n players: "n players" ("1 player"), then " in " and the map when it is known. The tip is
// cut to 63 characters.
TTrayState TrayStateOf(const TServerStash& stash, const QString& key);

// The image of a state in a group (1 to 5; others are taken as 1), counted from 0 over all
// groups: group × 3 − 3 + state.
int TrayImageIndex(int group, int state);

}  // namespace zorvane
