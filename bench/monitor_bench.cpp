// SPDX-License-Identifier: GPL-2.0-or-later
// The monitors over a full stash: RefreshPlayerMonitor with 100 watched players over 10,000
// servers of 16 players each, and one server's reply fed to both monitors at 1,000 and 10,000
// servers (its cost must not grow with the stash).

#include <benchmark/benchmark.h>

#include "browse/map_monitor.h"
#include "browse/player_monitor.h"
#include "browse/string_table_model.h"
#include "query/server_stash.h"

namespace zorvane::bench {
namespace {

void FillStash(TServerStash& stash, int servers) {
  for (int i = 0; i < servers; ++i) {
    stash.AddServer("10." + QString::number(i / 65536) + "." + QString::number(i / 256 % 256) +
                        "." + QString::number(i % 256),
                    "7778", "", false, "UT2004", "True", "");
    TServer& server = *stash.Server(i);
    server.SetDescription("Server " + QString::number(i));
    server.SetGameType("xDeathMatch");
    server.SetMapName("DM-Map" + QString::number(i % 50));
    for (int slot = 0; slot < 16; ++slot)
      server.SetPlayerText(slot, TPlayerField::Name,
                           QStringLiteral("Player%1_%2").arg(i).arg(slot));
  }
}

// 100 names: every other one is on some server, the rest on none.
QStringList Watched() {
  QStringList names;
  for (int i = 0; i < 100; ++i)
    names << (i % 2 ? QStringLiteral("player%1_3").arg(i * 97) : QStringLiteral("Nobody%1").arg(i));
  return names;
}

void BM_RefreshPlayerMonitor(benchmark::State& state) {
  TServerStash stash;
  FillStash(stash, int(state.range(0)));
  TStringTableModel cells;
  TPlayerMonitor monitor(stash, cells);
  monitor.LoadWatchedPlayers(Watched());
  for (auto _ : state) monitor.RefreshPlayerMonitor();
}
BENCHMARK(BM_RefreshPlayerMonitor)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_RefreshMapMonitor(benchmark::State& state) {
  TServerStash stash;
  FillStash(stash, int(state.range(0)));
  TStringTableModel cells;
  TMapMonitor monitor(stash, cells);
  monitor.LoadWatchedMaps({"DM-Map1", "DM-Map7", "DM-Nowhere"});
  for (auto _ : state) monitor.RefreshMapMonitor();
}
BENCHMARK(BM_RefreshMapMonitor)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ReplyToBothMonitors(benchmark::State& state) {
  TServerStash stash;
  const int servers = int(state.range(0));
  FillStash(stash, servers);
  TStringTableModel playerCells, mapCells;
  TPlayerMonitor players(stash, playerCells);
  TMapMonitor maps(stash, mapCells);
  players.LoadWatchedPlayers(Watched());
  maps.LoadWatchedMaps({"DM-Map1", "DM-Map7", "DM-Nowhere"});
  players.RefreshPlayerMonitor();
  maps.RefreshMapMonitor();
  int i = 0;
  for (auto _ : state) {
    const QString key = stash.Key(i);
    players.UpdatePlayerMonitorForServer(key);
    maps.UpdateMapMonitorForServer(key);
    i = (i + 7919) % servers;
  }
}
BENCHMARK(BM_ReplyToBothMonitors)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zorvane::bench

BENCHMARK_MAIN();
