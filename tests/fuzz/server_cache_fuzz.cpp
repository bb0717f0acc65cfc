// SPDX-License-Identifier: GPL-2.0-or-later
// The server cache file. An input that starts like a cache file is read as it is; any other
// is read as the body of a file with a correct header, so that mutations reach the records
// instead of stopping at the checksum. Whatever is read must survive a save and a second read
// unchanged.

#include <cstring>

#include "fuzz_support.h"
#include "query/server_cache.h"
#include "query/server_stash.h"

using namespace zorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::EnsureApplication();
  const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
  const QByteArray file = input.startsWith("ZorvaneServers") ? input.toByteArray()
                                                              : WrapServerCacheBody(input);
  TServerCacheRead read = ReadServerCache(file);
  fuzz::Check(read.problem.isEmpty() || read.servers.empty(), "servers from an ignored file");
  if (!read.problem.isEmpty()) return 0;

  TServerStash stash;
  stash.SetHostLookup([](const QString&, QObject*, THostLookupDone) {});  // no network
  AdoptCachedServers(stash, std::move(read.servers));
  const QByteArray saved = WriteServerCache(stash);
  TServerCacheRead again = ReadServerCache(saved);
  fuzz::Check(again.problem.isEmpty(), "a saved cache does not read back");
  fuzz::Check(int(again.servers.size()) == stash.Count(), "servers lost in a save");
  TServerStash copy;
  copy.SetHostLookup([](const QString&, QObject*, THostLookupDone) {});
  AdoptCachedServers(copy, std::move(again.servers));
  fuzz::Check(WriteServerCache(copy) == saved, "a second save differs");
  return 0;
}
