// SPDX-License-Identifier: GPL-2.0-or-later
// Binary protocol replies (UT2003, UT2004): datagrams in order into one record.

#include "fuzz_support.h"
#include "query/binary_protocol.h"
#include "query/server_record.h"

using namespace zorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TServer server;
  server.QueryVersion = 128;
  for (QByteArrayView datagram : fuzz::SplitDatagrams(data, size)) {
    const quint8 before = server.RepliesSeen;
    const TBinaryParseResult result = ParseBinaryReply(server, datagram, 7);
    // Only a well-formed server information reply asks for the details.
    if (result.requestDetails) fuzz::Check(result.complete, "details asked for after a broken reply");
    // A broken reply adds no reply kind (a broken information reply may reset the record).
    if (!result.complete)
      fuzz::Check((server.RepliesSeen & ~before) == 0, "a broken reply counted as seen");
    for (std::size_t f = 0; f < kServerTextCount; ++f) (void)server.Text(TServerText(f)).size();
    for (int slot = 0; slot < kPlayerSlots; ++slot) (void)server.Player(slot);
    for (int slot = 0; slot < server.SettingSlotsUsed(); ++slot) (void)server.Setting(slot);
  }
  return 0;
}
