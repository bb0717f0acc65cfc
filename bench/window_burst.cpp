// SPDX-License-Identifier: GPL-2.0-or-later
// F8 in the real main window against masters on 127.0.0.1 (a zorvane-farm), measuring how long
// the window's event loop went without a turn while the masters were asked and the servers
// queried and their rows drawn. A probe timer due every 5 ms records its own lateness, and the
// CPU time the thread spent in the worst gap (a gap the thread did not spend working was the
// machine's, not the program's).
//
//   QT_QPA_PLATFORM=offscreen bench_window_burst --master 127.0.0.1:PORT [--master ...]
//       [--power N] [--silence MS]
//
// Every --master is one of the UT list (all asked at once); --silence shortens the time a
// master may stay silent (10 s). Prints one JSON line: the time F8 itself took; the time until
// every master was done, and the largest stall until then; the largest stall until the replies
// were processed and how many passed 50 ms; the time from F8 to the window filled (every view
// rebuilt with the replies in), and the time from F8 until the views held every row they hold at
// the end (shown while a master is still out, or by that rebuild); the time that final
// processing took (every view rebuilt at
// once); and the largest stall in the second after it (the server cache is written).

#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "gui/controls/log_window.h"
#include "gui/grid/string_grid.h"
#include "gui/view/server_view.h"
#include "gui/window/main_window.h"
#include "query/open_file_limit.h"
#include "support/recording_dialogs.h"

using namespace zorvane;

namespace {

qint64 ThreadCpuNs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return qint64(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

}  // namespace

int main(int argc, char** argv) {
  RaiseOpenFileLimit();
  QApplication app(argc, argv);
  QStringList masters;
  QString power = QStringLiteral("3");
  int silenceMs = 0;
  const QStringList args = app.arguments();
  for (int i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == u"--master") masters << args[i + 1];
    if (args[i] == u"--power") power = args[i + 1];
    if (args[i] == u"--silence") silenceMs = args[i + 1].toInt();
  }
  if (masters.isEmpty()) {
    std::fprintf(stderr,
                 "usage: bench_window_burst --master HOST:PORT [--master ...] [--power N] "
                 "[--silence MS]\n");
    return 2;
  }
  QTemporaryDir dir;
  QFile ini(dir.filePath("zorvane.ini"));
  if (!ini.open(QIODevice::WriteOnly)) return 2;
  QByteArray text = "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\n"
                    "masterServer=" + masters[0].toUtf8() + "\nqueryPower=" + power.toUtf8() +
                    "\n[masterServers]\nutMasterCount=" + QByteArray::number(masters.size()) +
                    "\n";
  for (int i = 0; i < masters.size(); ++i)
    text += "utMaster[" + QByteArray::number(i) + "]=" + masters[i].toUtf8() + "\n";
  ini.write(text);
  ini.close();
  zorvane::testing::RecordingDialogs dialogs;
  TStartOptions options;
  options.gameSearch = TGameSearchPlaces{};  // none of this machine's games
  options.directory = dir.path();
  options.dialogs = &dialogs;
  TfrmZorvane window(options);
  window.FirstShow();
  window.show();
  if (silenceMs > 0) window.MassRefresh().MasterOptions.silenceTimeoutMs = silenceMs;

  // Over once its replies were processed, or when it ended without any.
  const auto finished = [&] { return !window.MassRefresh().MassRefreshing(); };

  QElapsedTimer clock;
  clock.start();
  window.FindWindowAction(QStringLiteral("actMasterServerQuery"))->trigger();
  const double triggerMs = clock.nsecsElapsed() / 1e6;

  // Stalls while the masters are out, then while the servers are queried and answer, and the
  // one in which the replies are processed at the end (every view rebuilt from the stash at
  // once): the probe's first turn after that sees the reply share logged.
  constexpr qint64 kPeriodNs = 5'000'000;
  qint64 last = clock.nsecsElapsed(), lastCpu = ThreadCpuNs();
  qint64 mastersMax = 0, burstMax = 0, worstCpu = 0, finalStall = 0, afterMax = 0;
  qint64 mastersDoneAt = -1, endedAt = -1;
  int over50 = 0;
  QTimer probe;
  probe.setTimerType(Qt::PreciseTimer);
  probe.setInterval(5);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed(), cpu = ThreadCpuNs();
    const qint64 late = std::max<qint64>(0, now - last - kPeriodNs);
    const qint64 spent = cpu - lastCpu;
    last = now;
    lastCpu = cpu;
    if (endedAt >= 0) {  // what follows the refresh: the server cache is written
      afterMax = std::max(afterMax, late);
      if (now - endedAt > 1'000'000'000LL) app.quit();
      return;
    }
    // A gap that ended with the masters done may hold the final processing: not theirs.
    if (mastersDoneAt < 0) {
      if (window.MassRefresh().MastersRunning())
        mastersMax = std::max(mastersMax, late);
      else
        mastersDoneAt = now;
    }
    if (finished() || now > 120'000'000'000LL) {
      finalStall = late;
      endedAt = now;
      return;
    }
    if (late > burstMax) worstCpu = spent;
    burstMax = std::max(burstMax, late);
    if (late > 50'000'000) ++over50;
  });
  probe.start();
  // Every 20 ms, how many rows the views hold: the window is filled once they hold what they
  // hold at the end (shown while a master is still out, or at the end).
  QList<QPair<qint64, int>> rowsSeen;
  const auto rows = [&] {
    int count = 0;
    for (int page = 0; page < window.Pages()->count(); ++page)
      if (auto* view = qobject_cast<TkorvUTServerView*>(window.Pages()->widget(page)))
        count += view->ServerGrid()->RowCount() - view->ServerGrid()->FixedRows();
    return count;
  };
  QTimer counter;
  QObject::connect(&counter, &QTimer::timeout, [&] {
    const int now = rows();
    if (rowsSeen.isEmpty() || rowsSeen.last().second != now)
      rowsSeen << qMakePair(clock.nsecsElapsed(), now);
  });
  counter.start(20);
  app.exec();
  const int filledRows = rows();
  qint64 shownAt = -1;
  for (const auto& [at, count] : rowsSeen)
    if (count == filledRows) {
      shownAt = at;
      break;
    }
  std::printf(
      "{\"masters\": %d, \"triggerMs\": %.1f, \"mastersDoneMs\": %.0f, "
      "\"stallWhileMastersOutMs\": %.1f, \"stallMs\": %.1f, \"cpuInThatStallMs\": %.1f, "
      "\"stallsOver50ms\": %d, \"shownMs\": %.0f, \"filledMs\": %.0f, \"finalProcessingMs\": %.1f, "
      "\"stallInTheSecondAfterMs\": %.1f, \"servers\": %d, \"replied\": %d, \"finished\": %s}\n",
      int(masters.size()), triggerMs, mastersDoneAt / 1e6, mastersMax / 1e6, burstMax / 1e6,
      worstCpu / 1e6, over50, shownAt / 1e6, endedAt / 1e6, finalStall / 1e6, afterMax / 1e6,
      window.MassRefresh().ServersQueried(), window.MassRefresh().RepliesCounted(),
      finished() ? "true" : "false");
  return 0;
}
