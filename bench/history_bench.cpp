// SPDX-License-Identifier: GPL-2.0-or-later
// The server history's costs:
//   bench_history record [SERVERS]      what recording the replies of a refresh of SERVERS
//                                       (15,000) costs the GUI thread, while the writer thread
//                                       writes them: the calls themselves, and the event loop's
//                                       largest stall with the replies spread over its turns
//   bench_history month [SERVERS] [DAYS] the file after DAYS (30) of SERVERS (5,000) refreshed
//                                       every 10 minutes, samples handed to the writer as the
//                                       program hands them, on a simulated clock; then the
//                                       reads a chart and the favourites' busy hours make
// Nothing goes over the network.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "bench/status_samples.h"
#include "history/history_store.h"
#include "history/server_history.h"
#include "query/file_writer.h"
#include "query/server_stash.h"
#include "query/text_protocol.h"

namespace zorvane::bench {
namespace {

QString Key(int i) {
  return QStringLiteral("10.%1.%2.%3:7778").arg(i >> 16).arg((i >> 8) & 255).arg(i & 255);
}

void Fill(TServerStash& stash, int count) {
  for (int i = 0; i < count; ++i) {
    stash.AddServer(Key(i).section(u':', 0, 0), QStringLiteral("7778"), {}, false,
                    QStringLiteral("UT"), QStringLiteral("True"), {});
    TServer& server = *stash.Server(stash.Count() - 1);
    int mark = 0;
    ParseTextDatagram(server, TextStatus(i % 4 * 4, QByteArray::number(i), true), mark, 50, {});
    server.ReplyComplete = server.Online = true;
  }
}

double Ms(qint64 ns) {
  return double(ns) / 1e6;
}

int Record(int servers) {
  TServerStash stash;
  Fill(stash, servers);
  QTemporaryDir dir;
  TFileWriter writer;
  TServerHistory history(stash, writer, dir.filePath(QStringLiteral("history.sqlite")), true);
  // Twenty watched players, as a busy player monitor has.
  QStringList watched;
  for (int i = 0; i < 20; ++i) watched << QStringLiteral("Player %1").arg(i);
  history.SetWatchedPlayers(watched);
  bool opened = false;
  QObject::connect(&history, &TServerHistory::OnFileOpened, [&] { opened = true; });
  while (!opened) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

  const qint64 now = QDateTime::currentSecsSinceEpoch();
  // The calls alone, one refresh's worth, five minutes apart so each makes a sample.
  for (int round = 0; round < 3; ++round) {
    QElapsedTimer total;
    qint64 longest = 0, handing = 0;
    total.start();
    for (int i = 0; i < servers; ++i) {
      QElapsedTimer one;
      one.start();
      const std::size_t before = history.PendingSamples();
      history.Record(stash.Key(i), *stash.Server(i), now + round * 600);
      const qint64 ns = one.nsecsElapsed();
      longest = std::max(longest, ns);
      if (history.PendingSamples() < before) handing = std::max(handing, ns);
    }
    const qint64 all = total.nsecsElapsed();
    std::printf("record %d replies: %.1f ms on the GUI thread (%.2f us a reply), longest call "
                "%.3f ms (a batch handed: %.3f ms)\n",
                servers, Ms(all), double(all) / 1e3 / servers, Ms(longest), Ms(handing));
    history.HandPending();
    writer.Flush();
  }

  // Handing a full batch over, alone.
  std::vector<qint64> hands;
  for (int round = 0; round < 9; ++round) {
    for (int i = 0; i < int(kHistoryBatchSamples) - 1; ++i)
      history.Record(stash.Key(i), *stash.Server(i), now + 1800 + round * 600);
    QElapsedTimer one;
    one.start();
    history.HandPending();
    hands.push_back(one.nsecsElapsed());
    writer.Flush();
  }
  std::sort(hands.begin(), hands.end());
  std::printf("handing a batch of %zu samples to the writer: median %.3f ms, largest %.3f ms\n",
              kHistoryBatchSamples - 1, Ms(hands[hands.size() / 2]), Ms(hands.back()));

  // The replies spread over the event loop's turns (a few hundred a turn, as a burst brings
  // them), while the writer thread writes the batches: the loop's largest stall, against the
  // same loop with the history off (the machine's own noise).
  for (const bool on : {false, true}) {
  history.SetEnabled(on);
  if (on) {
    opened = false;
    while (!opened) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  QElapsedTimer clock;
  clock.start();
  qint64 lastTick = 0, largestGap = 0;
  QTimer ticker;
  ticker.setInterval(1);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const qint64 t = clock.nsecsElapsed();
    if (lastTick > 0) largestGap = std::max(largestGap, t - lastTick);
    lastTick = t;
  });
  ticker.start();
  int next = 0;
  QTimer feeder;
  feeder.setInterval(0);
  QObject::connect(&feeder, &QTimer::timeout, [&] {
    for (int n = 0; n < 300 && next < servers; ++n, ++next)
      history.Record(stash.Key(next), *stash.Server(next), now + 36000 + on * 600);
    if (next == servers) feeder.stop();
  });
  feeder.start();
  QElapsedTimer spread;
  spread.start();
  // With the history off the loop runs as long as it did with it on, for the machine's noise.
  while (next < servers || history.PendingSamples() > 0 || (!on && spread.elapsed() < 300)) {
    QCoreApplication::processEvents();
    if (next == servers) history.HandPending();
  }
  ticker.stop();
  QElapsedTimer written;
  written.start();
  writer.Flush();
  std::printf("history %s, replies spread over the event loop: largest stall %.1f ms over "
              "%.0f ms; the writer finished %.0f ms later\n",
              on ? "on" : "off", Ms(largestGap), Ms(spread.nsecsElapsed()),
              Ms(written.nsecsElapsed()));
  }
  return 0;
}

// Bytes this process has caused to be written to storage (Linux).
qint64 WrittenBytes() {
  QFile io(QStringLiteral("/proc/self/io"));
  if (!io.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : io.readAll().split('\n'))
    if (line.startsWith("write_bytes: ")) return line.mid(13).toLongLong();
  return 0;
}

int Month(int servers, int days) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("history.sqlite"));
  TFileWriter writer;
  THistoryStore store(path);
  // The simulated month ends now: opening the file prunes by the real clock.
  const qint64 start =
      QDateTime(QDate::currentDate().addDays(-days), QTime(0, 0)).toSecsSinceEpoch();
  writer.Hand([&] { store.Open(start); });
  static const QString kMaps[] = {"DM-Deck16][", "DM-Morpheus", "CTF-Face", "CTF-Coret",
                                  "DM-Curse][",  "AS-Frigate",  "DOM-Sesmar", "DM-Agony"};
  QElapsedTimer clock;
  clock.start();
  qint64 writing = 0;
  const qint64 writtenBefore = WrittenBytes();
  const int refreshes = days * 24 * 6;
  for (int r = 0; r < refreshes; ++r) {
    const qint64 t = start + qint64(r) * 600;
    const int hour = QDateTime::fromSecsSinceEpoch(t).time().hour();
    // Most public servers are empty most of the day; evenings fill some.
    THistoryBatch batch;
    batch.samples.reserve(std::size_t(servers));
    for (int i = 0; i < servers; ++i) {
      const int seats = 8 + i % 9;
      const int busy = hour >= 20 && hour <= 22 ? 100 : hour >= 12 ? 25 : 5;
      const int players = i % 10 < 6 ? 0 : std::min(seats, (seats * busy + (r + i) % 3 * 50) / 100);
      batch.samples.push_back({Key(i), {t + i % 60, players, seats, kMaps[(i + r / 2) % 8]}});
    }
    // The program hands samples in batches of at most 5,000.
    for (std::size_t from = 0; from < batch.samples.size(); from += kHistoryBatchSamples) {
      THistoryBatch part;
      part.samples.assign(batch.samples.begin() + qsizetype(from),
                          batch.samples.begin() +
                              qsizetype(std::min(batch.samples.size(), from + kHistoryBatchSamples)));
      writer.Hand([&store, part = std::move(part), t, &writing]() mutable {
        QElapsedTimer w;
        w.start();
        store.Write(std::move(part), t);
        writing += w.nsecsElapsed();
      });
    }
    if (r % (24 * 6) == 24 * 6 - 1) {
      writer.Flush();
      std::printf("day %d: %.1f MiB (with WAL %.1f MiB), %.0f s so far\n", r / 144 + 1,
                  double(QFileInfo(path).size()) / (1 << 20),
                  double(QFileInfo(path).size() + QFileInfo(path + "-wal").size()) / (1 << 20),
                  double(clock.elapsed()) / 1000);
      std::fflush(stdout);
    }
  }
  writer.Hand([&] { store.Close(); });
  writer.Flush();
  const double samples = double(servers) * refreshes;
  const qint64 written = WrittenBytes() - writtenBefore;
  std::printf("written to storage: %.0f MiB in all, %.1f MiB a refresh of %d servers\n",
              double(written) / (1 << 20), double(written) / (1 << 20) / refreshes, servers);
  const qint64 bytes = QFileInfo(path).size();
  std::printf("month: %d servers every 10 minutes for %d days: %.0f samples, file %.1f MiB "
              "(%.1f bytes a sample); writing took %.1f s on the writer thread (%.2f us a "
              "sample, %.0f ms a batch of %zu)\n",
              servers, days, samples, double(bytes) / (1 << 20), double(bytes) / samples,
              Ms(writing) / 1000, double(writing) / 1e3 / samples,
              Ms(writing) / (samples / double(kHistoryBatchSamples)), kHistoryBatchSamples);

  // What the GUI thread reads: a chart (a week drawn, the month for its busy hours), and the
  // busy hours of fifty favourites.
  TServerStash stash;
  TServerHistory history(stash, writer, path, true);
  bool opened = false;
  QObject::connect(&history, &TServerHistory::OnFileOpened, [&] { opened = true; });
  while (!opened) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  writer.Flush();  // the writer's own work at opening (moving, pruning) is done
  const qint64 end = start + qint64(refreshes) * 600;
  for (const char* pass : {"first", "again"}) {
    QElapsedTimer read;
    read.start();
    const THistoryChartData chart = history.ChartData(Key(7), end);
    const qint64 chartNs = read.nsecsElapsed();
    read.restart();
    int busy = 0;
    for (int i = 0; i < 50; ++i) busy += history.BusyHours(Key(i * 97 % servers), end).has_value();
    const qint64 busyNs = read.nsecsElapsed();
    std::printf("%s read: chart of one server %.1f ms (%zu samples drawn, %s); busy hours of "
                "50 favourites %.1f ms (%d known)\n",
                pass, Ms(chartNs), chart.samples.size(), qPrintable(BusyHoursLine(chart.busiest)),
                Ms(busyNs), busy);
  }
  return 0;
}

}  // namespace
}  // namespace zorvane::bench

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  const QString what = args.value(1, QStringLiteral("record"));
  if (what == u"record") return zorvane::bench::Record(args.value(2, QStringLiteral("15000")).toInt());
  if (what == u"month")
    return zorvane::bench::Month(args.value(2, QStringLiteral("5000")).toInt(),
                                 args.value(3, QStringLiteral("30")).toInt());
  std::fprintf(stderr, "usage: bench_history record [SERVERS] | month [SERVERS] [DAYS]\n");
  return 2;
}
