// SPDX-License-Identifier: GPL-2.0-or-later
// zorvane-query: asks game servers for their status once and prints what came back.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <string>

#include "config/configuration.h"
#include "config/start_directory.h"
#include "query/host_lookup.h"
#include "query/open_file_limit.h"
#include "query/server_stash.h"
#include "tools/query/history_run.h"
#include "tools/query/lan_run.h"
#include "tools/query/mass_refresh_run.h"
#include "tools/query/plain_text.h"
#include "tools/query/query_options.h"
#include "tools/query/query_run.h"
#include "tools/query/server_json.h"

namespace {

using namespace zorvane;

void Write(const QByteArray& line) {
  std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
  std::fputc('\n', stdout);
}

// Messages of the configuration loader go to standard error.
class TPrintingSink : public TMessageSink {
 public:
  void Show(TMessageKind, const QString& text) override {
    std::fprintf(stderr, "zorvane-query: %s\n", qUtf8Printable(text));
  }
};

}  // namespace

int main(int argc, char** argv) {
  const long fileLimit = RaiseOpenFileLimit();
  // Qt's own event dispatcher: the glib one walks a list of every socket watcher on each
  // change, which grows with the square of the server count.
  if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
  QCoreApplication app(argc, argv);

  TQueryOptions options;
  QString error;
  if (!ParseQueryOptions(app.arguments().mid(1), options, error)) {
    std::fprintf(stderr, "zorvane-query: %s\n", qUtf8Printable(error));
    return 2;
  }
  if (options.Help) {
    std::fputs(qUtf8Printable(QueryUsage()), stdout);
    return 0;
  }
  if (!options.HistoryDir.isEmpty()) {
    const TQueryTarget& target = options.Targets.front();
    return PrintHistory(options.HistoryDir, target.Host + u':' + QString::number(target.Port));
  }
  // One socket per server, plus a few the process holds anyway.
  const long needed = long(options.Targets.size()) + 32;
  if (fileLimit >= 0 && fileLimit < needed)
    std::fprintf(stderr, "zorvane-query: the open file limit is %ld, %ld servers need about %ld\n",
                 fileLimit, long(options.Targets.size()), needed);

  TServerStash stash;
  stash.LocalPort = options.LocalPort;
  // A name look-up still running must not hold the exit: what was asked is printed by then.
  const auto end = [&stash](int status) {
    if (stash.HostLookupsRunning() > 0) EndProcessNow(status);
    return status;
  };
  TQueryRun run(stash, options.WaitMs);
  if (options.Favorites) {
    // The user's own files are only read: nothing is created or written.
    TPrintingSink messages;
    TConfiguration config;
    const QString dir = ResolveStartDirectory(options.Dir, false);
    if (!LoadConfiguration(config, dir, TConfigMode::ReadOnly, stash, messages)) return 2;
    run.TrackAll();
  }
  run.Add(options.Targets);
  if (options.Lan) {
    // Only a look: the settings file is read when the search's addresses come from it.
    const TLanSettings lan = options.Broadcast.isEmpty() || options.LanWaitMs < 0
                                 ? ReadLanSettings(ResolveStartDirectory(options.Dir, false))
                                 : TLanSettings{};
    run.Add(RunLanSearch(options, lan));
  }

  QElapsedTimer elapsed;
  elapsed.start();
  TMassRefreshOutcome refreshed;
  if (options.MassRefresh()) {
    refreshed =
        RunMassRefresh(stash, MastersToAsk(options), options.QueryPower, options.MasterGame);
    if (refreshed.ExitStatus() == 1) return end(1);  // the masters' messages are out already
  } else {
    run.Run(options.QueryPower);
  }
  const qint64 elapsedMs = elapsed.elapsed();

  int replied = 0;
  // Lines are gathered into one reused buffer and written in large pieces.
  constexpr std::size_t kWriteSize = 1 << 16;
  std::string lines;
  lines.reserve(2 * kWriteSize);
  for (int i = 0; i < stash.Count(); ++i) {
    const TServer& server = *stash.Server(i);
    if (server.TextLatin1(TServerText::Ping) != kNoReplyPing) ++replied;
    if (options.Json)
      AppendServerJson(lines, stash.Key(i), server);
    else
      lines += ServerTextLine(stash.Key(i), server).toStdString();
    lines += '\n';
    if (lines.size() >= kWriteSize) {
      std::fwrite(lines.data(), 1, lines.size(), stdout);
      lines.clear();
    }
  }
  std::fwrite(lines.data(), 1, lines.size(), stdout);
  if (options.Json && options.MassRefresh())
    Write(QStringLiteral("{\"summary\": {\"listed\": %1, \"replied\": %2, \"percent\": %3, "
                         "\"elapsedMs\": %4, \"masters\": %5}}")
              .arg(refreshed.listed)
              .arg(replied)
              .arg(refreshed.replyPercent)
              .arg(elapsedMs)
              .arg(QString::fromUtf8(MastersJson(refreshed.masters)))
              .toUtf8());
  else if (options.Json)
    Write(SummaryJson(stash.Count(), replied, elapsedMs));
  else
    Write(QStringLiteral("%1 servers, %2 replied").arg(stash.Count()).arg(replied).toUtf8());
  return end(options.MassRefresh() ? refreshed.ExitStatus() : 0);
}
