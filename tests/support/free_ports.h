// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Free loopback UDP ports for tests that bind or hand out several at once.

#include <QUdpSocket>
#include <memory>
#include <random>
#include <vector>

namespace zorvane::testing {

inline bool UdpRangeFree(int base, int count) {
  std::vector<std::unique_ptr<QUdpSocket>> probes;
  for (int i = 0; i < count; ++i) {
    probes.push_back(std::make_unique<QUdpSocket>());
    if (!probes.back()->bind(QHostAddress::LocalHost, quint16(base + i),
                             QUdpSocket::DontShareAddress))
      return false;
  }
  return true;
}

// The first of count consecutive free loopback UDP ports, above those FarmProcess picks for its
// servers (a farm's beacon and LAN ports, fake beacons); 0 when none were found.
inline int FreeUdpRun(int count) {
  std::mt19937 random(std::random_device{}());
  for (int attempt = 0; attempt < 20; ++attempt) {
    const int base = 30000 + int(random() % 20000);
    if (UdpRangeFree(base, count)) return base;
  }
  return 0;
}

}  // namespace zorvane::testing
