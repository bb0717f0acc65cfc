// SPDX-License-Identifier: GPL-2.0-or-later
// F8 in the real main window against a master on 127.0.0.1 (a zorvane-farm), measuring how
// long the window's event loop went without a turn while the servers were queried and their
// rows drawn. A probe timer due every 5 ms records its own lateness.
//
//   QT_QPA_PLATFORM=offscreen bench_window_burst --master 127.0.0.1:PORT [--power N]
//
// Prints one JSON line: the time F8 itself took (the master exchange, blocking by design, and
// the list put into the views), the largest stall while the servers were queried and answered
// and how many passed 50 ms, the time the final processing of the replies took (every view
// rebuilt at once), the largest stall in the second after it (the server cache is written),
// and the wall time to the reply share's log line.

#include <QApplication>
#include <QFile>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "gui/controls/log_window.h"
#include "gui/window/main_window.h"
#include "query/open_file_limit.h"
#include "support/recording_dialogs.h"

using namespace zorvane;

int main(int argc, char** argv) {
  RaiseOpenFileLimit();
  QApplication app(argc, argv);
  QString master;
  QString power = QStringLiteral("3");
  const QStringList args = app.arguments();
  for (int i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == u"--master") master = args[i + 1];
    if (args[i] == u"--power") power = args[i + 1];
  }
  if (master.isEmpty()) {
    std::fprintf(stderr, "usage: bench_window_burst --master HOST:PORT [--power N]\n");
    return 2;
  }
  QTemporaryDir dir;
  QFile ini(dir.filePath("zorvane.ini"));
  if (!ini.open(QIODevice::WriteOnly)) return 2;
  ini.write("[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nstartupQuery=none\nmasterServer=" +
            master.toUtf8() + "\nqueryPower=" + power.toUtf8() + "\n");
  ini.close();
  zorvane::testing::RecordingDialogs dialogs;
  TStartOptions options;
  options.gameSearch = TGameSearchPlaces{};  // none of this machine's games
  options.directory = dir.path();
  options.dialogs = &dialogs;
  TfrmZorvane window(options);
  window.FirstShow();
  window.show();

  const auto finished = [&] {
    for (const QString& line : window.LogWindow()->Lines())
      if (line.contains(QLatin1StringView("of servers replied"))) return true;
    return false;
  };

  QElapsedTimer clock;
  clock.start();
  window.FindWindowAction(QStringLiteral("actMasterServerQuery"))->trigger();
  const double triggerMs = clock.nsecsElapsed() / 1e6;

  // Stalls while the servers are queried and answer, and the one in which the replies are
  // processed at the end (every view rebuilt from the stash at once): the probe's first turn
  // after that sees the reply share logged.
  constexpr qint64 kPeriodNs = 5'000'000;
  qint64 last = clock.nsecsElapsed(), burstMax = 0, finalStall = 0, afterMax = 0, endedAt = -1;
  int over50 = 0;
  QTimer probe;
  probe.setTimerType(Qt::PreciseTimer);
  probe.setInterval(5);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    const qint64 late = std::max<qint64>(0, now - last - kPeriodNs);
    last = now;
    if (endedAt >= 0) {  // what follows the refresh: the server cache is written
      afterMax = std::max(afterMax, late);
      if (now - endedAt > 1'000'000'000LL) app.quit();
      return;
    }
    if (finished() || now > 120'000'000'000LL) {
      finalStall = late;
      endedAt = now;
      return;
    }
    burstMax = std::max(burstMax, late);
    if (late > 50'000'000) ++over50;
  });
  probe.start();
  app.exec();
  std::printf(
      "{\"triggerMs\": %.1f, \"burstStallMs\": %.1f, \"burstStallsOver50ms\": %d, "
      "\"finalProcessingMs\": %.1f, \"stallInTheSecondAfterMs\": %.1f, \"totalMs\": %.0f, "
      "\"finished\": %s}\n",
      triggerMs, burstMax / 1e6, over50, finalStall / 1e6, afterMax / 1e6, endedAt / 1e6,
      finished() ? "true" : "false");
  return 0;
}
