// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Which views show a server: the one rule behind both the lists rebuilt from the stash and the
// route of each reply as it comes in.

#include <QString>
#include <QStringView>
#include <memory>
#include <vector>

#include "config/game_records.h"
#include "query/server_record.h"

namespace zorvane {

inline constexpr const char* kOtherGameType = "Other";
inline constexpr const char* kFavoriteGameType = "Favorite";

// True when the game type has no visible tab of its own: a type the table does not list, or
// one whose tab is hidden (names compared ignoring case).
bool HasNoVisibleTab(QStringView gameTypeName,
                     const std::vector<std::unique_ptr<TGameType>>& gameTypes);

// The views of a server: the view of its game type when that type's tab is visible ("Favorite"
// and "LAN" are no game type of a server), else "Other"; the favourites view too for a
// favourite, and the "LAN" view for a server the last LAN search found.
struct TServerRoute {
  QString typeView;    // the game type of the view, as the table spells it, or "Other"
  bool other = false;  // typeView is "Other"
  bool favorites = false;
  bool lan = false;
};
TServerRoute RouteOfServer(const TServer& server,
                           const std::vector<std::unique_ptr<TGameType>>& gameTypes);

// Whether the view of viewGameType (the favourites view when favoriteView) lists the server:
// the route above, asked of one view. The "LAN" view holds the servers the last LAN search
// found, and nothing else.
bool BelongsToView(const TServer& server, const QString& viewGameType, bool favoriteView,
                   const std::vector<std::unique_ptr<TGameType>>& gameTypes);

}  // namespace zorvane
