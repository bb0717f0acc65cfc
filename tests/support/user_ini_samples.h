// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// User INI files as the games leave them on disk (Windows line ends, comments, other sections
// around the player keys), for the tests of the player setup.

#include <QByteArray>

namespace zorvane::testing {

// UT's User.ini.
inline const QByteArray kUT99UserIni =
    "[Engine.Input]\r\n"
    "Aliases[0]=(Command=\"Button bFire | Fire\",Alias=Fire)\r\n"
    "Tab=Type\r\n"
    "Enter=InventoryActivate\r\n"
    "\r\n"
    "; tuned by hand\r\n"
    "[Engine.PlayerPawn]\r\n"
    "bNeverAutoSwitch=False\r\n"
    "MouseSensitivity=3.000000\r\n"
    "bAlwaysMouseLook=True\r\n"
    "\r\n"
    "[DefaultPlayer]\r\n"
    "Name=Gorge\r\n"
    "Class=Botpack.TMale1\r\n"
    "team=1\r\n"
    "skin=CommandoSkins.cmdo\r\n"
    "Face=CommandoSkins.Blake\r\n"
    "OverrideClass=\r\n"
    "\r\n"
    "[UBrowser.UBrowserFavoritesFact]\r\n"
    "FavoriteCount=1\r\n"
    "Favorites[0]=Home\\127.0.0.1\\7778\\True\r\n";

// UT2004's User.ini, with keys of the same names as UT's spectator and auto-switch keys,
// which the player setup must not touch for this game.
inline const QByteArray kUT2004UserIni =
    "[Engine.PlayerPawn]\r\n"
    "bNeverAutoSwitch=True\r\n"
    "\r\n"
    "[DefaultPlayer]\r\n"
    "Name=Malcolm\r\n"
    "Character=Jakob\r\n"
    "team=0\r\n"
    "OverrideClass=XGame.xPawn\r\n"
    "\r\n"
    "[GUI2K4.UT2k4Browser_ServerListPageBuddy]\r\n"
    "Buddies=Ann\r\n";

}  // namespace zorvane::testing
