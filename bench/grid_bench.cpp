// SPDX-License-Identifier: GPL-2.0-or-later
// The sortable grid at server-list size: filling it, a header click that sorts a numeric
// column (the budget is 100 ms for 10,000 rows), and finding a row by its server key.
// Runs on the offscreen platform; times are wall clock, painting included where named.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>
#include <memory>
#include <random>
#include <vector>

#include "gui/grid/string_grid.h"
#include "gui/grid/string_grid_header.h"

namespace zorvane::bench {
namespace {

constexpr int kColumns = 8;
enum { kServer = 0, kPlayers, kPing, kMap, kGameType, kIP, kVersion, kCountry };

QString Key(int i) {
  return QStringLiteral("10.%1.%2.%3:7778").arg(i / 65536).arg((i / 256) % 256).arg(i % 256);
}

QStringList RowTexts(int i, std::mt19937& random) {
  const int ping = int(random() % 400);
  return {QStringLiteral("Server number %1 [%2]").arg(i).arg(random() % 97),
          QStringLiteral("%1/16").arg(random() % 17),
          random() % 20 == 0 ? QStringLiteral("9999") : QString::number(ping),
          QStringLiteral("CTF-Face%1").arg(random() % 30),
          QStringLiteral("CTFGame"),
          Key(i),
          QStringLiteral("451"),
          QStringLiteral("de")};
}

struct TGridWindow {
  std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
  TkorvStringGrid* grid = nullptr;

  TGridWindow() {
    window->resize(900, 700);
    grid = TkorvStringGrid::CreateListGrid(window.get(), kColumns, nullptr);
    const QStringList titles = {"Server",    "Players", "Ping",    "Map",
                                "Game Type", "IP",      "Version", "Country"};
    const int widths[kColumns] = {320, 45, 45, 150, 100, 0, 50, 50};
    for (int col = 0; col < kColumns; ++col) {
      grid->SetCell(col, 0, titles[col]);
      grid->SetColWidths(col, widths[col]);
    }
    for (int col : {kPlayers, kPing, kIP}) grid->SetColumnSortKind(col, cskNumeric);
    grid->SetKorvSort(true);
    grid->SetKeyColumn(kIP);
    window->show();
    QApplication::processEvents();
  }

  void Fill(int rows, bool batched) {
    std::mt19937 random(1);
    if (batched) grid->BeginUpdate();
    grid->SetRowCount(1 + rows);
    for (int i = 0; i < rows; ++i) {
      const QStringList texts = RowTexts(i, random);
      for (int col = 0; col < kColumns; ++col) grid->SetCell(col, 1 + i, texts[col]);
    }
    if (batched) grid->EndUpdate();
  }

  QPoint HeaderCentre(int col) const {
    TkorvGridHeader* header = grid->Header();
    return {header->sectionViewportPosition(col) + header->sectionSize(col) / 2,
            header->height() / 2};
  }
};

// Cell by cell, as the server view fills a grid; range(1) = 1 batches the notifications.
void BM_FillGrid(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    TGridWindow w;
    state.ResumeTiming();
    w.Fill(int(state.range(0)), state.range(1) != 0);
    QApplication::processEvents();  // the repaint the fill asked for
  }
  state.counters["cells"] = double(state.range(0) * kColumns);
}
BENCHMARK(BM_FillGrid)
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Each click flips Ping between ascending and descending; range(1) = 1 also paints.
void BM_HeaderClickSortPing(benchmark::State& state) {
  TGridWindow w;
  w.Fill(int(state.range(0)), true);
  w.grid->SetRow(w.grid->RowCount() / 2);
  QApplication::processEvents();
  const QPoint at = w.HeaderCentre(kPing);
  for (auto _ : state) {
    QTest::mouseClick(w.grid->Header()->viewport(), Qt::LeftButton, {}, at);
    if (state.range(1)) w.grid->viewport()->repaint();
  }
}
BENCHMARK(BM_HeaderClickSortPing)
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Args({1000, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_HeaderClickSortServer(benchmark::State& state) {
  TGridWindow w;
  w.Fill(int(state.range(0)), true);
  const QPoint at = w.HeaderCentre(kServer);
  for (auto _ : state) QTest::mouseClick(w.grid->Header()->viewport(), Qt::LeftButton, {}, at);
}
BENCHMARK(BM_HeaderClickSortServer)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Should stay flat as the row count grows.
void BM_FindRowByKey(benchmark::State& state) {
  TGridWindow w;
  const int rows = int(state.range(0));
  w.Fill(rows, true);
  std::mt19937 random(2);
  std::vector<QString> probes;
  for (int i = 0; i < 4096; ++i) probes.push_back(Key(int(random() % rows)));
  size_t next = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(w.grid->FindRowByKey(probes[next++ % probes.size()]));
}
BENCHMARK(BM_FindRowByKey)->Arg(1000)->Arg(10000)->Arg(100000);

// The scan FindRowByKey replaces, for comparison.
void BM_FindRowByText(benchmark::State& state) {
  TGridWindow w;
  const int rows = int(state.range(0));
  w.Fill(rows, true);
  std::mt19937 random(2);
  std::vector<QString> probes;
  for (int i = 0; i < 4096; ++i) probes.push_back(Key(int(random() % rows)));
  size_t next = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(w.grid->FindRowByText(probes[next++ % probes.size()], kIP));
}
BENCHMARK(BM_FindRowByText)->Arg(10000);

}  // namespace
}  // namespace zorvane::bench

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
