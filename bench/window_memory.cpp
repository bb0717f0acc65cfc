// SPDX-License-Identifier: GPL-2.0-or-later
// The main window's private memory (RssAnon: what the process holds that no file backs; the
// rest of its RSS is shared libraries, fonts and the location database), offscreen, as the
// program builds it: idle after its start, at the peak of an F8 against masters on 127.0.0.1
// (a zorvane-farm), and once the refresh is over and the server cache written. Also the heap
// malloc hands out (mallinfo2) at each point.
//
//   QT_QPA_PLATFORM=offscreen bench_window_memory [--master HOST:PORT ...] [--power N]
//   QT_QPA_PLATFORM=offscreen bench_window_memory --start SERVERS
//
// Without a master only the idle window is measured. The peak is the larger of RssAnon sampled
// every 2 ms and the kernel's resident high-water mark (reset at F8) less the file-backed share.
// --start times a start of the program with the cache of SERVERS servers (full replies): from
// the start of a child process until the window has painted, and until its lists hold the
// cached servers, least and median of five.
// Prints one JSON line. Run by hand (bench/window_memory.sh runs it at 0, 5,000 and 15,000).

#include <malloc.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/cached_list.h"
#include "gui/grid/string_grid.h"
#include "gui/view/server_view.h"
#include "gui/window/main_window.h"
#include "query/binary_protocol.h"
#include "query/open_file_limit.h"
#include "query/server_cache.h"
#include "query/server_stash.h"
#include "query/text_protocol.h"
#include "support/recording_dialogs.h"

using namespace zorvane;

namespace {

// kB of a "Name:   N kB" line of /proc/self/status.
long long StatusKb(const char* name) {
  long long value = 0;
  if (FILE* f = std::fopen("/proc/self/status", "r")) {
    char line[256];
    const size_t length = std::strlen(name);
    while (std::fgets(line, sizeof line, f))
      if (std::strncmp(line, name, length) == 0 && line[length] == ':') {
        value = std::atoll(line + length + 1);
        break;
      }
    std::fclose(f);
  }
  return value;
}

long long HeapKb() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long long>(info.uordblks + info.hblkhd) / 1024;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

// The settings of a window that asks no game folder and no version, with the masters given.
QByteArray Ini(const QStringList& masters, const QString& power) {
  QByteArray text =
      "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nautoCheckNewVersion=0\n"
      "startupQuery=none\nqueryPower=" + power.toUtf8() + "\n";
  if (masters.isEmpty()) return text;
  text += "masterServer=" + masters[0].toUtf8() + "\n[masterServers]\nutMasterCount=" +
          QByteArray::number(masters.size()) + "\n";
  for (int i = 0; i < masters.size(); ++i)
    text += "utMaster[" + QByteArray::number(i) + "]=" + masters[i].toUtf8() + "\n";
  return text;
}


// Runs the event loop for ms milliseconds.
void Settle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// The rows of every server view.
int ViewRows(TfrmZorvane& window) {
  int count = 0;
  for (int page = 0; page < window.Pages()->count(); ++page)
    if (auto* view = qobject_cast<TkorvUTServerView*>(window.Pages()->widget(page)))
      count += view->ServerGrid()->RowCount() - view->ServerGrid()->FixedRows();
  return count;
}

// The child of --start: the program's window on the folder, shown; prints "painted" once it
// has drawn itself, then "filled MS" once its lists have not changed for 300 ms (MS: how long
// ago they last did), and ends without closing (nothing is written back).
int StartChild(const QString& dir) {
  zorvane::testing::RecordingDialogs dialogs;
  TStartOptions options;
  options.gameSearch = TGameSearchPlaces{};  // none of this machine's games
  options.directory = dir;
  options.dialogs = &dialogs;
  TfrmZorvane window(options);
  struct TPaintWatch : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint && !painted) {
        painted = true;
        QTimer::singleShot(0, [] {
          std::printf("painted\n");
          std::fflush(stdout);
        });
      }
      return false;
    }
    bool painted = false;
  } watch;
  window.installEventFilter(&watch);
  if (window.ShowAtStart()) window.show();
  QTimer::singleShot(0, &window, [&window] { window.FirstShow(); });
  QElapsedTimer sinceChange;
  sinceChange.start();
  int rows = -1;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    const int now = ViewRows(window);
    if (now != rows) {
      rows = now;
      sinceChange.restart();
    } else if (watch.painted && sinceChange.elapsed() >= 300) {
      std::printf("filled %lld\n", static_cast<long long>(sinceChange.elapsed()));
      std::fflush(stdout);
      std::_Exit(0);
    }
  });
  poll.start(2);
  return qApp->exec();
}

