// SPDX-License-Identifier: GPL-2.0-or-later
// Heap bytes one answered server costs in the stash, with and without its socket. Fills the
// records straight from reply datagrams: nothing goes over the network.

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <cstdio>
#include <malloc.h>
#include <unistd.h>

#include "bench/status_samples.h"
#include "query/binary_protocol.h"
#include "query/open_file_limit.h"
#include "query/server_stash.h"
#include "query/text_protocol.h"
#include "query/udp_transport.h"

namespace {

using namespace zorvane;

constexpr int kWanted = 10000;

// Heap in use: small chunks plus the ones malloc maps separately (the big arrays).
long long HeapBytes() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long long>(info.uordblks + info.hblkhd);
}

long long ResidentBytes() {
  long long size = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%lld %lld", &size, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * sysconf(_SC_PAGESIZE);
}

long long OpenFiles() { return QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size(); }

void Report(const char* what, long long heapBefore, long long rssBefore, int servers) {
  const long long heap = HeapBytes() - heapBefore;
  const long long rss = ResidentBytes() - rssBefore;
  std::printf("%-34s %8.0f heap bytes/server  (RSS %7.0f bytes/server, %lld open files)\n", what,
              double(heap) / servers, double(rss) / servers, OpenFiles());
}

// Fills count servers with players each (and 30 settings), prints what they cost after the
// reply wait.
int Measure(int count, int players) {
  TServerStash stash;
  const QByteArray rules = bench::BinaryRules(30);
  const long long heapBefore = HeapBytes();
  const long long rssBefore = ResidentBytes();

  for (int i = 0; i < count; ++i) {
    const QString host = QStringLiteral("127.0.0.%1").arg(1 + i % 200);
    const QString port = QString::number(20000 + i / 200);
    if (!stash.AddServer(host, port, {}, false, QStringLiteral("UT"), QStringLiteral("True"), {})) {
      std::printf("server %d not added; stopping there\n", i);
      count = i;
      break;
    }
    TServer& server = *stash.Server(i);
    int mark = 0;
    ParseTextDatagram(server, bench::TextStatus(players, QByteArray::number(i), true), mark, 50,
                      {});
    ParseBinaryReply(server, rules, 50);
    server.ReplyComplete = server.Online = true;
    server.Populated = players > 0;
  }
  if (count == 0) return 0;

  const TServer& sample = *stash.Server(count - 1);
  int used = 0;
  for (int slot = 0; slot < kPlayerSlots; ++slot) used += sample.PlayerInUse(slot);
  std::size_t textBytes = 0;
  for (int i = 0; i < count; ++i) textBytes += stash.Server(i)->TextHeapBytes();
  std::printf("\n%d servers, %d players and %d settings each; RSS before adding them %.1f MiB\n",
              count, used, sample.SettingSlotsUsed(), double(rssBefore) / (1 << 20));
  std::printf("%-34s %8.0f heap bytes/server\n", "texts (TextHeapBytes)", double(textBytes) / count);
  std::printf("%-34s %8zu bytes\n", "sizeof(TServer)", sizeof(TServer));
  Report("with sockets open", heapBefore, rssBefore, count);

  // What the end of a reply wait leaves: every transport released.
  for (int i = 0; i < count; ++i) stash.ReleaseTransport(i);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  Report("after the reply wait", heapBefore, rssBefore, count);
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  const long limit = RaiseOpenFileLimit();
  int count = kWanted;
  if (limit >= 0 && limit < kWanted + 64) {
    count = int(limit) - 64;
    std::printf("open file limit is %ld: measuring %d servers instead of %d\n", limit, count,
                kWanted);
  }

  QCoreApplication app(argc, argv);
  if (Measure(count, 12) == 0) return 1;
  // The usual server of a mass refresh: nobody playing.
  return Measure(count, 0) == 0 ? 1 : 0;
}
