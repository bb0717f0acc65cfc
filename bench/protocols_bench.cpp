// SPDX-License-Identifier: GPL-2.0-or-later
// Parse cost of one reply datagram of each kind.

#include <benchmark/benchmark.h>

#include "bench/status_samples.h"
#include "query/binary_protocol.h"
#include "query/server_record.h"
#include "query/text_protocol.h"

namespace zorvane::bench {
namespace {

void BM_TextStatus(benchmark::State& state) {
  const QByteArray datagram = TextStatus(10);  // about 1.4 KB, under the usual MTU
  TServer server;
  server.SetAutoUpdateDescription(QStringLiteral("True"));
  for (auto _ : state) {
    int mark = 0;  // each datagram starts a new reply, reset included
    benchmark::DoNotOptimize(ParseTextDatagram(server, datagram, mark, 50, {}));
  }
  state.SetBytesProcessed(state.iterations() * datagram.size());
  state.counters["bytes"] = double(datagram.size());
}
BENCHMARK(BM_TextStatus);

// Rules and players skip entries already in the record, so those parses start from an empty
// list each time, as they do after the info reply's reset.
void BinaryReply(benchmark::State& state, const QByteArray& datagram, void (*clear)(TServer&)) {
  TServer server;
  server.SetAutoUpdateDescription(QStringLiteral("True"));
  for (auto _ : state) {
    clear(server);
    benchmark::DoNotOptimize(ParseBinaryReply(server, datagram, 50));
  }
  state.SetBytesProcessed(state.iterations() * datagram.size());
  state.counters["bytes"] = double(datagram.size());
}

void BM_BinaryInfo(benchmark::State& state) {
  BinaryReply(state, BinaryInfo(), [](TServer&) {});
}
void BM_BinaryRules(benchmark::State& state) {
  BinaryReply(state, BinaryRules(30), [](TServer& s) { s.ClearSettings(); });
}
void BM_BinaryPlayers(benchmark::State& state) {
  BinaryReply(state, BinaryPlayers(12), [](TServer& s) { s.ClearPlayers(); });
}
BENCHMARK(BM_BinaryInfo);
BENCHMARK(BM_BinaryRules);
BENCHMARK(BM_BinaryPlayers);

}  // namespace
}  // namespace zorvane::bench

BENCHMARK_MAIN();
