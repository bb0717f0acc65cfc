// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Writes a small location database (libloc's format) for tests: networks and their countries.

#include <QFile>
#include <QString>
#include <cstdio>
#include <utility>
#include <vector>

extern "C" {
#include <libloc/libloc.h>
#include <libloc/network.h>
#include <libloc/writer.h>
}

namespace zorvane::testing {

// networks: {"127.0.0.2/32", "DE"}, ...; false when libloc refuses one or the file.
inline bool WriteLocationDatabase(
    const QString& path, const std::vector<std::pair<const char*, const char*>>& networks) {
  loc_ctx* ctx = nullptr;
  if (loc_new(&ctx) != 0) return false;
  loc_writer* writer = nullptr;
  bool ok = loc_writer_new(ctx, &writer, nullptr, nullptr) == 0;
  for (const auto& [cidr, country] : networks) {
    loc_network* network = nullptr;
    ok = ok && loc_writer_add_network(writer, &network, cidr) == 0 &&
         loc_network_set_country_code(network, country) == 0;
    if (network) loc_network_unref(network);
  }
  if (ok) {
    FILE* f = std::fopen(QFile::encodeName(path).constData(), "w+");
    ok = f && loc_writer_write(writer, f, LOC_DATABASE_VERSION_1) == 0;
    if (f) std::fclose(f);
  }
  if (writer) loc_writer_unref(writer);
  loc_unref(ctx);
  return ok;
}

}  // namespace zorvane::testing
