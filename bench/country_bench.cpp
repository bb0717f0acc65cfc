// SPDX-License-Identifier: GPL-2.0-or-later
// The country of a server's address in Debian's location database: one database look-up,
// CountryOf of addresses asked for the first time (parsed, looked up, kept) and again (a kept
// answer), per 10,000 addresses.

#include <benchmark/benchmark.h>

#include <QFile>
#include <QStringList>
#include <vector>

#include "browse/country_lookup.h"

namespace zorvane::bench {
namespace {

constexpr int kAddresses = 10000;

// Distinct addresses spread over the whole address space (xorshift from seed).
std::vector<std::uint32_t> Addresses(std::uint32_t seed = 2463534242u) {
  std::vector<std::uint32_t> addresses;
  std::uint32_t x = seed;
  while (int(addresses.size()) < kAddresses) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    addresses.push_back(x);
  }
  return addresses;
}

QStringList Texts(const std::vector<std::uint32_t>& addresses) {
  QStringList texts;
  for (std::uint32_t a : addresses)
    texts << QStringLiteral("%1.%2.%3.%4")
                 .arg(a >> 24)
                 .arg(a >> 16 & 255)
                 .arg(a >> 8 & 255)
                 .arg(a & 255);
  return texts;
}

bool Open(benchmark::State& state, const TCountryLookup& lookup) {
  if (lookup.IsOpen()) return true;
  const QByteArray why = lookup.OpenProblem().toUtf8();
  state.SkipWithError(why.constData());
  return false;
}

void BM_DatabaseLookUp(benchmark::State& state) {
  TCountryLookup lookup(QString::fromLatin1(kDebianLocationDatabase));
  if (!Open(state, lookup)) return;
  const auto addresses = Addresses();
  std::size_t i = 0, placed = 0;
  for (auto _ : state) {
    placed += !lookup.LookUp(addresses[i]).isEmpty();
    if (++i == addresses.size()) i = 0;
  }
  state.counters["placed"] = double(placed) / double(state.iterations());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DatabaseLookUp)->Unit(benchmark::kNanosecond);

// Each round asks for 10,000 addresses not asked for before.
void BM_CountryOfFirstTime(benchmark::State& state) {
  TCountryLookup lookup(QString::fromLatin1(kDebianLocationDatabase));
  if (!Open(state, lookup)) return;
  std::uint32_t seed = 1;
  for (auto _ : state) {
    state.PauseTiming();
    const QStringList texts = Texts(Addresses(seed++));
    state.ResumeTiming();
    for (const QString& text : texts) benchmark::DoNotOptimize(lookup.CountryOf(text));
  }
  state.SetItemsProcessed(state.iterations() * kAddresses);
}
BENCHMARK(BM_CountryOfFirstTime)->Unit(benchmark::kMillisecond);

void BM_CountryOfKept(benchmark::State& state) {
  TCountryLookup lookup(QString::fromLatin1(kDebianLocationDatabase));
  if (!Open(state, lookup)) return;
  const QStringList texts = Texts(Addresses());
  for (const QString& text : texts) lookup.CountryOf(text);
  for (auto _ : state)
    for (const QString& text : texts) benchmark::DoNotOptimize(lookup.CountryOf(text));
  state.SetItemsProcessed(state.iterations() * kAddresses);
}
BENCHMARK(BM_CountryOfKept)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zorvane::bench

BENCHMARK_MAIN();
