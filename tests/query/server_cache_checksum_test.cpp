// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/server_cache_checksum.h"

#include <gtest/gtest.h>

#include <QByteArray>

namespace zorvane {
namespace {

// The checksums files of earlier versions carry, for bodies of n bytes (i * 7 + 3): fed whole
// or in pieces of any size, a body gives the same one.
TEST(ServerCacheChecksumTest, PiecesOfAnySizeGiveTheChecksumFilesCarry) {
  const struct {
    int length;
    quint64 checksum;
  } cases[] = {{0, 0xAC272D9F7DC79E77ull},   {7, 0xBC1AD6462B1382E5ull},
               {31, 0xCF09D6CAEC191FD7ull},  {32, 0x2B724C4CF300266Dull},
               {100, 0xC8A703D069049BC7ull}, {1000, 0x253774FC75799197ull}};
  for (const auto& c : cases) {
    QByteArray body(c.length, '\0');
    for (int i = 0; i < c.length; ++i) body[i] = char(i * 7 + 3);
    EXPECT_EQ(TServerCacheChecksum::Of(body), c.checksum) << c.length;
    for (qsizetype piece : {1, 5, 8, 31, 32, 33, 64}) {
      TServerCacheChecksum sum(quint64(body.size()));
      for (qsizetype at = 0; at < body.size(); at += piece)
        sum.Add(QByteArrayView(body).sliced(at, std::min(piece, body.size() - at)));
      EXPECT_EQ(sum.Value(), c.checksum) << c.length << " in pieces of " << piece;
    }
  }
}

}  // namespace
}  // namespace zorvane
