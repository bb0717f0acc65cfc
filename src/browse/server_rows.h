// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a server view shows of a server, decided without widgets: which servers a view lists,
// the texts of a server row, the player and setting rows, the count text.

#include <QString>
#include <array>
#include <memory>
#include <utility>
#include <vector>

#include "browse/server_route.h"
#include "config/game_records.h"
#include "query/server_record.h"

namespace zorvane {

class TCountryLookup;

// Columns of the server grid.
// Country, Address, Password and Busiest come after the hidden key column, in the order they
// were added, so that widths stored before they existed keep their columns. Busiest (when the
// server is usually busiest) is filled from the server history, in the favourites only.
enum TServerColumn {
  scServer = 0,
  scPlayers,
  scPing,
  scMap,
  scGameType,
  scIP,
  scCountry,
  scAddress,
  scPassword,
  scBusy,
  scCount
};
// Columns of the player grid and of the setting grid.
enum TPlayerColumn { pcPlayer = 0, pcFrags, pcPing, pcTeam, pcCount };
enum TSettingColumn { stName = 0, stValue, stCount };

// "3", or "3/16" with the fuller player information when both counts are known.
QString PlayersText(const TServer& server, bool morePlayerInfo);

// The ping cell: the ping, in brackets ("(52)") while the server is one listed from the
// last session and not yet refreshed.
QString PingText(const TServer& server);

// Whether joining the server takes a password: UT's "password" rule, or the "GamePassword"
// setting of UT2003 and UT2004, is "True".
bool NeedsPassword(const TServer& server);
// The Password cell: "Yes" when a password is needed (drawn as a lock), else empty.
QString PasswordText(const TServer& server);

// The Address cell: the address players join, "IP:game port" (the name when the server has no
// address yet); empty when neither is known.
QString AddressText(const TServer& server);

// The Game Type cell: the tab title of a game type the table lists (without its "&"), else the
// class the server reported. Filters, monitors and the routing of replies keep the class.
QString GameTypeText(const QString& reported,
                     const std::vector<std::unique_ptr<TGameType>>& gameTypes);

// The cells of a server row, by TServerColumn. Without a look-up the country is empty; without
// the game types the Game Type cell is the reported class.
std::array<QString, scCount> ServerRowTexts(
    const TServer& server, const QString& key, bool morePlayerInfo,
    TCountryLookup* countries = nullptr,
    const std::vector<std::unique_ptr<TGameType>>* gameTypes = nullptr);

// One row per used player slot, in slot order: Player, Frags, Ping, Team.
std::vector<std::array<QString, pcCount>> PlayerRows(const TServer& server);

// The settings shown for a server: address and version, then the UT rule values, or the
// reported settings of the other games up to the first gap. Rows with empty values are left out.
std::vector<std::pair<QString, QString>> SettingRows(const TServer& server);

// "3 CTF servers", "1 CTF server", "0 CTF servers" (a single row without a key is the grid's
// empty row).
QString CountText(int dataRows, bool singleRowHasKey, const QString& title);

// The title as captions show it: without its first "&".
QString PlainTitle(const QString& title);

}  // namespace zorvane
