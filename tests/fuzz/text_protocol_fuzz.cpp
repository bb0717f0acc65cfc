// SPDX-License-Identifier: GPL-2.0-or-later
// Text protocol replies: datagrams in order into one record, as the transport hands them over.

#include "fuzz_support.h"
#include "query/server_record.h"
#include "query/text_protocol.h"

using namespace zorvane;

namespace {

// Reads every text of the record, so a broken packed text shows up here.
void ReadAll(const TServer& server) {
  std::size_t total = 0;
  for (std::size_t f = 0; f < kServerTextCount; ++f) total += server.Text(TServerText(f)).size();
  for (int slot = 0; slot < kPlayerSlots; ++slot)
    for (std::size_t f = 0; f < kPlayerFieldCount; ++f)
      total += server.PlayerText(slot, TPlayerField(f)).size();
  for (int slot = 0; slot < server.SettingSlotsUsed(); ++slot) {
    const RSetting setting = server.Setting(slot);
    total += setting.Name.size() + setting.Value.size();
  }
  fuzz::Check(total < (std::size_t(1) << 30), "texts add up to more than the input allows");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TServer server;
  int replyInProgress = 0;
  for (QByteArrayView datagram : fuzz::SplitDatagrams(data, size)) {
    const bool final = ParseTextDatagram(server, datagram, replyInProgress, 12,
                                         [](int, const QString&) {});
    // The final datagram ends the reply: the next one starts a new one.
    if (final)
      fuzz::Check(replyInProgress == 0 && (server.RepliesSeen & rpTextFinal),
                  "a final datagram left the reply open");
    ReadAll(server);
  }
  return 0;
}
