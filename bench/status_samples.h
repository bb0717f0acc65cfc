// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Reply datagrams shaped like a busy public server's, shared by the benchmarks.

#include <QByteArray>

#include "support/binary_builder.h"

namespace zorvane::bench {

// One text status datagram: the server keys, the common rules (or every rule key), `players`
// players with all 8 keys, ending with \final\. tag varies the texts between servers.
inline QByteArray TextStatus(int players, const QByteArray& tag = "", bool everyRule = false) {
  QByteArray d;
  const auto add = [&d](const QByteArray& key, const QByteArray& value) {
    d.append('\\').append(key).append('\\').append(value);
  };
  add("hostname", "Zorvane Test Arena " + tag);
  add("hostport", "7777");
  add("gamever", "451");
  add("minnetver", "432");
  add("location", "0");
  add("mapname", "CTF-Face");
  add("gametype", "CTFGame");
  add("numplayers", QByteArray::number(players));
  add("maxplayers", "16");
  add("gamemode", "openplaying");
  add("worldlog", "false");
  add("wantworldlog", "false");
  add("timelimit", "20");
  add("fraglimit", "0");
  add("password", "False");
  add("listenserver", "False");
  add("RemainingTime", "745");
  if (everyRule) {
    add("AdminName", "Admin");
    add("AdminEMail", "admin@example.org");
    add("botskill", "Adept");
    add("minplayers", "0");
    add("changelevels", "True");
    add("mutators", "Relic: Regen, NoRedeemer");
    add("tournament", "False");
    add("goalteamscore", "3");
    add("maxteams", "2");
    add("balanceteams", "True");
    add("playerbalanceteams", "True");
    add("friendlyfire", "0%");
    add("bUseTranslocator", "True");
    add("bMultiWeaponStay", "True");
    add("bNoMonsters", "False");
    add("bNoCheating", "True");
    add("GameSpeed", "100");
    add("TimeSeconds", "1832");
    add("bForceRespawn", "False");
    add("AirControl", "0.35");
    add("bNoTeamChanges", "False");
  }
  for (int i = 0; i < players; ++i) {
    const QByteArray n = QByteArray::number(i);
    add("player_" + n, "Gamer" + n + tag);
    add("frags_" + n, QByteArray::number(i * 3));
    add("ping_" + n, QByteArray::number(40 + i));
    add("team_" + n, QByteArray::number(i % 2));
    add("mesh_" + n, "Male Soldier");
    add("skin_" + n, "Soldier.blkt");
    add("face_" + n, "Brock");
    add("ngsecret_" + n, "true");
  }
  d.append("\\final\\");
  return d;
}

inline QByteArray BinaryInfo() {
  return testing::BinaryBuilder::Info("Zorvane Test Arena", "ONS-Torlan", "xOnslaughtGame", 12,
                                      32);
}

inline QByteArray BinaryRules(int pairs) {
  testing::BinaryBuilder b(1);
  b.Str("ServerMode").Str("dedicated").Str("AdminName").Str("Admin");
  for (int i = 2; i < pairs; ++i)
    b.Str("Setting" + QByteArray::number(i)).Str("Value " + QByteArray::number(i * 7));
  return b.Bytes();
}

inline QByteArray BinaryPlayers(int players) {
  testing::BinaryBuilder b(2);
  for (int i = 0; i < players; ++i)
    b.Player("Player" + QByteArray::number(i), 40 + i, i * 3, i % 2 ? 0x40000000 : 0x20000000);
  return b.Bytes();
}

}  // namespace zorvane::bench
