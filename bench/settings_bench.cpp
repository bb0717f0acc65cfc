// SPDX-License-Identifier: GPL-2.0-or-later
// Loading the settings file's UT99 key list: 100,000 entries, in descending and in ascending
// order (descending was the slow case while every entry was inserted in sorted place).

#include <benchmark/benchmark.h>

#include "config/ini_document.h"
#include "config/settings.h"

namespace zorvane::bench {
namespace {

QByteArray Ut99List(int count, bool descending) {
  QByteArray text =
      "[settings]\nZorvane=2.91\n[ut99ini]\ncount=" + QByteArray::number(count) + "\n";
  for (int i = 0; i < count; ++i) {
    const int n = descending ? count - 1 - i : i;
    text += "[" + QByteArray::number(i) + "]=Section" + QByteArray::number(n / 1000) + "|Key" +
            QByteArray::number(n) + "\n";
  }
  return text;
}

void LoadList(benchmark::State& state, bool descending) {
  TIniDocument ini;
  ini.ParseText(Ut99List(int(state.range(0)), descending));
  for (auto _ : state) {
    TSettings settings;
    settings.stamp = QString::fromLatin1(kVersionStamp);
    LoadUt99Keys(ini, settings);
    benchmark::DoNotOptimize(settings.ut99Keys.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_Ut99ListDescending(benchmark::State& state) {
  LoadList(state, true);
}
void BM_Ut99ListAscending(benchmark::State& state) {
  LoadList(state, false);
}
BENCHMARK(BM_Ut99ListDescending)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ut99ListAscending)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zorvane::bench

BENCHMARK_MAIN();
