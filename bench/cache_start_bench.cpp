// SPDX-License-Identifier: GPL-2.0-or-later
// What the server cache adds to a start of the program (offscreen): the main window built and
// its start-up done (no start-up query), once on a folder without a cache and once with the
// cache of a 15,000-server list (full replies: every rule, 30 settings, 0 to 12 players),
// which is read and listed in the views. Least of five starts each. Run by hand.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "bench/cached_list.h"
#include "gui/window/main_window.h"
#include "query/binary_protocol.h"
#include "query/server_cache.h"
#include "query/server_stash.h"
#include "query/text_protocol.h"
#include "support/recording_dialogs.h"

using namespace zorvane;

namespace {

constexpr int kServers = 15000;

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

// One start: the window built, its first show handled, pending events run.
double StartMs(const QString& dir, int& listed) {
  zorvane::testing::RecordingDialogs dialogs;
  TStartOptions options;
  options.gameSearch = TGameSearchPlaces{};  // none of this machine's games
  options.directory = dir;
  options.dialogs = &dialogs;
  QElapsedTimer timer;
  timer.start();
  TfrmZorvane window(options);
  window.FirstShow();
  QCoreApplication::processEvents();
  listed = window.Stash().Count();
  return double(timer.nsecsElapsed()) / 1e6;  // never closed: nothing is written back
}

double LeastOf(const QString& dir, int& listed) {
  double least = 1e9;
  for (int run = 0; run < 5; ++run) least = std::min(least, StartMs(dir, listed));
  return least;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QByteArray ini =
      "[settings]\nZorvane=2.91\nskipDefaultPathsInfo=1\nautoCheckNewVersion=0\n"
      "startupQuery=none\n";
  QTemporaryDir plain, cached;
  WriteFile(plain.filePath("zorvane.ini"), ini);
  WriteFile(cached.filePath("zorvane.ini"), ini);
  const QString error =
      bench::WriteCachedList(cached.filePath(QString::fromLatin1(kServerCacheFileName)), kServers);
  if (!error.isEmpty()) std::printf("cache not written: %s\n", qPrintable(error));

  int none = 0, listed = 0;
  const double without = LeastOf(plain.path(), none);
  const double with = LeastOf(cached.path(), listed);
  std::printf("start without a cache          %8.1f ms  (%d servers)\n", without, none);
  std::printf("start with a cache             %8.1f ms  (%d servers listed)\n", with, listed);
  std::printf("extra for the cache            %8.1f ms  (target 300)\n", with - without);
  return 0;
}
