// SPDX-License-Identifier: GPL-2.0-or-later
// A mass refresh from a master on 127.0.0.1 (a zorvane-farm), measuring what the user sees:
// the pings it reports and how long the event loop went without a turn while the burst was
// sent and the replies came in. A probe timer due every 5 ms records its own lateness.
//
//   bench_ping_burst --master 127.0.0.1:PORT [--power N]
//
// Prints one JSON line: servers, replied, ping median and largest, and the largest stall of
// the event loop while the master was asked and after its list came.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "browse/mass_refresh.h"
#include "query/open_file_limit.h"
#include "query/server_stash.h"
#include "query/vocabulary.h"

namespace {

using namespace zorvane;

class TStallProbe {
 public:
  static constexpr int kPeriodMs = 5;
  TStallProbe() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kPeriodMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
  }
  void Start() {
    clock_.start();
    last_ = 0;
    timer_.start();
  }
  // Starts a new phase: its largest lateness is counted from here.
  void NextPhase() {
    previousMax_ = std::max(previousMax_, Lateness());
    last_ = clock_.nsecsElapsed();
    max_ = 0;
  }
  double PhaseMaxMs() const { return max_ / 1e6; }
  double PreviousMaxMs() const { return previousMax_ / 1e6; }

 private:
  qint64 Lateness() const {
    return std::max<qint64>(0, clock_.nsecsElapsed() - last_ - kPeriodMs * 1'000'000LL);
  }
  void Tick() {
    max_ = std::max(max_, Lateness());
    last_ = clock_.nsecsElapsed();
  }
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0, max_ = 0, previousMax_ = 0;
};

class THost : public TMassRefreshHost {
 public:
  THost(QEventLoop& loop, TStallProbe& probe) : loop_(loop), probe_(probe) {}
  void ActivityLog(const QString& text) override { Print(text); }
  void DebugLog(const QString&) override {}
  void ShowStatus(const QString& text) override {
    // The master exchange is over once the servers are counted.
    if (text.endsWith(QStringLiteral(" servers available. Querying individual servers... ")))
      probe_.NextPhase();
    Print(text);
  }
  void ShowLowReplyNotice(const QString&) override {}
  void MassRefreshFinished() override { loop_.quit(); }

 private:
  void Print(const QString& text) {
    if (text == last_ || text.startsWith(QStringLiteral("Parsing")) ||
        (text.contains(u'%') && !text.startsWith(QStringLiteral("Only"))))
      return;  // progress and repeats
    last_ = text;
    std::fprintf(stderr, "%s\n", qUtf8Printable(text));
  }
  QEventLoop& loop_;
  TStallProbe& probe_;
  QString last_;
};

}  // namespace

int main(int argc, char** argv) {
  RaiseOpenFileLimit();
  if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
  QCoreApplication app(argc, argv);
  QString master;
  int power = 3;
  const QStringList args = app.arguments();
  for (int i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == u"--master")
      master = args[i + 1];
    else if (args[i] == u"--power")
      power = args[i + 1].toInt();
  }
  const auto address = ParseMasterAddress(master);
  if (!address) {
    std::fprintf(stderr, "usage: bench_ping_burst --master HOST:PORT [--power N]\n");
    return 2;
  }

  TServerStash stash;
  QEventLoop loop;
  TStallProbe probe;
  THost host(loop, probe);
  TMassRefresh refresh(stash, host);
  refresh.QueryPower = power;
  refresh.Masters["UT"] = {*address};
  QObject::connect(&stash, &TServerStash::OnServerUpdated, &refresh,
                   [&refresh](const QString& key) { refresh.ServerUpdated(key); });
  probe.Start();
  if (!refresh.StartMassRefresh(QStringLiteral("UT"))) return 1;
  if (refresh.MassRefreshing()) loop.exec();
  const double stallMs = probe.PhaseMaxMs();

  std::vector<int> pings;
  for (int i = 0; i < stash.Count(); ++i) {
    const TServer& server = *stash.Server(i);
    int ping = 0;
    if (server.TextLatin1(TServerText::Ping) != kNoReplyPing && ReadInteger(server.Ping(), ping))
      pings.push_back(ping);
  }
  std::sort(pings.begin(), pings.end());
  const double median = pings.empty() ? -1
                        : pings.size() % 2
                            ? pings[pings.size() / 2]
                            : (pings[pings.size() / 2 - 1] + pings[pings.size() / 2]) / 2.0;
  std::printf(
      "{\"servers\": %d, \"replied\": %d, \"pingMedian\": %.1f, \"pingMax\": %d, "
      "\"stallMasterMs\": %.1f, \"stallMs\": %.1f, \"noSocket\": %d}\n",
      stash.Count(), int(pings.size()), median, pings.empty() ? -1 : pings.back(),
      probe.PreviousMaxMs(), stallMs, refresh.NoSocketCount());
  return 0;
}
