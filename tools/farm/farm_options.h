// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Command line of zorvane-farm.

#include <QString>
#include <QStringList>
#include <vector>

namespace zorvane::farm {

// A master of the farm: its TCP port, the share of the servers it lists (indexes across the
// farm, UT servers first, first to last inclusive; last -1 for all) and how it misbehaves.
struct TFarmMasterSpec {
  int port = 0;
  int first = 0;
  int last = -1;
  QString fault;
  bool operator==(const TFarmMasterSpec&) const = default;
};

struct TFarmOptions {
  int ut = 100;
  int ut2004 = 0;
  int basePort = 17778;    // UDP query port of the first UT server; UT2004 servers follow them
  int masterPort = 28900;  // TCP; 0 runs no master
  int beaconPort = 8777;   // UDP: the first of the UT servers' ten beacon ports; 0 for none
  int lanPort = 10777;     // UDP: the port where UT2004 servers hear a LAN search; 0 for none
  double silent = 0.0;     // share of servers that never answer
  quint64 seed = 1;
  int lifeSeconds = 0;  // 0 runs until stopped
  // How the master misbehaves, for tests of the client: "" none, "cut" (the list without its
  // last third and its end), "half" (its first half, then the close), "names" (a name after
  // every address), "huge" (a million entries), "endless" (a greeting without end), "silent"
  // (no greeting at all), "trickle" (everything a byte at a time, 20 ms apart).
  QString masterFault;
  // Further masters (--master PORT[:FIRST-LAST][:FAULT], repeatable).
  std::vector<TFarmMasterSpec> masters;
  bool dailyPattern = false;  // players follow the local time of day (ApplyDailyPattern)
  bool help = false;

  int Count() const { return ut + ut2004; }
  // Every master: the one of --master-port (when not 0) listing all, then the others.
  std::vector<TFarmMasterSpec> AllMasters() const;
  int LastPort() const { return basePort + Count() - 1; }
};

// Reads the arguments after the program name. False with a message on the first bad one.
bool ParseFarmOptions(const QStringList& arguments, TFarmOptions& options, QString& error);

QString FarmUsage();

// The faults a master may have.
QStringList MasterFaults();

}  // namespace zorvane::farm
