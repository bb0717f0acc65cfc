// SPDX-License-Identifier: GPL-2.0-or-later
// zorvane-farm: a crowd of UT and UT2004 servers and a master on 127.0.0.1, for tests,
// benchmarks and trying the program without the internet.

#include <sys/signalfd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

#include "query/open_file_limit.h"
#include "tools/farm/farm_lan.h"
#include "tools/farm/farm_master.h"
#include "tools/farm/farm_options.h"
#include "tools/farm/farm_udp.h"

using namespace zorvane::farm;

namespace {

// SIGINT and SIGTERM arrive through a descriptor, so stopping is an ordinary event that lets
// every socket close. Must run before any thread starts, so all of them keep the signals blocked.
sigset_t BlockStopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  return signals;
}

QString PortRange(int first, int count) {
  return count == 1 ? QString::number(first)
                    : QStringLiteral("%1-%2").arg(first).arg(first + count - 1);
}

}  // namespace

int main(int argc, char** argv) {
  const sigset_t stopSignals = BlockStopSignals();
  QCoreApplication app(argc, argv);

  TFarmOptions options;
  QString error;
  if (!ParseFarmOptions(app.arguments().mid(1), options, error)) {
    std::fprintf(stderr, "zorvane-farm: %s\n%s", qUtf8Printable(error),
                 qUtf8Printable(FarmUsage()));
    return 2;
  }
  if (options.help) {
    std::fputs(qUtf8Printable(FarmUsage()), stdout);
    return 0;
  }

  zorvane::RaiseOpenFileLimit();
  TFarmUdp servers(options);
  if (!servers.Open(error)) {
    std::fprintf(stderr, "zorvane-farm: %s\n", qUtf8Printable(error));
    return 1;
  }
  TFarmLan lan(options, servers);
  lan.Open();
  std::vector<std::unique_ptr<TFarmMaster>> masters;
  for (const TFarmMasterSpec& spec : options.AllMasters()) {
    masters.push_back(std::make_unique<TFarmMaster>(options, spec, options.seed + masters.size()));
    if (!masters.back()->Listen(error)) {
      std::fprintf(stderr, "zorvane-farm: %s\n", qUtf8Printable(error));
      return 1;
    }
  }

  // Lives as long as the process; the system closes it.
  const int stopFd = signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK);
  if (stopFd < 0) {
    std::perror("zorvane-farm: signalfd");
    return 1;
  }
  QSocketNotifier stop(stopFd, QSocketNotifier::Read);
  QObject::connect(&stop, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
  if (options.lifeSeconds > 0)
    QTimer::singleShot(options.lifeSeconds * 1000, &app, &QCoreApplication::quit);

  QString line = QStringLiteral("zorvane-farm: %1 UT servers").arg(options.ut);
  if (options.ut > 0)
    line += QStringLiteral(" on 127.0.0.1 UDP ") + PortRange(options.basePort, options.ut);
  line += QStringLiteral(", %1 UT2004 servers").arg(options.ut2004);
  if (options.ut2004 > 0)
    line += QStringLiteral(" on UDP ") + PortRange(options.basePort + options.ut, options.ut2004);
  line += QStringLiteral(" (%1 silent), ").arg(servers.SilentCount());
  QStringList listening;
  for (const auto& master : masters) listening << master->Summary();
  line += masters.empty() ? QStringLiteral("no master")
          : masters.size() == 1 && options.masterPort != 0 && options.masterFault.isEmpty()
              ? QStringLiteral("master on TCP %1").arg(options.masterPort)
              : QStringLiteral("masters on TCP ") + listening.join(QStringLiteral(", "));
  line += QStringLiteral(", ") + lan.Summary();
  line += QStringLiteral(", seed %1").arg(options.seed);
  if (options.dailyPattern) line += QStringLiteral(", daily pattern");
  if (options.lifeSeconds > 0) line += QStringLiteral(", for %1 s").arg(options.lifeSeconds);
  std::printf("%s\n", qUtf8Printable(line));
  std::fflush(stdout);

  return app.exec();
}
