// SPDX-License-Identifier: GPL-2.0-or-later
// The server cache of a big list: 15,000 servers with full replies (every rule, 30 settings,
// 0 to 12 players), written to a file and read back into a fresh stash as the window does at
// start. Nothing goes over the network.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include "bench/status_samples.h"
#include "query/binary_protocol.h"
#include "query/server_cache.h"
#include "query/server_stash.h"
#include "query/text_protocol.h"

namespace zorvane::bench {
namespace {

void Fill(TServerStash& stash, int count) {
  const QByteArray rules = BinaryRules(30);
  for (int i = 0; i < count; ++i) {
    stash.AddServer(QStringLiteral("10.%1.%2.%3").arg(i >> 16).arg((i >> 8) & 255).arg(i & 255),
                    QString::number(7778 + i % 10), {}, false, QStringLiteral("UT"),
                    QStringLiteral("True"), {});
    TServer& server = *stash.Server(stash.Count() - 1);
    int mark = 0;
    ParseTextDatagram(server, TextStatus(i % 4 * 4, QByteArray::number(i), true), mark, 50, {});
    ParseBinaryReply(server, rules, 50);
    server.ReplyComplete = server.Online = true;
  }
}

struct TCacheFile {
  QTemporaryDir dir;
  QString path;
  explicit TCacheFile(int count) : path(dir.filePath(QString::fromLatin1(kServerCacheFileName))) {
    TServerStash stash;
    Fill(stash, count);
    SaveServerCache(path, stash);
  }
};

void BM_SaveServerCache(benchmark::State& state) {
  TServerStash stash;
  Fill(stash, int(state.range(0)));
  QTemporaryDir dir;
  const QString path = dir.filePath(QString::fromLatin1(kServerCacheFileName));
  for (auto _ : state) {
    const QString error = SaveServerCache(path, stash);
    if (!error.isEmpty()) state.SkipWithError(error.toStdString().c_str());
  }
  state.counters["file_MiB"] = double(QFileInfo(path).size()) / (1 << 20);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The part of a save that runs on the GUI thread: the stash turned into the file's bytes.
void BM_SerialiseServerCache(benchmark::State& state) {
  TServerStash stash;
  Fill(stash, int(state.range(0)));
  qsizetype bytes = 0;
  for (auto _ : state) bytes = WriteServerCache(stash).size();
  state.counters["file_MiB"] = double(bytes) / (1 << 20);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_LoadServerCache(benchmark::State& state) {
  const TCacheFile file(int(state.range(0)));
  for (auto _ : state) {
    auto stash = std::make_unique<TServerStash>();
    const TServerCacheLoad load = LoadServerCache(file.path, *stash);
    if (load.added != state.range(0)) state.SkipWithError("servers missing");
    state.PauseTiming();
    stash.reset();  // the window keeps its stash: freeing it is no start-up cost
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_SaveServerCache)->Arg(15000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SerialiseServerCache)->Arg(15000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadServerCache)->Arg(15000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zorvane::bench

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