int Start(int servers) {
  QTemporaryDir dir;
  WriteFile(dir.filePath("zorvane.ini"), Ini({}, QStringLiteral("3")));
  if (servers > 0)
    bench::WriteCachedList(dir.filePath(QString::fromLatin1(kServerCacheFileName)), servers);
  std::vector<double> times, filled;
  for (int run = 0; run < 5; ++run) {
    QProcess child;
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--start-child"), dir.path()});
    double paintedAt = -1;
    QByteArray out;
    while (child.waitForReadyRead(30000)) {
      out += child.readAllStandardOutput();
      const double now = clock.nsecsElapsed() / 1e6;
      if (paintedAt < 0 && out.contains("painted")) paintedAt = now;
      if (const qsizetype at = out.indexOf("filled "); at >= 0 && out.endsWith('\n')) {
        filled.push_back(now - out.mid(at + 7).trimmed().toDouble());
        break;
      }
    }
    child.waitForFinished(30000);
    if (paintedAt < 0 || filled.size() != times.size() + 1) {
      std::fprintf(stderr, "bench_window_memory: the child did not paint and fill\n");
      return 1;
    }
    times.push_back(paintedAt);
  }
  std::sort(times.begin(), times.end());
  std::sort(filled.begin(), filled.end());
  std::printf("{\"cachedServers\": %d, \"startToPaintLeastMs\": %.0f, "
              "\"startToPaintMedianMs\": %.0f, \"startToFilledLeastMs\": %.0f, "
              "\"startToFilledMedianMs\": %.0f}\n",
              servers, times.front(), times[times.size() / 2], filled.front(),
              filled[filled.size() / 2]);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  RaiseOpenFileLimit();
  if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");  // as the program
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QStringList masters;
  QString power = QStringLiteral("3");
  const QStringList args = app.arguments();
  for (int i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == u"--master") masters << args[i + 1];
    if (args[i] == u"--power") power = args[i + 1];
    if (args[i] == u"--start") return Start(args[i + 1].toInt());
    if (args[i] == u"--start-child") return StartChild(args[i + 1]);
  }

  QTemporaryDir dir;
  WriteFile(dir.filePath("zorvane.ini"), Ini(masters, power));
  zorvane::testing::RecordingDialogs dialogs;
  TStartOptions options;
  options.gameSearch = TGameSearchPlaces{};
  options.directory = dir.path();
  options.dialogs = &dialogs;
  TfrmZorvane window(options);
  window.show();
  window.FirstShow();
  Settle(1500);
  const long long idleAnon = StatusKb("RssAnon"), idleHeap = HeapKb();
  std::printf("{\"idleRssAnonKb\": %lld, \"idleHeapKb\": %lld, \"idleRssKb\": %lld", idleAnon,
              idleHeap, StatusKb("VmRSS"));
  // Under heaptrack, ZORVANE_MEMORY_EXIT=idle (or after) ends the process there with the
  // window alive: what it holds then is reported as leaked.
  const QByteArray exitAt = qgetenv("ZORVANE_MEMORY_EXIT");
  if (masters.isEmpty() || exitAt == "idle") {
    std::printf("}\n");
    std::fflush(stdout);
    if (!exitAt.isEmpty()) std::exit(0);
    return 0;
  }

  // The high-water mark counts file pages too: take off the most of them seen.
  WriteFile(QStringLiteral("/proc/self/clear_refs"), "5");
  long long peakAnon = 0, peakHeap = 0, fileShare = 0;
  const auto sample = [&] {
    peakAnon = std::max(peakAnon, StatusKb("RssAnon"));
    peakHeap = std::max(peakHeap, HeapKb());
    fileShare = std::max(fileShare, StatusKb("RssFile") + StatusKb("RssShmem"));
  };
  QTimer probe;
  probe.setTimerType(Qt::PreciseTimer);
  QObject::connect(&probe, &QTimer::timeout, sample);
  probe.start(2);
  QElapsedTimer clock;
  clock.start();
  window.FindWindowAction(QStringLiteral("actMasterServerQuery"))->trigger();
  while (window.MassRefresh().MassRefreshing() && clock.elapsed() < 180000)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  sample();
  const double refreshMs = clock.nsecsElapsed() / 1e6;
  Settle(1500);  // the server cache is written
  sample();
  probe.stop();
  peakAnon = std::max(peakAnon, StatusKb("VmHWM") - fileShare);
  std::printf(", \"servers\": %d, \"replied\": %d, \"refreshMs\": %.0f, \"peakRssAnonKb\": %lld, "
              "\"peakHeapKb\": %lld, \"afterRssAnonKb\": %lld, \"afterHeapKb\": %lld, "
              "\"peakRssKb\": %lld, \"cacheFileKb\": %lld}\n",
              window.MassRefresh().ServersQueried(), window.MassRefresh().RepliesCounted(),
              refreshMs, peakAnon, peakHeap, StatusKb("RssAnon"), HeapKb(), StatusKb("VmHWM"),
              QFileInfo(dir.filePath(QString::fromLatin1(kServerCacheFileName))).size() / 1024);
  std::fflush(stdout);
  if (exitAt == "after") std::exit(0);
  return 0;
}
