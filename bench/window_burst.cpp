// SPDX-License-Identifier: GPL-2.0-or-later
// F8 pressed in the real main window against masters on 127.0.0.1 (a zorvane-farm), measuring
// how long the window's event loop went without a turn from the key press until a second after
// the refresh ended (the server cache written, the last repaint). A probe timer due every 5 ms
// records its own lateness, and the CPU time the thread spent in the worst gap (a gap the
// thread did not spend working was the machine's, not the program's); every event the window
// took more than 16 ms to handle is listed with what handled it.
//
//   QT_QPA_PLATFORM=offscreen bench_window_burst --master 127.0.0.1:PORT [--master ...]
//       [--power N] [--silence MS]
//
// Every --master is one of the UT list (all asked at once); --silence shortens the time a
// master may stay silent (10 s). Prints one JSON line. Each "...StallMs" or "...ProcessingMs"
// is the longest single stall of its phase: while the masters are out
// ("stallWhileMastersOutMs"), until the replies are processed ("stallMs", with
// "cpuInThatStallMs" and "stallsOver50ms"), while the views are rebuilt from the stash at the
// end ("finalProcessingMs"), and in the second after ("stallInTheSecondAfterMs", the server
// cache is written). Totals: the time F8 itself took ("triggerMs"), until every master was done
// ("mastersDoneMs"), until the views held every row they hold at the end ("shownMs": shown
// while a master is still out, or by the final rebuild), until the refresh ended ("filledMs"),
// and how long the final processing took in all ("finalProcessingTotalMs"). "stalls" lists
// every event handled in more than 16 ms: when it ended, how long, the thread's CPU time in it
// (the rest was the machine's), its phase and its receiver.

#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>

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

// Times every event handled at the top of the event loop; those over 16 ms are kept.
class TimedApplication : public QApplication {
 public:
  using QApplication::QApplication;
  struct Stall {
    double atMs, ms, cpuMs;
    QString phase, ran;
  };
  std::function<QString()> phase;  // what the refresh is doing
  QElapsedTimer clock;
  QList<Stall> stalls;

  bool notify(QObject* receiver, QEvent* event) override {
    // The writer thread's events come here too: only the GUI thread's are timed.
    if (depth_ > 0 || !clock.isValid() || QThread::currentThread() != thread())
      return QApplication::notify(receiver, event);
    // What ran, told before it runs: the receiver may be gone after.
    const int type = event->type();
    QString ran = QString::fromLatin1(receiver->metaObject()->className());
    if (!receiver->objectName().isEmpty()) ran += u' ' + receiver->objectName();
    if (QObject* parent = receiver->parent())
      ran += QStringLiteral(" in ") + QString::fromLatin1(parent->metaObject()->className());
    const qint64 start = clock.nsecsElapsed(), startCpu = ThreadCpuNs();
    ++depth_;
    const bool handled = QApplication::notify(receiver, event);
    --depth_;
    const qint64 end = clock.nsecsElapsed();
    if (end - start > 16'000'000 && clock.isValid())
      stalls << Stall{end / 1e6, (end - start) / 1e6, (ThreadCpuNs() - startCpu) / 1e6,
                      phase ? phase() : QString(),
                      ran + QStringLiteral(" (event ") + QString::number(type) + u')'};
    return handled;
  }

 private:
  int depth_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  RaiseOpenFileLimit();
  TimedApplication app(argc, argv);
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

  QApplication::setActiveWindow(&window);
  if (!QTest::qWaitForWindowActive(&window)) window.activateWindow();
  QTest::qWait(200);  // the window laid out and painted before the key
  qint64 mastersDoneAt = -1, endedAt = -1, processingAt = -1;
  app.phase = [&]() -> QString {
    if (endedAt >= 0) return QStringLiteral("after");
    if (window.MassRefresh().ProcessingReplies() || processingAt >= 0)
      return QStringLiteral("processing");
    if (window.MassRefresh().MastersRunning()) return QStringLiteral("masters");
    return QStringLiteral("querying");
  };

  QElapsedTimer& clock = app.clock;
  clock.start();
  if (qEnvironmentVariableIsSet("BENCH_PRINT_START")) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "start %lld.%09ld\n", (long long)now.tv_sec, now.tv_nsec);
  }
  QTest::keyClick(&window, Qt::Key_F8);
  const double triggerMs = clock.nsecsElapsed() / 1e6;

  // Stalls while the masters are out, then while the servers are queried and answer, and the
  // one in which the replies are processed at the end (every view rebuilt from the stash at
  // once): the probe's first turn after that sees the reply share logged.
  constexpr qint64 kPeriodNs = 5'000'000;
  qint64 last = clock.nsecsElapsed(), lastCpu = ThreadCpuNs();
  qint64 mastersMax = 0, burstMax = 0, worstCpu = 0, processingMax = 0, afterMax = 0;
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
      if (now - endedAt > 1'000'000'000LL) {
        app.clock.invalidate();  // the close that follows writes the cache at once: not timed
        app.quit();
      }
      return;
    }
    // A gap that ended with the masters done may hold the final processing: not theirs.
    if (mastersDoneAt < 0) {
      if (window.MassRefresh().MastersRunning())
        mastersMax = std::max(mastersMax, late);
      else
        mastersDoneAt = now;
    }
    // The gap in which the processing began or ended holds a part of it.
    if (window.MassRefresh().ProcessingReplies() || (processingAt >= 0 && finished())) {
      if (processingAt < 0) processingAt = now - late - kPeriodNs;
      processingMax = std::max(processingMax, late);
      if (late > 50'000'000) ++over50;
    }
    if (finished() || now > 120'000'000'000LL) {
      if (processingAt < 0) {  // all of it in one turn
        processingAt = now - late - kPeriodNs;
        processingMax = late;
        if (late > 50'000'000) ++over50;
      }
      endedAt = now;
      return;
    }
    if (processingAt >= 0) return;
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
      "\"finalProcessingTotalMs\": %.1f, \"stallInTheSecondAfterMs\": %.1f, \"servers\": %d, "
      "\"replied\": %d, \"finished\": %s, \"stalls\": [",
      int(masters.size()), triggerMs, mastersDoneAt / 1e6, mastersMax / 1e6, burstMax / 1e6,
      worstCpu / 1e6, over50, shownAt / 1e6, endedAt / 1e6, processingMax / 1e6,
      processingAt < 0 ? 0.0 : (endedAt - processingAt) / 1e6, afterMax / 1e6,
      window.MassRefresh().ServersQueried(), window.MassRefresh().RepliesCounted(),
      finished() ? "true" : "false");
  for (int i = 0; i < int(app.stalls.size()); ++i) {
    const auto& stall = app.stalls[i];
    std::printf("%s{\"atMs\": %.0f, \"ms\": %.1f, \"cpuMs\": %.1f, \"phase\": \"%s\", "
                "\"ran\": \"%s\"}",
                i > 0 ? ", " : "", stall.atMs, stall.ms, stall.cpuMs, qPrintable(stall.phase),
                qPrintable(stall.ran));
  }
  std::printf("]}\n");
  return 0;
}
